#include "app/form1.h"

// What screen readers and the keyboard need: a spoken name and a description
// for every control and menu, and a keyboard way to the item list's pop-up.
// Object names stay the control names, so tools find each control by them.

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace corvane {

namespace {

// The item list's own keys. The Menu key or Shift+F10 opens SelectMenu over
// the current item, or the list's top left corner when no item is current (a
// right mouse press keeps its own road, List1_MouseDown, so only keyboard
// requests are taken here). Ctrl+C and Ctrl+Insert copy the list (the view's
// own copy, the current item only, never sees them).
class ListKeys : public QObject
{
public:
    ListKeys(ItemListView *list, QMenu *menu, Form1 *form) : QObject(list), m_list(list), m_menu(menu), m_form(form)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_list)
            return false;
        if (event->type() == QEvent::ContextMenu
            && static_cast<QContextMenuEvent *>(event)->reason() != QContextMenuEvent::Mouse) {
            popUp();
            return true;
        }
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        const bool press = event->type() == QEvent::KeyPress;
        if (modifiers == Qt::ControlModifier && (key->key() == Qt::Key_C || key->key() == Qt::Key_Insert)) {
            // Claimed as an override too, so no shortcut of the window takes the keys.
            key->accept();
            if (press)
                m_form->copyToClipboard();
            return true;
        }
        if (press && key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
            popUp();
            return true;
        }
        return false;
    }

private:
    void popUp()
    {
        if (m_form->busy())
            return; // no command starts while another runs
        QRect place = m_list->visualRect(m_list->currentIndex()).intersected(m_list->viewport()->rect());
        const QPoint at = place.isEmpty() ? QPoint(0, 0) : place.bottomLeft();
        m_menu->exec(m_list->viewport()->mapToGlobal(at));
    }

    ItemListView *m_list;
    QMenu *m_menu;
    Form1 *m_form;
};

} // namespace

void Form1::setUpAccessibility()
{
    Drive1->setAccessibleName(tr("Drives"));
    // On Linux a drop-down list is spoken by its current entry and named by the
    // label it is the buddy of; this label is never shown, it only names Drive1.
    auto *driveLabel = new QLabel(tr("Drives"), Drive1->parentWidget());
    driveLabel->setObjectName(QStringLiteral("Drive1Label"));
    driveLabel->setBuddy(Drive1);
    driveLabel->hide();
    Drive1->setAccessibleDescription(tr("The mounted volumes; choosing one shows its folders"));
    Dir1->setAccessibleName(tr("Folders"));
    Dir1->setAccessibleDescription(tr("The folders of the drive; opening one lists its files"));
    File1->setAccessibleName(tr("Files in this folder"));
    File1->setAccessibleDescription(
        tr("The files of the chosen folder that match the file types; they fill the item list"));
    List1->setAccessibleName(tr("Items"));
    // Check1 is spoken by its caption.
    Check1->setAccessibleDescription(
        tr("When checked, the item list is emptied before the files of a newly chosen folder go in"));

    // Menu items are spoken by their captions; the menus that hold them get
    // the names the bar shows. The pop-up's own name never appears as text.
    menuBar()->setAccessibleName(tr("Menu bar"));
    menuBar()->setAccessibleDescription(tr("The commands of Corvane+; Alt moves the keyboard here"));
    FilterMenu->setAccessibleName(tr("File Filter"));
    FilterMenu->setAccessibleDescription(
        tr("Choose a word, then list only or exclude the items containing it"));
    ExportMenu->setAccessibleName(tr("Export"));
    ExportMenu->setAccessibleDescription(tr("The list written as a CSV, JSON or Markdown document"));
    Options->setAccessibleName(tr("Options"));
    Options->setAccessibleDescription(tr("Extensions on or off, and numbered items in the documents"));
    SelectMenu->setAccessibleName(tr("Item commands"));
    SelectMenu->setAccessibleDescription(tr("Rename, erase, select or clear the items of the list"));

    List1->installEventFilter(new ListKeys(List1, SelectMenu, this));
}

QString countToolTip(qsizetype count)
{
    // The count is written the way a signed number is printed: a space in the
    // place of the sign, then the digits.
    return Form1::tr(" Files : ") + u' ' + QString::number(count) + u' ';
}

void Form1::showCount(qsizetype count)
{
    List1->setToolTip(countToolTip(count));
    const QString items = count == 1 ? tr("1 item") : tr("%n items", nullptr, int(count));
    List1->setAccessibleDescription(
        items + tr(" in the list. Space marks the current item; Ctrl+C copies the marked items, or all when none is "
                   "marked; the Menu key opens the item commands"));
}

} // namespace corvane
