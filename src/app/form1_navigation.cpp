#include "app/form1.h"
#include "app/listingsteps.h"

#include "listing/filenames.h"
#include "listing/foldertree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>

// Drive, folder, tree branch and check box handlers. Every look at the disk
// (the drives, a drive's folder, a folder's files, a level of the tree) is a
// job on a worker thread.

namespace corvane {

namespace {

QString readingText(const QString &folder)
{
    return Form1::tr("Reading %1").arg(displayPath(folder));
}

} // namespace

void Form1::Drive1_Change()
{
    Command c(*this);
    if (c.refused())
        return;
    WindowState &s = c.next();
    // The first failure is shown and ends the change, the steps before it stay
    // done, and Drive1 keeps the drive the user picked.
    s.drive = Drive1->root();
    if (s.drive.isEmpty())
        return; // the list was emptied: no drive picked
    if (!makeDriveCurrent(c, s.drive))
        return;

    Drives *drives = m_services.drives.get();
    const QString root = s.currentDrive;
    const auto currentFolder = [&]() -> std::optional<QString> {
        const std::optional<Result<QString>> folder = runIn<Result<QString>>(
            c, readingText(root), false, [drives, root](ReadProgress &) { return drives->currentFolder(root); });
        if (!folder)
            return std::nullopt;
        if (!folder->ok()) {
            c.fail(folder->error);
            return std::nullopt;
        }
        return folder->value;
    };
    const std::optional<QString> shown = currentFolder();
    if (!shown)
        return;
    // A different folder runs the folder change right here, before the next step.
    s.treeRoot = root;
    if (!setTreePath(c, *shown))
        return;

    const std::optional<QString> listed = currentFolder();
    if (!listed || !readFiles(c, *listed, s.files.pattern))
        return;
    RefreshList(c);
}

bool Form1::makeDriveCurrent(Command &c, const QString &root)
{
    Drives *drives = m_services.drives.get();
    const std::optional<Result<QString>> made = runIn<Result<QString>>(
        c, readingText(root), false, [drives, root](ReadProgress &) { return drives->makeCurrent(root); });
    if (!made)
        return false;
    if (!made->ok()) {
        c.fail(made->error);
        return false;
    }
    c.next().currentDrive = root;
    c.next().workingFolder = made->value;
    return true;
}

bool Form1::setTreePath(Command &c, const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean == c.next().treePath)
        return true;
    c.next().treePath = clean;
    return folderChange(c);
}

void Form1::Dir1_Change()
{
    Command c(*this);
    if (c.refused())
        return;
    c.next().treePath = Dir1->path();
    folderChange(c);
}

bool Form1::folderChange(Command &c)
{
    WindowState &s = c.next();
    if (!readFiles(c, s.treePath, s.files.pattern)) {
        // A folder that cannot be read is not opened: the tree goes back to the
        // folder File1 still lists.
        s.treeRoot = m_state.treeRoot;
        s.treePath = m_state.treePath;
        return false;
    }
    return RefreshList(c);
}

Form1::FolderRead Form1::readWithLevels(const QString &folder, const QString &pattern, ReadOptions options,
                                        const QStringList &levels, ReadProgress &progress)
{
    FolderRead r;
    r.listing = readFolder(folder, Pattern(pattern), &progress, options);
    if (!r.listing.ok())
        return r;
    for (const QString &level : levels) {
        if (progress.cancelled.load(std::memory_order_relaxed))
            return r;
        const Result<QStringList> subfolders = readSubfolders(level);
        r.levels.emplace_back(level, subfolders.value, subfolders.error);
    }
    r.levels.emplace_back(folder, r.listing.value.subfolders, QString());
    return r;
}

bool Form1::tellRead(Command &c, const QString &folder, const Result<FolderListing> &listing)
{
    // A folder that failed part-way is not listed at all: a list that misses
    // names without a word would be printed and published as if whole.
    if (!listing.ok()) {
        c.fail(listing.error + QStringLiteral(" : ") + displayPath(folder));
        return false;
    }
    if (const QString warnings = readWarnings(listing.value); !warnings.isEmpty())
        c.warn(warnings);
    return true;
}

bool Form1::readFiles(Command &c, const QString &folder, const QString &pattern)
{
    WindowState &s = c.next();
    // The levels of the tree on the way to the folder that it does not know.
    QStringList levels;
    if (s.treeRoot == Dir1->root()) {
        levels = Dir1->folders()->levelsToShow(folder);
    } else {
        FolderTreeModel fresh;
        fresh.setRoot(s.treeRoot);
        levels = fresh.levelsToShow(folder);
    }
    ReadOptions options = readOptions(s);
    // A folder read again shares the strings of the names it listed before.
    if (folder == s.files.path)
        options.earlier = s.files.names;
    std::optional<FolderRead> read = runIn<FolderRead>(
        c, readingText(folder), true, [folder, pattern, levels, options](ReadProgress &progress) {
            return readWithLevels(folder, pattern, options, levels, progress);
        });
    if (!read || !tellRead(c, folder, read->listing))
        return false;
    const FolderListing &listing = read->listing.value;
    s.files = FolderView{folder, pattern, listing.names,
                         QList<FileFacts>(listing.facts.begin(), listing.facts.end()), listing.subfolders};
    for (FolderTreeModel::Level &level : read->levels)
        c.treeLevels().push_back(std::move(level));
    return true;
}

bool Form1::fillDrives()
{
    Command c(*this);
    if (c.refused())
        return false;
    Drives *drives = m_services.drives.get();
    const std::optional<QList<Volume>> volumes = runIn<QList<Volume>>(
        c, tr("Reading the drives"), false, [drives](ReadProgress &) { return drives->volumes(); });
    if (!volumes)
        return false;
    // The drive shown stays shown; one gone meanwhile gives way to the current
    // drive. Re-filling is no drive change: no change event runs.
    WindowState &s = c.next();
    s.volumes = *volumes;
    const auto listed = [&](const QString &root) {
        return std::any_of(volumes->begin(), volumes->end(), [&](const Volume &v) { return v.root == root; });
    };
    if (!listed(s.drive))
        s.drive = listed(s.currentDrive) ? s.currentDrive : volumes->isEmpty() ? QString() : volumes->first().root;
    return true;
}

void Form1::readBranches()
{
    FolderTreeModel *tree = Dir1->folders();
    QStringList wanted;
    // A branch whose level came in meanwhile (with its folder's) is not read again.
    for (const QString &folder : std::exchange(m_branchesWanted, {}))
        if (tree->isWaiting(folder) && !wanted.contains(folder))
            wanted.append(folder);
    const auto giveUp = [&] {
        // The branches close again and are read the next time they are opened.
        for (const QString &folder : std::as_const(wanted)) {
            tree->dropReading(folder);
            Dir1->collapse(tree->indexForPath(folder));
        }
    };
    if (wanted.isEmpty())
        return;
    Command c(*this);
    if (c.refused()) {
        giveUp();
        return;
    }
    std::optional<TreeLevels> levels =
        runIn<TreeLevels>(c, readingText(wanted.first()), false, [wanted](ReadProgress &progress) {
            TreeLevels read;
            for (const QString &folder : wanted) {
                if (progress.cancelled.load(std::memory_order_relaxed))
                    break;
                const Result<QStringList> subfolders = readSubfolders(folder);
                read.emplace_back(folder, subfolders.value, subfolders.error);
            }
            return read;
        });
    if (!levels) {
        giveUp();
        return;
    }
    c.treeLevels() = std::move(*levels);
}

void Form1::Check1_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    // Its font size follows its state; the list is not rebuilt.
    c.next().clearFirst = Check1->isChecked();
}

} // namespace corvane
