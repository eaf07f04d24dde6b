#include "app/form1.h"

#include "app/accesskeys.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>

// The keyboard beyond Tab and the arrows: an access letter on every entry of
// the menu bar and its menus, and the shortcuts desktop users expect. Every
// key runs a command like its menu entry, so none acts while another command
// runs or a box is open. Print has no shortcut: a stray key never prints.

namespace corvane {

namespace {

// Before the item list's keys reach its shortcuts, the pop-up's rules decide
// again which of its commands are enabled (Rename on any item, Erase selected
// item(s) when one is marked), as they do each time it opens.
class PopupRules : public QObject
{
public:
    PopupRules(QWidget *list, std::function<void()> decide) : QObject(list), m_decide(std::move(decide)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride)
            m_decide();
        return false;
    }

private:
    std::function<void()> m_decide;
};

} // namespace

void Form1::setUpKeys()
{
    keepAccessLetters(menuBar());
    keepAccessLetters(SelectMenu);

    // The item commands act on the item list, so their keys work while it
    // has the keyboard; the pop-up shows them beside the commands.
    const std::pair<QAction *, QKeySequence> listKeys[] = {
        {SelectAll, QKeySequence(QKeySequence::SelectAll)},
        {EraseSelected, QKeySequence(Qt::Key_Delete)},
        {Rename, QKeySequence(Qt::Key_F2)},
    };
    for (const auto &[action, key] : listKeys) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setShortcutVisibleInContextMenu(true);
        List1->addAction(action);
    }
    List1->installEventFilter(new PopupRules(List1, [this] {
        if (!busy())
            SelectMenu_Click();
    }));

    Info->setShortcut(QKeySequence(Qt::Key_F1));
    ReadAgain = new QAction(this);
    ReadAgain->setObjectName(QStringLiteral("ReadAgain"));
    ReadAgain->setShortcut(QKeySequence(Qt::Key_F5));
    connect(ReadAgain, &QAction::triggered, this, &Form1::ReadAgain_Click);
    Quit = new QAction(this);
    Quit->setObjectName(QStringLiteral("Quit"));
    Quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(Quit, &QAction::triggered, this, [this] {
        if (!busy())
            close();
    });
    addActions({ReadAgain, Quit});
}

void Form1::ReadAgain_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    // File1's folder chosen anew in the tree: read, and merged as its check
    // box says; also the start folder that a cancelled start left unread.
    c.next().treePath = QDir::cleanPath(c.next().files.path);
    folderChange(c);
}

} // namespace corvane
