#pragma once
// The word filter: removes items from the item list by one word.

#include <QString>

namespace corvane {

class Items;

// What the word filter does with the word: nothing until a mode is chosen.
enum class WordFilterMode { None, ListOnly, Exclude };

// With an empty word, or no mode chosen, the list stays as it is. ListOnly drops
// the items that do not contain the word, Exclude those that do; case ignored.
// Returns how many items were removed.
qsizetype ApplyWordFilter(Items &items, const QString &filterWord, WordFilterMode filterMode);

} // namespace corvane
