#include "platform/qtservices.h"

#include "base/systemerror.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStorageInfo>
#include <QTime>
#include <QUrl>

#include <cerrno>
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
    // A file URL, never a command line: no name can reach a shell.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(absolutePath)))
        return {{}, QStringLiteral("No program could be started to open %1").arg(absolutePath)};
    return {};
}

namespace {

bool isRealVolume(const QStorageInfo &info)
{
    static const QList<QByteArray> pseudo = {
        "proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs",
        "pstore", "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs",
        "bpf", "autofs", "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs", "ramfs", "overlay", "squashfs",
    };
    return info.isValid() && info.isReady() && !pseudo.contains(info.fileSystemType());
}

} // namespace

QtDrives::QtDrives()
{
    // The working folder's volume remembers the working folder; every other
    // volume its root.
    const QString cwd = QDir::currentPath();
    m_current = QStorageInfo(cwd).rootPath();
    m_remembered.insert(m_current, cwd);
}

QList<Volume> QtDrives::volumes()
{
    QList<Volume> result;
    QStringList roots;
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
        const QString root = info.rootPath();
        // A root mounted twice is one drive; a file bind-mounted over another
        // (as containers do with /etc/hosts) is no drive at all.
        if (roots.contains(root) || !QFileInfo(root).isDir())
            continue;
        if (root != m_current && !isRealVolume(info))
            continue;
        roots.append(root);
        result.append({root, info.name()});
    }
    // The working folder's volume is always offered, whatever its file system.
    if (!roots.contains(m_current))
        result.prepend({m_current, {}});
    return result;
}

Result<> QtDrives::makeCurrent(const QString &root)
{
    const QString folder = m_remembered.value(root, root);
    if (::chdir(QFile::encodeName(folder).constData()) != 0)
        return {{}, systemErrorText(errno)};
    m_current = root;
    return {};
}

Result<QString> QtDrives::currentFolder()
{
    const QString folder = m_remembered.value(m_current, m_current);
    // The folder may have gone since the volume was made current.
    struct stat info;
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return {{}, systemErrorText(errno)};
    if (!S_ISDIR(info.st_mode))
        return {{}, systemErrorText(ENOTDIR)};
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
