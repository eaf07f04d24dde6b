#pragma once
// The model behind the folder tree: the folders of one volume, read lazily one
// level at a time by the folder reader. Only folders are kept, so a folder holding a
// million files costs one pass over its names and no memory for them (a
// QFileSystemModel would stat and keep every file).

#include "base/result.h"

#include <QAbstractItemModel>

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace corvane {

class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject *parent = nullptr);
    ~FolderTreeModel() override;

    // Shows the folders below root (root itself is the one top-level row).
    void setRoot(const QString &root);
    QString root() const;

    // The index of the folder at path, reading each level on the way; invalid
    // when path is not below the root or a folder on the way is missing.
    QModelIndex indexForPath(const QString &path);
    QString pathOf(const QModelIndex &index) const;
    // Reads the subfolders of index again (they may have changed on disk).
    void reread(const QModelIndex &index);

    // Where a folder's subfolders can be had without reading it again (the file
    // name box has just read it); nullopt sends the model to the disk.
    using SubfolderSource = std::function<std::optional<QStringList>(const QString &folder)>;
    void setSubfolderSource(SubfolderSource source) { m_source = std::move(source); }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    struct Node;
    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(Node *node) const;
    Result<QStringList> subfoldersOf(const QString &path) const;

    std::unique_ptr<Node> m_top; // invisible parent of the root row
    SubfolderSource m_source;
};

} // namespace corvane
