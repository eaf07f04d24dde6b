#pragma once

#include <QColor>

namespace corvane {

// The 16-colour palette: bit 0 blue, bit 1 green, bit 2 red, bit 3 bright.
// 0..6 use 128 for a set bit, 7 is light grey, 8 dark grey, 9..15 use 255.
QColor qbColor(int number);

// Design-time colours of the window and its controls.
inline QColor designBackground() { return QColor(0x40, 0x40, 0x40); }
inline QColor designText() { return QColor(0xFF, 0xFF, 0xFF); }

// The frame around the control with the keyboard: bright yellow, which stands
// out from the five window colours (1 to 5) and from File1's dark grey.
inline QColor focusColour() { return qbColor(14); }

} // namespace corvane
