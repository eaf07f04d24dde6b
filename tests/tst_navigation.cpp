#include "listing/foldertree.h"
#include "app/form1.h"
#include "platform/qtservices.h"
#include "support/refreshcounter.h"
#include "support/scripted.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QStorageInfo>
#include <QTest>

#include <cerrno>
#include <cstring>

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
    void qtDrivesFolderGone_data();
    void qtDrivesFolderGone();
    void removedFolderThroughWindow();

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
    QTest::mouseClick(f.Dir1->viewport(), Qt::LeftButton, {}, f.Dir1->visualRect(sub).center());
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
    QCOMPARE(w->dialogs().messages.size(), 1);
    const MessageRecord &m = w->dialogs().messages.first();
    QCOMPARE(m.text, description);
    QCOMPARE(m.title, QStringLiteral("WARNING"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    // Drive1 shows the picked drive; the tree, File1 and the list stay as they were.
    QCOMPARE(f.Drive1->currentIndex(), 1);
    QCOMPARE(f.Dir1->path(), path("A/work/sub"));
    QCOMPARE(f.File1->path(), path("A/work/sub"));
    QCOMPARE(w->texts(), QStringList({"edited by hand"}));
    QCOMPARE(refreshes.count(), 0);
    // Making the drive current is the step before asking for its folder: it stays done.
    QCOMPARE(w->scripted.drives->current, atMakeCurrent ? path("A") : path("B"));
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
    f.Dir1->setPath(path(folder));
    QCOMPARE(w->items().count(), 0);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  0 "));
    QVERIFY(!f.CreateTXT->isEnabled() && !f.CreateHTM->isEnabled() && !f.PrintList->isEnabled());
    QVERIFY2(f.File1->toolTip().contains(error), qPrintable(f.File1->toolTip()));
    QVERIFY(w->dialogs().messages.isEmpty());
    // Another folder is listed as usual.
    f.Dir1->setPath(path("A"));
    QCOMPARE(w->texts(), QStringList({"top.txt"}));
    QVERIFY(f.File1->toolTip().isEmpty());
    QVERIFY(f.CreateTXT->isEnabled());
}

void TestNavigation::qtDrivesVolumes()
{
    QtDrives drives;
    QCOMPARE(drives.currentRoot(), QStorageInfo(path("A/work")).rootPath());
    const QList<Volume> volumes = drives.volumes();
    QStringList roots;
    for (const Volume &v : volumes) {
        QVERIFY2(!roots.contains(v.root), qPrintable(v.root));
        QVERIFY2(QFileInfo(v.root).isDir(), qPrintable(v.root));
        roots.append(v.root);
    }
    QVERIFY(roots.contains(drives.currentRoot()));
    for (const char *pseudo : {"/proc", "/sys", "/dev/pts"})
        QVERIFY(!roots.contains(QString::fromLatin1(pseudo)));
    QCOMPARE(drives.currentFolder().value, path("A/work"));
}

void TestNavigation::qtDrivesMakeCurrent()
{
    QtDrives drives;
    QVERIFY(QDir::setCurrent(path("B")));
    const Result<> made = drives.makeCurrent(drives.currentRoot());
    QVERIFY2(made.ok(), qPrintable(made.error));
    QCOMPARE(QDir::currentPath(), path("A/work"));
    const Result<QString> folder = drives.currentFolder();
    QVERIFY(folder.ok());
    QCOMPARE(folder.value, path("A/work"));
}

void TestNavigation::qtDrivesFolderGone_data()
{
    QTest::addColumn<bool>("replacedByFile");
    QTest::addColumn<int>("error");
    QTest::newRow("removed") << false << ENOENT;
    QTest::newRow("replaced by a file") << true << ENOTDIR;
}

void TestNavigation::qtDrivesFolderGone()
{
    QFETCH(bool, replacedByFile);
    QFETCH(int, error);
    QtDrives drives;
    QVERIFY(QDir::setCurrent(path("B")));
    QVERIFY(QDir(path("A/work")).removeRecursively());
    if (replacedByFile)
        makeFiles(path("A"), {"work"});
    const QString description = QString::fromLocal8Bit(std::strerror(error));
    QCOMPARE(drives.makeCurrent(drives.currentRoot()).error, description);
    QCOMPARE(QDir::currentPath(), path("B"));
    const Result<QString> folder = drives.currentFolder();
    QCOMPARE(folder.error, description);
    QVERIFY(folder.value.isEmpty());
}

void TestNavigation::removedFolderThroughWindow()
{
    // The real volumes, with the working folder removed after start: picking
    // its drive again shows the system's description and changes nothing else.
    Window w([](ScriptedServices &s) {
        s.services.drives = std::make_unique<QtDrives>();
        s.drives = nullptr;
    });
    Form1 &f = *w.form;
    QCOMPARE(f.Drive1->currentData().toString(), QStorageInfo(path("A/work")).rootPath());
    f.Dir1->setPath(path("B"));
    QVERIFY(QDir(path("A/work")).removeRecursively());
    f.Drive1_Change();
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages.first().text, QString::fromLocal8Bit(std::strerror(ENOENT)));
    QCOMPARE(w.dialogs().messages.first().title, QStringLiteral("WARNING"));
    QCOMPARE(w.dialogs().messages.first().icon, MessageIcon::Critical);
    QCOMPARE(f.Dir1->path(), path("B"));
    QCOMPARE(w.texts(), QStringList({"b1.txt", "b2.doc"}));
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
