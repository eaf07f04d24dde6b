#pragma once
// The window's client area on screens smaller than it: the controls keep their
// places and sizes, and the area scrolls when the window is made smaller than
// its design size. At that size or larger it shows all of the client, which
// grows with the window so that its colour covers it.

#include <QScrollArea>

namespace corvane {

class ClientArea : public QScrollArea
{
    Q_OBJECT
public:
    // Takes client, whose minimum size is its design size.
    ClientArea(QWidget *client, QWidget *parent);
    // The whole client, unscrolled.
    QSize sizeHint() const override;
};

// Gives window its preferred size, bounded by the free area of its screen
// (without panels and docks), so that a window larger than a small screen
// opens fitting it; once shown, the window frame's margins count too.
void openFitting(QWidget *window);

} // namespace corvane
