#pragma once
// The item list: the texts the user works on, kept in order ignoring case when
// added, with any number of them marked and at most one current. The model
// behind List1; no widget code here.

#include <QAbstractListModel>
#include <QStringList>

#include <functional>
#include <vector>

namespace corvane {

class ItemList : public QAbstractListModel
{
    Q_OBJECT
public:
    // A mark is also given as the item's check state (Qt::Checked or
    // Qt::Unchecked), the form in which views and screen readers read it.
    enum Roles { MarkedRole = Qt::UserRole + 1 };

    explicit ItemList(QObject *parent = nullptr);

    // The list's own vocabulary.
    qsizetype count() const { return m_items.size(); }          // ListCount
    const QString &text(qsizetype i) const { return m_items.at(i); } // List(i)
    void setText(qsizetype i, const QString &text);             // List(i) = text, stays in place
    bool isMarked(qsizetype i) const { return m_marks.at(size_t(i)) != 0; } // Selected(i)
    void setMarked(qsizetype i, bool marked);
    qsizetype markedCount() const { return m_markedCount; }     // SelCount
    qsizetype currentRow() const { return m_current; }          // ListIndex, -1 for none
    void setCurrentRow(qsizetype row);
    const QStringList &texts() const { return m_items; }

    qsizetype addItem(const QString &text); // sorted insertion; returns the new index
    void removeItem(qsizetype i);
    void clear();

    // Adds the names not yet listed (compared ignoring case; the first spelling
    // wins, both among the names and against the list) at their sorted places,
    // in one pass. Marks and the current item of the items already listed stay.
    // Returns how many were added.
    qsizetype mergeNames(const QStringList &names);

    // Removes every item for which drop(text) is true, in one pass; marks and the
    // current item of the items that stay stay with them. Returns how many went.
    qsizetype removeIf(const std::function<bool(const QString &)> &drop);
    qsizetype removeMarked();
    void markAll();

    // The whole list with its marks and current item: a copy to prepare a big
    // change on a worker thread, or to put back after a cancelled command.
    struct State
    {
        QStringList items;
        std::vector<char> marks;
        qsizetype current = -1;
        bool sorted = true;
    };
    State state() const { return {m_items, m_marks, m_current, m_sorted}; }
    State takeState();
    void restore(State state); // one model reset

    // QAbstractListModel
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void currentRowChanged(qsizetype row);

private:
    qsizetype removeWhere(const std::vector<char> &drop);
    // The names not yet listed (ignoring case), first spelling kept.
    QStringList newNamesByHash(const QStringList &names) const;
    QStringList newNamesBySearch(const QStringList &names) const; // needs a sorted list
    QStringList newNamesByWalk(const QStringList &names) const;   // needs both sorted

    QStringList m_items;
    std::vector<char> m_marks;
    qsizetype m_markedCount = 0;
    qsizetype m_current = -1;
    bool m_sorted = true; // false once a rename has put an item out of order
};

} // namespace corvane
