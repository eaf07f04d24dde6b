#pragma once
// The item list as a value: the texts the user works on, each item a record of
// its text, its mark and the facts of the file it was listed from; at most one
// item is current. Items are kept in their order (casefold.h: alphabetical or
// natural, case ignored) as they are added; a rename leaves an item where it
// is. Every edit moves all parts of an item together, so they can never drift
// apart.
//
// The parts are implicitly shared, so a copy costs nothing until one side is
// changed: a command works on a copy of the list and the window takes it whole
// when the command ends (or drops it when it is cancelled), and a big merge is
// prepared on a worker thread on a copy of its own.

#include "listing/casefold.h"
#include "listing/facts.h"

#include <QList>
#include <QStringList>

#include <atomic>
#include <functional>
#include <span>
#include <vector>

namespace corvane {

class Items
{
public:
    explicit Items(ItemOrder order = ItemOrder::Alphabetical) : m_order(order) {}

    qsizetype count() const { return m_texts.size(); }
    bool isEmpty() const { return m_texts.isEmpty(); }
    const QString &text(qsizetype i) const { return m_texts.at(i); }
    const QStringList &texts() const { return m_texts; }
    bool isMarked(qsizetype i) const { return m_marks.at(i) != 0; }
    qsizetype markedCount() const { return m_markedCount; }
    // The rows of the marked items, ascending.
    std::vector<qsizetype> markedRows() const;
    // Unknown (FileFacts{}) for an item listed or added without facts; a
    // renamed item keeps the facts of the file it was listed from.
    FileFacts facts(qsizetype i) const { return m_facts.isEmpty() ? FileFacts{} : m_facts.at(i); }
    // True once an item with facts came in; the facts column then has one entry per item.
    bool hasFacts() const { return !m_facts.isEmpty(); }
    // One entry per item: every item's facts, unknown where none were read.
    QList<FileFacts> factsColumn() const;
    qsizetype current() const { return m_current; } // -1 for none
    // False once a rename has put an item out of order.
    bool isSorted() const { return m_sorted; }
    // The order that insertion, merges and sorting follow.
    ItemOrder order() const { return m_order; }
    // Sorts the whole list into order from now on (items renamed out of
    // place among them); marks, facts and the current item stay with their
    // items.
    void sortInto(ItemOrder order);

    // Where sorted insertion puts text: after the items that sort before or with it.
    qsizetype insertionPoint(const QString &text) const;
    // Inserts at row (the current item keeps its item); add() at the sorted place.
    void insertAt(qsizetype row, const QString &text, FileFacts facts = {});
    qsizetype add(const QString &text, FileFacts facts = {});
    void removeAt(qsizetype row);
    // The text of the item at row, in place; a renamed item keeps its mark and facts.
    void setText(qsizetype row, const QString &text);
    // True when the mark changed.
    bool setMarked(qsizetype row, bool marked);
    void markAll();
    // row outside the list: no current item.
    void setCurrent(qsizetype row);
    // Empties the list; its order stays.
    void clear();

    // The names not listed yet, compared ignoring case (the first spelling wins,
    // among the names and against the list), with their facts (facts: one per
    // name, or empty), in item order. Stops early, with nothing, once cancelled
    // is set.
    struct Additions
    {
        QStringList names;
        QList<FileFacts> facts; // empty, or one per name
        qsizetype size() const { return names.size(); }
    };
    Additions additions(const QStringList &names, std::span<const FileFacts> facts = {},
                        const std::atomic<bool> *cancelled = nullptr) const;
    // Puts each addition at its sorted place, in one pass; marks and the current
    // item of the items already listed stay with them.
    void insertAll(const Additions &additions);

    // Removes every item whose flag is set (one flag per item), in one pass;
    // marks, facts and the current item of the items that stay stay with them.
    // Returns how many went.
    qsizetype removeWhere(const std::vector<char> &drop);
    std::vector<char> flagsWhere(const std::function<bool(const QString &)> &test) const;

    friend bool operator==(const Items &, const Items &) = default;

private:
    QStringList newNamesByHash(const QStringList &names, const std::atomic<bool> *cancelled) const;
    QStringList newNamesBySearch(const QStringList &names) const; // needs a sorted list
    QStringList newNamesByWalk(const QStringList &names) const;   // needs both sorted
    void haveFacts();

    QStringList m_texts;
    QList<char> m_marks;
    QList<FileFacts> m_facts; // empty until an item with facts comes in, then one per item
                              // (an empty list with facts keeps none: it holds no item)
    qsizetype m_markedCount = 0;
    qsizetype m_current = -1;
    bool m_sorted = true;
    ItemOrder m_order = ItemOrder::Alphabetical;
};

// Merges names (and their facts) into items; the number of items added.
qsizetype mergeNames(Items &items, const QStringList &names, std::span<const FileFacts> facts = {});

} // namespace corvane
