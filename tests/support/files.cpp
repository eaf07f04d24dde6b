#include "support/files.h"
#include "support/hostilefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace corvane::test {

WorkFolder::WorkFolder() : m_oldCwd(QDir::currentPath()) {}

WorkFolder::~WorkFolder()
{
    QDir::setCurrent(m_oldCwd);
    if (m_dir.isValid())
        removeTree(m_dir.path());
}

void makeFiles(const QString &root, const QStringList &relativePaths)
{
    for (const QString &rel : relativePaths) {
        const QString path = root + u'/' + rel;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
    }
}


QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString systemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool fifoHasNoReader(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == ENXIO;
}

} // namespace corvane::test
