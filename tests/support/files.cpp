#include "support/files.h"
#include "support/hostilefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

std::optional<QByteArray> runWithFileSizeLimit(const std::function<QByteArray()> &work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray report = work();
        for (qsizetype done = 0; done < report.size();) {
            const ssize_t n = ::write(fds[1], report.constData() + done, size_t(report.size() - done));
            if (n <= 0)
                ::_exit(2);
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(fds[0]);
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return report;
}

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

QList<QStringList> csvReadBack(const QString &path)
{
    static const char script[] = R"PY(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    rows = list(csv.reader(f, strict=True))
print(json.dumps([[field[1:] if field.startswith("'") else field for field in row] for row in rows]))
)PY";
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!python.waitForStarted(10000))
        return {{QStringLiteral("python3 did not start (scripts/install-deps installs it)")}};
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return {{QStringLiteral("python3 failed: ") + QString::fromUtf8(python.readAllStandardError())}};
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows.append(row.toVariant().toStringList());
    return rows;
}

} // namespace corvane::test
