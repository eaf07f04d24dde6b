#pragma once
// The window's list-like controls: the drive list (Drive1), the folder tree
// (Dir1), the file name box (File1) and the item list view (List1).

#include "listing/folderreader.h"
#include "listing/itemlist.h"
#include "listing/pattern.h"

#include <QComboBox>
#include <QListView>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <optional>

class QStringListModel;

namespace corvane {

class FolderTreeModel;

// Shows the busy cursor while it lives: reading and merging a huge folder
// takes a noticeable moment, and the window answers nothing meanwhile.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// Drive list: tells the window each time it is about to open, so that the
// entries can be read afresh (volumes are mounted and unmounted meanwhile).
class DriveBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToShowPopup();
};

// Folder tree: the folders of the current volume, with one folder as its Path.
// Setting a different Path (from code or by the user opening a folder) emits
// pathChanged at once, before setPath returns; the same Path emits nothing.
class DirTree : public QTreeView
{
    Q_OBJECT
public:
    explicit DirTree(QWidget *parent = nullptr);

    // Called by the change handler while setPath runs it: the change was given
    // up, so the tree goes back to the folder it showed before.
    void refuseChange() { m_refused = true; }
    // Puts the tree back on root and path without running the change handler.
    void restore(const QString &root, const QString &path);
    QString root() const;
    // The volume whose folders the tree shows.
    void setRoot(const QString &root);
    QString path() const { return m_path; }
    void setPath(const QString &path);
    // See FolderTreeModel::setSubfolderSource.
    void setSubfolderSource(std::function<std::optional<QStringList>(const QString &)> source);

signals:
    void pathChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void openIndex(const QModelIndex &index);
    void showPath();

    FolderTreeModel *m_model;
    QString m_path;
    bool m_refused = false;
};

// File name box: the names of the files of Path that match Pattern, sorted
// ignoring case. Setting Path or Pattern, or Refresh, reads the folder again,
// on a worker thread while the window waits (see folderjob.h). Each returns
// false when the user cancelled the read; the box then stays exactly as it was,
// its Path and Pattern included.
class FileBox : public QListView
{
    Q_OBJECT
public:
    explicit FileBox(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    bool setPath(const QString &path);
    QString pattern() const { return m_pattern.text(); }
    bool setPattern(const QString &pattern);
    bool refresh();

    // Everything the box shows and knows, to put back after a cancelled command.
    struct State
    {
        QString path;
        Pattern pattern;
        QStringList names;
        QStringList subfolders;
        QString error;
    };
    State state() const { return {m_path, m_pattern, m_names, m_subfolders, m_error}; }
    void restore(State state);

    const QStringList &names() const { return m_names; }
    // The folders in Path that are not hidden, from the same read.
    const QStringList &subfolders() const { return m_subfolders; }
    qsizetype listCount() const { return m_names.size(); }
    // The system's description of why the last read failed; empty after a good read.
    const QString &lastError() const { return m_error; }
    // What a screen reader is told about the box; after a failed read the
    // reason follows, as the tooltip shows it.
    void setDescription(const QString &description);

private:
    void describe();
    bool read(const QString &path, const Pattern &pattern);
    void showListing(Result<FolderListing> &&read);

    QStringListModel *m_model;
    QString m_path;
    Pattern m_pattern;
    QStringList m_names;
    QStringList m_subfolders;
    QString m_error;
    QString m_description;
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
};

} // namespace corvane
