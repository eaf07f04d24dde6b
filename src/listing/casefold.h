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

#include <vector>

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

// The two orders of the item list, both the same in every locale.
// Alphabetical: by base letters (case and diacritics ignored), then by the
// case-folded text, then by the exact text, so that the order is total and
// deterministic. Natural: the same, but each run of ASCII digits among the
// base letters counts as one number and compares by its value ("Track 2"
// before "Track 10"; a number stands where its first digit would); runs of
// equal value are then told apart by their length, the shorter (fewer
// leading zeros) first, at the first pair that differs ("7" before "07"),
// before the case-folded and the exact text decide. In both, items that are
// paths (parts joined by "/") compare part by part at each level: "/" sorts
// before every other character. Texts without "/" are unaffected by that.
enum class ItemOrder : quint8 { Alphabetical, Natural };

constexpr bool isAsciiDigit(unsigned c) noexcept
{
    return c - '0' < 10u;
}

int itemCompare(QStringView a, QStringView b, ItemOrder order = ItemOrder::Alphabetical) noexcept;
inline bool itemLess(QStringView a, QStringView b, ItemOrder order = ItemOrder::Alphabetical) noexcept
{
    return itemCompare(a, b, order) < 0;
}

// itemLess of one order, for the standard algorithms.
struct ItemLess
{
    ItemOrder order = ItemOrder::Alphabetical;
    bool operator()(QStringView a, QStringView b) const noexcept { return itemCompare(a, b, order) < 0; }
};

// The first two levels of the natural order over ASCII text, unit by unit,
// as far as it can tell: order, the first level's result (or 0); runTie, the
// second level's (or 0). A non-ASCII unit stops the scan where its base
// letters are needed: stopped is then set and atA and atB are where both
// texts stand, after the same base letters and outside any run of digits
// (a combining mark after a digit may carry its run on).
struct NaturalScan
{
    int order = 0;
    int runTie = 0;
    bool stopped = false;
    qsizetype atA = 0, atB = 0;
};
template <typename Char>
constexpr unsigned codeUnit(Char c) noexcept
{
    return static_cast<unsigned>(c) & (sizeof(Char) == 1 ? 0xFFu : 0xFFFFu);
}
template <typename Char>
NaturalScan scanNatural(const Char *a, qsizetype na, const Char *b, qsizetype nb) noexcept
{
    NaturalScan s;
    qsizetype i = 0, j = 0;
    const auto stop = [&] {
        s.stopped = true;
        s.atA = i;
        s.atB = j;
        return s;
    };
    for (;;) {
        if ((i < na && codeUnit(a[i]) >= 0x80) || (j < nb && codeUnit(b[j]) >= 0x80))
            return stop();
        if (i == na || j == nb) {
            s.order = i == na ? (j == nb ? 0 : -1) : 1;
            return s;
        }
        const unsigned ca = codeUnit(a[i]), cb = codeUnit(b[j]);
        if (isAsciiDigit(ca) && isAsciiDigit(cb)) {
            qsizetype endA = i, endB = j;
            while (endA < na && isAsciiDigit(codeUnit(a[endA])))
                ++endA;
            while (endB < nb && isAsciiDigit(codeUnit(b[endB])))
                ++endB;
            if ((endA < na && codeUnit(a[endA]) >= 0x80) || (endB < nb && codeUnit(b[endB]) >= 0x80))
                return stop();
            // By value: without leading zeros the longer number is the larger,
            // then the first digit that differs.
            qsizetype fromA = i, fromB = j;
            while (fromA < endA && codeUnit(a[fromA]) == '0')
                ++fromA;
            while (fromB < endB && codeUnit(b[fromB]) == '0')
                ++fromB;
            if (endA - fromA != endB - fromB) {
                s.order = endA - fromA < endB - fromB ? -1 : 1;
                return s;
            }
            for (qsizetype k = 0; k < endA - fromA; ++k) {
                if (a[fromA + k] != b[fromB + k]) {
                    s.order = codeUnit(a[fromA + k]) < codeUnit(b[fromB + k]) ? -1 : 1;
                    return s;
                }
            }
            if (s.runTie == 0 && endA - i != endB - j)
                s.runTie = endA - i < endB - j ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const unsigned ra = asciiRank(isAsciiDigit(ca) ? '0' : ca), rb = asciiRank(isAsciiDigit(cb) ? '0' : cb);
        if (ra != rb) {
            s.order = ra < rb ? -1 : 1;
            return s;
        }
        ++i;
        ++j;
    }
}

// Sort key of a text: texts with different keys are in item order by key;
// equal keys leave it to itemCompare.
// Alphabetical: a text whose first 16 characters are ASCII (and not NUL)
// has the asciiRank of those characters (lower-cased letters are their own
// base letters) packed big-endian into two words.
// Natural: 16 bytes of the same ranks, each run of digits among them as the
// rank of "0", the count of its digits without leading zeros (at most 255,
// which ends the key) and those digits; for a text that is ASCII (and not
// NUL) as far as the key reaches, and after each run of digits in it.
// False, with no key, for any other text.
struct ItemKey
{
    quint64 hi = 0, lo = 0;
    friend bool operator==(const ItemKey &, const ItemKey &) = default;
    friend bool operator<(const ItemKey &a, const ItemKey &b) { return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo; }
};
template <typename Char>
bool itemKey(const Char *s, qsizetype n, ItemKey &key, ItemOrder order = ItemOrder::Alphabetical) noexcept
{
    quint64 words[2] = {0, 0};
    int at = 0;
    const auto put = [&](unsigned rank) {
        words[at / 8] |= quint64(rank) << (8 * (7 - at % 8));
        ++at;
    };
    if (order == ItemOrder::Alphabetical) {
        n = n < 16 ? n : 16;
        for (qsizetype i = 0; i < n; ++i) {
            const unsigned c = codeUnit(s[i]);
            if (c == 0 || c >= 0x80)
                return false;
            put(asciiRank(c));
        }
    } else {
        for (qsizetype i = 0; i < n && at < 16;) {
            const unsigned c = codeUnit(s[i]);
            if (c == 0 || c >= 0x80)
                return false;
            if (!isAsciiDigit(c)) {
                put(asciiRank(c));
                ++i;
                continue;
            }
            while (i < n && codeUnit(s[i]) == '0')
                ++i;
            const qsizetype first = i;
            while (i < n && isAsciiDigit(codeUnit(s[i])))
                ++i;
            if (i < n && codeUnit(s[i]) >= 0x80)
                return false;
            const qsizetype digits = i - first;
            put(asciiRank('0'));
            if (at < 16)
                put(unsigned(digits < 255 ? digits : 255));
            if (digits >= 255)
                break;
            for (qsizetype k = first; k < i && at < 16; ++k)
                put(codeUnit(s[k]));
        }
    }
    key.hi = words[0];
    key.lo = words[1];
    return true;
}

// Sorts texts into item order. Much faster than std::sort with itemLess on
// large lists of mostly ASCII names; the result is the same.
void sortInItemOrder(QStringList &texts, ItemOrder order = ItemOrder::Alphabetical);
// The same as the rows of texts in item order, texts left as they are: for
// lists that move other columns with them.
std::vector<qsizetype> itemOrderOf(const QStringList &texts, ItemOrder order);

// The item order without the last level: < 0, 0 or > 0 as a is before, the
// same as or after b ignoring case (ties not broken). 0 exactly when
// sameIgnoringCase(a, b), in both orders. Searches in a sorted list must use
// this order.
int compareIgnoringCase(QStringView a, QStringView b, ItemOrder order = ItemOrder::Alphabetical) noexcept;

// True when a and b are equal ignoring case (the duplicate test).
bool sameIgnoringCase(QStringView a, QStringView b) noexcept;

// Hash of the case-folded text; equal for texts that sameIgnoringCase() calls equal.
quint64 foldedHash(QStringView text) noexcept;

// 0-based position of the first occurrence of word in text ignoring case, or -1.
qsizetype indexOfIgnoringCase(QStringView text, QStringView word) noexcept;

} // namespace corvane
