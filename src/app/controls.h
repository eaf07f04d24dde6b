#pragma once
// The window's list-like controls: the drive list (Drive1), the folder tree
// (Dir1), the file name box (File1) and the item list view (List1).

#include "app/windowstate.h"
#include "base/result.h"
#include "listing/foldertree.h"
#include "listing/itemlist.h"

#include <QComboBox>
#include <QListView>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QFontMetrics;
class QStringListModel;

namespace corvane {


// text as it is shown in width pixels: whole when it fits, else a path cut in
// its middle (its first folder, "…", and as many of its last parts as fit:
// "adduser/…/skel/.bashrc") so that the file's own name stays in sight, and a
// text without "/" cut at its end.
QString fittedText(const QString &text, const QFontMetrics &metrics, int width);

// Drive list: asks the window, each time it is about to open, to read the
// entries afresh (volumes are mounted and unmounted meanwhile); it opens only
// when they could be read.
class DriveBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void setBeforePopup(std::function<bool()> beforePopup) { m_beforePopup = std::move(beforePopup); }
    void showPopup() override;
    // The entries and the chosen one, without a change event; the same
    // entries stay as they are.
    void show(const QList<Volume> &volumes, const QString &root);
    // The root of the entry shown; empty when there is none.
    QString root() const { return currentData().toString(); }

private:
    QList<Volume> m_volumes;
    std::function<bool()> m_beforePopup;
};

// Folder tree: the folders of one volume, with one folder as its Path. Setting
// a different Path (the user opening a folder, or code on the user's behalf)
// emits pathChanged at once, before setPath returns; the same Path emits
// nothing. Opening is activation only (Enter, a double click, or a single
// click where the desktop opens items so). The window shows its value with
// show(), which emits nothing.
class DirTree : public QTreeView
{
    Q_OBJECT
public:
    explicit DirTree(QWidget *parent = nullptr);

    QString root() const;
    QString path() const { return m_path; }
    void setPath(const QString &path);
    // Shows root (its levels as read) with path chosen, scrolled into view.
    // With no path chosen (a start whose read was cancelled), the folder
    // unread stands current, its path unfolded but nothing read: activating
    // it reads it.
    void show(const QString &root, const QString &path,
              TreeLevels &&levels, const QString &unread = {});
    // Shows path as the chosen folder again, after a refused or cancelled change.
    void putBack(const QString &path);
    FolderTreeModel *folders() const { return m_model; }

signals:
    void pathChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void openIndex(const QModelIndex &index);
    void showPath();

    FolderTreeModel *m_model;
    QString m_path;
    QString m_unread;
};

// File name box: the names of the files of Path that match Pattern, sorted
// ignoring case, as the last good read of the folder gave them.
class FileBox : public QListView
{
    Q_OBJECT
public:
    explicit FileBox(QWidget *parent = nullptr);

    void show(const FolderView &view);
    QString path() const { return m_view.path; }
    QString pattern() const { return m_view.pattern; }
    const QStringList &names() const { return m_view.names; }
    qsizetype listCount() const { return m_view.names.size(); }

protected:
    bool viewportEvent(QEvent *event) override;

private:
    QStringListModel *m_model;
    FolderView m_view;
};

// The item list view: shows an ItemList with its marks; a left click toggles
// the mark of the item under the pointer and makes it current; Space toggles
// the current item. mouseDown reports every button press (1 left, 2 right,
// 4 middle, 0 any other) before the list handles it; only a left press acts on
// the list itself, so a right press changes neither the marks nor the current
// item and is left to the window (its pop-up menu). The view has no context
// menu of its own and passes none to its parents. Screen readers hear each
// item's mark as its "checked" state, and every change of a mark or a text.
class ItemListView : public QListView
{
    Q_OBJECT
public:
    explicit ItemListView(ItemList *items, QWidget *parent = nullptr);

    ItemList *items() const { return m_items; }
    // Where the pointer is on the screen while mouseDown is being emitted;
    // nothing at any other time.
    std::optional<QPoint> pressGlobalPosition() const { return m_pressAt; }
    // A sibling control drawn over part of the list (File1): rows it lies over
    // end at its left edge. roomRight gives the right edge a row's name and
    // facts may reach.
    void setCoveredBy(QWidget *cover);
    int roomRight(const QRect &row) const;

signals:
    void mouseDown(int button);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void followModel(); // puts the view's current index on the model's current row
    // Tells screen readers of changed marks and texts.
    void announceChange(const QModelIndex &first, const QModelIndex &last, const QList<int> &roles);

    ItemList *m_items;
    bool m_modelChanging = false;
    std::optional<QPoint> m_pressAt;
    QWidget *m_cover = nullptr;
};

} // namespace corvane
