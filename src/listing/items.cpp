#include "listing/items.h"

#include "listing/casefold.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace corvane {

namespace {

// Open-addressing set of texts compared ignoring case. It stores only the
// folded hash and an index into a text source, so it costs 12 bytes a slot.
class FoldedSet
{
public:
    FoldedSet(qsizetype expected, std::function<const QString &(quint32)> textAt) : m_textAt(std::move(textAt))
    {
        const size_t cap = std::bit_ceil(size_t(std::max<qsizetype>(16, expected * 2)));
        m_slots.assign(cap, Slot{0, kEmpty});
        m_mask = cap - 1;
    }

    // Inserts ref unless a text equal to text ignoring case is already in; true if inserted.
    bool insert(const QString &text, quint32 ref)
    {
        const quint64 h = foldedHash(text);
        for (size_t i = size_t(h) & m_mask;; i = (i + 1) & m_mask) {
            Slot &s = m_slots[i];
            if (s.ref == kEmpty) {
                s = Slot{h, ref};
                return true;
            }
            if (s.hash == h && sameIgnoringCase(m_textAt(s.ref), text))
                return false;
        }
    }

private:
    static constexpr quint32 kEmpty = 0xFFFFFFFFu;
    struct Slot
    {
        quint64 hash;
        quint32 ref;
    };
    std::function<const QString &(quint32)> m_textAt;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

// Names between two looks at the cancel flag.
constexpr qsizetype kCancelStride = 1 << 14;

bool isCancelled(const std::atomic<bool> *cancelled)
{
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

} // namespace

std::vector<qsizetype> Items::markedRows() const
{
    std::vector<qsizetype> rows;
    rows.reserve(size_t(m_markedCount));
    for (qsizetype i = 0; i < m_marks.size() && qsizetype(rows.size()) < m_markedCount; ++i)
        if (m_marks.at(i))
            rows.push_back(i);
    return rows;
}

QList<FileFacts> Items::factsColumn() const
{
    return m_facts.isEmpty() ? QList<FileFacts>(m_texts.size()) : m_facts;
}

void Items::haveFacts()
{
    // Unknown facts for the items listed before the first item with facts.
    if (m_facts.isEmpty())
        m_facts.resize(m_texts.size());
}

qsizetype Items::insertionPoint(const QString &text) const
{
    return qsizetype(std::upper_bound(m_texts.begin(), m_texts.end(), text, ItemLess{m_order}) - m_texts.begin());
}

void Items::insertAt(qsizetype row, const QString &text, FileFacts facts)
{
    const bool withFacts = facts.known() || hasFacts();
    if (withFacts)
        haveFacts();
    m_texts.insert(row, text);
    m_marks.insert(row, 0);
    if (withFacts)
        m_facts.insert(row, facts);
    if (m_current >= row)
        ++m_current;
    if (m_sorted && ((row > 0 && itemLess(text, m_texts.at(row - 1), m_order))
                     || (row + 1 < m_texts.size() && itemLess(m_texts.at(row + 1), text, m_order))))
        m_sorted = false;
}

qsizetype Items::add(const QString &text, FileFacts facts)
{
    const qsizetype row = insertionPoint(text);
    insertAt(row, text, facts);
    return row;
}

void Items::removeAt(qsizetype row)
{
    m_texts.removeAt(row);
    if (m_marks.at(row))
        --m_markedCount;
    m_marks.removeAt(row);
    if (!m_facts.isEmpty())
        m_facts.removeAt(row);
    if (m_texts.isEmpty()) {
        m_sorted = true;
        m_facts.clear();
    }
    if (m_current == row)
        m_current = -1;
    else if (m_current > row)
        --m_current;
}

void Items::setText(qsizetype row, const QString &text)
{
    if (m_sorted && ((row > 0 && itemLess(text, m_texts.at(row - 1), m_order))
                     || (row + 1 < m_texts.size() && itemLess(m_texts.at(row + 1), text, m_order))))
        m_sorted = false;
    m_texts[row] = text;
}

bool Items::setMarked(qsizetype row, bool marked)
{
    if ((m_marks.at(row) != 0) == marked)
        return false;
    m_marks[row] = marked ? 1 : 0;
    m_markedCount += marked ? 1 : -1;
    return true;
}

void Items::markAll()
{
    if (m_markedCount == m_marks.size())
        return;
    m_marks.fill(1);
    m_markedCount = m_marks.size();
}

void Items::setCurrent(qsizetype row)
{
    m_current = row >= 0 && row < m_texts.size() ? row : -1;
}

void Items::clear()
{
    *this = Items(m_order);
}

void Items::sortInto(ItemOrder order)
{
    m_order = order;
    const std::vector<qsizetype> rows = itemOrderOf(m_texts, order);
    m_sorted = true;
    if (std::is_sorted(rows.begin(), rows.end()))
        return;
    QStringList texts;
    texts.reserve(m_texts.size());
    QList<char> marks;
    marks.reserve(m_texts.size());
    QList<FileFacts> facts;
    facts.reserve(m_facts.size());
    qsizetype current = -1;
    for (const qsizetype row : rows) {
        if (row == m_current)
            current = texts.size();
        texts.append(m_texts.at(row));
        marks.append(m_marks.at(row));
        if (!m_facts.isEmpty())
            facts.append(m_facts.at(row));
    }
    m_texts = std::move(texts);
    m_marks = std::move(marks);
    m_facts = std::move(facts);
    m_current = current;
}

QStringList Items::newNamesByHash(const QStringList &names, const std::atomic<bool> *cancelled) const
{
    const qsizetype n = m_texts.size();
    QStringList added;
    FoldedSet seen(n + names.size(), [&](quint32 ref) -> const QString & {
        return ref < quint32(n) ? m_texts.at(ref) : added.at(ref - quint32(n));
    });
    for (qsizetype i = 0; i < n; ++i) {
        if (i % kCancelStride == 0 && isCancelled(cancelled))
            return {};
        seen.insert(m_texts.at(i), quint32(i));
    }
    for (qsizetype j = 0; j < names.size(); ++j) {
        if (j % kCancelStride == 0 && isCancelled(cancelled))
            return {};
        if (seen.insert(names.at(j), quint32(n + added.size())))
            added.append(names.at(j));
    }
    return added;
}

QStringList Items::newNamesBySearch(const QStringList &names) const
{
    // The first spelling of each name ignoring case, in the order given.
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return compareIgnoringCase(names.at(a), names.at(b), m_order) < 0;
    });
    QStringList added;
    for (size_t k = 0; k < order.size(); ++k) {
        const QString &name = names.at(order[k]);
        if (k > 0 && sameIgnoringCase(names.at(order[k - 1]), name))
            continue;
        // In a sorted list the items equal to name ignoring case stand together,
        // where the item order without its tie-break puts them.
        const auto it = std::lower_bound(m_texts.begin(), m_texts.end(), name,
                                         [this](const QString &item, const QString &key) {
                                             return compareIgnoringCase(item, key, m_order) < 0;
                                         });
        if (it == m_texts.end() || !sameIgnoringCase(*it, name))
            added.append(name);
    }
    return added;
}

QStringList Items::newNamesByWalk(const QStringList &names) const
{
    // Both sides in item order: one walk along each, like a merge, compared by
    // that order without its tie-break. Names equal ignoring case stand
    // together, the first of them first. While every name is new the names
    // themselves are the answer, shared, not copied.
    QStringList added;
    bool all = true;
    qsizetype i = 0;
    const qsizetype n = m_texts.size();
    for (qsizetype j = 0; j < names.size(); ++j) {
        const QString &name = names.at(j);
        const bool twin = (j > 0 && sameIgnoringCase(names.at(j - 1), name));
        if (!twin) {
            while (i < n && compareIgnoringCase(m_texts.at(i), name, m_order) < 0)
                ++i;
        }
        if (twin || (i < n && compareIgnoringCase(m_texts.at(i), name, m_order) == 0)) {
            if (all) {
                added = names.first(j);
                all = false;
            }
            continue;
        }
        if (!all)
            added.append(name);
    }
    return all ? names : added;
}

Items::Additions Items::additions(const QStringList &names, std::span<const FileFacts> facts,
                                  const std::atomic<bool> *cancelled) const
{
    Additions result;
    const qsizetype n = m_texts.size();
    // A folder's names come in item order already; then a few names against a
    // long list take a binary search each, and otherwise one walk along both
    // does. Names in any other order are matched through one hash pass.
    const ItemLess less{m_order};
    const bool namesSorted = std::is_sorted(names.begin(), names.end(), less);
    if (m_sorted && n > 0 && names.size() * 24 < n)
        result.names = newNamesBySearch(names);
    else if (m_sorted && namesSorted)
        result.names = newNamesByWalk(names);
    else
        result.names = newNamesByHash(names, cancelled);
    if (isCancelled(cancelled))
        return {};
    // Search and walk keep item order; the hash pass keeps the order given.
    if (!namesSorted && !std::is_sorted(result.names.begin(), result.names.end(), less))
        sortInItemOrder(result.names, m_order);
    if (facts.empty() || result.names.isEmpty())
        return result;

    // Each addition's facts: the names are a subsequence of the given ones when
    // those were sorted; otherwise each is found again (exact text, first spelling).
    result.facts.reserve(result.names.size());
    if (namesSorted) {
        qsizetype j = 0;
        for (const QString &name : std::as_const(result.names)) {
            while (names.at(j) != name)
                ++j;
            result.facts.append(facts[size_t(j)]);
        }
    } else {
        std::vector<qsizetype> order(size_t(names.size()));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return names.at(a) < names.at(b); });
        for (const QString &name : std::as_const(result.names)) {
            const auto it = std::lower_bound(order.begin(), order.end(), name,
                                             [&](qsizetype a, const QString &key) { return names.at(a) < key; });
            result.facts.append(facts[size_t(*it)]);
        }
    }
    return result;
}

void Items::insertAll(const Additions &additions)
{
    if (additions.names.isEmpty())
        return;
    const bool withFacts = !additions.facts.isEmpty();
    if (!m_sorted) {
        // An item renamed out of order leaves no single sorted sequence to merge
        // with; each name then goes where sorted insertion puts it.
        for (qsizetype k = 0; k < additions.size(); ++k)
            add(additions.names.at(k), withFacts ? additions.facts.at(k) : FileFacts{});
        return;
    }
    if (m_texts.isEmpty()) {
        // Into an empty list the additions go whole, their texts shared.
        m_texts = additions.names;
        m_marks = QList<char>(m_texts.size(), 0);
        m_facts = additions.facts;
        m_markedCount = 0;
        m_current = -1;
        return;
    }
    const bool keepFacts = withFacts || hasFacts();
    if (keepFacts)
        haveFacts();
    // Each new name goes after the items that sort before or with it, as sorted
    // insertion would place it; the runs of items between are copied whole.
    const qsizetype n = m_texts.size();
    const qsizetype total = n + additions.size();
    QStringList texts;
    texts.reserve(total);
    QList<char> marks;
    marks.reserve(total);
    QList<FileFacts> facts;
    if (keepFacts)
        facts.reserve(total);
    qsizetype newCurrent = -1;
    qsizetype from = 0;
    auto copyUpTo = [&](qsizetype end) {
        if (m_current >= from && m_current < end)
            newCurrent = texts.size() + (m_current - from);
        texts.append(m_texts.sliced(from, end - from));
        marks.append(m_marks.sliced(from, end - from));
        if (keepFacts)
            facts.append(m_facts.sliced(from, end - from));
        from = end;
    };
    for (qsizetype k = 0; k < additions.size(); ++k) {
        const QString &name = additions.names.at(k);
        const auto at = qsizetype(std::upper_bound(m_texts.cbegin() + from, m_texts.cend(), name, ItemLess{m_order})
                                  - m_texts.cbegin());
        copyUpTo(at);
        texts.append(name);
        marks.append(0);
        if (keepFacts)
            facts.append(withFacts ? additions.facts.at(k) : FileFacts{});
    }
    copyUpTo(n);
    m_texts = std::move(texts);
    m_marks = std::move(marks);
    m_facts = std::move(facts);
    m_current = newCurrent;
}

std::vector<char> Items::flagsWhere(const std::function<bool(const QString &)> &test) const
{
    std::vector<char> flags(size_t(m_texts.size()), 0);
    for (qsizetype i = 0; i < m_texts.size(); ++i)
        flags[size_t(i)] = test(m_texts.at(i)) ? 1 : 0;
    return flags;
}

qsizetype Items::removeWhere(const std::vector<char> &drop)
{
    const auto dropped = qsizetype(std::count(drop.begin(), drop.end(), 1));
    if (dropped == 0)
        return 0;
    QStringList texts;
    texts.reserve(m_texts.size() - dropped);
    QList<char> marks;
    marks.reserve(m_texts.size() - dropped);
    QList<FileFacts> facts;
    if (!m_facts.isEmpty())
        facts.reserve(m_texts.size() - dropped);
    qsizetype newCurrent = -1;
    m_markedCount = 0;
    for (qsizetype i = 0; i < m_texts.size(); ++i) {
        if (drop[size_t(i)])
            continue;
        if (i == m_current)
            newCurrent = texts.size();
        texts.append(m_texts.at(i));
        marks.append(m_marks.at(i));
        m_markedCount += m_marks.at(i);
        if (!m_facts.isEmpty())
            facts.append(m_facts.at(i));
    }
    m_texts = std::move(texts);
    m_marks = std::move(marks);
    m_facts = std::move(facts);
    if (m_texts.isEmpty()) {
        m_sorted = true;
        m_facts.clear();
    }
    m_current = newCurrent;
    return dropped;
}

qsizetype mergeNames(Items &items, const QStringList &names, std::span<const FileFacts> facts)
{
    const Items::Additions added = items.additions(names, facts);
    items.insertAll(added);
    return added.size();
}

} // namespace corvane
