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

void mergeFolder(ItemList &list, const QStringList &fileNames, const RefreshSettings &settings)
{
    if (settings.clearFirst)
        list.clear();
    list.mergeNames(namesForList(fileNames, settings.showExtensions));
    ApplyWordFilter(list, settings.filterWord, settings.filterMode);
}

} // namespace corvane
