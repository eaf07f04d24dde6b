#pragma once
// The word filter: removes items from the item list by one word.

#include <QString>

namespace corvane {

class ItemList;

// FilterMode values; any other value (the start state) means no mode chosen yet.
enum FilterModes { ListOnlyMode = 1, ExcludeMode = 2 };

// With an empty word, or no mode chosen, the list stays as it is. Mode 1 drops
// the items that do not contain the word, mode 2 those that do; case ignored.
// Returns how many items were removed.
qsizetype ApplyWordFilter(ItemList &list, const QString &filterWord, int filterMode);

} // namespace corvane
