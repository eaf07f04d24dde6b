#include "app/form1.h"

// Ways into and out of the window beside its menus: Ctrl+C copies the list as
// plain text, and folders dropped from a file manager are opened as if chosen
// in the folder tree.

#include "listing/filenames.h"
#include "output/documents.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <optional>
#include <QUrl>

#include <algorithm>
#include <vector>

#include <sys/stat.h>

namespace corvane {

namespace {

// The local files and folders a drop carries, in the order given; nothing when
// the drop carries anything else.
QStringList droppedPaths(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {}; // one thing that is no local file or folder refuses the whole drop
        // The address's path as the bytes it names: toLocalFile() would decode
        // a name that is not UTF-8 with loss.
        paths.append(pathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
    }
    return paths;
}

} // namespace

void Form1::setUpWorkflow()
{
    setAcceptDrops(true);
}

void Form1::copyToClipboard()
{
    const Command c(*this);
    if (c.refused())
        return;
    const QStringList &texts = m_items.texts();
    if (texts.isEmpty())
        return; // nothing to copy: whatever the clipboard holds stays
    // The marked items, or every item when none is marked.
    const std::vector<qsizetype> rows = m_items.value().markedRows();
    const QList<FileFacts> facts = m_state.sizesAndDates ? m_items.value().factsColumn() : QList<FileFacts>();
    const QByteArray text = copiedText({.items = texts,
                                        .facts = facts,
                                        .numbered = m_state.enumerate,
                                        .showExtensions = m_state.ShowExtensions,
                                        .rows = rows});
    // Handed over as UTF-8 bytes: no second copy of a long list as a QString.
    auto *data = new QMimeData;
    data->setData(QStringLiteral("text/plain;charset=utf-8"), text);
    data->setData(QStringLiteral("text/plain"), text);
    QGuiApplication::clipboard()->setMimeData(data);
}

namespace {

// Takes a drop as a copy or a link, never as a move: a file manager that saw
// a move would remove what was dropped.
bool acceptDrop(QDropEvent *event, const QStringList &paths)
{
    if (paths.isEmpty()) {
        event->ignore();
        return false;
    }
    for (Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    acceptDrop(event, droppedPaths(event->mimeData()));
}

void Form1::dragMoveEvent(QDragMoveEvent *event)
{
    acceptDrop(event, droppedPaths(event->mimeData()));
}

void Form1::dropEvent(QDropEvent *event)
{
    // The data is read once: on X11 each read asks the dragging program again.
    const QStringList paths = droppedPaths(event->mimeData());
    if (!acceptDrop(event, paths))
        return;
    // Opened once the drop has returned: the file manager is not kept waiting
    // while a large folder is read.
    QTimer::singleShot(0, this, [this, paths] { whenIdle([this, paths] { openFolders(paths); }); });
}

void Form1::openFolders(const QStringList &paths)
{
    Command c(*this);
    if (c.refused() || paths.isEmpty())
        return;
    // A file stands for its folder; anything else, even a path that is gone,
    // goes to the tree as it is and fails there as a chosen folder would.
    const std::optional<QStringList> folders = runIn<QStringList>(
        c, tr("Reading %1").arg(displayPath(paths.first())), false, [paths](ReadProgress &) {
            QStringList found;
            for (const QString &path : paths) {
                const QString clean = QDir::cleanPath(path);
                struct stat info;
                const bool file = ::stat(pathToBytes(clean).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
                found.append(file ? clean.left(std::max<qsizetype>(clean.lastIndexOf(u'/'), 1)) : clean);
            }
            return found;
        });
    if (!folders)
        return;
    // One command for all: a cancel or a failure stops the folders after it.
    for (const QString &folder : *folders)
        if (!openFolder(c, folder))
            return;
}

bool Form1::openFolder(Command &c, const QString &folder)
{
    WindowState &s = c.next();
    // The drive whose root holds the folder; the longest root wins ("/" holds all).
    QString drive;
    for (const Volume &volume : std::as_const(s.volumes)) {
        const QString root = QDir::cleanPath(volume.root);
        const bool holds = folder == root || folder.startsWith(root.endsWith(u'/') ? root : root + u'/');
        if (holds && root.size() > drive.size())
            drive = volume.root;
    }
    if (!drive.isEmpty() && drive != s.drive) {
        // The drive list follows: that drive becomes current as when picked, but
        // its own folder is not listed on the way.
        if (!makeDriveCurrent(c, drive))
            return false;
        s.drive = drive;
        s.treeRoot = drive;
    }
    // The folder shown already is read again all the same.
    s.treePath = QDir::cleanPath(folder);
    return folderChange(c);
}

} // namespace corvane
