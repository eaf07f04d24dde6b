#include "listing/wordfilter.h"

#include "listing/casefold.h"
#include "listing/items.h"

namespace corvane {

qsizetype ApplyWordFilter(Items &items, const QString &filterWord, WordFilterMode filterMode)
{
    if (filterWord.isEmpty() || filterMode == WordFilterMode::None)
        return 0;
    const bool keepContaining = filterMode == WordFilterMode::ListOnly;
    return items.removeWhere(items.flagsWhere([&](const QString &item) {
        const bool contains = indexOfIgnoringCase(item, filterWord) >= 0;
        return contains != keepContaining;
    }));
}

} // namespace corvane
