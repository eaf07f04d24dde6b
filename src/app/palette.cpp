#include "app/palette.h"

namespace corvane {

QColor qbColor(int number)
{
    number &= 15;
    if (number == 7)
        return QColor(192, 192, 192);
    if (number == 8)
        return QColor(128, 128, 128);
    const int level = number > 8 ? 255 : 128;
    return QColor((number & 4) ? level : 0, (number & 2) ? level : 0, (number & 1) ? level : 0);
}

} // namespace corvane
