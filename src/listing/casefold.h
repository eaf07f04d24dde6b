#pragma once
// One case rule for the whole program: simple Unicode case folding, the same in
// every locale. Sorting, the duplicate test and the word filter all use it, so
// they can never disagree about which texts are "the same ignoring case".

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

// Order of the item list: case ignored, ties broken by the exact text so that
// the order is total and deterministic.
int itemCompare(QStringView a, QStringView b) noexcept;
inline bool itemLess(QStringView a, QStringView b) noexcept { return itemCompare(a, b) < 0; }

// Sorts texts into item order. Much faster than std::sort with itemLess on
// large lists of mostly ASCII names; the result is the same.
void sortInItemOrder(QStringList &texts);

// -1, 0 or 1 as a is before, the same as or after b ignoring case (ties not broken).
int compareIgnoringCase(QStringView a, QStringView b) noexcept;

// True when a and b are equal ignoring case (the duplicate test).
bool sameIgnoringCase(QStringView a, QStringView b) noexcept;

// Hash of the case-folded text; equal for texts that sameIgnoringCase() calls equal.
quint64 foldedHash(QStringView text) noexcept;

// 0-based position of the first occurrence of word in text ignoring case, or -1.
qsizetype indexOfIgnoringCase(QStringView text, QStringView word) noexcept;

} // namespace corvane
