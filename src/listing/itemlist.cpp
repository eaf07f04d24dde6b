#include "listing/itemlist.h"

#include "listing/casefold.h"
#include "listing/release.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace corvane {

namespace {

// Up to this many single-row changes are reported row by row (the view keeps
// its scroll position and current item); larger changes are one model reset.
constexpr qsizetype kRowByRowLimit = 32;

// The roles a change of mark touches.
const QList<int> kMarkRoles = {ItemList::MarkedRole, Qt::CheckStateRole};

// Open-addressing set of texts compared ignoring case. It stores only the
// folded hash and an index into a text source, so it costs 12 bytes a slot.
class FoldedSet
{
public:
    FoldedSet(qsizetype expected, std::function<const QString &(quint32)> textAt)
        : m_textAt(std::move(textAt))
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

bool lessItem(const QString &a, const QString &b)
{
    return itemLess(a, b);
}

} // namespace

ItemList::ItemList(QObject *parent) : QAbstractListModel(parent) {}

void ItemList::setText(qsizetype i, const QString &text)
{
    if (m_sorted && ((i > 0 && itemLess(text, m_items.at(i - 1)))
                     || (i + 1 < m_items.size() && itemLess(m_items.at(i + 1), text))))
        m_sorted = false;
    m_items[i] = text;
    const QModelIndex idx = index(int(i));
    emit dataChanged(idx, idx, {Qt::DisplayRole});
}

void ItemList::setMarked(qsizetype i, bool marked)
{
    char &m = m_marks.at(size_t(i));
    if ((m != 0) == marked)
        return;
    m = marked ? 1 : 0;
    m_markedCount += marked ? 1 : -1;
    const QModelIndex idx = index(int(i));
    emit dataChanged(idx, idx, kMarkRoles);
}

void ItemList::setCurrentRow(qsizetype row)
{
    if (row < -1 || row >= m_items.size())
        row = -1;
    if (row == m_current)
        return;
    m_current = row;
    emit currentRowChanged(row);
}

qsizetype ItemList::addItem(const QString &text)
{
    const auto pos = qsizetype(std::upper_bound(m_items.begin(), m_items.end(), text, lessItem)
                               - m_items.begin());
    beginInsertRows({}, int(pos), int(pos));
    m_items.insert(pos, text);
    m_marks.insert(m_marks.begin() + pos, 0);
    endInsertRows();
    if (m_current >= pos)
        setCurrentRow(m_current + 1);
    return pos;
}

void ItemList::removeItem(qsizetype i)
{
    beginRemoveRows({}, int(i), int(i));
    m_items.removeAt(i);
    if (m_marks[size_t(i)])
        --m_markedCount;
    m_marks.erase(m_marks.begin() + i);
    if (m_items.isEmpty())
        m_sorted = true;
    endRemoveRows();
    if (m_current == i)
        setCurrentRow(-1);
    else if (m_current > i)
        setCurrentRow(m_current - 1);
}

void ItemList::clear()
{
    beginResetModel();
    releaseInBackground(std::exchange(m_items, QStringList()));
    m_marks.clear();
    m_marks.shrink_to_fit();
    m_markedCount = 0;
    m_sorted = true;
    endResetModel();
    setCurrentRow(-1);
}

QStringList ItemList::newNamesByHash(const QStringList &names) const
{
    const qsizetype n = m_items.size();
    QStringList added;
    FoldedSet seen(n + names.size(), [&](quint32 ref) -> const QString & {
        return ref < quint32(n) ? m_items.at(ref) : added.at(ref - quint32(n));
    });
    for (qsizetype i = 0; i < n; ++i)
        seen.insert(m_items.at(i), quint32(i));
    for (const QString &name : names)
        if (seen.insert(name, quint32(n + added.size())))
            added.append(name);
    return added;
}

QStringList ItemList::newNamesBySearch(const QStringList &names) const
{
    // The first spelling of each name ignoring case, in the order given.
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return compareIgnoringCase(names.at(a), names.at(b)) < 0;
    });
    QStringList added;
    for (size_t k = 0; k < order.size(); ++k) {
        const QString &name = names.at(order[k]);
        if (k > 0 && sameIgnoringCase(names.at(order[k - 1]), name))
            continue;
        // In a sorted list the items equal to name ignoring case stand together,
        // where the item order without its tie-break puts them.
        const auto it = std::lower_bound(m_items.begin(), m_items.end(), name,
                                         [](const QString &item, const QString &key) {
                                             return compareIgnoringCase(item, key) < 0;
                                         });
        if (it == m_items.end() || !sameIgnoringCase(*it, name))
            added.append(name);
    }
    return added;
}

QStringList ItemList::newNamesByWalk(const QStringList &names) const
{
    // Both sides in item order: one walk along each, like a merge, compared by
    // that order without its tie-break. Names equal ignoring case stand
    // together, the first of them first.
    QStringList added;
    qsizetype i = 0;
    const qsizetype n = m_items.size();
    for (qsizetype j = 0; j < names.size(); ++j) {
        const QString &name = names.at(j);
        if (j > 0 && sameIgnoringCase(names.at(j - 1), name))
            continue;
        while (i < n && compareIgnoringCase(m_items.at(i), name) < 0)
            ++i;
        if (i < n && compareIgnoringCase(m_items.at(i), name) == 0)
            continue;
        added.append(name);
    }
    return added;
}

qsizetype ItemList::mergeNames(const QStringList &names)
{
    const qsizetype n = m_items.size();
    // A folder's names come in item order already; then a few names against a
    // long list take a binary search each, and otherwise one walk along both
    // does. Names in any other order are matched through one hash pass.
    const bool namesSorted = std::is_sorted(names.begin(), names.end(), lessItem);
    QStringList added;
    if (m_sorted && n > 0 && names.size() * 24 < n)
        added = newNamesBySearch(names);
    else if (m_sorted && namesSorted)
        added = newNamesByWalk(names);
    else
        added = newNamesByHash(names);
    if (added.isEmpty())
        return 0;
    // Search and walk keep item order; the hash pass keeps the order given.
    if (!namesSorted && !std::is_sorted(added.begin(), added.end(), lessItem))
        sortInItemOrder(added);

    if (!m_sorted || added.size() <= kRowByRowLimit) {
        // An item renamed out of order leaves no single sorted sequence to merge
        // with; each name then goes where sorted insertion puts it.
        for (const QString &name : std::as_const(added))
            addItem(name);
        return added.size();
    }

    // Each new name goes after the items that sort before or with it, as sorted
    // insertion would place it; the runs of items between are copied whole.
    QStringList items;
    items.reserve(n + added.size());
    std::vector<char> marks;
    marks.reserve(size_t(n + added.size()));
    qsizetype newCurrent = -1;
    qsizetype from = 0;
    auto copyItemsUpTo = [&](qsizetype end) {
        if (m_current >= from && m_current < end)
            newCurrent = items.size() + (m_current - from);
        items.append(m_items.sliced(from, end - from));
        marks.insert(marks.end(), m_marks.begin() + from, m_marks.begin() + end);
        from = end;
    };
    for (const QString &name : std::as_const(added)) {
        const auto at = qsizetype(std::upper_bound(m_items.cbegin() + from, m_items.cend(), name, lessItem)
                                  - m_items.cbegin());
        copyItemsUpTo(at);
        items.append(name);
        marks.push_back(0);
    }
    copyItemsUpTo(n);
    beginResetModel();
    m_items = std::move(items);
    m_marks = std::move(marks);
    endResetModel();
    m_current = -1;
    setCurrentRow(newCurrent);
    return added.size();
}

qsizetype ItemList::removeWhere(const std::vector<char> &drop)
{
    const auto dropped = qsizetype(std::count(drop.begin(), drop.end(), 1));
    if (dropped == 0)
        return 0;
    if (dropped <= kRowByRowLimit) {
        for (qsizetype i = m_items.size() - 1; i >= 0; --i)
            if (drop[size_t(i)])
                removeItem(i);
        return dropped;
    }
    qsizetype newCurrent = -1;
    qsizetype out = 0;
    m_markedCount = 0;
    beginResetModel();
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (drop[size_t(i)])
            continue;
        if (i == m_current)
            newCurrent = out;
        if (out != i) {
            m_items[out] = std::move(m_items[i]);
            m_marks[size_t(out)] = m_marks[size_t(i)];
        }
        m_markedCount += m_marks[size_t(out)];
        ++out;
    }
    m_items.resize(out);
    m_marks.resize(size_t(out));
    if (out == 0)
        m_sorted = true;
    endResetModel();
    m_current = -1;
    setCurrentRow(newCurrent);
    return dropped;
}

qsizetype ItemList::removeIf(const std::function<bool(const QString &)> &drop)
{
    std::vector<char> flags(size_t(m_items.size()), 0);
    for (qsizetype i = 0; i < m_items.size(); ++i)
        flags[size_t(i)] = drop(m_items.at(i)) ? 1 : 0;
    return removeWhere(flags);
}

qsizetype ItemList::removeMarked()
{
    return removeWhere(m_marks);
}

void ItemList::markAll()
{
    if (m_items.isEmpty())
        return;
    std::fill(m_marks.begin(), m_marks.end(), 1);
    m_markedCount = m_items.size();
    emit dataChanged(index(0), index(int(m_items.size() - 1)), kMarkRoles);
}

ItemList::State ItemList::takeState()
{
    beginResetModel();
    State taken{std::exchange(m_items, QStringList()), std::exchange(m_marks, {}), m_current, m_sorted};
    m_markedCount = 0;
    m_sorted = true;
    endResetModel();
    setCurrentRow(-1);
    return taken;
}

void ItemList::restore(State state)
{
    beginResetModel();
    releaseInBackground(std::exchange(m_items, std::move(state.items)));
    m_marks = std::move(state.marks);
    m_marks.resize(size_t(m_items.size()), 0);
    m_markedCount = qsizetype(std::count(m_marks.begin(), m_marks.end(), 1));
    m_sorted = state.sorted || m_items.isEmpty();
    endResetModel();
    m_current = -1;
    setCurrentRow(state.current);
}

int ItemList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ItemList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_items.at(index.row());
    case MarkedRole:
        return m_marks[size_t(index.row())] != 0;
    case Qt::CheckStateRole:
        return m_marks[size_t(index.row())] != 0 ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags ItemList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Checkable: a screen reader then says "checked" or "not checked" for every
    // item. Marks change only through setMarked and markAll, never setData.
    return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

} // namespace corvane
