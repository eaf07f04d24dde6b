#pragma once
// The model behind the folder tree: the folders of one volume. It never reads
// the disk itself: the window reads a level on a worker thread and hands it
// over. A branch opened before its level is known shows one placeholder row
// and asks for its level (subfoldersWanted). Only folders are kept, so a folder
// holding a million files costs nothing here.

#include <QAbstractItemModel>

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace corvane {

class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT
    struct Node;

public:
    // A folder's level as read, made ready to show off the window's thread:
    // a level of a hundred thousand folders costs the window only their
    // hand-over.
    class Level
    {
    public:
        Level();
        Level(const QString &path, const QStringList &subfolders, const QString &error);
        Level(Level &&) noexcept;
        Level &operator=(Level &&) noexcept;
        ~Level();
        const QString &path() const { return m_path; }

    private:
        friend class FolderTreeModel;
        QString m_path;
        QStringList m_names; // the subfolders, in item order
        QString m_error;
        std::vector<std::unique_ptr<Node>> m_children;
    };

    explicit FolderTreeModel(QObject *parent = nullptr);
    ~FolderTreeModel() override;

    // Shows the folders below root (root itself is the one top-level row), none
    // of them read yet.
    void setRoot(const QString &root);
    QString root() const;

    // The text of the row a branch shows while its level is being read.
    void setPlaceholderText(const QString &text) { m_placeholder = text; }

    // The index of the folder at path; invalid when path is not below the root
    // or a level on the way is not known.
    QModelIndex indexForPath(const QString &path) const;
    QString pathOf(const QModelIndex &index) const;
    // True for the row of a branch whose level is being read.
    bool isPlaceholder(const QModelIndex &index) const;
    // True while the branch at path waits for its level.
    bool isWaiting(const QString &path) const;

    // The folders from the root down to path's parent whose levels must be read
    // to show path: those not read yet, and the first one that does not list the
    // next folder on the way (made since it was read, or hidden), with every one
    // below it. Ordered from the root down.
    QStringList levelsToShow(const QString &path) const;

    // Takes the level of the folder at path as read: its subfolders (sorted in
    // item order) and why they could not be read (empty when they could). Rows
    // of subfolders that stay keep their own levels. A folder on the way that is
    // missing (a hidden folder opened by its path) is added.
    void setLevel(Level &&level);
    void setLevel(const QString &path, const QStringList &subfolders, const QString &error)
    {
        setLevel(Level(path, subfolders, error));
    }
    // Shows the folder at path and the folders on the way to it without
    // reading any level: those on the way show only the next one and are not
    // read when shown open (their levels are read with the folder's, or once
    // undefer lets them be read); path itself is unread. False when path is
    // not below the root.
    bool showUnread(const QString &path);
    void undefer(const QModelIndex &index);
    // Gives up a level being read: its placeholder goes and the branch asks
    // again the next time it is opened.
    void dropReading(const QString &path);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    // A branch was opened whose level is not known: read it and hand it over
    // with setLevel, or give it up with dropReading.
    void subfoldersWanted(const QString &path);

private:
    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(const Node *node) const;
    // The folder names from the root down to path; nothing when path is not
    // below the root (or no root is set).
    std::optional<QStringList> partsBelowRoot(const QString &path) const;
    Node *find(const QString &path) const;
    Node *ensure(const QString &path);
    void removeChildren(Node *node, int first, int last);

    std::unique_ptr<Node> m_top; // invisible parent of the root row
    QString m_placeholder;
};

// Levels read by one command, in the order they are to be shown.
using TreeLevels = std::vector<FolderTreeModel::Level>;

} // namespace corvane
