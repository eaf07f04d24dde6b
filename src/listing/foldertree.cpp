#include "listing/foldertree.h"

#include "listing/filenames.h"
#include "listing/folderreader.h"

#include <QDir>

namespace corvane {

// Names and paths hold the bytes of the disk (pathFromBytes); shown is the
// name as the user reads it, with the escapes of file names.
struct FolderTreeModel::Node
{
    QString name;
    QString path;
    QString shown;
    Node *parent = nullptr;
    int row = 0;
    bool fetched = false;
    QString error; // why its subfolders could not be read; empty when they could
    std::vector<std::unique_ptr<Node>> children;

    Node *appendChild(const QString &childName)
    {
        auto child = std::make_unique<Node>();
        child->name = childName;
        child->shown = displayPath(childName);
        child->path = path == u"/" ? QString(u'/' + childName) : QString(path + u'/' + childName);
        child->parent = this;
        child->row = int(children.size());
        children.push_back(std::move(child));
        return children.back().get();
    }

    Node *childNamed(const QString &childName) const
    {
        for (const auto &child : children)
            if (child->name == childName)
                return child.get();
        return nullptr;
    }
};

FolderTreeModel::FolderTreeModel(QObject *parent) : QAbstractItemModel(parent), m_top(std::make_unique<Node>())
{
    m_top->fetched = true;
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRoot(const QString &root)
{
    beginResetModel();
    m_top->children.clear();
    auto node = std::make_unique<Node>();
    node->path = QDir::cleanPath(root);
    node->name = node->path;
    node->shown = displayPath(node->path);
    node->parent = m_top.get();
    m_top->children.push_back(std::move(node));
    endResetModel();
}

QString FolderTreeModel::root() const
{
    return m_top->children.empty() ? QString() : m_top->children.front()->path;
}

Result<QStringList> FolderTreeModel::subfoldersOf(const QString &path) const
{
    if (m_source) {
        if (std::optional<QStringList> known = m_source(path))
            return {*known, {}};
    }
    return readSubfolders(path);
}

void FolderTreeModel::fetchMore(const QModelIndex &parent)
{
    Node *node = nodeOf(parent);
    if (!node || node->fetched)
        return;
    node->fetched = true;
    Result<QStringList> read = subfoldersOf(node->path);
    node->error = std::move(read.error);
    const QStringList &names = read.value;
    if (names.isEmpty())
        return;
    beginInsertRows(parent, 0, int(names.size()) - 1);
    for (const QString &name : names)
        node->appendChild(name);
    endInsertRows();
}

void FolderTreeModel::reread(const QModelIndex &index)
{
    Node *node = nodeOf(index);
    if (!node || !node->fetched)
        return;
    if (!node->children.empty()) {
        beginRemoveRows(index, 0, int(node->children.size()) - 1);
        node->children.clear();
        endRemoveRows();
    }
    node->fetched = false;
    fetchMore(index);
}

QModelIndex FolderTreeModel::indexForPath(const QString &path)
{
    if (m_top->children.empty())
        return {};
    Node *node = m_top->children.front().get();
    const QString clean = QDir::cleanPath(path);
    QString rest;
    if (clean == node->path)
        return indexOf(node);
    const QString prefix = node->path == u"/" ? node->path : node->path + u'/';
    if (!clean.startsWith(prefix))
        return {};
    rest = clean.mid(prefix.size());
    for (const QString &part : rest.split(u'/', Qt::SkipEmptyParts)) {
        if (!node->fetched)
            fetchMore(indexOf(node));
        Node *child = node->childNamed(part);
        if (!child) {
            // Made since this level was read, or hidden: read the level again.
            reread(indexOf(node));
            child = node->childNamed(part);
        }
        if (!child) {
            if (!isFolder(node->path + u'/' + part))
                return {};
            // Hidden folders are not listed, but one can still be opened.
            const int row = int(node->children.size());
            beginInsertRows(indexOf(node), row, row);
            child = node->appendChild(part);
            endInsertRows();
        }
        node = child;
    }
    return indexOf(node);
}

QString FolderTreeModel::pathOf(const QModelIndex &index) const
{
    Node *node = nodeOf(index);
    return node ? node->path : QString();
}

FolderTreeModel::Node *FolderTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_top.get();
}

QModelIndex FolderTreeModel::indexOf(Node *node) const
{
    if (!node || node == m_top.get())
        return {};
    return createIndex(node->row, 0, node);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    Node *node = nodeOf(parent);
    if (column != 0 || row < 0 || size_t(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return indexOf(nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return node->shown;
    // A folder whose subfolders could not be read says why, to the eye and to
    // a screen reader.
    case Qt::ToolTipRole:
        return node->error.isEmpty() ? displayPath(node->path) : displayPath(node->path) + u'\n' + node->error;
    case Qt::AccessibleDescriptionRole: return node->error.isEmpty() ? QVariant() : QVariant(node->error);
    default: return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return !node->fetched || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const
{
    return !nodeOf(parent)->fetched;
}

} // namespace corvane
