#include "listing/foldertree.h"
#include "app/form1.h"
#include "listing/filenames.h"
#include "platform/qtservices.h"
#include "support/hostilefolder.h"
#include "support/refreshcounter.h"
#include "support/scripted.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QScopeGuard>
#include <QDropEvent>
#include <QMimeData>
#include <QStorageInfo>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

// Two volumes made of real folders: A (the working folder's volume, which
// remembers A/work) and B (which remembers its root).
class TestNavigation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rememberedFolderRoundTrip();
    void userOpensFolderInTree();
    void failingDrive_data();
    void failingDrive();
    void nestedDoubleRefresh();
    void samePathSingleRefresh();
    void check1FontSize();
    void unlistableFolderKeepsWindowUsable_data();
    void unlistableFolderKeepsWindowUsable();
    void qtDrivesVolumes();
    void qtDrivesMakeCurrent();
    void drivesFollowTheMountTable();
    void loopMountedVolume();
    void dropOpensFolders_data();
    void dropOpensFolders();
    void dropRefused_data();
    void dropRefused();

private:
    QString path(const QString &rel) const { return m_dir->path() + u'/' + rel; }
    std::unique_ptr<Window> twoVolumes(const std::function<void(ScriptedDrives &)> &extra = {});

    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestNavigation::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    makeFiles(m_dir->path(), {"A/work/w1.txt", "A/work/W2.md", "A/work/sub/s1.txt", "A/top.txt", "B/b1.txt",
                              "B/b2.doc"});
    QVERIFY(QDir::setCurrent(path("A/work")));
}

void TestNavigation::cleanup()
{
    removeTree(m_dir->path()); // names that are not UTF-8 too
    m_dir.reset();
}

std::unique_ptr<Window> TestNavigation::twoVolumes(const std::function<void(ScriptedDrives &)> &extra)
{
    return std::make_unique<Window>([&](ScriptedServices &s) {
        s.drives->list = {{path("A"), QStringLiteral("A")}, {path("B"), QStringLiteral("B")}};
        s.drives->current = path("A");
        s.drives->remembered = {{path("A"), path("A/work")}};
        if (extra)
            extra(*s.drives);
    });
}

void TestNavigation::rememberedFolderRoundTrip()
{
    auto w = twoVolumes();
    Form1 &f = *w->form;
    QCOMPARE(f.Drive1->count(), 2);
    QCOMPARE(f.Drive1->currentIndex(), 0);
    QCOMPARE(f.Drive1->itemText(1), path("B") + QStringLiteral(" [B]"));
    QCOMPARE(w->texts(), QStringList({"w1.txt", "W2.md"}));

    // Browsing below the working folder changes what is listed, not what A remembers.
    f.Dir1->setPath(path("A/work/sub"));
    QCOMPARE(f.File1->path(), path("A/work/sub"));
    QCOMPARE(w->texts(), QStringList({"s1.txt"}));

    f.Drive1->setCurrentIndex(1);
    QCOMPARE(w->scripted.drives->madeCurrent, QStringList({path("B")}));
    QCOMPARE(f.Dir1->path(), path("B"));
    QCOMPARE(f.File1->path(), path("B"));
    QCOMPARE(w->texts(), QStringList({"b1.txt", "b2.doc"}));

    f.Drive1->setCurrentIndex(0);
    QCOMPARE(f.Dir1->path(), path("A/work"));
    QCOMPARE(f.File1->path(), path("A/work"));
    QCOMPARE(w->texts(), QStringList({"w1.txt", "W2.md"}));
    QVERIFY(w->dialogs().messages.isEmpty());
}

void TestNavigation::userOpensFolderInTree()
{
    auto w = twoVolumes();
    Form1 &f = *w->form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    auto *model = qobject_cast<FolderTreeModel *>(f.Dir1->model());
    QVERIFY(model);
    const QModelIndex sub = model->indexForPath(path("A/work/sub"));
    QVERIFY(sub.isValid());
    f.Dir1->scrollTo(sub);
    QTRY_VERIFY(f.Dir1->visualRect(sub).isValid());
    RefreshCounter refreshes(f);
    // A double click on the open folder leaves its subfolders shown, also
    // when its branch was folded by hand; nothing is read again.
    const QModelIndex work = model->indexForPath(path("A/work"));
    QVERIFY(f.Dir1->isExpanded(work));
    for (bool foldedByHand : {false, true}) {
        if (foldedByHand)
            f.Dir1->collapse(work);
        const QPoint at = f.Dir1->visualRect(work).center();
        QTest::mouseClick(f.Dir1->viewport(), Qt::LeftButton, {}, at); // a double click's first press
        QTest::mouseDClick(f.Dir1->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(f.Dir1->isExpanded(work));
    }
    QCOMPARE(refreshes.count(), 0);
    // A click chooses; activating (here a double click) opens.
    QTest::mouseClick(f.Dir1->viewport(), Qt::LeftButton, {}, f.Dir1->visualRect(sub).center());
    QCOMPARE(refreshes.count(), 0);
    QTest::mouseDClick(f.Dir1->viewport(), Qt::LeftButton, {}, f.Dir1->visualRect(sub).center());
    QCOMPARE(f.Dir1->path(), path("A/work/sub"));
    QCOMPARE(w->texts(), QStringList({"s1.txt"}));
    QCOMPARE(refreshes.count(), 1);
    // The process's working folder stays where it was.
    QCOMPARE(QDir::currentPath(), path("A/work"));
}

void TestNavigation::failingDrive_data()
{
    QTest::addColumn<bool>("atMakeCurrent");
    QTest::addColumn<QString>("description");
    QTest::newRow("cannot be made current") << true << QStringLiteral("No medium found");
    QTest::newRow("its folder cannot be given") << false << QStringLiteral("No such file or directory");
}

void TestNavigation::failingDrive()
{
    QFETCH(bool, atMakeCurrent);
    QFETCH(QString, description);
    auto w = twoVolumes([&](ScriptedDrives &d) {
        if (atMakeCurrent)
            d.failing.insert(path("B"), description);
        else
            d.folderFailing.insert(path("B"), description);
    });
    Form1 &f = *w->form;
    f.Dir1->setPath(path("A/work/sub"));
    w->items().setText(0, QStringLiteral("edited by hand"));
    RefreshCounter refreshes(f);

    f.Drive1->setCurrentIndex(1);
    verifyWarning(w->dialogs().messages, description);
    // Drive1 shows the picked drive; the tree, File1 and the list stay as they were.
    QCOMPARE(f.Drive1->currentIndex(), 1);
    QCOMPARE(f.Dir1->path(), path("A/work/sub"));
    QCOMPARE(f.File1->path(), path("A/work/sub"));
    QCOMPARE(w->texts(), QStringList({"edited by hand"}));
    QCOMPARE(refreshes.count(), 0);
    // Making the drive current is the step before asking for its folder: it
    // stays done, and documents named without a folder go to its folder.
    QCOMPARE(f.state().currentDrive, atMakeCurrent ? path("A") : path("B"));
    QCOMPARE(f.state().workingFolder, atMakeCurrent ? path("A/work") : path("B"));
}

void TestNavigation::nestedDoubleRefresh()
{
    auto w = twoVolumes();
    Form1 &f = *w->form;
    RefreshCounter refreshes(f);
    f.Drive1->setCurrentIndex(1);
    // Once inside the folder change the tree move runs, once more at the end;
    // both from the new folder.
    QCOMPARE(refreshes.folders, QStringList({path("B"), path("B")}));
    QCOMPARE(w->texts(), QStringList({"b1.txt", "b2.doc"}));
}

void TestNavigation::samePathSingleRefresh()
{
    // After a failed switch to B the tree still shows A's remembered folder:
    // picking A again sets the same path, so only the last step rebuilds.
    auto w = twoVolumes([&](ScriptedDrives &d) { d.failing.insert(path("B"), QStringLiteral("Input/output error")); });
    Form1 &f = *w->form;
    f.Drive1->setCurrentIndex(1);
    QCOMPARE(w->dialogs().messages.size(), 1);
    RefreshCounter refreshes(f);
    f.Drive1->setCurrentIndex(0);
    QCOMPARE(refreshes.folders, QStringList({path("A/work")}));
    QCOMPARE(w->dialogs().messages.size(), 1);

    // Setting the tree to the folder it shows runs nothing; another folder once.
    refreshes.reset();
    f.Dir1->setPath(path("A/work"));
    QCOMPARE(refreshes.count(), 0);
    f.Dir1->setPath(path("A/work/sub/"));
    QCOMPARE(refreshes.folders, QStringList({path("A/work/sub")}));
}

void TestNavigation::check1FontSize()
{
    Window w;
    Form1 &f = *w.form;
    w.items().setText(0, QStringLiteral("edited by hand"));
    const QStringList before = w.texts();
    RefreshCounter refreshes(f);
    f.Check1->click();
    QVERIFY(!f.Check1->isChecked());
    QCOMPARE(f.Check1->font().pointSizeF(), 8.0);
    QVERIFY(f.Check1->font().bold());
    f.Check1->click();
    QVERIFY(f.Check1->isChecked());
    QCOMPARE(f.Check1->font().pointSizeF(), 12.0);
    QCOMPARE(refreshes.count(), 0);
    QCOMPARE(w.texts(), before);
}

void TestNavigation::unlistableFolderKeepsWindowUsable_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("error");
    QTest::newRow("removed meanwhile") << QStringLiteral("A/gone") << QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::newRow("through a file") << QStringLiteral("A/top.txt/x") << QString::fromLocal8Bit(std::strerror(ENOTDIR));
}

void TestNavigation::unlistableFolderKeepsWindowUsable()
{
    QFETCH(QString, folder);
    QFETCH(QString, error);
    auto w = twoVolumes();
    Form1 &f = *w->form;
    const WindowState before = f.state();
    RefreshCounter refreshes(f);
    f.Dir1->setPath(path(folder));
    // Not opened: the reason and the folder in the "WARNING" box, and the
    // window as it was.
    verifyWarning(w->dialogs().messages, error + QStringLiteral(" : ") + path(folder));
    QVERIFY(f.state() == before);
    QCOMPARE(f.Dir1->path(), path("A/work"));
    QCOMPARE(w->texts(), QStringList({"w1.txt", "W2.md"}));
    QCOMPARE(refreshes.count(), 0);
    // Another folder is listed as usual.
    f.Dir1->setPath(path("A"));
    QCOMPARE(w->texts(), QStringList({"top.txt"}));
    QVERIFY(f.CreateTXT->isEnabled());
}

void TestNavigation::qtDrivesVolumes()
{
    QtDrives drives;
    const QString start = drives.startRoot();
    QCOMPARE(start, QStorageInfo(path("A/work")).rootPath());
    const QList<Volume> volumes = drives.volumes();
    QStringList roots;
    for (const Volume &v : volumes) {
        QVERIFY2(!roots.contains(v.root), qPrintable(v.root));
        QVERIFY2(QFileInfo(v.root).isDir(), qPrintable(v.root));
        roots.append(v.root);
    }
    QVERIFY(roots.contains(start));
    for (const char *pseudo : {"/proc", "/sys", "/dev/pts"})
        QVERIFY(!roots.contains(QString::fromLatin1(pseudo)));
    QCOMPARE(drives.currentFolder(start).value, path("A/work"));
}

void TestNavigation::qtDrivesMakeCurrent()
{
    // The volume that held the working folder at start remembers it, wherever
    // the process is now; checking it changes no working folder.
    QtDrives drives;
    const QString start = drives.startRoot();
    QVERIFY(QDir::setCurrent(path("B")));
    const Result<QString> made = drives.makeCurrent(start);
    QVERIFY2(made.ok(), qPrintable(made.error));
    QCOMPARE(made.value, path("A/work"));
    QCOMPARE(QDir::currentPath(), path("B"));
    const Result<QString> folder = drives.currentFolder(start);
    QVERIFY(folder.ok());
    QCOMPARE(folder.value, path("A/work"));
}

namespace {

QStringList driveRoots(const QComboBox &drives)
{
    QStringList roots;
    for (int i = 0; i < drives.count(); ++i)
        roots.append(drives.itemData(i).toString());
    return roots;
}

// Opens and closes the drive list, as a user looking at it does.
void openDriveList(QComboBox &drives)
{
    drives.showPopup();
    QVERIFY(drives.view()->isVisible()); // opened once the entries are read
    drives.hidePopup();
}

// Runs a command; its error output when it fails, else an empty text.
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return program + QStringLiteral(": ") + process.errorString();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return {};
}

} // namespace

namespace {

const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;

// Sends the drag's entry, a move and the drop to the window as the window
// system would; returns whether each was accepted and as which action.
QList<std::pair<bool, Qt::DropAction>> dragAndDrop(Form1 &form, const QList<QUrl> &urls, Qt::DropActions actions)
{
    QMimeData data;
    if (urls.isEmpty())
        data.setText(QStringLiteral("plain words"));
    else
        data.setUrls(urls);
    const QPoint at = form.List1->geometry().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at + QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(at + QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QList<std::pair<bool, Qt::DropAction>> outcome;
    for (QDropEvent *event : {static_cast<QDropEvent *>(&enter), static_cast<QDropEvent *>(&move), &drop}) {
        QCoreApplication::sendEvent(&form, event);
        outcome.append({event->isAccepted(), event->dropAction()});
    }
    return outcome;
}

} // namespace

void TestNavigation::drivesFollowTheMountTable()
{
    // The real QtDrives on a mount table the test writes. "A/wo" shares the
    // start of the working folder's path but does not hold it.
    makeFiles(m_dir->path(), {"C/c1.txt"});
    QList<MountEntry> table{{path("A"), QStringLiteral("A"), "ext4", true},
                            {path("A/wo"), {}, "ext4", true},
                            {path("B"), {}, "vfat", true},
                            {path("A/work/sub"), {}, "proc", true}};
    Window w([&](ScriptedServices &s) {
        s.services.drives = std::make_unique<QtDrives>([&] { return table; });
        s.drives = nullptr;
    });
    Form1 &f = *w.form;
    QCOMPARE(driveRoots(*f.Drive1), QStringList({path("A"), path("B")}));

    // One volume mounted and one unmounted meanwhile: the list follows when it
    // opens; the drive shown stays and nothing is rebuilt.
    table.append({path("C"), QStringLiteral("stick"), "vfat", true});
    table.removeAt(2);
    RefreshCounter refreshes(f);
    openDriveList(*f.Drive1);
    QCOMPARE(driveRoots(*f.Drive1), QStringList({path("A"), path("C")}));
    QCOMPARE(f.Drive1->currentText(), path("A") + QStringLiteral(" [A]"));

    // Picked from a list read before it was unmounted: refused like a drive
    // without a medium; its empty mount point is not listed.
    table.removeLast();
    f.Drive1->setCurrentIndex(1);
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages.first().text, path("C") + QStringLiteral(" is no longer mounted"));
    QCOMPARE(w.dialogs().messages.first().icon, MessageIcon::Critical);
    QCOMPARE(w.texts(), QStringList({"w1.txt", "W2.md"}));
    QCOMPARE(f.state().workingFolder, path("A/work"));

    // Opened again, the gone drive gives way to the current one.
    openDriveList(*f.Drive1);
    QCOMPARE(driveRoots(*f.Drive1), QStringList({path("A")}));
    QCOMPARE(f.Drive1->currentIndex(), 0);
    QCOMPARE(refreshes.count(), 0);
}

void TestNavigation::loopMountedVolume()
{
#if defined(__SANITIZE_THREAD__)
    QSKIP("starts mkfs and mount: the thread checker cannot follow a process started by a threaded one");
#endif
    // A real volume: a small ext2 image, loop-mounted once the window is up.
    const QString image = path("stick.img"), mountPoint = path("stick");
    QVERIFY(QDir().mkpath(mountPoint));
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(4 << 20));
    file.close();
    Window w([](ScriptedServices &s) {
        s.services.drives = std::make_unique<QtDrives>();
        s.drives = nullptr;
    });
    Form1 &f = *w.form;
    QString failed = run(QStringLiteral("mkfs.ext2"), {QStringLiteral("-q"), QStringLiteral("-F"), image});
    if (failed.isEmpty())
        failed = run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), image, mountPoint});
    if (!failed.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot loop-mount an image here (") + failed + u')'));
    bool mounted = true;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            run(QStringLiteral("umount"), {mountPoint});
    });
    makeFiles(mountPoint, {"on-the-stick.txt"});

    openDriveList(*f.Drive1);
    const int stick = f.Drive1->findData(mountPoint);
    QVERIFY2(stick >= 0, qPrintable(driveRoots(*f.Drive1).join(u' ')));
    const int home = f.Drive1->currentIndex();
    f.Drive1->setCurrentIndex(stick);
    QCOMPARE(w.texts(), QStringList({"on-the-stick.txt"}));
    f.Drive1->setCurrentIndex(home);

    QCOMPARE(run(QStringLiteral("umount"), {mountPoint}), QString());
    mounted = false;
    f.Drive1->setCurrentIndex(stick);
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages.first().text, mountPoint + QStringLiteral(" is no longer mounted"));
    QCOMPARE(w.texts(), QStringList({"w1.txt", "W2.md"}));
    openDriveList(*f.Drive1);
    QCOMPARE(f.Drive1->findData(mountPoint), -1);
}

void TestNavigation::dropOpensFolders_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<bool>("clearList");
    QTest::addColumn<QString>("failure"); // the "WARNING" box; B cannot be made current when it is no system error
    QTest::addColumn<QStringList>("listed");   // File1's folder at each rebuild
    QTest::addColumn<int>("drive");
    QTest::addColumn<QStringList>("texts");
    const QStringList a{"w1.txt", "W2.md"};
    const QStringList b{"b1.txt", "b2.doc"};
    QTest::newRow("folder on its drive") << QStringList{"A/work/sub"} << true << QString() << QStringList{"A/work/sub"}
                                         << 0 << QStringList{"s1.txt"};
    QTest::newRow("file: its folder, drive follows")
        << QStringList{"B/b2.doc"} << true << QString() << QStringList{"B"} << 1 << b;
    QTest::newRow("several merge in order") << QStringList{"B", "A/work/sub"} << false << QString()
                                            << QStringList{"B", "A/work/sub"} << 0
                                            << QStringList{"b1.txt", "b2.doc", "s1.txt", "w1.txt", "W2.md"};
    QTest::newRow("several, each clears the list")
        << QStringList{"A/top.txt", "B"} << true << QString() << QStringList{"A", "B"} << 1 << b;
    QTest::newRow("the folder shown is read again")
        << QStringList{"A/work"} << true << QString() << QStringList{"A/work"} << 0 << a;
    QTest::newRow("a folder that is gone fails as in the tree")
        << QStringList{"A/gone"} << true << test::systemError(ENOENT) + QStringLiteral(" : @/A/gone") << QStringList{}
        << 0 << a;
    const QString odd = pathFromBytes("A/d-\xFF"); // a name that is not UTF-8
    QTest::newRow("a folder named with byte 0xFF") << QStringList{odd} << true << QString() << QStringList{odd} << 0
                                                   << QStringList{"in.txt"};
    // One command for all the folders: a failure ends it, the folders after
    // the failing one are not opened.
    QTest::newRow("drive that cannot be made current")
        << QStringList{"A/work/sub", "B", "A"} << true << QStringLiteral("No medium found")
        << QStringList{"A/work/sub"} << 0 << QStringList{"s1.txt"};
}

void TestNavigation::dropOpensFolders()
{
    QFETCH(QStringList, dropped);
    QFETCH(bool, clearList);
    QFETCH(QString, failure);
    QFETCH(QStringList, listed);
    QFETCH(int, drive);
    QFETCH(QStringList, texts);
    auto w = twoVolumes([&](ScriptedDrives &d) {
        if (failure == u"No medium found")
            d.failing.insert(path("B"), failure);
    });
    Form1 &f = *w->form;
    if (!clearList)
        f.Check1->click();
    RefreshCounter refreshes(f);
    QList<QUrl> urls;
    for (const QString &rel : dropped) {
        const QByteArray bytes = pathToBytes(path(rel));
        if (rel.toUtf8() != pathToBytes(rel)) { // made here: makeFiles names are UTF-8
            QCOMPARE(::mkdir(bytes.constData(), 0755), 0);
            QCOMPARE(::close(::open(QByteArray(bytes + "/in.txt").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)),
                     0);
        }
        // The address as a file manager writes it: the path's bytes, percent-encoded.
        urls.append(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/")));
    }

    // Taken as a copy, never as a move: the file manager keeps its files.
    const auto outcome = dragAndDrop(f, urls, copyOrMove);
    for (const auto &[accepted, action] : outcome) {
        QVERIFY(accepted);
        QCOMPARE(action, Qt::CopyAction);
    }
    QStringList folders;
    for (const QString &rel : listed)
        folders.append(path(rel));
    QTRY_COMPARE(refreshes.folders, folders);
    QTRY_VERIFY(!f.busy());
    QCOMPARE(f.Dir1->path(), folders.isEmpty() ? path("A/work") : folders.last());
    QCOMPARE(f.Drive1->currentIndex(), drive);
    QCOMPARE(f.state().currentDrive, drive == 0 ? path("A") : path("B"));
    QCOMPARE(w->texts(), texts);
    if (failure.isEmpty()) {
        QVERIFY(w->dialogs().messages.isEmpty());
    } else {
        QTRY_COMPARE(w->dialogs().messages.size(), 1);
        verifyWarning(w->dialogs().messages, failure.replace(u'@', m_dir->path()));
    }
}

void TestNavigation::dropRefused_data()
{
    QTest::addColumn<QList<QUrl>>("urls"); // none: the drag carries plain text
    QTest::addColumn<int>("actions");
    QTest::newRow("web address") << QList<QUrl>{QUrl(QStringLiteral("https://corvane.example/B"))}
                                 << int(copyOrMove);
    QTest::newRow("local folder beside a remote one")
        << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp")), QUrl(QStringLiteral("sftp://host/tmp"))}
        << int(copyOrMove);
    QTest::newRow("text, no address") << QList<QUrl>{} << int(copyOrMove);
    QTest::newRow("only a move offered") << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp"))}
                                         << int(Qt::MoveAction);
}

void TestNavigation::dropRefused()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(int, actions);
    auto w = twoVolumes();
    Form1 &f = *w->form;
    RefreshCounter refreshes(f);
    // Refused from the entry on, so the pointer shows it before the drop.
    for (const auto &event : dragAndDrop(f, urls, Qt::DropActions(actions)))
        QVERIFY(!event.first);
    QCoreApplication::processEvents();
    QCOMPARE(refreshes.count(), 0);
    QCOMPARE(f.Dir1->path(), path("A/work"));
    QCOMPARE(w->texts(), QStringList({"w1.txt", "W2.md"}));
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
