#include "app/controls.h"

#include "app/folderjob.h"
#include "listing/foldertree.h"

#include "listing/folderreader.h"
#include "listing/release.h"

#include <QAccessible>
#include <QDir>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace corvane {

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

// ---- DriveBox --------------------------------------------------------------

void DriveBox::showPopup()
{
    emit aboutToShowPopup();
    QComboBox::showPopup();
}

// ---- DirTree ---------------------------------------------------------------

DirTree::DirTree(QWidget *parent) : QTreeView(parent), m_model(new FolderTreeModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    connect(this, &QTreeView::clicked, this, &DirTree::openIndex);
    connect(this, &QTreeView::activated, this, &DirTree::openIndex);
}

void DirTree::setRoot(const QString &root)
{
    if (m_model->root() == QDir::cleanPath(root))
        return;
    m_model->setRoot(root);
    expand(m_model->index(0, 0));
    if (!m_path.isEmpty())
        showPath();
}

void DirTree::showEvent(QShowEvent *event)
{
    QTreeView::showEvent(event);
    // Path was set before the tree had its size: centre it now.
    scrollTo(currentIndex(), PositionAtCenter);
}

void DirTree::openIndex(const QModelIndex &index)
{
    if (index.isValid())
        setPath(m_model->pathOf(index));
}

void DirTree::showPath()
{
    const QModelIndex index = m_model->indexForPath(m_path);
    if (!index.isValid())
        return;
    // Its subfolders may have changed since they were last read.
    m_model->reread(index);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    expand(index);
    setCurrentIndex(index);
    scrollTo(index, PositionAtCenter);
}

void DirTree::setPath(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean == m_path)
        return;
    QString before = std::exchange(m_path, clean);
    m_refused = false;
    // The change handler reads the folder for the file name box first; the
    // tree then takes the subfolders from that read instead of a second one.
    emit pathChanged();
    if (m_refused) {
        m_refused = false;
        m_path = std::move(before);
        // A click has moved the tree's current row already: move it back.
        setCurrentIndex(m_model->indexForPath(m_path));
        return;
    }
    showPath();
}

QString DirTree::root() const
{
    return m_model->root();
}

void DirTree::restore(const QString &root, const QString &path)
{
    m_path = path;
    if (m_model->root() != QDir::cleanPath(root))
        setRoot(root); // shows path
    else
        setCurrentIndex(m_model->indexForPath(m_path));
}

void DirTree::setSubfolderSource(std::function<std::optional<QStringList>(const QString &)> source)
{
    m_model->setSubfolderSource(std::move(source));
}

// ---- FileBox ---------------------------------------------------------------

FileBox::FileBox(QWidget *parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    // Laid out a batch at a time: a million names never stop the window.
    setLayoutMode(Batched);
    setBatchSize(2000);
}

bool FileBox::setPath(const QString &path)
{
    return read(path, m_pattern);
}

bool FileBox::setPattern(const QString &pattern)
{
    return read(m_path, Pattern(pattern));
}

bool FileBox::refresh()
{
    return read(m_path, m_pattern);
}

bool FileBox::read(const QString &path, const Pattern &pattern)
{
    const BusyCursor busy;
    std::optional<Result<FolderListing>> listing = runFolderJob<Result<FolderListing>>(
        window(), path, [path, pattern](ReadProgress &progress) { return readFolder(path, pattern, &progress); });
    if (!listing)
        return false;
    m_path = path;
    m_pattern = pattern;
    showListing(std::move(*listing));
    return true;
}

void FileBox::showListing(Result<FolderListing> &&read)
{
    m_model->setStringList(read.value.names);
    releaseInBackground(std::exchange(m_names, std::move(read.value.names)));
    m_subfolders = std::move(read.value.subfolders);
    m_error = std::move(read.error);
    // A folder that cannot be read shows as an empty box that says why.
    setToolTip(m_error);
    describe();
}

void FileBox::setDescription(const QString &description)
{
    m_description = description;
    describe();
}

void FileBox::describe()
{
    const QString text =
        m_error.isEmpty() ? m_description : m_description + QStringLiteral(". This folder cannot be read: ") + m_error;
    if (accessibleDescription() != text)
        setAccessibleDescription(text);
}

void FileBox::restore(State state)
{
    m_path = std::move(state.path);
    m_pattern = std::move(state.pattern);
    showListing({{std::move(state.names), {}, std::move(state.subfolders), {}}, std::move(state.error)});
}

// ---- ItemListView ----------------------------------------------------------

namespace {

// Draws marked items the way selected items are drawn, without the check box
// that the items' check state would otherwise bring.
class MarkDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
        if (index.data(ItemList::MarkedRole).toBool())
            option->state |= QStyle::State_Selected;
        else
            option->state &= ~QStyle::State_Selected;
    }
};

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

} // namespace

ItemListView::ItemListView(ItemList *items, QWidget *parent) : QListView(parent), m_items(items)
{
    // The model owns the current row, so it survives bulk changes; the view
    // follows it. While rows come and go the selection model moves the view's
    // current index on its own (to a neighbour of a removed current row); those
    // moves must not reach the model. The guard is connected before setModel()
    // so that it is raised before the selection model reacts, and the view is
    // put back on the model's current row once the change is over.
    const auto changing = [this] { m_modelChanging = true; };
    const auto changed = [this] {
        followModel();
        m_modelChanging = false;
    };
    connect(items, &QAbstractItemModel::modelAboutToBeReset, this, changing);
    connect(items, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
    connect(items, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
    connect(items, &QAbstractItemModel::modelReset, this, changed);
    connect(items, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(items, &QAbstractItemModel::rowsInserted, this, changed);

    setModel(items);
    setItemDelegate(new MarkDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(NoSelection);
    setEditTriggers(NoEditTriggers);
    setLayoutMode(Batched); // a million items never block the first paint
    setBatchSize(2000);
    // The right button belongs to the window's pop-up alone: no context menu
    // event (from the mouse or the menu key) reaches the view or its parents.
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (!m_modelChanging)
                    m_items->setCurrentRow(current.isValid() ? current.row() : -1);
            });
    connect(items, &ItemList::currentRowChanged, this, &ItemListView::followModel);
    connect(items, &QAbstractItemModel::dataChanged, this, &ItemListView::announceChange);
}

void ItemListView::announceChange(const QModelIndex &first, const QModelIndex &last, const QList<int> &roles)
{
    // Rows that come and go are told by the view itself (a table change, or a
    // reset for bulk changes); a changed mark or text is told here, on the
    // item's cell, once the model holds the new value.
    if (!QAccessible::isActive() || !first.isValid() || !last.isValid())
        return;
    const bool marks = roles.isEmpty() || roles.contains(ItemList::MarkedRole);
    const bool text = roles.isEmpty() || roles.contains(Qt::DisplayRole);
    if (!marks && !text)
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface *table = list ? list->tableInterface() : nullptr;
    if (!table)
        return;
    const auto tell = [&](int row) {
        QAccessibleInterface *cell = table->cellAt(row, 0);
        if (!cell)
            return;
        if (marks) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(cell, changed);
            QAccessible::updateAccessibility(&event);
        }
        if (text) {
            QAccessibleEvent event(cell, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    };
    if (first.row() == last.row()) {
        tell(first.row());
        return;
    }
    // A change over many rows (Select all on a million items) is told for the
    // current item and the items on screen only: a screen reader speaks the
    // item it is on and reads any other afresh when it gets there.
    const QModelIndex top = indexAt(QPoint(0, 0));
    const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
    const int from = std::max(first.row(), top.isValid() ? top.row() : last.row() + 1);
    const int to = std::min(last.row(), bottom.isValid() ? bottom.row() : int(m_items->count() - 1));
    const qsizetype current = m_items->currentRow();
    if (current >= first.row() && current <= last.row() && (current < from || current > to))
        tell(int(current));
    for (int row = from; row <= to; ++row)
        tell(row);
}

void ItemListView::followModel()
{
    const qsizetype row = m_items->currentRow();
    const QModelIndex index = row >= 0 ? m_items->index(int(row)) : QModelIndex();
    if (index != currentIndex())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void ItemListView::mousePressEvent(QMouseEvent *event)
{
    const int code = buttonCode(event->button());
    event->accept();
    m_pressAt = event->globalPosition().toPoint();
    emit mouseDown(code);
    m_pressAt.reset();
    if (code != 1)
        return; // only the left button acts on the list itself
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        m_items->setMarked(index.row(), !m_items->isMarked(index.row()));
    }
    setFocus(Qt::MouseFocusReason);
}

void ItemListView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void ItemListView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept(); // dragging neither marks nor moves anything
}

void ItemListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is two clicks: the second press toggles the mark back.
    mousePressEvent(event);
}

void ItemListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        const qsizetype row = m_items->currentRow();
        if (row >= 0)
            m_items->setMarked(row, !m_items->isMarked(row));
        return;
    }
    QListView::keyPressEvent(event);
}

bool ItemListView::viewportEvent(QEvent *event)
{
    // The count tooltip belongs to the whole list, not to an item.
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    return QListView::viewportEvent(event);
}

} // namespace corvane
