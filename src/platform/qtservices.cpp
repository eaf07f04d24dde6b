#include "platform/qtservices.h"

#include "base/systemerror.h"
#include "listing/filenames.h"
#include "listing/folderreader.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QStorageInfo>
#include <QTime>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

QString displayLines(const QString &text)
{
    QString shown = text;
    shown.replace(u'\r', u'\n');
    return shown;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(displayLines(prompt));
    box.setTextValue(defaultText);
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue();
}

void QtDialogs::messageBox(const QString &text, const QString &title, MessageIcon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    // Plain text: file names and system messages are data, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayLines(text));
    switch (icon) {
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

Result<> QtShell::openDocument(const QString &absolutePath)
{
    // A file URL, never a command line: no name can reach a shell. It is made
    // from the path's bytes, so a folder whose name is not UTF-8 is named too.
    const QUrl url = QUrl::fromEncoded("file://" + pathToBytes(absolutePath).toPercentEncoding("/"));
    if (!QDesktopServices::openUrl(url))
        return {{}, QCoreApplication::translate("Services", "No program could be started to open %1").arg(absolutePath)};
    return {};
}

namespace {

bool isRealVolume(const MountEntry &entry)
{
    static const QList<QByteArray> pseudo = {
        "proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs",
        "pstore", "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs",
        "bpf", "autofs", "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs", "ramfs", "overlay", "squashfs",
    };
    return entry.ready && !pseudo.contains(entry.type);
}

// The mount point that holds path: the longest root on its way.
QString rootOf(const QString &path, const QList<MountEntry> &table)
{
    QString best = QStringLiteral("/");
    for (const MountEntry &entry : table) {
        const QString &root = entry.root;
        const bool holds = path == root || root == u"/"
            || (path.startsWith(root) && path.at(root.size()) == u'/');
        if (holds && root.size() > best.size())
            best = root;
    }
    return best;
}

} // namespace

QList<MountEntry> systemMountTable()
{
    QList<MountEntry> table;
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
        if (info.isValid())
            table.append({info.rootPath(), info.name(), info.fileSystemType(), info.isReady()});
    }
    return table;
}

QtDrives::QtDrives(MountTable mountTable) : m_mountTable(std::move(mountTable)) {}

QString QtDrives::startRoot()
{
    const std::lock_guard lock(m_lock);
    if (m_startRoot.isEmpty()) {
        // The working folder's volume remembers the working folder; every
        // other volume its root.
        m_startFolder = workingFolder();
        m_startRoot = rootOf(m_startFolder, m_mountTable());
    }
    return m_startRoot;
}

QString QtDrives::rememberedFolder(const QString &root)
{
    const std::lock_guard lock(m_lock);
    return root == m_startRoot && !m_startFolder.isEmpty() ? m_startFolder : root;
}

QList<Volume> QtDrives::volumes()
{
    const QString start = startRoot();
    // Read afresh each time: volumes come and go while the program runs.
    QList<Volume> result;
    QStringList roots;
    for (const MountEntry &entry : m_mountTable()) {
        const QString &root = entry.root;
        // A root mounted twice is one drive; a file bind-mounted over another
        // (as containers do with /etc/hosts) is no drive at all.
        if (roots.contains(root) || !isFolder(root))
            continue;
        if (root != start && !isRealVolume(entry))
            continue;
        roots.append(root);
        result.append({root, entry.label});
    }
    // The working folder's volume is always offered, whatever its file system.
    if (!roots.contains(start))
        result.prepend({start, {}});
    return result;
}

Result<QString> QtDrives::makeCurrent(const QString &root)
{
    // A volume unmounted since the list was read leaves an empty folder behind
    // (or the folder of the volume below): never list that as the drive.
    const QList<MountEntry> table = m_mountTable();
    const bool mounted = std::any_of(table.begin(), table.end(), [&](const MountEntry &e) { return e.root == root; });
    if (!mounted && root != u"/")
        return {{}, QCoreApplication::translate("Services", "%1 is no longer mounted").arg(displayPath(root))};
    // Entered as the working folder would be: a folder that can be searched.
    const QString folder = rememberedFolder(root);
    const QByteArray bytes = pathToBytes(folder);
    struct stat info;
    if (::stat(bytes.constData(), &info) != 0)
        return {{}, systemErrorText(errno)};
    if (!S_ISDIR(info.st_mode))
        return {{}, systemErrorText(ENOTDIR)};
    if (::faccessat(AT_FDCWD, bytes.constData(), X_OK, AT_EACCESS) != 0)
        return {{}, systemErrorText(errno)};
    return {folder, {}};
}

Result<QString> QtDrives::currentFolder(const QString &root)
{
    const QString folder = rememberedFolder(root);
    // The folder may have gone since the volume was made current.
    struct stat info;
    if (::stat(pathToBytes(folder).constData(), &info) != 0)
        return {{}, systemErrorText(errno)};
    if (!S_ISDIR(info.st_mode))
        return {{}, systemErrorText(ENOTDIR)};
    // A folder the user may not read is a drive that cannot be read: the
    // change stops here instead of showing an empty folder.
    const int fd = ::open(pathToBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {{}, systemErrorText(errno)};
    ::close(fd);
    return {folder, {}};
}

void QtBeep::beep()
{
    QApplication::beep();
}

void QtRandom::seedFromTimeOfDay()
{
    m_engine.seed(quint64(QTime::currentTime().msecsSinceStartOfDay()));
}

double QtRandom::next()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}

Services Services::desktop()
{
    Services s;
    s.dialogs = std::make_unique<QtDialogs>();
    s.printer = std::make_unique<QtPrinter>();
    s.shell = std::make_unique<QtShell>();
    s.drives = std::make_unique<QtDrives>();
    s.beep = std::make_unique<QtBeep>();
    s.random = std::make_unique<QtRandom>();
    return s;
}

} // namespace corvane
