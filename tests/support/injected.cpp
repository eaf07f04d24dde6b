#include "support/injected.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <sys/prctl.h>
#include <unistd.h>

namespace corvane::test {

namespace {

// The process's tracer, from /proc/self/status; 0 when none.
long tracerPid()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("TracerPid:"))
            return line.mid(10).trimmed().toLong();
    return 0;
}

} // namespace

bool injectionRequired()
{
#if defined(__SANITIZE_THREAD__)
    return false;
#else
    return qEnvironmentVariableIntValue("CORVANE_REQUIRE_INJECTION") == 1;
#endif
}

InjectedFault::InjectedFault(const QStringList &filter) : m_strace(std::make_unique<QProcess>())
{
#if defined(__SANITIZE_THREAD__)
    // A process started by a threaded one ends the thread checker's run when
    // the program starts its next thread.
    Q_UNUSED(filter);
    m_why = QStringLiteral("the thread checker cannot follow a process started by a threaded one");
    return;
#endif
    // Where the kernel only lets a process trace its descendants, this one
    // allows its own child to trace it.
#ifdef PR_SET_PTRACER
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
#endif
    m_strace->setProcessChannelMode(QProcess::MergedChannels);
    // -f: the worker threads the window starts from now on are traced too.
    m_strace->start(QStringLiteral("strace"), QStringList{QStringLiteral("-qq"), QStringLiteral("-f"),
                                                          QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                                          QStringLiteral("-p"), QString::number(::getpid())}
                                                  + filter);
    if (!m_strace->waitForStarted(10000)) {
        m_why = QStringLiteral("strace cannot be started: ") + m_strace->errorString();
        return;
    }
    const QDeadlineTimer deadline(10000);
    while (tracerPid() != m_strace->processId()) {
        if (m_strace->state() != QProcess::Running || deadline.hasExpired()) {
            m_why = QStringLiteral("strace cannot attach: ") + QString::fromLocal8Bit(m_strace->readAll()).trimmed();
            return;
        }
        QThread::msleep(10);
    }
}

InjectedFault::~InjectedFault()
{
    if (m_strace->state() == QProcess::Running) {
        m_strace->terminate(); // strace detaches on SIGTERM
        if (!m_strace->waitForFinished(10000))
            m_strace->kill();
    }
    const QDeadlineTimer deadline(10000);
    while (tracerPid() != 0 && !deadline.hasExpired())
        QThread::msleep(10);
}

} // namespace corvane::test
