#include "listing/casefold.h"

#include "listing/baseletters.h"

#include <QChar>

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

// Qt's case-insensitive order (folded code units, then length) of two paths,
// part by part: the same as the whole texts with "/" before every other unit.
int foldedPartsCompare(QStringView a, QStringView b) noexcept
{
    for (;;) {
        const qsizetype endA = a.indexOf(u'/'), endB = b.indexOf(u'/');
        const QStringView partA = endA < 0 ? a : a.first(endA), partB = endB < 0 ? b : b.first(endB);
        if (const int order = partA.compare(partB, Qt::CaseInsensitive))
            return order;
        if (endA < 0 || endB < 0)
            return endA < 0 ? (endB < 0 ? 0 : -1) : 1; // the one with fewer parts first
        a = a.sliced(endA + 1);
        b = b.sliced(endB + 1);
    }
}

// Qt's case-insensitive order (folded code units, then length), with a fast
// path for ASCII: names are mostly ASCII, and this runs millions of times in a
// sort. Anything else is handed to Qt from the first differing character on.
// ForOrder puts the base letters first and compares paths part by part: the
// item order ignoring case; without it only equality counts. Both map each
// character on its own, so the equal prefix is skipped alike; and the ASCII
// letters are their own base letters.
template <bool ForOrder>
int foldedCompare(QStringView a, QStringView b) noexcept
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = pa[i], cb = pb[i];
        if (ca == cb)
            continue;
        if (ca < 0x80 && cb < 0x80) {
            const unsigned ra = asciiRank(ca), rb = asciiRank(cb);
            if (ra != rb)
                return ra < rb ? -1 : 1;
            continue;
        }
        // A low surrogate is folded together with the high one before it.
        const qsizetype from = (i > 0 && QChar::isHighSurrogate(pa[i - 1])) ? i - 1 : i;
        if constexpr (ForOrder) {
            if (const int base = compareBaseLetters(a.sliced(from), b.sliced(from)))
                return base;
            return foldedPartsCompare(a.sliced(from), b.sliced(from));
        }
        return a.sliced(from).compare(b.sliced(from), Qt::CaseInsensitive);
    }
    // One text begins the other ignoring case: the shorter is first in both
    // orders, since what the longer adds is either base letters or marks.
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool isAscii(QStringView s) noexcept
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// The natural order ignoring case: its first two levels, from the ASCII scan
// as far as it goes and the base letters from where it stopped, then Qt's
// case-insensitive order part by part.
int naturalFoldedCompare(QStringView a, QStringView b) noexcept
{
    const NaturalScan scan = scanNatural(a.utf16(), a.size(), b.utf16(), b.size());
    int order = scan.order, runTie = scan.runTie;
    if (scan.stopped) {
        int later = 0;
        order = compareNaturalBase(a.sliced(scan.atA), b.sliced(scan.atB), &later);
        if (runTie == 0)
            runTie = later;
    }
    if (order != 0)
        return order;
    if (runTie != 0)
        return runTie;
    return foldedPartsCompare(a, b);
}

} // namespace

int compareIgnoringCase(QStringView a, QStringView b, ItemOrder order) noexcept
{
    return order == ItemOrder::Natural ? naturalFoldedCompare(a, b) : foldedCompare<true>(a, b);
}

namespace {

// Most comparisons of a sort are then two integer compares.
struct SortKey
{
    ItemKey key;
    qsizetype index = 0;
};

// The other texts are sorted by the key of their base letters.
struct OtherKey
{
    BaseKey key;
    qsizetype index = 0;
};

} // namespace

std::vector<qsizetype> itemOrderOf(const QStringList &texts, ItemOrder order)
{
    std::vector<SortKey> keyed;
    std::vector<OtherKey> others;
    keyed.reserve(size_t(texts.size()));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        SortKey key;
        key.index = i;
        if (itemKey(texts.at(i).utf16(), texts.at(i).size(), key.key, order))
            keyed.push_back(key);
        else
            others.push_back(OtherKey{baseKey(texts.at(i), order), i});
    }
    // Equal keys mean equal folded prefixes; the full comparison decides then,
    // and for equal texts their rows, so that the order is the same every time.
    const ItemLess less{order};
    const auto fully = [&](qsizetype a, qsizetype b) {
        const int c = itemCompare(texts.at(a), texts.at(b), order);
        return c != 0 ? c < 0 : a < b;
    };
    std::sort(keyed.begin(), keyed.end(), [&](const SortKey &a, const SortKey &b) {
        if (!(a.key == b.key))
            return a.key < b.key;
        return fully(a.index, b.index);
    });
    std::sort(others.begin(), others.end(), [&](const OtherKey &a, const OtherKey &b) {
        if (!(a.key == b.key))
            return a.key < b.key;
        return fully(a.index, b.index);
    });

    std::vector<qsizetype> rows;
    rows.reserve(size_t(texts.size()));
    size_t k = 0, o = 0;
    while (k < keyed.size() || o < others.size()) {
        const bool takeKeyed = o == others.size()
            || (k < keyed.size() && !less(texts.at(others[o].index), texts.at(keyed[k].index)));
        rows.push_back(takeKeyed ? keyed[k++].index : others[o++].index);
    }
    return rows;
}

void sortInItemOrder(QStringList &texts, ItemOrder order)
{
    const std::vector<qsizetype> rows = itemOrderOf(texts, order);
    QStringList sorted;
    sorted.reserve(texts.size());
    for (const qsizetype row : rows)
        sorted.append(std::move(texts[row]));
    texts = std::move(sorted);
}

int itemCompare(QStringView a, QStringView b, ItemOrder order) noexcept
{
    const int folded = compareIgnoringCase(a, b, order);
    if (folded != 0)
        return folded;
    return a.compare(b, Qt::CaseSensitive);
}

bool sameIgnoringCase(QStringView a, QStringView b) noexcept
{
    return a.size() == b.size() ? foldedCompare<false>(a, b) == 0 : a.compare(b, Qt::CaseInsensitive) == 0;
}

quint64 foldedHash(QStringView text) noexcept
{
    // FNV-1a over the folded code points. Qt's case-insensitive comparison
    // folds code point by code point with the same table as QChar::toCaseFolded,
    // so texts it calls equal hash equal.
    quint64 h = 14695981039346656037ull;
    const qsizetype n = text.size();
    const QChar *s = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i].unicode();
        if (c < 0x80) {
            c = asciiLower(c);
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(char16_t(c), s[i + 1].unicode());
                ++i;
            }
            c = QChar::toCaseFolded(c);
        }
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

qsizetype indexOfIgnoringCase(QStringView text, QStringView word) noexcept
{
    // Some non-ASCII letters fold to ASCII ones (the Kelvin sign to k), so the
    // quick search is only for texts that are ASCII on both sides.
    if (!isAscii(text) || !isAscii(word))
        return text.indexOf(word, 0, Qt::CaseInsensitive);
    const qsizetype n = text.size(), m = word.size();
    if (m == 0)
        return 0;
    const char16_t *t = text.utf16();
    const char16_t *w = word.utf16();
    const char16_t first = asciiLower(w[0]);
    for (qsizetype i = 0; i + m <= n; ++i) {
        if (asciiLower(t[i]) != first)
            continue;
        qsizetype k = 1;
        while (k < m && asciiLower(t[i + k]) == asciiLower(w[k]))
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

} // namespace corvane
