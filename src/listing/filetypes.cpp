#include "listing/filetypes.h"

#include <QStringList>

namespace corvane {

QString fileTypePattern(const QString &fileTypes)
{
    if (fileTypes.isEmpty())
        return {};
    const QStringList pieces = fileTypes.split(u' ', Qt::KeepEmptyParts);
    QString pattern;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        pattern += QStringLiteral("*.") + pieces.at(i);
        if (i < pieces.size() - 1)
            pattern += u';';
    }
    return pattern;
}

} // namespace corvane
