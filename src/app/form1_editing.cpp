#include "app/form1.h"

#include "editing/editing.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

// The item list's pop-up menu and the hand edits of the list. They change the
// item list only: no file on disk is renamed or deleted, and the next
// RefreshList brings back what the folder still holds. Each is a command of
// its own, so none runs while another command does; they edit the shown list
// directly, which tells views exactly the rows that changed.

namespace corvane {

void Form1::List1_MouseDown(int button)
{
    if (button != 2)
        return;
    const Command c(*this);
    if (c.refused())
        return;
    // popup() rather than exec(): the menu grabs the pointer and keyboard until
    // it closes, so nothing else reaches the window meanwhile, but the press
    // handler returns at once. Its top left corner sits at the pointer.
    SelectMenu->popup(List1->pressGlobalPosition().value_or(QCursor::pos()));
}

void Form1::SelectMenu_Click()
{
    const PopupStates states = popupStates(m_items.count(), m_items.markedCount());
    EraseSelected->setEnabled(states.eraseSelected);
    Rename->setEnabled(states.rename);
}

void Form1::SelectAll_Click()
{
    const Command c(*this);
    if (c.refused())
        return;
    m_items.markAll();
}

void Form1::Rename_Click()
{
    const Command c(*this);
    if (c.refused())
        return;
    // The pop-up enables Rename on any non-empty list, also when no item is
    // current: the box then offers an empty text and its answer changes nothing.
    const qsizetype row = m_items.currentRow();
    const QString current = row >= 0 && row < m_items.count() ? m_items.text(row) : QString();
    const QString answer = m_services.dialogs->inputBox(renamePrompt(), tr("RENAME"), current);
    renameItem(m_items, row, answer);
}

void Form1::EraseSelected_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    m_items.removeMarked();
    m_services.beep->beep();
    c.next().countShown = m_items.count();
    c.next().outputEnabled = m_items.count() >= 1;
}

void Form1::ClearList_Click()
{
    const Command c(*this);
    if (c.refused())
        return;
    // The tooltip and the output commands stay as they were until the next
    // refresh or erase.
    m_items.clear();
    m_services.beep->beep();
}

} // namespace corvane
