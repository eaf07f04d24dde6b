#pragma once
// Faults injected by the system itself: strace, attached to this test process,
// makes the system calls it matches fail the way a failing disk, a dropped
// network share or an exhausted machine makes them fail (strace's
// `-e inject=SYSCALL:error=...`). Nothing in the program is stubbed.

#include <QString>
#include <QStringList>
#include <QTest>

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

// True when a fault scene that cannot run here must fail instead of skipping:
// CI sets CORVANE_REQUIRE_INJECTION=1 (.ci/run), where strace must run, so a
// scene that never ran cannot pass for one that did. Under the thread checker,
// which cannot follow a process started by a threaded one, the scenes skip
// all the same.
bool injectionRequired();

} // namespace corvane::test

// Ends a fault scene that cannot inject its fault here: a skip, or where
// injection is required (see injectionRequired) a failure, with why.
#define SKIP_WITHOUT_INJECTION(why)                                                                                \
    do {                                                                                                           \
        const QString whyNot = (why);                                                                              \
        if (corvane::test::injectionRequired())                                                                    \
            QFAIL(qPrintable(QStringLiteral("the fault cannot be injected, and CI requires it: ") + whyNot));      \
        QSKIP(qPrintable(whyNot));                                                                                 \
    } while (false)
