#include "listing/refresh.h"

#include "listing/filenames.h"
#include "listing/itemlist.h"
#include "listing/wordfilter.h"

namespace corvane {

QStringList namesForList(const QStringList &fileNames, bool showExtensions)
{
    if (showExtensions)
        return fileNames;
    QStringList out;
    out.reserve(fileNames.size());
    for (const QString &name : fileNames)
        out.append(NoExtension(name));
    return out;
}

bool mergeFolder(ItemList &list, const QStringList &fileNames, const RefreshSettings &settings)
{
    if (settings.clearFirst)
        list.clear();
    const qsizetype added = list.mergeNames(namesForList(fileNames, settings.showExtensions));
    const qsizetype removed = ApplyWordFilter(list, settings.filterWord, settings.filterMode);
    return settings.clearFirst || added > 0 || removed > 0;
}

} // namespace corvane
