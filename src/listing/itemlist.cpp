#include "listing/itemlist.h"

#include "listing/release.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace corvane {

namespace {

// Up to this many single-row changes are reported row by row (the view keeps
// its scroll position and current item); larger changes are one model reset.
constexpr qsizetype kRowByRowLimit = 32;

// The roles a change of mark touches.
const QList<int> kMarkRoles = {ItemList::MarkedRole, Qt::CheckStateRole};

} // namespace

ItemList::ItemList(QObject *parent) : QAbstractListModel(parent) {}

QString factsText(const FileFacts &facts)
{
    // Local time for the zone TZ names now, as the documents take it.
    ::tzset();
    QString text;
    for (const FactColumn &column : factColumns()) {
        const QString shown = shownFact(column, facts);
        if (shown.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QStringLiteral("  ");
        text += shown;
    }
    return text;
}

QString spokenFacts(const FileFacts &facts)
{
    ::tzset();
    QString spoken;
    for (const FactColumn &column : factColumns()) {
        const QString shown = shownFact(column, facts);
        if (shown.isEmpty())
            continue;
        spoken += QStringLiteral(", ") + shown;
        if (column.kind == FactKind::Count)
            spoken += QCoreApplication::translate(kFactColumnContext, column.unit(facts));
    }
    return spoken;
}

void ItemList::setShowsFacts(bool shows)
{
    if (shows == m_showsFacts)
        return;
    m_showsFacts = shows;
    if (!m_value.isEmpty())
        emit dataChanged(index(0), index(int(m_value.count() - 1)), {FactsRole, Qt::AccessibleTextRole});
}

void ItemList::followCurrent(qsizetype before)
{
    if (m_value.current() != before)
        emit currentRowChanged(m_value.current());
}

void ItemList::replace(Items next)
{
    beginResetModel();
    std::swap(m_value, next);
    endResetModel();
    // The old list may be the last copy of a huge folder's names.
    QStringList old = next.texts();
    next = Items();
    releaseInBackground(std::move(old));
    emit currentRowChanged(m_value.current());
}

void ItemList::assign(Items next)
{
    const qsizetype before = m_value.current();
    const QStringList &was = m_value.texts(), &now = next.texts();
    const bool sameTexts = now.isSharedWith(was) || now == was;
    if (!sameTexts) {
        // A few rows more or a few rows fewer, the others as they were (a
        // refresh that found a new file): told row by row, so views keep their
        // place. Anything else is one reset.
        const qsizetype more = now.size() - was.size();
        if (more == 0 || std::abs(more) > kRowByRowLimit) {
            replace(std::move(next));
            return;
        }
        const QStringList &longer = more > 0 ? now : was, &shorter = more > 0 ? was : now;
        std::vector<qsizetype> rows; // of longer, not in shorter
        qsizetype i = 0;
        for (qsizetype j = 0; j < longer.size(); ++j) {
            if (i < shorter.size() && (shorter.at(i).isSharedWith(longer.at(j)) || shorter.at(i) == longer.at(j)))
                ++i;
            else if (qsizetype(rows.size()) < std::abs(more))
                rows.push_back(j);
            else
                break;
        }
        if (i != shorter.size() || qsizetype(rows.size()) != std::abs(more)) {
            replace(std::move(next));
            return;
        }
        if (more > 0) {
            for (const qsizetype row : rows) {
                beginInsertRows({}, int(row), int(row));
                m_value.insertAt(row, now.at(row), next.facts(row));
                endInsertRows();
            }
        } else {
            for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
                beginRemoveRows({}, int(*row), int(*row));
                m_value.removeAt(*row);
                endRemoveRows();
            }
        }
    }
    // The same texts now: tell the marks and facts that changed, then the current item.
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < next.count(); ++i) {
        if (next.isMarked(i) != m_value.isMarked(i) || next.facts(i) != m_value.facts(i)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    m_value = std::move(next);
    if (first >= 0)
        emit dataChanged(index(int(first)), index(int(last)), kMarkRoles);
    followCurrent(before);
}

void ItemList::setText(qsizetype i, const QString &text)
{
    m_value.setText(i, text);
    const QModelIndex idx = index(int(i));
    emit dataChanged(idx, idx, {Qt::DisplayRole});
}

void ItemList::setMarked(qsizetype i, bool marked)
{
    if (!m_value.setMarked(i, marked))
        return;
    const QModelIndex idx = index(int(i));
    emit dataChanged(idx, idx, kMarkRoles);
}

void ItemList::setCurrentRow(qsizetype row)
{
    const qsizetype before = m_value.current();
    m_value.setCurrent(row);
    followCurrent(before);
}

qsizetype ItemList::addItem(const QString &text)
{
    const qsizetype before = m_value.current();
    const qsizetype pos = m_value.insertionPoint(text);
    beginInsertRows({}, int(pos), int(pos));
    m_value.insertAt(pos, text);
    endInsertRows();
    followCurrent(before);
    return pos;
}

void ItemList::removeItem(qsizetype i)
{
    const qsizetype before = m_value.current();
    beginRemoveRows({}, int(i), int(i));
    m_value.removeAt(i);
    endRemoveRows();
    followCurrent(before);
}

void ItemList::clear()
{
    replace(Items(m_value.order()));
}

void ItemList::markAll()
{
    if (m_value.isEmpty() || m_value.markedCount() == m_value.count())
        return;
    m_value.markAll();
    emit dataChanged(index(0), index(int(m_value.count() - 1)), kMarkRoles);
}

qsizetype ItemList::mergeNames(const QStringList &names, std::span<const FileFacts> facts)
{
    const Items::Additions added = m_value.additions(names, facts);
    if (added.size() == 0)
        return 0;
    if (!m_value.isSorted() || added.size() <= kRowByRowLimit) {
        const qsizetype before = m_value.current();
        for (qsizetype k = 0; k < added.size(); ++k) {
            const qsizetype pos = m_value.insertionPoint(added.names.at(k));
            beginInsertRows({}, int(pos), int(pos));
            m_value.insertAt(pos, added.names.at(k), added.facts.isEmpty() ? FileFacts{} : added.facts.at(k));
            endInsertRows();
        }
        followCurrent(before);
        return added.size();
    }
    Items next = m_value;
    next.insertAll(added);
    replace(std::move(next));
    return added.size();
}

qsizetype ItemList::removeWhere(const std::vector<char> &drop)
{
    const auto dropped = qsizetype(std::count(drop.begin(), drop.end(), 1));
    if (dropped == 0)
        return 0;
    if (dropped > kRowByRowLimit) {
        Items next = m_value;
        next.removeWhere(drop);
        replace(std::move(next));
        return dropped;
    }
    const qsizetype before = m_value.current();
    for (qsizetype i = m_value.count() - 1; i >= 0; --i) {
        if (!drop[size_t(i)])
            continue;
        beginRemoveRows({}, int(i), int(i));
        m_value.removeAt(i);
        endRemoveRows();
    }
    followCurrent(before);
    return dropped;
}

qsizetype ItemList::removeIf(const std::function<bool(const QString &)> &drop)
{
    return removeWhere(m_value.flagsWhere(drop));
}

qsizetype ItemList::removeMarked()
{
    std::vector<char> drop(size_t(m_value.count()), 0);
    for (qsizetype i = 0; i < m_value.count(); ++i)
        drop[size_t(i)] = m_value.isMarked(i) ? 1 : 0;
    return removeWhere(drop);
}

int ItemList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_value.count());
}

QVariant ItemList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_value.count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_value.text(index.row());
    case MarkedRole:
        return m_value.isMarked(index.row());
    case FactsRole:
        return m_showsFacts ? factsText(m_value.facts(index.row())) : QString();
    case Qt::AccessibleTextRole:
        // A screen reader hears the facts the eye sees beside the name.
        return m_showsFacts ? m_value.text(index.row()) + spokenFacts(m_value.facts(index.row()))
                            : m_value.text(index.row());
    case Qt::CheckStateRole:
        return m_value.isMarked(index.row()) ? Qt::Checked : Qt::Unchecked;
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
