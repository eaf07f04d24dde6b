#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>

#include <exception>

// Drive, folder and check box handlers.

namespace corvane {

void Form1::Drive1_Change()
{
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    if (m_commandDepth == 1)
        m_driveShown = Drive1->currentIndex(); // a cancel puts the entry before back
    // One trap over every step: the first failure is shown and ends the change,
    // the steps before it stay done, and Drive1 keeps the drive the user picked.
    auto change = [this]() -> QString {
        const QString root = Drive1->currentData().toString();
        if (root.isEmpty())
            return {}; // the list was emptied: no drive picked

        const ServiceResult made = m_services.drives->makeCurrent(root);
        if (!made.ok())
            return made.error;

        const FolderResult shown = m_services.drives->currentFolder();
        if (!shown.ok())
            return shown.error;
        Dir1->setRoot(m_services.drives->currentRoot());
        // A different folder runs Dir1_Change right here, before the next step.
        Dir1->setPath(shown.folder);
        if (m_readCancelled)
            return {};

        const FolderResult listed = m_services.drives->currentFolder();
        if (!listed.ok())
            return listed.error;
        if (!File1->setPath(listed.folder)) {
            m_readCancelled = true;
            return {};
        }

        RefreshList();
        return {};
    };

    QString failure;
    try {
        failure = change();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (!failure.isEmpty())
        m_services.dialogs->messageBox(failure, QStringLiteral("WARNING"), MessageIcon::Critical);
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
