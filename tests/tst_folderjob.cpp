#include "app/folderjob.h"
#include "app/form1.h"
#include "listing/folderreader.h"
#include "listing/foldertree.h"
#include "listing/release.h"
#include "platform/qtservices.h"
#include "support/injected.h"
#include "support/refreshcounter.h"
#include "support/scripted.h"

#include <QAccessible>
#include <QAction>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScrollBar>

#include <thread>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QMimeData>
#include <QUrl>

#include <unistd.h>

using namespace corvane;
using namespace corvane::test;
using namespace std::chrono_literals;

// Folders read slowly for real: the reader waits before each batch of 512 names
// (the delay only tests set), so a folder of 3,000 names takes 2 s to read
// and as long to merge, well past the second after which the progress box shows.
namespace {

constexpr auto kDelay = 350ms;
constexpr int kBig = 3000;
// Enough names for a merge to go off the window's thread, as in production:
// only then can it show the box and be cancelled.
constexpr int kHuge = 50000;

enum Command {
    Folder, Drive, DriveSecondRead, FileTypes, Extensions, Word, ListOnlyWord, ExcludeWord, Subfolders, Facts
};

// Runs act while a 20 ms timer calls tick with the milliseconds since act began.
void whileRunning(const std::function<void()> &act, const std::function<void(qint64)> &tick)
{
    QElapsedTimer clock;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] { tick(clock.elapsed()); });
    clock.start();
    timer.start();
    act();
}

QDialog *progressBox(Form1 &f)
{
    auto *box = f.findChild<QDialog *>(QStringLiteral("ReadProgress"));
    return box && box->isVisible() ? box : nullptr;
}

// Everything a command may change: the window's value and its item list, and
// what the screen shows of the controls the user changes directly.
struct Look
{
    WindowState state;
    Items items;
    QString drive, tree;
    bool check1 = false, enumerate = false, subfolders = false, facts = false;
    friend bool operator==(const Look &, const Look &) = default;
};

Look look(Window &w)
{
    Form1 &f = *w.form;
    return {f.state(),
            f.items().value(),
            f.Drive1->root(),
            f.Dir1->path(),
            f.Check1->isChecked(),
            f.Enumerate->isChecked(),
            f.IncludeSubfolders->isChecked(),
            f.SizesAndDates->isChecked()};
}

// Slows the reader as soon as the window has rebuilt its list once.
class SlowAfterFirstRefresh : public QObject
{
public:
    explicit SlowAfterFirstRefresh(Form1 &f)
    {
        connect(&f, &Form1::listRefreshed, this, [] { setReadDelayForTesting(kDelay); });
    }
};

} // namespace

class TestFolderJob : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void slowRead_data();
    void slowRead();
    void cancelPutsBack_data();
    void cancelPutsBack();
    void closingCancels();
    void wholeOrNothing_data();
    void wholeOrNothing();
    void jobsFailRatherThanEnd();

private:
    QString path(const QString &rel) const { return m_dir.path() + u'/' + rel; }
    std::unique_ptr<Window> window();

    test::WorkFolder m_dir; // kept for the whole run: the big folders are made once
};

void TestFolderJob::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QStringList files = {"A/work/w1.txt", "A/work/W2.md", "A/work/x.doc", "A/few/f1.txt", "A/few/f2.txt"};
    for (int i = 0; i < kBig; ++i) {
        files.append(QStringLiteral("A/big/song%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(i % 3 ? "mp3" : "txt"));
        files.append(QStringLiteral("B/b%1.doc").arg(i, 4, 10, QLatin1Char('0')));
        // A folder of folders, for the tree.
        files.append(QStringLiteral("A/many/f%1/x").arg(i, 4, 10, QLatin1Char('0')));
    }
    makeFiles(m_dir.path(), files);
    // Quickly: each name a hard link to the first.
    const QByteArray huge = QFile::encodeName(path("A/huge/"));
    const QByteArray first = huge + "song00000.mp3";
    QVERIFY(QDir().mkpath(path("A/huge")));
    writeBytes(QFile::decodeName(first), {});
    for (int i = 1; i < kHuge; ++i) {
        const QByteArray name = huge + "song" + QByteArray::number(i).rightJustified(5, '0') + ".mp3";
        QCOMPARE(::link(first.constData(), name.constData()), 0);
    }
}

void TestFolderJob::init()
{
    QVERIFY(QDir::setCurrent(path("A/work")));
}

void TestFolderJob::cleanup()
{
    setReadDelayForTesting(0ms);
}

std::unique_ptr<Window> TestFolderJob::window()
{
    auto w = std::make_unique<Window>([&](ScriptedServices &s) {
        s.drives->list = {{path("A"), QStringLiteral("A")}, {path("B"), QStringLiteral("B")}};
        s.drives->current = path("A");
        s.drives->remembered = {{path("A"), path("A/work")}};
    });
    w->form->show();
    return w;
}

void TestFolderJob::slowRead_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("boxShown");
    QTest::newRow("slow: past a second") << "A/big" << kBig << true;
    QTest::newRow("quick: under a second") << "A/few" << 2 << false;
}

void TestFolderJob::slowRead()
{
    QFETCH(QString, folder);
    QFETCH(int, count);
    QFETCH(bool, boxShown);
    auto w = window();
    Form1 &f = *w->form;
    setReadDelayForTesting(kDelay);

    int ticks = 0;
    qint64 firstShown = -1;
    QString shownFolder;
    QList<qint64> counts; // of every box the command shows: the read's, then the merge's
    QDialog *firstBox = nullptr;
    QList<bool> checkedMeanwhile;
    whileRunning([&] { f.Dir1->setPath(path(folder)); },
                 [&](qint64 ms) {
                     ++ticks;
                     // Input meant for the window while it reads goes nowhere:
                     // neither a click nor Space toggles the check box.
                     if (ticks == 2)
                         QTest::mouseClick(f.Check1, Qt::LeftButton);
                     if (ticks == 4)
                         QTest::keyClick(f.Check1, Qt::Key_Space);
                     if (ticks == 3 || ticks == 5)
                         checkedMeanwhile.append(f.Check1->isChecked());
                     QDialog *box = progressBox(f);
                     if (!box)
                         return;
                     if (!firstBox) {
                         firstBox = box;
                         firstShown = ms;
                         shownFolder = box->findChild<QLabel *>(QStringLiteral("ReadFolder"))->text();
                     }
                     counts.append(box->findChild<QLabel *>(QStringLiteral("ReadCount"))->text().split(u' ')[0].toLongLong());
                 });

    // The command has run to its end, with the result of a plain read.
    QCOMPARE(f.File1->path(), path(folder));
    QCOMPARE(f.items().count(), count);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  %1 ").arg(count));
    QCOMPARE(checkedMeanwhile, QList<bool>({true, true}));
    // The window's thread kept turning throughout.
    QVERIFY2(ticks >= (boxShown ? 50 : 5), qPrintable(QString::number(ticks)));
    QVERIFY(!progressBox(f));
    QVERIFY(!folderJobRunning());
    QCOMPARE(firstBox != nullptr, boxShown);
    if (!boxShown)
        return;
    QVERIFY2(firstShown >= 950, qPrintable(QString::number(firstShown)));
    QVERIFY2(shownFolder.contains(path(folder)), qPrintable(shownFolder));
    QVERIFY(std::is_sorted(counts.begin(), counts.end()));
    QVERIFY2(counts.size() >= 2 && counts.first() < counts.last(), qPrintable(QString::number(counts.size())));
    QVERIFY(counts.last() <= kBig);
}

void TestFolderJob::cancelPutsBack_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("how"); // 0 the "Cancel" button, 1 Esc in the box, 2 Esc in the window
    QTest::newRow("folder, Cancel") << int(Folder) << 0;
    QTest::newRow("folder, Esc") << int(Folder) << 1;
    QTest::newRow("folder, Esc in the window") << int(Folder) << 2;
    QTest::newRow("drive, Esc") << int(Drive) << 1;
    QTest::newRow("drive, its second read") << int(DriveSecondRead) << 0;
    QTest::newRow("file types") << int(FileTypes) << 1;
    QTest::newRow("extensions") << int(Extensions) << 0;
    QTest::newRow("select word") << int(Word) << 2;
    QTest::newRow("list only") << int(ListOnlyWord) << 0;
    QTest::newRow("exclude") << int(ExcludeWord) << 1;
    // The check mark says how the list was read: a cancel leaves it.
    QTest::newRow("include subfolders") << int(Subfolders) << 0;
    QTest::newRow("sizes and dates") << int(Facts) << 2;
}

void TestFolderJob::cancelPutsBack()
{
    QFETCH(int, command);
    QFETCH(int, how);
    auto w = window();
    Form1 &f = *w->form;
    // A big list with marks, a current item and a hand edit; the word set.
    // A command that only merges the list again is slow from kHuge names.
    const bool mergeOnly =
        command == Extensions || command == Word || command == ListOnlyWord || command == ExcludeWord;
    if (command != Drive && command != DriveSecondRead)
        f.Dir1->setPath(path(mergeOnly ? "A/huge" : "A/big"));
    if (command == ListOnlyWord || command == ExcludeWord) {
        w->dialogs().answers = {QStringLiteral("song1")};
        f.SelectWord_Click();
    }
    f.items().setMarked(0, true);
    f.items().setMarked(2, true);
    f.items().setCurrentRow(1);
    f.items().setText(0, QStringLiteral("zz edited"));
    const Look before = look(*w);
    const QStringList madeBefore = w->scripted.drives->madeCurrent;

    std::unique_ptr<SlowAfterFirstRefresh> slowLater;
    if (command == DriveSecondRead)
        slowLater = std::make_unique<SlowAfterFirstRefresh>(f);
    else
        setReadDelayForTesting(kDelay);
    w->dialogs().answers = {QStringLiteral("mp3"), QStringLiteral("song2")};

    qint64 cancelledAt = -1;
    whileRunning(
        [&] {
            switch (command) {
            case Folder: f.Dir1->setPath(path("B")); break;
            case Drive:
            case DriveSecondRead: f.Drive1->setCurrentIndex(1); break;
            case FileTypes: f.FileType_Click(); break;
            case Extensions: f.DisplayEXT_Click(); break;
            case Word: f.SelectWord_Click(); break;
            case ListOnlyWord: f.ListOnly_Click(); break;
            case ExcludeWord: f.Exclude_Click(); break;
            case Subfolders: f.IncludeSubfolders->trigger(); break;
            case Facts: f.SizesAndDates->trigger(); break;
            }
        },
        [&](qint64 ms) {
            QDialog *box = progressBox(f);
            if (!box || cancelledAt >= 0)
                return;
            cancelledAt = ms;
            if (how == 0)
                QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("ReadCancel")), Qt::LeftButton);
            else
                QTest::keyClick(how == 1 ? static_cast<QWidget *>(box) : f.List1, Qt::Key_Escape);
        });

    QVERIFY(cancelledAt >= 0);
    QVERIFY(!progressBox(f));
    QVERIFY(look(*w) == before);
    // The drive change checked B; nothing had to be undone.
    const QStringList expectedMade =
        command == Drive || command == DriveSecondRead ? madeBefore + QStringList({path("B")}) : madeBefore;
    QCOMPARE(w->scripted.drives->madeCurrent, expectedMade);
    QVERIFY(w->dialogs().messages.isEmpty());

    // Nothing is left half done: the same command now runs through.
    setReadDelayForTesting(0ms);
    slowLater.reset();
    if (command == Folder) {
        f.Dir1->setPath(path("B"));
        QCOMPARE(f.items().count(), kBig);
    }
}

void TestFolderJob::closingCancels()
{
    auto w = window();
    Form1 &f = *w->form;
    const Look before = look(*w);
    setReadDelayForTesting(kDelay);
    whileRunning([&] { f.Dir1->setPath(path("A/big")); },
                 [&](qint64 ms) {
                     if (ms > 300 && f.isVisible())
                         f.close();
                 });
    QVERIFY(!f.isVisible());
    QVERIFY(!folderJobRunning());
    QVERIFY(look(*w) == before);
}

namespace {

// The faults a command can meet, each a row of one table.
enum class Fault {
    TreeBranchRead,        // opening a branch reads off the window's thread, with a box and Cancel
    TreeBranchCancelled,
    DriveListRead,         // the drive list is read off the window's thread
    SlowStart,             // the window shows over a slow first read
    DropOnOtherDriveCancelled,
    DropOfSeveralCancelled,
    StartCancelled,
    SingleClickDesktop,
    ScreenReaderDuringRead,
    CancelKeepsTheView,
    CancelOntoUnmountedDrive,
    NoThreadToBeHad,
    ReadFailsPartway,
    SyncFails,
    DropDuringRead,
};

// A tree whose items open with one click, as on many desktops.
class SingleClickStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// Presses a menu bar entry as a screen reader does: through its accessible action.
void pressByScreenReader(Form1 &f, const QString &caption)
{
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(f.menuBar());
    QVERIFY(bar);
    for (int i = 0; i < bar->childCount(); ++i) {
        QAccessibleInterface *entry = bar->child(i);
        if (entry && entry->text(QAccessible::Name) == caption) {
            QVERIFY(entry->actionInterface());
            entry->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            return;
        }
    }
    QFAIL(qPrintable(caption + QStringLiteral(" is not on the menu bar")));
}

// Runs act; while it runs, the first time the progress box shows, during
// runs and then the box's Cancel is clicked (when cancel). Returns how many
// boxes showed.
int withBox(const std::function<void()> &act, const std::function<void(QDialog *)> &during, bool cancel)
{
    int boxes = 0;
    QDialog *seen = nullptr;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QDialog *box = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == u"ReadProgress" && w->isVisible())
                box = static_cast<QDialog *>(w);
        if (!box || box == seen)
            return;
        seen = box;
        ++boxes;
        if (during)
            during(box);
        if (cancel)
            QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("ReadCancel")), Qt::LeftButton);
    });
    timer.start();
    act();
    return boxes;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

void TestFolderJob::wholeOrNothing_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("1 a branch opens with a placeholder and fills in") << Fault::TreeBranchRead;
    QTest::newRow("1 a slow branch cancelled closes again") << Fault::TreeBranchCancelled;
    QTest::newRow("2 the drive list is read on a worker") << Fault::DriveListRead;
    QTest::newRow("3 a slow first folder shows the window") << Fault::SlowStart;
    QTest::newRow("4 cancel after a drop onto another drive") << Fault::DropOnOtherDriveCancelled;
    QTest::newRow("5 cancel stops a drop of several folders") << Fault::DropOfSeveralCancelled;
    QTest::newRow("6 a cancelled start leaves a usable window") << Fault::StartCancelled;
    QTest::newRow("7 one click on a single-click desktop") << Fault::SingleClickDesktop;
    QTest::newRow("8 a screen reader's commands during a read") << Fault::ScreenReaderDuringRead;
    QTest::newRow("9 cancel keeps what the user looks at") << Fault::CancelKeepsTheView;
    QTest::newRow("10 cancel onto a drive unmounted meanwhile") << Fault::CancelOntoUnmountedDrive;
    QTest::newRow("11 no thread to be had") << Fault::NoThreadToBeHad;
    QTest::newRow("12 a read that fails part-way") << Fault::ReadFailsPartway;
    QTest::newRow("13 a sync that fails") << Fault::SyncFails;
    QTest::newRow("14 a drop during a read waits, then runs") << Fault::DropDuringRead;
}

void TestFolderJob::wholeOrNothing()
{
    QFETCH(Fault, fault);
    std::unique_ptr<Window> w;
    if (fault == Fault::SlowStart || fault == Fault::StartCancelled) {
        // The program is started in the big folder, which is slow to read.
        QVERIFY(QDir::setCurrent(path("A/big")));
        setReadDelayForTesting(kDelay);
        bool shownWithBox = false;
        const int boxes = withBox(
            [&] {
                w = std::make_unique<Window>([&](ScriptedServices &s) {
                    s.drives->list = {{path("A"), QStringLiteral("A")}, {path("B"), QStringLiteral("B")}};
                    s.drives->current = path("A");
                    if (fault == Fault::SlowStart)
                        s.start = Form1::Start::ShowWhenSlow;
                });
            },
            [&](QDialog *box) { shownWithBox = box->parentWidget() && box->parentWidget()->isVisible(); },
            fault == Fault::StartCancelled);
        setReadDelayForTesting(0ms);
        QVERIFY(boxes >= 1);
        Form1 &f = *w->form;
        if (fault == Fault::SlowStart) {
            // The window showed before the read ended, with the box over it.
            QVERIFY(shownWithBox);
            QCOMPARE(f.items().count(), kBig);
            return;
        }
        // File1 on the start folder with nothing listed; the drive list on its
        // drive, the tree on it, unread, its way unfolded.
        QCOMPARE(f.File1->path(), path("A/big"));
        QCOMPARE(f.items().count(), 0);
        QVERIFY(f.Dir1->path().isEmpty());
        QCOMPARE(f.Drive1->root(), path("A"));
        const QModelIndex start = f.Dir1->currentIndex();
        QCOMPARE(f.Dir1->folders()->pathOf(start), path("A/big"));
        QVERIFY(f.Dir1->isExpanded(start.parent()) && !f.Dir1->isExpanded(start));
        QVERIFY(w->dialogs().messages.isEmpty());
        // Activating it reads it; every command works.
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(f.Dir1->window()));
        f.Dir1->setFocus();
        QTest::keyClick(f.Dir1, Qt::Key_Return);
        QCOMPARE(f.Dir1->path(), path("A/big"));
        QCOMPARE(f.items().count(), kBig);
        w->dialogs().answers = {QStringLiteral("txt")};
        f.FileType->trigger();
        QVERIFY(w->dialogs().messages.isEmpty());
        QCOMPARE(f.items().count(), kBig / 3);
        return;
    }

    // A volume that answers slowly, read by the real drives: the drive list
    // waits for it off the window's thread, in the box, and Cancel leaves the
    // list closed and as it was.
    std::atomic<bool> slowVolumes{false};
    if (fault == Fault::DriveListRead) {
        w = std::make_unique<Window>([&](ScriptedServices &s) {
            s.services.drives = std::make_unique<QtDrives>([&slowVolumes, this] {
                if (slowVolumes.load())
                    std::this_thread::sleep_for(1500ms);
                return QList<MountEntry>{{path("A"), QStringLiteral("A"), "ext4", true},
                                         {path("B"), QStringLiteral("B"), "ext4", true}};
            });
            s.drives = nullptr;
        });
        w->form->show();
    } else {
        w = window();
    }
    Form1 &f = *w->form;
    FolderTreeModel *tree = f.Dir1->folders();
    RefreshCounter refreshes(f);
    Look before = look(*w);
    switch (fault) {
    case Fault::TreeBranchRead:
    case Fault::TreeBranchCancelled: {
        // Opened right after its parent was read, before the tree is laid out
        // again: while its level is read the branch shows a placeholder.
        f.Dir1->setPath(path("A"));
        before = look(*w);
        const QModelIndex many = tree->indexForPath(path("A/many"));
        QVERIFY(many.isValid());
        setReadDelayForTesting(kDelay);
        const bool cancel = fault == Fault::TreeBranchCancelled;
        const auto placeholder = [&] { return tree->rowCount(many) == 1 && tree->isPlaceholder(tree->index(0, 0, many)); };
        bool placeholderWhileRead = false;
        QCOMPARE(withBox(
                     [&] {
                         f.Dir1->expand(many);
                         QTRY_VERIFY(placeholderWhileRead && !placeholder());
                     },
                     [&](QDialog *) { placeholderWhileRead = placeholder(); }, cancel),
                 1);
        QCOMPARE(tree->rowCount(many), cancel ? 0 : kBig);
        QCOMPARE(f.Dir1->isExpanded(many), !cancel);
        QVERIFY(look(*w) == before);
        break;
    }
    case Fault::DriveListRead:
        slowVolumes.store(true);
        QCOMPARE(withBox([&] { f.Drive1->showPopup(); }, {}, true), 1);
        QVERIFY(!f.Drive1->view()->isVisible());
        break;
    case Fault::DropOnOtherDriveCancelled: {
        setReadDelayForTesting(kDelay);
        QCOMPARE(withBox([&] { f.openFolders({path("B")}); }, {}, true), 1);
        QVERIFY(look(*w) == before);
        // Through, then a cancelled command of another kind: the drive stays.
        setReadDelayForTesting(0ms);
        f.openFolders({path("B")});
        QCOMPARE(f.Drive1->root(), path("B"));
        const Look onB = look(*w);
        setReadDelayForTesting(kDelay);
        w->dialogs().answers = {QStringLiteral("doc")};
        QCOMPARE(withBox([&] { f.FileType->trigger(); }, {}, true), 1);
        QVERIFY(look(*w) == onB);
        setReadDelayForTesting(0ms);
        f.Drive1->setCurrentIndex(0); // the first drive again is a drive change
        QCOMPARE(f.File1->path(), path("A/work"));
        return;
    }
    case Fault::DropOfSeveralCancelled:
        setReadDelayForTesting(kDelay);
        QCOMPARE(withBox([&] { f.openFolders({path("A/big"), path("A/few")}); }, {}, true), 1);
        QCOMPARE(refreshes.count(), 0); // the next folder is not read
        QVERIFY(look(*w) == before);
        break;
    case Fault::SingleClickDesktop: {
        SingleClickStyle style;
        f.Dir1->setStyle(&style);
        const auto plain = qScopeGuard([&] { f.Dir1->setStyle(nullptr); });
        const QModelIndex big = tree->indexForPath(path("A/big"));
        f.Dir1->scrollTo(big);
        setReadDelayForTesting(kDelay);
        // One click, one read: cancelled, nothing reads the folder again.
        const int boxes = withBox(
            [&] { QTest::mouseClick(f.Dir1->viewport(), Qt::LeftButton, {}, f.Dir1->visualRect(big).center()); }, {},
            true);
        QCOMPARE(boxes, 1);
        break;
    }
    case Fault::ScreenReaderDuringRead:
        setReadDelayForTesting(kDelay);
        withBox([&] { f.Dir1->setPath(path("A/big")); },
                [&](QDialog *) {
                    // None of these starts while the read runs; what they
                    // changed on screen goes back.
                    for (const char *caption : {"Info", "Create TXT", "Make WEB Page", "Set File Types"})
                        pressByScreenReader(f, QString::fromLatin1(caption));
                    f.SelectAll->trigger();
                    f.Rename->trigger();
                    f.Drive1->setCurrentIndex(1);
                    QCOMPARE(f.Drive1->root(), path("A"));
                    f.Dir1->setPath(path("A/few"));
                    QCOMPARE(f.Dir1->path(), path("A/big"));
                    f.Check1->click();
                    QVERIFY(f.Check1->isChecked());
                },
                true);
        QVERIFY(w->dialogs().inputs.isEmpty());
        QVERIFY(w->dialogs().messages.isEmpty());
        QVERIFY(look(*w) == before);
        break;
    case Fault::CancelKeepsTheView: {
        f.Dir1->setPath(path("A/big"));
        f.File1->setCurrentIndex(f.File1->model()->index(1500, 0));
        f.File1->scrollTo(f.File1->currentIndex(), QAbstractItemView::PositionAtTop);
        const int scrolled = f.File1->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        f.Dir1->expand(tree->indexForPath(path("A/work")));
        f.Dir1->expand(tree->indexForPath(path("A/many")));
        QTRY_COMPARE(tree->rowCount(tree->indexForPath(path("A/many"))), kBig);
        before = look(*w);
        setReadDelayForTesting(kDelay);
        w->dialogs().answers = {QStringLiteral("mp3")};
        QCOMPARE(withBox([&] { f.FileType->trigger(); }, {}, true), 1);
        QVERIFY(look(*w) == before);
        QCOMPARE(f.File1->currentIndex().row(), 1500);
        QCOMPARE(f.File1->verticalScrollBar()->value(), scrolled);
        QVERIFY(f.Dir1->isExpanded(tree->indexForPath(path("A/many"))));
        break;
    }
    case Fault::CancelOntoUnmountedDrive: {
        // B is picked; while it is read, A goes away; the cancel keeps A as
        // it was: shown, current, and where a document named alone goes.
        setReadDelayForTesting(kDelay);
        QCOMPARE(withBox([&] { f.Drive1->setCurrentIndex(1); },
                         [&](QDialog *) { w->scripted.drives->failing.insert(path("A"), QStringLiteral("gone")); },
                         true),
                 1);
        setReadDelayForTesting(0ms);
        QVERIFY(look(*w) == before);
        w->dialogs().answers = {QStringLiteral("doc")};
        f.CreateTXT->trigger();
        QVERIFY(QFileInfo::exists(path("A/work/doc.txt")));
        QVERIFY(!QFileInfo::exists(path("B/doc.txt")));
        QFile::remove(path("A/work/doc.txt"));
        return;
    }
    case Fault::NoThreadToBeHad: {
        InjectedFault noThreads({QStringLiteral("-e"), QStringLiteral("trace=clone3,clone"), QStringLiteral("-e"),
                                 QStringLiteral("inject=clone3,clone:error=EAGAIN")});
        if (!noThreads.isActive())
            SKIP_WITHOUT_INJECTION(noThreads.why());
        f.Dir1->setPath(path("A/few"));
        // A huge list let go without a thread of its own is let go here.
        QStringList doomed;
        for (int i = 0; i < 60000; ++i)
            doomed.append(QString::number(i));
        releaseInBackground(std::move(doomed));
        verifyWarning(w->dialogs().messages, systemError(EAGAIN));
        break;
    }
    case Fault::ReadFailsPartway: {
        InjectedFault failingDisk({QStringLiteral("-P"), path("A/big"), QStringLiteral("-e"),
                                   QStringLiteral("trace=getdents64"), QStringLiteral("-e"),
                                   QStringLiteral("inject=getdents64:error=EIO:when=3")});
        if (!failingDisk.isActive())
            SKIP_WITHOUT_INJECTION(failingDisk.why());
        f.Dir1->setPath(path("A/big"));
        verifyWarning(w->dialogs().messages, systemError(EIO) + QStringLiteral(" : ") + path("A/big"));
        QCOMPARE(refreshes.count(), 0); // no part of the folder reached the list
        break;
    }
    case Fault::SyncFails: {
        writeBytes(path("A/work/doc.txt"), "the old document\r\n");
        before = look(*w);
        InjectedFault failingSync({QStringLiteral("-e"), QStringLiteral("trace=fdatasync"), QStringLiteral("-e"),
                                   QStringLiteral("inject=fdatasync:error=EIO")});
        if (!failingSync.isActive())
            SKIP_WITHOUT_INJECTION(failingSync.why());
        w->dialogs().answers = {QStringLiteral("doc")};
        f.CreateTXT->trigger();
        verifyWarning(w->dialogs().messages, systemError(EIO)); // the failure, no confirmation
        QCOMPARE(readAll(path("A/work/doc.txt")), QByteArray("the old document\r\n"));
        QFile::remove(path("A/work/doc.txt"));
        break;
    }
    case Fault::DropDuringRead: {
        setReadDelayForTesting(kDelay);
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(path("B"))});
        const QPoint at = f.List1->geometry().center();
        QCOMPARE(withBox([&] { f.Dir1->setPath(path("A/big")); },
                         [&](QDialog *) {
                             // Taken at once; opened once the read has ended.
                             QDragEnterEvent enter(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
                             QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
                             for (QDropEvent *event : {static_cast<QDropEvent *>(&enter), &drop}) {
                                 QCoreApplication::sendEvent(&f, event);
                                 QVERIFY(event->isAccepted());
                             }
                             setReadDelayForTesting(0ms);
                         },
                         false),
                 1);
        QTRY_COMPARE(refreshes.folders, QStringList({path("A/big"), path("B")}));
        QTRY_VERIFY(!f.busy());
        QCOMPARE(f.Drive1->root(), path("B"));
        QCOMPARE(f.items().count(), kBig);
        QCOMPARE(f.items().texts().first(), QStringLiteral("b0000.doc"));
        return;
    }
    case Fault::SlowStart:
    case Fault::StartCancelled:
        break;
    }
    QVERIFY(look(*w) == before);
    QCOMPARE(f.busy(), false);
}

void TestFolderJob::jobsFailRatherThanEnd()
{
    // Work that runs out of memory fails with the system's reason; the
    // program goes on.
    QWidget window;
    QString failure;
    QCOMPARE(runJob(&window, JobOptions{QStringLiteral("Reading"), true, false},
                    [](ReadProgress &) { throw std::bad_alloc(); }, &failure),
             JobEnd::Failed);
    QCOMPARE(failure, systemError(ENOMEM));
    QCOMPARE(runJob(&window, JobOptions{}, [](ReadProgress &) {}, &failure), JobEnd::Done);
}

QTEST_MAIN(TestFolderJob)
#include "tst_folderjob.moc"
