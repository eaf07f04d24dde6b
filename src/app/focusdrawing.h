#pragma once
// Keyboard focus that shows on every window colour: a frame in focusColour()
// around whichever control has the keyboard, the menu bar's current entry
// highlighted while the keyboard is on the bar (also the entries that open no
// menu), and the check box's square outlined and ticked in its text colour.
// The controls' colours, fonts, captions, places and sizes stay as they are:
// only the focus and the check box's square are drawn.

#include <QList>

class QCheckBox;
class QMenuBar;
class QWidget;

namespace corvane {

// controls share one parent; bar and check belong to the same window.
void showFocus(const QList<QWidget *> &controls, QMenuBar *bar, QCheckBox *check);

} // namespace corvane
