#include "app/folderjob.h"
#include "app/form1.h"
#include "listing/folderreader.h"
#include "support/scripted.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace corvane;
using namespace corvane::test;
using namespace std::chrono_literals;

// Folders read slowly for real: the reader waits before each batch of 512 names
// (the delay only tests set), so a folder of 3,000 names takes 2 s to read
// and as long to merge, well past the second after which the progress box shows.
namespace {

constexpr auto kDelay = 350ms;
constexpr int kBig = 3000;

enum Command { Folder, Drive, DriveSecondRead, FileTypes, Extensions, Word, ListOnlyWord, ExcludeWord };

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
    bool check1 = false, enumerate = false;
    friend bool operator==(const Look &, const Look &) = default;
};

Look look(Window &w)
{
    Form1 &f = *w.form;
    return {f.state(), f.items().value(), f.Drive1->root(), f.Dir1->path(), f.Check1->isChecked(),
            f.Enumerate->isChecked()};
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
    }
    makeFiles(m_dir.path(), files);
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
    QList<qint64> counts; // of the first box, the folder read's
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
                     if (box == firstBox)
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
}

void TestFolderJob::cancelPutsBack()
{
    QFETCH(int, command);
    QFETCH(int, how);
    auto w = window();
    Form1 &f = *w->form;
    // A big list with marks, a current item and a hand edit; the word set.
    if (command != Drive && command != DriveSecondRead)
        f.Dir1->setPath(path("A/big"));
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

QTEST_MAIN(TestFolderJob)
#include "tst_folderjob.moc"
