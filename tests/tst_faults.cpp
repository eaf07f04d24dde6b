#include "listing/folderreader.h"
#include "listing/foldertree.h"
#include "app/form1.h"
#include "platform/qtservices.h"
#include "support/files.h"
#include "support/scripted.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The window under failing disks and folders that change under it: a document
// cut short by a file-size limit or a full file system, a folder removed while
// a name is being asked for, folders removed while shown or while being read;
// and folders and documents the user may not read or write. Root gets past
// every permission, so those tests skip as root: CI runs them in its pass as
// an unprivileged user (.ci/user-pass).

using namespace corvane;
using namespace corvane::test;

namespace {

// Enough items for a document of about 100 KB: beyond the 4 KiB limit and
// beyond the 64 KiB file system below.
void fillList(Window &w)
{
    for (int i = 0; i < 1500; ++i)
        w.items().addItem(QStringLiteral("item %1 ").arg(i, 5, 10, QLatin1Char('0')) + QString(60, u'x'));
}

// What a command showed, as recorded by the scripted dialogs and shell.
struct Outcome
{
    QList<MessageRecord> messages;
    qsizetype opened = 0;
};

// Runs command in a child process whose files may not grow beyond 4 KiB
// (a limit root cannot get past either) and brings back what it showed.
Outcome runWithFileSizeLimit(Window &w, void (Form1::*command)())
{
    Outcome outcome;
    const std::optional<QByteArray> reported = test::runWithFileSizeLimit([&] {
        (w.form.get()->*command)();
        QByteArray report;
        for (const MessageRecord &m : w.dialogs().messages)
            report += m.text.toUtf8() + '\x1f' + m.title.toUtf8() + '\x1f' + QByteArray::number(int(m.icon)) + '\x1e';
        report += QByteArray::number(w.scripted.shell->opened.size());
        return report;
    });
    if (!reported) {
        outcome.opened = -1; // the child did not finish its report
        return outcome;
    }
    const QByteArray &report = *reported;
    QList<QByteArray> records = report.split('\x1e');
    outcome.opened = records.takeLast().toLongLong();
    for (const QByteArray &record : records) {
        const QList<QByteArray> fields = record.split('\x1f');
        if (fields.size() == 3)
            outcome.messages.append(
                {QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]), MessageIcon(fields[2].toInt())});
    }
    return outcome;
}

// The list, its count tooltip, its spoken count and the three output commands
// tell the same story.
void verifyConsistent(Form1 &f)
{
    const qsizetype n = f.items().count();
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  ") + QString::number(n) + u' ');
    QCOMPARE(f.CreateTXT->isEnabled(), n > 0);
    QCOMPARE(f.CreateHTM->isEnabled(), n > 0);
    QCOMPARE(f.PrintList->isEnabled(), n > 0);
    QCOMPARE(f.List1->model()->rowCount(), int(n));
    const QString spoken = n == 1 ? QStringLiteral("1 item ") : QString::number(n) + QStringLiteral(" items ");
    QVERIFY2(f.List1->accessibleDescription().startsWith(spoken), qPrintable(f.List1->accessibleDescription()));
}

// The failure, and no confirmation.
void verifyFailure(const QList<MessageRecord> &messages, int err)
{
    verifyWarning(messages, systemError(err), MessageIcon::Critical, true);
}

// Gives path the permission bits mode for as long as it lives, then u+rwx
// back, so the temporary folder can be removed whatever way the test ends.
struct Locked
{
    QByteArray at;
    Locked(const QString &path, mode_t mode) : at(QFile::encodeName(path))
    {
        if (::chmod(at.constData(), mode) != 0)
            qFatal("cannot chmod %s", at.constData());
    }
    ~Locked() { ::chmod(at.constData(), 0700); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;
};

// Every entry below folder with its size, so a test sees anything written,
// grown or left behind.
QStringList tree(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        found.append(it.filePath() + u' ' + QString::number(it.fileInfo().size()));
    }
    found.sort();
    return found;
}

// Unmounts a file system mounted by a test, whatever way the test ends.
struct Mounted
{
    QByteArray at;
    ~Mounted()
    {
        if (!at.isEmpty())
            ::umount2(at.constData(), MNT_DETACH);
    }
};

} // namespace

// Root may read and write whatever the permission bits say.
#define SKIP_AS_ROOT()                                                                                             \
    do {                                                                                                           \
        if (::geteuid() == 0)                                                                                      \
            QSKIP("root gets past file permissions; runs as an unprivileged user (.ci/user-pass)");               \
    } while (false)

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void exportCutShortByFileSizeLimit_data();
    void exportCutShortByFileSizeLimit();
    void exportOnFullFileSystem_data();
    void exportOnFullFileSystem();
    void folderRemovedWhileAsking_data();
    void folderRemovedWhileAsking();

    void shownFolderRemoved();
    void hugeFolderEmptiedWhileListed();

    void unreadableFolderOpened_data();
    void unreadableFolderOpened();
    void rememberedFolderFails_data();
    void rememberedFolderFails();
    void documentNotWritable_data();
    void documentNotWritable();

private:
    QString path(const QString &rel) const { return m_dir->path() + u'/' + rel; }

    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestFaults::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    makeFiles(m_dir->path(), {"work/w1.txt", "work/w2.doc", "A/a1.txt", "A/shown/s1.txt", "A/shown/s2.md"});
    QVERIFY(QDir::setCurrent(path("work")));
}

void TestFaults::cleanup()
{
    m_dir.reset();
}

void TestFaults::exportCutShortByFileSizeLimit_data()
{
    QTest::addColumn<bool>("web");
    QTest::newRow("Create TXT") << false;
    QTest::newRow("Make WEB Page") << true;
}

void TestFaults::exportCutShortByFileSizeLimit()
{
#if defined(__SANITIZE_THREAD__)
    QSKIP("the command writes on a worker thread in a child forked from a threaded process, which the thread "
          "checker does not follow; the writer's own test cuts it short the same way");
#endif
    QFETCH(bool, web);
    const QString doc = web ? QStringLiteral("doc.htm") : QStringLiteral("doc.txt");
    const QByteArray old("the old document\r\n");
    writeBytes(doc, old);
    const QStringList before = entries(path("work"));
    Window w;
    fillList(w);
    w.dialogs().answers = {QStringLiteral("doc"), QStringLiteral("Title")};
    const Outcome outcome = runWithFileSizeLimit(w, web ? &Form1::CreateHTM_Click : &Form1::CreateTXT_Click);
    QVERIFY(outcome.opened >= 0);
    verifyFailure(outcome.messages, EFBIG);
    QCOMPARE(outcome.opened, 0); // no page handed to the browser
    QCOMPARE(readAll(doc), old);
    QCOMPARE(entries(path("work")), before); // no temporary file left behind
}

void TestFaults::exportOnFullFileSystem_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<bool>("fullBefore"); // no room at all, or room for part of the document
    QTest::newRow("Create TXT, fills up part-way") << false << false;
    QTest::newRow("Create TXT, already full") << false << true;
    QTest::newRow("Make WEB Page, fills up part-way") << true << false;
    QTest::newRow("Make WEB Page, already full") << true << true;
}

void TestFaults::exportOnFullFileSystem()
{
    QFETCH(bool, web);
    QFETCH(bool, fullBefore);
    // A 64 KiB tmpfs: its size binds root as well.
    QVERIFY(QDir().mkdir(path("small")));
    Mounted mounted;
    if (::mount("tmpfs", QFile::encodeName(path("small")).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here (") + systemError(errno)
                         + QStringLiteral("); exportCutShortByFileSizeLimit still fails a write part-way")));
    mounted.at = QFile::encodeName(path("small"));

    const QString doc = path(web ? QStringLiteral("small/doc.htm") : QStringLiteral("small/doc.txt"));
    const QByteArray old("the old document\r\n");
    writeBytes(doc, old);
    if (fullBefore) {
        QFile filler(path("small/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size()) {
        }
    }
    const QStringList before = entries(path("small"));

    Window w;
    fillList(w);
    w.dialogs().answers = {path("small/doc"), QStringLiteral("Title")};
    web ? w.form->CreateHTM_Click() : w.form->CreateTXT_Click();
    verifyFailure(w.dialogs().messages, ENOSPC);
    QVERIFY(w.scripted.shell->opened.isEmpty());
    QCOMPARE(readAll(doc), old);
    QCOMPARE(entries(path("small")), before);

    // Once there is room again the same command succeeds.
    QFile::remove(path("small/filler"));
    w.items().clear();
    w.items().addItem(QStringLiteral("a.txt"));
    w.dialogs().messages.clear();
    w.dialogs().answers = {path("small/doc"), QStringLiteral("Title")};
    web ? w.form->CreateHTM_Click() : w.form->CreateTXT_Click();
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages[0].icon, MessageIcon::Information);
    QVERIFY(readAll(doc).contains("a.txt"));
}

void TestFaults::folderRemovedWhileAsking_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("removeWhileAsking"); // the input box's title
    QTest::addColumn<QString>("removed");           // relative to the temporary folder
    QTest::newRow("text, its folder, during the name box")
        << false << "sub/doc" << "Make TXT document" << "work/sub";
    QTest::newRow("page, its folder, during the title box") << true << "sub/doc" << "Page title" << "work/sub";
    QTest::newRow("text, the working folder, during the name box")
        << false << "doc" << "Make TXT document" << "work";
    QTest::newRow("page, the working folder, during the title box") << true << "doc" << "Page title" << "work";
}

void TestFaults::folderRemovedWhileAsking()
{
    QFETCH(bool, web);
    QFETCH(QString, answer);
    QFETCH(QString, removeWhileAsking);
    QFETCH(QString, removed);
    QVERIFY(QDir().mkdir(path("work/sub")));
    Window w;
    QVERIFY(w.items().count() > 0);
    w.dialogs().whileAsking = [&](const InputRecord &asked) {
        if (asked.title == removeWhileAsking)
            QDir(path(removed)).removeRecursively();
    };
    w.dialogs().answers = {answer, QStringLiteral("Title")};
    const QStringList rootBefore = entries(QStringLiteral("/"));
    web ? w.form->CreateHTM_Click() : w.form->CreateTXT_Click();

    QCOMPARE(w.dialogs().inputs.size(), web ? 2 : 1);
    QVERIFY(!QFileInfo::exists(path(removed)));
    verifyFailure(w.dialogs().messages, ENOENT);
    QVERIFY(w.scripted.shell->opened.isEmpty());
    // Nothing written anywhere else instead: not beside the folder, not at the root.
    if (removed == u"work")
        QCOMPARE(entries(m_dir->path()), QStringList({"A"}));
    else
        QCOMPARE(entries(path("work")), QStringList({"w1.txt", "w2.doc"}));
    QCOMPARE(entries(QStringLiteral("/")), rootBefore);
    // The window goes on: the list and the commands are as they were.
    verifyConsistent(*w.form);
}

void TestFaults::shownFolderRemoved()
{
    Window w;
    Form1 &f = *w.form;
    f.Dir1->setPath(path("A/shown"));
    QCOMPARE(w.texts(), QStringList({"s1.txt", "s2.md"}));
    QVERIFY(QDir(path("A/shown")).removeRecursively());

    // Commands that only reshape the list work on what File1 last read.
    f.DisplayEXT->trigger();
    QCOMPARE(w.texts(), QStringList({"s1", "s2"}));
    verifyConsistent(f);
    f.DisplayEXT->trigger();

    // Reading the folder again (new file types) finds it gone: the reason in
    // the "WARNING" box, and the list, File1 and the tree stay as they were.
    w.dialogs().answers = {QString()}; // no types: every file
    f.FileType->trigger();
    verifyFailure(w.dialogs().messages, ENOENT);
    QCOMPARE(w.texts(), QStringList({"s1.txt", "s2.md"}));
    QCOMPARE(f.File1->names(), QStringList({"s1.txt", "s2.md"}));
    verifyConsistent(f);
    QCOMPARE(f.Dir1->path(), path("A/shown"));

    // The tree still shows the gone folder; opening it again changes nothing.
    auto *model = qobject_cast<FolderTreeModel *>(f.Dir1->model());
    QVERIFY(model);
    const QModelIndex gone = model->indexForPath(path("A/shown"));
    QVERIFY(gone.isValid());
    emit f.Dir1->activated(gone);
    QCOMPARE(f.Dir1->path(), path("A/shown"));
    QCOMPARE(w.dialogs().messages.size(), 1);

    // Its parent lists normally, and the tree forgets the gone folder.
    const QModelIndex parent = model->indexForPath(path("A"));
    QVERIFY(parent.isValid());
    emit f.Dir1->activated(parent);
    QCOMPARE(f.Dir1->path(), path("A"));
    QCOMPARE(w.texts(), QStringList({"a1.txt"}));
    verifyConsistent(f);
    const QModelIndex again = model->indexForPath(path("A"));
    for (int row = 0; row < model->rowCount(again); ++row)
        QVERIFY(model->index(row, 0, again).data().toString() != u"shown");

    // Made again with other files, it lists them.
    makeFiles(path("A"), {"shown/new.txt"});
    f.Dir1->setPath(path("A/shown"));
    QCOMPARE(w.texts(), QStringList({"new.txt"}));
    verifyConsistent(f);
}

void TestFaults::hugeFolderEmptiedWhileListed()
{
    // 100,000 files, half of them removed by another thread while the window
    // reads the folder, slowed down so that the two overlap. How far the
    // removal has got at each batch varies; what must hold does not: the
    // window shows the names it found, consistently (at least the half that
    // stays, at most all but the thousand removed first), and after the folder
    // is gone the next read says so.
    constexpr int count = 100000;
    // On a tmpfs where one can be mounted: making 100,000 files on a busy
    // disk can take half a minute.
    QVERIFY(QDir().mkdir(path("fast")));
    Mounted mounted;
    if (::mount("tmpfs", QFile::encodeName(path("fast")).constData(), "tmpfs", 0, "size=64m") == 0)
        mounted.at = QFile::encodeName(path("fast"));
    const QString folder = path("fast/huge");
    QVERIFY(QDir().mkdir(folder));
    const QByteArray huge = QFile::encodeName(folder);
    auto fileName = [&](int i) -> QByteArray {
        return huge + "/f" + QByteArray::number(i).rightJustified(6, '0') + ".txt";
    };
    for (int i = 0; i < count; ++i) {
        const int fd = ::open(fileName(i).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }

    Window w;
    Form1 &f = *w.form;
    std::atomic<int> removedCount{0};
    // From the middle outwards, so the reader meets gaps wherever it is.
    const auto removed = [&](int i) { return (count / 2 + (i % 2 ? -(i + 1) / 2 : i / 2) + count) % count; };
    std::thread remover([&] {
        for (int i = 0; i < count / 2; ++i) {
            ::unlink(fileName(removed(i)).constData());
            removedCount.store(i + 1, std::memory_order_relaxed);
        }
    });
    const QDeadlineTimer deadline(60000);
    while (removedCount.load(std::memory_order_relaxed) < 1000 && !deadline.hasExpired())
        std::this_thread::yield();
    setReadDelayForTesting(std::chrono::milliseconds(2));
    f.Dir1->setPath(folder);
    setReadDelayForTesting(std::chrono::milliseconds(0));
    const int removedWhenDone = removedCount.load();
    remover.join();

    const QStringList texts = w.texts();
    QVERIFY2(texts.size() >= count / 2 && texts.size() <= count - 1000, qPrintable(QString::number(texts.size())));
    QCOMPARE(texts, f.File1->names()); // Check1 is checked, nothing filtered
    for (const QString &t : texts)
        QVERIFY2(t.size() == 11 && t.startsWith(u'f') && t.endsWith(QLatin1StringView(".txt")), qPrintable(t));
    verifyConsistent(f);
    qDebug("removed before the read ended: %d, names listed: %lld", removedWhenDone, qlonglong(texts.size()));

    // The list and the document agree.
    w.dialogs().answers = {path("listed")};
    f.CreateTXT->trigger();
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages[0].icon, MessageIcon::Information);
    QCOMPARE(readAll(path("listed.txt")).count("\r\n"), texts.size());

    // The next read finds the folder gone: the box says so, the list stays;
    // another folder lists as usual.
    for (int i = count / 2; i < count; ++i)
        ::unlink(fileName(removed(i)).constData());
    QCOMPARE(::rmdir(huge.constData()), 0);
    w.dialogs().messages.clear();
    w.dialogs().answers = {QString()}; // no types: every file
    f.FileType->trigger();
    verifyFailure(w.dialogs().messages, ENOENT);
    QCOMPARE(w.texts(), texts);
    verifyConsistent(f);
    f.Dir1->setPath(path("A"));
    QCOMPARE(w.texts(), QStringList({"a1.txt"}));
    verifyConsistent(f);
}

void TestFaults::unreadableFolderOpened_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("cleared"); // Check1
    QTest::newRow("neither read nor search, list cleared") << 0000 << true;
    QTest::newRow("search only, list kept") << 0100 << false;
}

void TestFaults::unreadableFolderOpened()
{
    SKIP_AS_ROOT();
    QFETCH(int, mode);
    QFETCH(bool, cleared);
    makeFiles(path("A"), {"locked/l1.txt", "locked/inner/i1.txt"});
    Window w;
    Form1 &f = *w.form;
    f.Dir1->setPath(path("A"));
    if (!cleared)
        f.Check1->click();
    auto *model = qobject_cast<FolderTreeModel *>(f.Dir1->model());
    QVERIFY(model);
    {
        const Locked lock(path("A/locked"), mode_t(mode));
        emit f.Dir1->activated(model->indexForPath(path("A/locked")));

        // Not opened: the reason in the "WARNING" box; the tree goes back to
        // the folder File1 still lists, and the list stays.
        verifyFailure(w.dialogs().messages, EACCES);
        QCOMPARE(f.Dir1->path(), path("A"));
        QCOMPARE(f.File1->path(), path("A"));
        QCOMPARE(w.texts(), QStringList({"a1.txt"}));
        verifyConsistent(f);
    }

    // Readable again, it opens as any folder, with its subfolder in the tree.
    if (!f.Check1->isChecked())
        f.Check1->click();
    emit f.Dir1->activated(model->indexForPath(path("A/locked")));
    QCOMPARE(w.texts(), QStringList({"l1.txt"}));
    const QModelIndex opened = model->indexForPath(path("A/locked"));
    QCOMPARE(model->rowCount(opened), 1);
    QCOMPARE(model->index(0, 0, opened).data().toString(), QStringLiteral("inner"));
    verifyConsistent(f);
}

void TestFaults::rememberedFolderFails_data()
{
    // The real drives: the working folder's volume remembers the working
    // folder, which is then removed, replaced or locked. Picking the drive
    // again checks it (makeCurrent) and asks for it (currentFolder).
    QTest::addColumn<int>("mode");  // the folder's permission bits; -1 removed, -2 replaced by a file
    QTest::addColumn<bool>("shown"); // the tree shows it when the drive is picked again
    QTest::addColumn<int>("madeError");   // of makeCurrent; 0: it can be entered
    QTest::addColumn<int>("folderError"); // of currentFolder; 0: it can be read
    QTest::newRow("removed while shown") << -1 << true << ENOENT << ENOENT;
    QTest::newRow("removed, another folder shown") << -1 << false << ENOENT << ENOENT;
    QTest::newRow("replaced by a file") << -2 << false << ENOTDIR << ENOTDIR;
    QTest::newRow("neither read nor search") << 0000 << true << EACCES << EACCES;
    QTest::newRow("search only") << 0100 << true << 0 << EACCES;
    QTest::newRow("read only") << 0400 << false << EACCES << 0;
}

void TestFaults::rememberedFolderFails()
{
    QFETCH(int, mode);
    QFETCH(bool, shown);
    QFETCH(int, madeError);
    QFETCH(int, folderError);
    if (mode >= 0)
        SKIP_AS_ROOT();
    Window w([](ScriptedServices &s) {
        s.services.drives = std::make_unique<QtDrives>();
        s.drives = nullptr;
    });
    Form1 &f = *w.form;
    QCOMPARE(f.Dir1->path(), path("work"));
    if (!shown)
        f.Dir1->setPath(path("A"));
    const QStringList listed = w.texts();
    const WindowState before = f.state();
    QtDrives drives; // started in the same working folder as the window's
    const QString root = drives.startRoot();
    QCOMPARE(root, f.state().currentDrive);
    std::unique_ptr<Locked> lock;
    if (mode >= 0) {
        lock = std::make_unique<Locked>(path("work"), mode_t(mode));
    } else {
        QVERIFY(QDir(path("work")).removeRecursively());
        if (mode == -2)
            makeFiles(m_dir->path(), {"work"});
    }

    // The drives say why, and the process's working folder stays where it is.
    QVERIFY(QDir::setCurrent(path("A")));
    QCOMPARE(drives.makeCurrent(root).error, madeError ? systemError(madeError) : QString());
    QCOMPARE(drives.currentFolder(root).error, folderError ? systemError(folderError) : QString());
    QCOMPARE(drives.currentFolder(root).value.isEmpty(), folderError != 0);
    QCOMPARE(QDir::currentPath(), path("A"));

    // The window: the same drive picked again fails with the reason, and
    // changes nothing else.
    f.Drive1_Change();
    verifyFailure(w.dialogs().messages, madeError ? madeError : folderError);
    QVERIFY(f.state() == before);
    QCOMPARE(w.texts(), listed);
    verifyConsistent(f);

    // Another folder still opens; the folder back as it was, the drive shows it.
    w.dialogs().messages.clear();
    lock.reset();
    if (mode < 0) {
        QDir(path("work")).removeRecursively();
        QFile::remove(path("work"));
        makeFiles(m_dir->path(), {"work/w1.txt", "work/w2.doc"});
    }
    f.Dir1->setPath(path("A/shown"));
    QCOMPARE(w.texts(), QStringList({"s1.txt", "s2.md"}));
    f.Drive1_Change();
    QVERIFY(w.dialogs().messages.isEmpty());
    QCOMPARE(f.Dir1->path(), path("work"));
    QCOMPARE(w.texts(), QStringList({"w1.txt", "w2.doc"}));
}

void TestFaults::documentNotWritable_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("locked"); // relative to the temporary folder
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("old"); // an existing document; empty: none
    QTest::newRow("text, its folder not writable") << false << "../out/doc" << "out" << 0555 << "";
    QTest::newRow("page, its folder not writable") << true << "../out/doc" << "out" << 0555 << "";
    QTest::newRow("text, over a document in a folder not writable")
        << false << "../out/doc" << "out" << 0555 << "out/doc.txt";
    QTest::newRow("page, through a folder that cannot be searched") << true << "../out/doc" << "out" << 0600 << "";
    QTest::newRow("text, a read-only document") << false << "doc" << "work/doc.txt" << 0444 << "work/doc.txt";
    QTest::newRow("page, a read-only document") << true << "doc" << "work/doc.htm" << 0444 << "work/doc.htm";
    QTest::newRow("text, working folder not writable") << false << "doc" << "work" << 0555 << "";
    QTest::newRow("page, working folder not writable over a document")
        << true << "doc" << "work" << 0555 << "work/doc.htm";
}

void TestFaults::documentNotWritable()
{
    SKIP_AS_ROOT();
    QFETCH(bool, web);
    QFETCH(QString, answer);
    QFETCH(QString, locked);
    QFETCH(int, mode);
    QFETCH(QString, old);
    QVERIFY(QDir().mkpath(path("out")));
    const QByteArray oldBytes("the old document\r\n");
    if (!old.isEmpty())
        writeBytes(path(old), oldBytes);
    Window w;
    Form1 &f = *w.form;
    const QStringList listed = w.texts();
    const QStringList before = tree(m_dir->path());
    const QStringList rootBefore = entries(QStringLiteral("/"));
    const Locked lock(path(locked), mode_t(mode));

    w.dialogs().answers = {answer, QStringLiteral("Title")};
    web ? f.CreateHTM_Click() : f.CreateTXT_Click();
    verifyFailure(w.dialogs().messages, EACCES);
    QVERIFY(w.scripted.shell->opened.isEmpty());
    if (!old.isEmpty())
        QCOMPARE(readAll(path(old)), oldBytes);
    // Nothing written anywhere instead: not beside it, not at the root.
    QCOMPARE(tree(m_dir->path()), before);
    QCOMPARE(entries(QStringLiteral("/")), rootBefore);
    QCOMPARE(w.texts(), listed);
    verifyConsistent(f);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
