#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>

// Drive, folder and check box handlers.

namespace corvane {

void Form1::Drive1_Change()
{
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    if (m_commandDepth == 1)
        m_driveShown = Drive1->currentIndex(); // a cancel puts the entry before back
    // The first failure is shown and ends the change, the steps before it stay
    // done, and Drive1 keeps the drive the user picked.
    const QString root = Drive1->currentData().toString();
    if (root.isEmpty())
        return; // the list was emptied: no drive picked
    if (warnOnFailure(m_services.drives->makeCurrent(root)))
        return;

    const Result<QString> shown = m_services.drives->currentFolder();
    if (warnOnFailure(shown))
        return;
    Dir1->setRoot(m_services.drives->currentRoot());
    // A different folder runs Dir1_Change right here, before the next step.
    Dir1->setPath(shown.value);
    if (m_readCancelled)
        return;

    const Result<QString> listed = m_services.drives->currentFolder();
    if (warnOnFailure(listed))
        return;
    if (!File1->setPath(listed.value)) {
        m_readCancelled = true;
        return;
    }
    RefreshList();
}

void Form1::Dir1_Change()
{
    // A folder that cannot be read leaves File1 empty (its error as tooltip);
    // the list is rebuilt from nothing all the same.
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    if (File1->setPath(Dir1->path()))
        RefreshList();
    else
        m_readCancelled = true;
    if (m_readCancelled)
        Dir1->refuseChange();
}

void Form1::Check1_Click()
{
    QFont font = Check1->font();
    font.setPointSizeF(Check1->isChecked() ? 12 : 8);
    Check1->setFont(font);
}

} // namespace corvane
