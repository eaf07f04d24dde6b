#include "app/form1.h"

#include "app/folderjob.h"
#include "listing/folderreader.h"
#include "listing/refresh.h"
#include "listing/release.h"
#include "listing/wordfilter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalBlocker>

#include <thread>

// Commands that read folders. The read runs on a worker thread; the command
// waits for it, and when the user cancels the read the command ends there and
// the window is put back the way it was before the command: what the user sees
// and what the next command reads.

namespace corvane {

struct Form1::Snapshot
{
    int driveIndex = -1;
    QString currentDrive;
    QString treeRoot;
    QString treePath;
    FileBox::State files;
    ItemList::State items;
    QString countToolTip;
    QString countDescription;
    bool print = false, txt = false, htm = false;
    bool showExtensions = false;
    QString fileTypes;
    QString filterWord;
    WordFilterMode filterMode = WordFilterMode::None;
    QString title;
    QString displayExtCaption;
    QString listOnlyCaption;
    QString excludeCaption;
    QString filterTitle;
    bool listOnlyChecked = false;
    bool excludeChecked = false;
};

Form1::Snapshot Form1::snapshot() const
{
    Snapshot s;
    s.driveIndex = m_driveShown; // Drive1 shows the newly picked drive already
    s.currentDrive = m_services.drives->currentRoot();
    s.treeRoot = Dir1->root();
    s.treePath = Dir1->path();
    s.files = File1->state();
    s.items = m_items.state();
    s.countToolTip = List1->toolTip();
    s.countDescription = List1->accessibleDescription();
    s.print = PrintList->isEnabled();
    s.txt = CreateTXT->isEnabled();
    s.htm = CreateHTM->isEnabled();
    s.showExtensions = ShowExtensions;
    s.fileTypes = FileTypes;
    s.filterWord = FilterWord;
    s.filterMode = FilterMode;
    s.title = windowTitle();
    s.displayExtCaption = DisplayEXT->text();
    s.listOnlyCaption = ListOnly->text();
    s.excludeCaption = Exclude->text();
    s.filterTitle = FilterMenu->title();
    s.listOnlyChecked = ListOnly->isChecked();
    s.excludeChecked = Exclude->isChecked();
    return s;
}

void Form1::restore(Snapshot &&before)
{
    // The drive first: the drive change made another one current.
    if (m_services.drives->currentRoot() != before.currentDrive)
        m_services.drives->makeCurrent(before.currentDrive);
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->setCurrentIndex(before.driveIndex);
        m_driveShown = before.driveIndex;
    }
    // File1 before the tree: the tree takes the subfolders from File1's read.
    File1->restore(std::move(before.files));
    Dir1->restore(before.treeRoot, before.treePath);
    // Any change to the list has detached it from the copy kept here.
    if (m_items.texts().constData() != before.items.items.constData()
        || m_items.count() != before.items.items.size())
        m_items.restore(std::move(before.items));
    List1->setToolTip(before.countToolTip);
    List1->setAccessibleDescription(before.countDescription);
    PrintList->setEnabled(before.print);
    CreateTXT->setEnabled(before.txt);
    CreateHTM->setEnabled(before.htm);
    ShowExtensions = before.showExtensions;
    FileTypes = before.fileTypes;
    FilterWord = before.filterWord;
    FilterMode = before.filterMode;
    setWindowTitle(before.title);
    DisplayEXT->setText(before.displayExtCaption);
    ListOnly->setText(before.listOnlyCaption);
    Exclude->setText(before.excludeCaption);
    FilterMenu->setTitle(before.filterTitle);
    ListOnly->setChecked(before.listOnlyChecked);
    Exclude->setChecked(before.excludeChecked);
}

Form1::ReadingCommand::ReadingCommand(Form1 &form)
    // Input is held back while a read runs, but a command can still be started
    // from outside it (a screen reader's action): none starts then.
    : m_form(form), m_allowed(!folderJobRunning())
{
    if (!m_allowed)
        return;
    if (m_form.m_commandDepth++ == 0) {
        m_before = std::make_unique<Snapshot>(m_form.snapshot());
        m_form.m_readCancelled = false;
    }
}

Form1::ReadingCommand::~ReadingCommand()
{
    if (!m_allowed)
        return;
    --m_form.m_commandDepth;
    if (!m_before)
        return;
    if (m_form.m_readCancelled) {
        m_form.restore(std::move(*m_before));
        m_form.m_readCancelled = false;
        return;
    }
    // The lists kept for putting back may be the last copies of a huge folder.
    releaseInBackground(std::move(m_before->items.items));
    releaseInBackground(std::move(m_before->files.names));
}

bool Form1::refreshOffThread(bool clearFirst)
{
    ItemList::State start = clearFirst ? ItemList::State() : m_items.state();
    using Result = std::optional<ItemList::State>; // nothing when the list stays as it is
    const QStringList names = File1->names();
    const RefreshSettings settings{clearFirst, ShowExtensions, FilterWord, FilterMode};
    // The worker's own list: a copy no view shows, changed by the same merge as
    // the window's list, then swapped in whole.
    std::optional<Result> result = runFolderJob<Result>(
        this, File1->path(), [start = std::move(start), names, settings](ReadProgress &progress) mutable {
            progress.names.store(names.size(), std::memory_order_relaxed);
            // Tests slow this down the way a slow volume slows a read.
            if (const auto delay = readDelayForTesting(); delay.count() > 0) {
                for (qsizetype done = 0; done <= names.size(); done += 512) {
                    if (progress.cancelled.load(std::memory_order_relaxed))
                        return Result();
                    std::this_thread::sleep_for(delay);
                }
            }
            ItemList list;
            list.restore(std::move(start));
            return mergeFolder(list, names, settings) ? Result(list.takeState()) : Result();
        });
    if (!result)
        return false;
    if (*result)
        m_items.restore(std::move(**result));
    return true;
}

} // namespace corvane
