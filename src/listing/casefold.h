#pragma once
// One case rule for the whole program: simple Unicode case folding, the same in
// every locale. Sorting, the duplicate test and the word filter all use it, so
// they can never disagree about which texts are "the same ignoring case".
// Sorting puts the base letters (listing/baseletters.h) first, so accented
// letters stand with their plain ones; texts the same ignoring case have the
// same base letters and so still stand together.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

// A to Z lower-cased, every other value unchanged: the ASCII part of the case
// rule, the same in every locale (unlike tolower()), for the fast paths.
template <typename Char>
constexpr Char asciiLower(Char c) noexcept
{
    return (c >= Char('A') && c <= Char('Z')) ? Char(c + (Char('a') - Char('A'))) : c;
}

// The place of an ASCII character in the item order ignoring case: A to Z as
// a to z, "/" before every other character, the rest by code. Within the
// order "/" only ever stands between the parts of a path, so sorting it first
// compares paths part by part: "a/x.txt" after "a" and before "a.txt".
constexpr unsigned asciiRank(unsigned c) noexcept
{
    return c == '/' ? 0u : c < '/' ? c + 1 : asciiLower(c);
}

// Order of the item list: by base letters (case and diacritics ignored), then
// by the case-folded text, then by the exact text, so that the order is total
// and deterministic and the same in every locale. Items that are paths (parts
// joined by "/") compare part by part at each level: "/" sorts before every
// other character. Texts without "/" are unaffected by that.
int itemCompare(QStringView a, QStringView b) noexcept;
inline bool itemLess(QStringView a, QStringView b) noexcept { return itemCompare(a, b) < 0; }

// Sort key of a text whose first 16 characters are ASCII (and not NUL): the
// asciiRank of those characters (lower-cased letters are their own base
// letters) packed big-endian into two words. Texts with different keys are in
// item order by key; equal keys leave it to itemCompare.
// False, with no key, for any other text.
struct ItemKey
{
    quint64 hi = 0, lo = 0;
    friend bool operator==(const ItemKey &, const ItemKey &) = default;
    friend bool operator<(const ItemKey &a, const ItemKey &b) { return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo; }
};
template <typename Char>
bool itemKey(const Char *s, qsizetype n, ItemKey &key) noexcept
{
    n = n < 16 ? n : 16;
    quint64 words[2] = {0, 0};
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned>(s[i]) & (sizeof(Char) == 1 ? 0xFFu : 0xFFFFu);
        if (c == 0 || c >= 0x80)
            return false;
        words[i / 8] |= quint64(asciiRank(c)) << (8 * (7 - i % 8));
    }
    key.hi = words[0];
    key.lo = words[1];
    return true;
}

// Sorts texts into item order. Much faster than std::sort with itemLess on
// large lists of mostly ASCII names; the result is the same.
void sortInItemOrder(QStringList &texts);

// The item order without the last level: < 0, 0 or > 0 as a is before, the
// same as or after b ignoring case (ties not broken). 0 exactly when
// sameIgnoringCase(a, b). Searches in a sorted list must use this order.
int compareIgnoringCase(QStringView a, QStringView b) noexcept;

// True when a and b are equal ignoring case (the duplicate test).
bool sameIgnoringCase(QStringView a, QStringView b) noexcept;

// Hash of the case-folded text; equal for texts that sameIgnoringCase() calls equal.
quint64 foldedHash(QStringView text) noexcept;

// 0-based position of the first occurrence of word in text ignoring case, or -1.
qsizetype indexOfIgnoringCase(QStringView text, QStringView word) noexcept;

} // namespace corvane
