#include "app/controls.h"

#include "listing/filenames.h"
#include "listing/foldertree.h"
#include "listing/release.h"

#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace corvane {

QString fittedText(const QString &text, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis = QStringLiteral("\u2026");
    const QStringList parts = text.split(u'/');
    if (parts.size() >= 2) {
        // The first folder, then as many of the last parts as fit.
        for (qsizetype keep = parts.size() - 2; keep >= 1; --keep) {
            const QString cut = parts.first() + u'/' + ellipsis + u'/' + parts.mid(parts.size() - keep).join(u'/');
            if (metrics.horizontalAdvance(cut) <= width)
                return cut;
        }
        const QString nameOnly = ellipsis + u'/' + parts.last();
        return metrics.horizontalAdvance(nameOnly) <= width ? nameOnly
                                                            : metrics.elidedText(nameOnly, Qt::ElideRight, width);
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

namespace {

// The width the style leaves an item's text in the item's rectangle.
int textWidth(const QStyleOptionViewItem &item)
{
    const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget).width() - 2 * margin;
}

// Draws an item's text cut to fit as fittedText cuts it, so that a path keeps
// its file's own name in sight.
class FittingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text = fittedText(item.text, item.fontMetrics, textWidth(item));
        const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    }
    // Whether the item's whole text is shown in option's rectangle.
    virtual bool showsWhole(const QStyleOptionViewItem &option, const QModelIndex &index) const
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        return item.fontMetrics.horizontalAdvance(item.text) <= textWidth(item);
    }
};

// Shows, as the tooltip of help's point, the whole text of the row there when
// the row's text does not fit (wholeText of its row); false when the point is
// on no such row.
bool showCutRow(const QListView *view, const QHelpEvent *help, QStyleOptionViewItem option,
                const std::function<QString(int)> &wholeText)
{
    const QModelIndex index = view->indexAt(help->pos());
    if (!index.isValid())
        return false;
    option.rect = view->visualRect(index);
    if (static_cast<const FittingDelegate *>(view->itemDelegate())->showsWhole(option, index))
        return false;
    QToolTip::showText(help->globalPos(), wholeText(index.row()), view->viewport(), option.rect);
    return true;
}

// A name and its facts as a tooltip shows them; the name alone without facts.
QString withFacts(const QString &text, const QString &facts)
{
    return facts.isEmpty() ? text : text + QStringLiteral("  ") + facts;
}

} // namespace

// ---- DriveBox --------------------------------------------------------------

void DriveBox::showPopup()
{
    if (m_beforePopup && !m_beforePopup())
        return;
    QComboBox::showPopup();
}

void DriveBox::show(const QList<Volume> &volumes, const QString &root)
{
    const QSignalBlocker quiet(this);
    if (volumes != m_volumes || count() != volumes.size()) {
        clear();
        for (const Volume &volume : volumes) {
            const QString text = volume.label.isEmpty()
                ? displayPath(volume.root)
                : displayPath(volume.root) + QStringLiteral(" [") + volume.label + u']';
            addItem(text, volume.root);
        }
        m_volumes = volumes;
    }
    setCurrentIndex(findData(root));
}

// ---- DirTree ---------------------------------------------------------------

DirTree::DirTree(QWidget *parent) : QTreeView(parent), m_model(new FolderTreeModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    // Opened by activation alone: on a desktop where one click opens items, a
    // click is an activation too, and a click and its activation must not
    // open the folder twice.
    connect(this, &QTreeView::activated, this, &DirTree::openIndex);
    // A double click activates: it opens the folder and leaves its branch
    // expanded, never folds it (the arrow, Left and Right and "*" do).
    setExpandsOnDoubleClick(false);
    // A branch shown on the way to a folder left unread is read once it is
    // folded and opened again.
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) { m_model->undefer(index); });
    // A branch opened while the tree waits to be laid out again is only
    // marked open; it asks for its level all the same.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (m_model->canFetchMore(index))
            m_model->fetchMore(index);
    });
}

void DirTree::showEvent(QShowEvent *event)
{
    QTreeView::showEvent(event);
    // Path was set before the tree had its size: centre it now.
    scrollTo(currentIndex(), PositionAtCenter);
}

void DirTree::openIndex(const QModelIndex &index)
{
    if (!index.isValid() || m_model->isPlaceholder(index))
        return;
    const QString path = QDir::cleanPath(m_model->pathOf(index));
    setPath(path);
    // The open folder shows its subfolders, whatever its branch was before.
    if (m_path == path)
        expand(m_model->indexForPath(path));
}

void DirTree::setPath(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean == m_path)
        return;
    m_path = clean;
    emit pathChanged();
}

QString DirTree::root() const
{
    return m_model->root();
}

void DirTree::show(const QString &root, const QString &path,
                   TreeLevels &&levels, const QString &unread)
{
    const bool moved = root != m_model->root() || path != m_path;
    const bool newRoot = root != m_model->root();
    if (newRoot)
        m_model->setRoot(root);
    for (FolderTreeModel::Level &level : levels)
        m_model->setLevel(std::move(level));
    m_unread = path.isEmpty() && m_model->showUnread(unread) ? QDir::cleanPath(unread) : QString();
    if (newRoot)
        expand(m_model->index(0, 0)); // its level is in, if it was read
    m_path = path;
    if (moved)
        showPath();
    else
        putBack(path); // a branch read elsewhere leaves the view where it is
}

void DirTree::showPath()
{
    const QModelIndex index = m_model->indexForPath(m_path.isEmpty() ? m_unread : m_path);
    if (!index.isValid()) {
        setCurrentIndex({});
        return;
    }
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    if (!m_path.isEmpty())
        expand(index); // a folder left unread stays folded: opening it would read it
    setCurrentIndex(index);
    scrollTo(index, PositionAtCenter);
}

void DirTree::putBack(const QString &path)
{
    m_path = path;
    const QModelIndex index = m_model->indexForPath(m_path.isEmpty() ? m_unread : m_path);
    if (currentIndex() != index)
        setCurrentIndex(index);
}

// ---- FileBox ---------------------------------------------------------------

FileBox::FileBox(QWidget *parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setItemDelegate(new FittingDelegate(this));
    // Laid out a batch at a time: a million names never stop the window.
    setLayoutMode(Batched);
    setBatchSize(2000);
}

void FileBox::show(const FolderView &view)
{
    // The same names keep the box as the user left it: its selection and
    // where it is scrolled to.
    const bool sameNames = view.names.isSharedWith(m_view.names) || view.names == m_view.names;
    FolderView old = std::exchange(m_view, view);
    if (!sameNames) {
        m_model->setStringList(m_view.names);
        releaseInBackground(std::move(old.names));
    }
}

bool FileBox::viewportEvent(QEvent *event)
{
    // A name that does not fit shows whole, with its size and date while the
    // folder was read with them.
    if (event->type() == QEvent::ToolTip) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const bool cut = showCutRow(this, static_cast<QHelpEvent *>(event), option, [this](int row) {
            return withFacts(m_view.names.value(row),
                             row < m_view.facts.size() ? factsText(m_view.facts.at(row)) : QString());
        });
        if (!cut)
            QToolTip::hideText();
        return true;
    }
    return QListView::viewportEvent(event);
}

// ---- ItemListView ----------------------------------------------------------

namespace {

// Draws marked items the way selected items are drawn, without the check box
// that the items' check state would otherwise bring; an item's facts, while
// shown, stand right-aligned at the end of its row, so sizes line up by their
// last digit and times one under the other. Rows that File1 lies over end at
// File1's left edge, so that their facts and names stay in sight.
class MarkDelegate : public FittingDelegate
{
public:
    using FittingDelegate::FittingDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const Parts parts = split(item, index);
        if (parts.facts.isEmpty() && parts.name.rect == item.rect) {
            FittingDelegate::paint(painter, option, index);
            return;
        }
        // The row's background, then the name in what the facts leave.
        QStyleOptionViewItem row = item;
        row.text.clear();
        const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, item.widget);
        QStyleOptionViewItem name = parts.name;
        name.text = fittedText(name.text, name.fontMetrics, textWidth(name));
        name.backgroundBrush = Qt::NoBrush;
        name.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected); // the row's highlight is drawn already
        name.showDecorationSelected = false;
        const QColor text = item.palette.color(item.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                    : QPalette::Text);
        name.palette.setColor(QPalette::Text, text);
        style->drawControl(QStyle::CE_ItemViewItem, &name, painter, item.widget);
        if (parts.facts.isEmpty())
            return;
        painter->save();
        painter->setFont(item.font);
        painter->setPen(text);
        painter->drawText(parts.factsRect, Qt::AlignRight | Qt::AlignVCenter, parts.facts);
        painter->restore();
    }

    bool showsWhole(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStyleOptionViewItem name = split(item, index).name;
        return name.fontMetrics.horizontalAdvance(name.text) <= textWidth(name);
    }

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

private:
    struct Parts
    {
        QStyleOptionViewItem name; // the name and the room it has
        QString facts;
        QRect factsRect;
    };
    Parts split(const QStyleOptionViewItem &item, const QModelIndex &index) const
    {
        Parts parts{item, index.data(ItemList::FactsRole).toString(), {}};
        QRect room = item.rect;
        if (const auto *view = qobject_cast<const ItemListView *>(item.widget))
            room.setRight(view->roomRight(item.rect));
        parts.name.rect = room;
        if (parts.facts.isEmpty())
            return parts;
        const int gap = item.fontMetrics.horizontalAdvance(u' ') * 2;
        const int factsWidth = item.fontMetrics.horizontalAdvance(parts.facts) + gap;
        parts.name.rect.setRight(std::max(room.left(), room.right() - factsWidth));
        parts.factsRect = room.adjusted(0, 0, -gap / 2, 0);
        return parts;
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

void ItemListView::setCoveredBy(QWidget *cover)
{
    m_cover = cover;
}

int ItemListView::roomRight(const QRect &row) const
{
    if (!m_cover || !m_cover->isVisible() || m_cover->parentWidget() != parentWidget())
        return row.right();
    const QRect cover(viewport()->mapFrom(parentWidget(), m_cover->geometry().topLeft()), m_cover->size());
    if (cover.bottom() < row.top() || cover.top() > row.bottom() || cover.left() <= row.left())
        return row.right();
    return std::min(row.right(), cover.left() - 1);
}

bool ItemListView::viewportEvent(QEvent *event)
{
    // An item that does not fit shows whole, with its facts while they are
    // shown; anywhere else the count tooltip belongs to the whole list.
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const bool cut = showCutRow(this, help, option, [this](int row) {
            return withFacts(m_items->text(row), m_items->index(row).data(ItemList::FactsRole).toString());
        });
        if (!cut)
            QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    return QListView::viewportEvent(event);
}

} // namespace corvane
