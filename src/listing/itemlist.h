#pragma once
// The model behind List1: shows an Items value to views and screen readers and
// tells them exactly what changed. No widget code here.

#include "listing/items.h"

#include <QAbstractListModel>

#include <functional>

namespace corvane {

class ItemList : public QAbstractListModel
{
    Q_OBJECT
public:
    // A mark is also given as the item's check state (Qt::Checked or
    // Qt::Unchecked), the form in which views and screen readers read it.
    // FactsRole: the size and time of the item's file as shown beside it
    // ("1234  2026-12-08 13:17"), while facts are shown; empty otherwise.
    enum Roles { MarkedRole = Qt::UserRole + 1, FactsRole };

    explicit ItemList(QObject *parent = nullptr);

    const Items &value() const { return m_value; }
    // Whether each item's facts are shown beside it (and told to screen readers).
    void setShowsFacts(bool shows);
    // Takes a whole new list (what a command made). An unchanged list tells
    // views nothing, a change of marks only is told as such, anything else is
    // one reset.
    void assign(Items next);

    // The list's own vocabulary.
    qsizetype count() const { return m_value.count(); }             // ListCount
    const QString &text(qsizetype i) const { return m_value.text(i); } // List(i)
    const QStringList &texts() const { return m_value.texts(); }
    bool isMarked(qsizetype i) const { return m_value.isMarked(i); } // Selected(i)
    qsizetype markedCount() const { return m_value.markedCount(); } // SelCount
    qsizetype currentRow() const { return m_value.current(); }      // ListIndex, -1 for none

    // Edits made on the shown list, each told to views as it happens.
    void setText(qsizetype i, const QString &text); // List(i) = text, stays in place
    void setMarked(qsizetype i, bool marked);
    void setCurrentRow(qsizetype row);
    qsizetype addItem(const QString &text); // sorted insertion; returns the new index
    void removeItem(qsizetype i);
    void clear();
    void markAll();
    // See Items::additions; returns how many were added.
    qsizetype mergeNames(const QStringList &names, std::span<const FileFacts> facts = {});
    qsizetype removeIf(const std::function<bool(const QString &)> &drop);
    qsizetype removeMarked();

    // QAbstractListModel
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void currentRowChanged(qsizetype row);

private:
    qsizetype removeWhere(const std::vector<char> &drop);
    void replace(Items next); // one reset
    void followCurrent(qsizetype before);

    Items m_value;
    bool m_showsFacts = false;
};

// The facts as the item list shows them beside a name, each column's shown
// form (the size in bytes, the local time "YYYY-MM-DD HH:MM": forms no locale
// changes) two spaces apart; the unknown ones left out.
QString factsText(const FileFacts &facts);
// The same as a screen reader hears them after the name: ", 1234 bytes,
// 2026-12-08 13:17", the units in the user's language; empty when none is known.
QString spokenFacts(const FileFacts &facts);

} // namespace corvane
