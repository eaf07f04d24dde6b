#include "listing/wordfilter.h"

#include "listing/casefold.h"
#include "listing/itemlist.h"

namespace corvane {

qsizetype ApplyWordFilter(ItemList &list, const QString &filterWord, int filterMode)
{
    if (filterWord.isEmpty() || (filterMode != ListOnlyMode && filterMode != ExcludeMode))
        return 0;
    const bool keepContaining = filterMode == ListOnlyMode;
    return list.removeIf([&](const QString &item) {
        const bool contains = indexOfIgnoringCase(item, filterWord) >= 0;
        return contains != keepContaining;
    });
}

} // namespace corvane
