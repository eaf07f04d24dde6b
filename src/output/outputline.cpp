#include "output/outputline.h"

#include "listing/filenames.h"

namespace corvane {

QString outputLine(const QString &item, qsizetype index, bool numbered, bool showExtensions)
{
    QString line = numbered ? u' ' + QString::number(index + 1) + u' ' + item : item;
    if (!showExtensions)
        line = NoExtension(line);
    return line;
}

} // namespace corvane
