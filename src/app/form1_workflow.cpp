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
    const QStringList &texts = m_items.texts();
    if (texts.isEmpty())
        return; // nothing to copy: whatever the clipboard holds stays
    std::vector<qsizetype> rows;
    rows.reserve(size_t(m_items.markedCount()));
    for (qsizetype i = 0; i < m_items.count() && qsizetype(rows.size()) < m_items.markedCount(); ++i)
        if (m_items.isMarked(i))
            rows.push_back(i);
    const QByteArray text = copiedText(
        {.items = texts, .numbered = Enumerate->isChecked(), .showExtensions = ShowExtensions, .rows = rows});
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
    QTimer::singleShot(0, this, [this, paths] { openFolders(paths); });
}

void Form1::openFolders(const QStringList &paths)
{
    for (const QString &path : paths) {
        // A file stands for its folder; anything else, even a path that is gone,
        // goes to the tree as it is and fails there as a chosen folder would.
        const QString clean = QDir::cleanPath(path);
        struct stat info;
        const bool file = ::stat(pathToBytes(clean).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
        openFolder(file ? clean.left(std::max<qsizetype>(clean.lastIndexOf(u'/'), 1)) : clean);
    }
}

void Form1::openFolder(const QString &folder)
{
    // The drive whose root holds the folder; the longest root wins ("/" holds all).
    int drive = -1;
    qsizetype longest = -1;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = QDir::cleanPath(Drive1->itemData(i).toString());
        const bool holds = folder == root || folder.startsWith(root.endsWith(u'/') ? root : root + u'/');
        if (holds && root.size() > longest) {
            drive = i;
            longest = root.size();
        }
    }
    if (drive >= 0 && drive != Drive1->currentIndex()) {
        // The drive list follows: that drive becomes current as when picked, but
        // its own folder is not listed on the way.
        const QString root = Drive1->itemData(drive).toString();
        if (warnOnFailure(m_services.drives->makeCurrent(root)))
            return;
        const QSignalBlocker quiet(Drive1);
        Drive1->setCurrentIndex(drive);
        Dir1->setRoot(m_services.drives->currentRoot());
    }
    if (Dir1->path() == folder)
        Dir1_Change(); // the folder shown already: read it again all the same
    else
        Dir1->setPath(folder);
}

} // namespace corvane
