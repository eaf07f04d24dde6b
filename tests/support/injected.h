#pragma once
// Faults injected by the system itself: strace, attached to this test process,
// makes the system calls it matches fail the way a failing disk, a dropped
// network share or an exhausted machine makes them fail (strace's
// `-e inject=SYSCALL:error=...`). Nothing in the program is stubbed.

#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

namespace corvane::test {

class InjectedFault
{
public:
    // filter: strace's arguments that pick and tamper with the calls, such as
    // {"-P", folder, "-e", "trace=getdents64", "-e", "inject=getdents64:error=EIO:when=3"}.
    explicit InjectedFault(const QStringList &filter);
    ~InjectedFault(); // detaches
    InjectedFault(const InjectedFault &) = delete;
    InjectedFault &operator=(const InjectedFault &) = delete;

    // False, with the reason, when strace could not attach (no strace, or a
    // machine that allows no tracing).
    bool isActive() const { return m_why.isEmpty(); }
    const QString &why() const { return m_why; }

private:
    std::unique_ptr<QProcess> m_strace;
    QString m_why;
};

} // namespace corvane::test
