#include "listing/foldertree.h"

#include "listing/casefold.h"
#include "listing/filenames.h"

#include <QDir>

#include <algorithm>

namespace corvane {

namespace {

// Deferred: shown open on the way to a folder left unread, with only the
// next folder of that way; read with that folder, not when shown.
enum class Reading { Unread, Deferred, Busy, Read };

// More scattered changes than this in one level are shown as the level taken
// anew: its rows go and come back, each change alone would cost a pass.
constexpr int kRunLimit = 64;

QString childPath(const QString &parent, const QString &name)
{
    return parent == u"/" ? QString(u'/' + name) : QString(parent + u'/' + name);
}

} // namespace

// Names and paths hold the bytes of the disk (pathFromBytes); shown is the
// name as the user reads it, with the escapes of file names.
struct FolderTreeModel::Node
{
    QString name;
    QString path;
    QString shown;
    Node *parent = nullptr;
    int row = 0;
    Reading level = Reading::Unread;
    bool placeholder = false; // the row shown while the parent's level is read
    bool pinned = false;      // not listed by its parent (hidden), kept for a path through it
    QString error;            // why its level could not be read; empty when it could
    std::vector<std::unique_ptr<Node>> children;

    std::unique_ptr<Node> makeChild(const QString &childName) const
    {
        auto child = std::make_unique<Node>();
        child->name = childName;
        child->shown = displayPath(childName);
        child->path = childPath(path, childName);
        child->parent = const_cast<Node *>(this);
        return child;
    }

    Node *childNamed(const QString &childName) const
    {
        for (const auto &child : children)
            if (!child->placeholder && child->name == childName)
                return child.get();
        return nullptr;
    }

    void numberRows(size_t from = 0)
    {
        for (size_t i = from; i < children.size(); ++i)
            children[i]->row = int(i);
    }
};

FolderTreeModel::Level::Level() = default;
FolderTreeModel::Level::Level(Level &&) noexcept = default;
FolderTreeModel::Level &FolderTreeModel::Level::operator=(Level &&) noexcept = default;
FolderTreeModel::Level::~Level() = default;

FolderTreeModel::Level::Level(const QString &path, const QStringList &subfolders, const QString &error)
    : m_path(QDir::cleanPath(path)), m_names(subfolders), m_error(error)
{
    Node parent;
    parent.path = m_path;
    m_children.reserve(size_t(subfolders.size()));
    for (const QString &name : subfolders)
        m_children.push_back(parent.makeChild(name));
}

FolderTreeModel::FolderTreeModel(QObject *parent) : QAbstractItemModel(parent), m_top(std::make_unique<Node>())
{
    m_top->level = Reading::Read;
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

std::optional<QStringList> FolderTreeModel::partsBelowRoot(const QString &path) const
{
    if (m_top->children.empty())
        return std::nullopt;
    const QString &root = m_top->children.front()->path;
    const QString clean = QDir::cleanPath(path);
    if (clean == root)
        return QStringList();
    const QString prefix = root == u"/" ? root : root + u'/';
    if (!clean.startsWith(prefix))
        return std::nullopt;
    return clean.mid(prefix.size()).split(u'/', Qt::SkipEmptyParts);
}

FolderTreeModel::Node *FolderTreeModel::find(const QString &path) const
{
    const std::optional<QStringList> parts = partsBelowRoot(path);
    if (!parts)
        return nullptr;
    Node *node = m_top->children.front().get();
    for (const QString &part : *parts) {
        node = node->childNamed(part);
        if (!node)
            return nullptr;
    }
    return node;
}

QModelIndex FolderTreeModel::indexForPath(const QString &path) const
{
    return indexOf(find(path));
}

QStringList FolderTreeModel::levelsToShow(const QString &path) const
{
    QStringList levels;
    const std::optional<QStringList> parts = partsBelowRoot(path);
    if (!parts)
        return levels;
    const Node *node = m_top->children.front().get();
    QString at = node->path;
    bool known = true; // the levels above are in the model
    for (const QString &part : *parts) {
        if (known) {
            const Node *child = node->level == Reading::Read ? node->childNamed(part) : nullptr;
            if (!child)
                known = false;
            else
                node = child;
        }
        if (!known)
            levels.append(at);
        at = childPath(at, part);
    }
    return levels;
}

FolderTreeModel::Node *FolderTreeModel::ensure(const QString &path)
{
    const std::optional<QStringList> parts = partsBelowRoot(path);
    if (!parts)
        return nullptr;
    Node *node = m_top->children.front().get();
    for (const QString &part : *parts) {
        Node *child = node->childNamed(part);
        if (!child) {
            // Not listed by its parent (a hidden folder, or one made since): kept
            // after the listed ones, for as long as the tree shows this volume.
            const int row = int(node->children.size());
            beginInsertRows(indexOf(node), row, row);
            auto made = node->makeChild(part);
            made->pinned = true;
            made->row = row;
            child = made.get();
            node->children.push_back(std::move(made));
            endInsertRows();
        }
        node = child;
    }
    return node;
}

void FolderTreeModel::removeChildren(Node *node, int first, int last)
{
    beginRemoveRows(indexOf(node), first, last);
    node->children.erase(node->children.begin() + first, node->children.begin() + last + 1);
    node->numberRows(size_t(first));
    endRemoveRows();
}

void FolderTreeModel::setLevel(Level &&level)
{
    Node *node = ensure(level.m_path);
    if (!node)
        return;
    const QStringList &subfolders = level.m_names;
    node->level = Reading::Read;
    node->error = level.m_error;
    const QModelIndex at = indexOf(node);
    emit dataChanged(at, at, {Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
    // A made node becomes this node's child.
    const auto adopt = [node](std::unique_ptr<Node> &made) {
        made->parent = node;
        return std::move(made);
    };

    // The placeholder goes first.
    for (int i = int(node->children.size()) - 1; i >= 0; --i)
        if (node->children[size_t(i)]->placeholder)
            removeChildren(node, i, i);

    // Rows whose folder is gone go, in runs.
    const auto listed = [&](const Node &child) {
        return child.pinned || std::binary_search(subfolders.begin(), subfolders.end(), child.name,
                                                  [](const QString &a, const QString &b) { return itemLess(a, b); });
    };
    int runs = 0;
    for (int i = int(node->children.size()) - 1; i >= 0;) {
        if (listed(*node->children[size_t(i)])) {
            --i;
            continue;
        }
        int first = i;
        while (first > 0 && !listed(*node->children[size_t(first - 1)]))
            --first;
        if (++runs > kRunLimit)
            break;
        removeChildren(node, first, i);
        i = first - 1;
    }
    if (runs > kRunLimit) {
        // Pinned rows stand last and stay.
        int listedRows = 0;
        while (size_t(listedRows) < node->children.size() && !node->children[size_t(listedRows)]->pinned)
            ++listedRows;
        if (listedRows > 0)
            removeChildren(node, 0, listedRows - 1);
    }

    // New folders come in at their places, in runs; the listed rows kept are
    // already in the same order, pinned ones stay last.
    if (node->children.empty() || node->children.front()->pinned) {
        if (!subfolders.isEmpty()) {
            beginInsertRows(at, 0, int(subfolders.size()) - 1);
            std::vector<std::unique_ptr<Node>> made;
            made.reserve(level.m_children.size());
            for (auto &child : level.m_children)
                made.push_back(adopt(child));
            node->children.insert(node->children.begin(), std::make_move_iterator(made.begin()),
                                  std::make_move_iterator(made.end()));
            node->numberRows();
            endInsertRows();
        }
        return;
    }
    int row = 0;
    for (qsizetype k = 0; k < subfolders.size();) {
        const Node *here = size_t(row) < node->children.size() ? node->children[size_t(row)].get() : nullptr;
        if (here && !here->pinned && here->name == subfolders.at(k)) {
            ++row;
            ++k;
            continue;
        }
        qsizetype end = k + 1;
        while (end < subfolders.size() && (!here || here->pinned || here->name != subfolders.at(end)))
            ++end;
        beginInsertRows(at, row, row + int(end - k) - 1);
        std::vector<std::unique_ptr<Node>> made;
        for (qsizetype j = k; j < end; ++j)
            made.push_back(adopt(level.m_children[size_t(j)]));
        node->children.insert(node->children.begin() + row, std::make_move_iterator(made.begin()),
                              std::make_move_iterator(made.end()));
        node->numberRows(size_t(row));
        endInsertRows();
        row += int(end - k);
        k = end;
    }
}

bool FolderTreeModel::showUnread(const QString &path)
{
    const std::optional<QStringList> parts = partsBelowRoot(path);
    if (!parts)
        return false;
    Node *node = m_top->children.front().get();
    for (const QString &part : *parts) {
        if (node->level == Reading::Unread)
            node->level = Reading::Deferred;
        Node *child = node->childNamed(part);
        if (!child) {
            // Listed as the folder's level would list it, so that the level
            // read later takes it in its place.
            const int row = int(node->children.size());
            beginInsertRows(indexOf(node), row, row);
            auto made = node->makeChild(part);
            made->row = row;
            child = made.get();
            node->children.push_back(std::move(made));
            endInsertRows();
        }
        node = child;
    }
    return true;
}

void FolderTreeModel::undefer(const QModelIndex &index)
{
    Node *node = index.isValid() ? nodeOf(index) : nullptr;
    if (node && node->level == Reading::Deferred)
        node->level = Reading::Unread;
}

void FolderTreeModel::dropReading(const QString &path)
{
    Node *node = find(path);
    if (!node || node->level != Reading::Busy)
        return;
    node->level = Reading::Unread;
    for (int i = int(node->children.size()) - 1; i >= 0; --i)
        if (node->children[size_t(i)]->placeholder)
            removeChildren(node, i, i);
}

QString FolderTreeModel::pathOf(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node && !node->placeholder ? node->path : QString();
}

bool FolderTreeModel::isWaiting(const QString &path) const
{
    const Node *node = find(path);
    return node && node->level == Reading::Busy;
}

bool FolderTreeModel::isPlaceholder(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return index.isValid() && node->placeholder;
}

FolderTreeModel::Node *FolderTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_top.get();
}

QModelIndex FolderTreeModel::indexOf(const Node *node) const
{
    if (!node || node == m_top.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node *>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
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
    if (node->placeholder)
        return role == Qt::DisplayRole || role == Qt::AccessibleTextRole ? QVariant(m_placeholder) : QVariant();
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
    if (node->placeholder)
        return false;
    return node->level != Reading::Read || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return !node->placeholder && node->level == Reading::Unread;
}

void FolderTreeModel::fetchMore(const QModelIndex &parent)
{
    Node *node = nodeOf(parent);
    if (node->placeholder || node->level != Reading::Unread)
        return;
    node->level = Reading::Busy;
    const int row = int(node->children.size());
    beginInsertRows(parent, row, row);
    auto placeholder = std::make_unique<Node>();
    placeholder->placeholder = true;
    placeholder->parent = node;
    placeholder->row = row;
    placeholder->level = Reading::Read;
    node->children.push_back(std::move(placeholder));
    endInsertRows();
    emit subfoldersWanted(node->path);
}

} // namespace corvane
