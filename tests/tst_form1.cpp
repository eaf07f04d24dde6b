#include "app/form1.h"
#include "app/palette.h"
#include "app/startup.h"
#include "platform/qtservices.h"
#include "support/scripted.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <cerrno>
#include <cstring>

using namespace corvane;
using namespace corvane::test;

namespace {

// A desktop's global menu bar, as Plasma and Unity offer it: Qt moves the
// menu bar of every window that appears afterwards to it, out of the window.
class GlobalMenu : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.AppMenu.Registrar")
public:
    using QObject::QObject;
public slots:
    void RegisterWindow(uint, const QDBusObjectPath &) {}
    void UnregisterWindow(uint) {}
};

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startUpState();
    void layoutAndFonts();
    void menus();
    void colours_data();
    void colours();
    void setColorsPalette();
    void colourCoversEnlargedWindow();
    void infoMessage();
    void refreshWithCheck1();
    void refreshCountAndCommands();
    void wordFilterThroughRefresh();
    void accentedNamesInAlphabeticalOrder();
    void commandLine_data();
    void commandLine();
    void startFolder_data();
    void startFolder();

private:
    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestForm1::initTestCase()
{
    // tst_form1_global_menu runs on X with a session bus of its own, where the
    // test offers a global menu bar before any window exists.
    if (qEnvironmentVariableIsSet("CORVANE_TEST_GLOBAL_MENU")) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.isConnected());
        QVERIFY(bus.registerObject(QStringLiteral("/com/canonical/AppMenu/Registrar"), new GlobalMenu(this),
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("com.canonical.AppMenu.Registrar")));
    }
}

void TestForm1::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    makeFiles(m_dir->path(), {"b.doc", "A.txt", ".hidden", "c", "sub/inner.txt"});
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestForm1::cleanup()
{
    m_dir.reset();
}

void TestForm1::startUpState()
{
    Window w;
    Form1 &f = *w.form;
    QCOMPARE(f.windowTitle(), QStringLiteral("Corvane+"));
    QCOMPARE(f.state().ShowExtensions, true);
    QCOMPARE(menuCaption(f.DisplayEXT), QStringLiteral("Extensions ON"));
    QVERIFY(f.Check1->isChecked());
    QCOMPARE(f.Check1->font().pointSizeF(), 12.0);
    QCOMPARE(f.File1->path(), m_dir->path());
    QCOMPARE(f.Dir1->path(), m_dir->path());
    QCOMPARE(f.File1->pattern(), QStringLiteral("*.*"));
    QCOMPARE(w.texts(), QStringList({".hidden", "A.txt", "b.doc", "c"}));
    QVERIFY(f.state().FileTypes.isEmpty());
    QVERIFY(f.state().FilterWord.isEmpty());
    QCOMPARE(f.state().FilterMode, WordFilterMode::None);
    QCOMPARE(w.scripted.random->seeded, 1);
    QCOMPARE(w.scripted.random->draws, 1);
    QVERIFY(!f.windowIcon().isNull());
    QCOMPARE(QImage(QStringLiteral(":/corvane/corvane-16.png")).size(), QSize(16, 16));
    QCOMPARE(QImage(QStringLiteral(":/corvane/corvane.png")).size(), QSize(32, 32));
    QCOMPARE(f.windowIcon().pixmap(QSize(16, 16)).size(), QSize(16, 16));
}

void TestForm1::layoutAndFonts()
{
    Window w;
    Form1 &f = *w.form;
    QCOMPARE(f.centralWidget()->size(), QSize(686, 538));
    QCOMPARE(f.Drive1->geometry(), QRect(8, 8, 209, 24));
    QCOMPARE(f.Dir1->geometry(), QRect(8, 40, 209, 474));
    QCOMPARE(f.List1->geometry(), QRect(224, 8, 457, 498));
    QCOMPARE(f.File1->geometry(), QRect(512, 376, 137, 106));
    QCOMPARE(f.Check1->geometry(), QRect(280, 512, 321, 17));
    QCOMPARE(f.Drive1->font().pointSizeF(), 9.75);
    QVERIFY(f.Drive1->font().bold());
    QCOMPARE(f.List1->font().pointSizeF(), 13.5);
    QVERIFY(!f.List1->font().bold());
    QCOMPARE(f.File1->font().pointSizeF(), 12.0);
    QCOMPARE(f.Check1->text(), QStringLiteral("Clear list when new folder is selected"));

    // Tab order from File1: Dir1, Drive1, List1, Check1 (the controls' own inner
    // widgets, such as scroll area viewports, are passed over).
    const QList<QWidget *> controls = {f.File1, f.Dir1, f.Drive1, f.List1, f.Check1};
    QList<QWidget *> chain;
    for (QWidget *w = f.File1; chain.size() < controls.size(); w = w->nextInFocusChain())
        if (controls.contains(w) && !chain.contains(w))
            chain.append(w);
    QCOMPARE(chain, controls);
}

void TestForm1::menus()
{
    Window w;
    Form1 &f = *w.form;
    QStringList bar;
    for (QAction *a : f.menuBar()->actions())
        bar.append(menuCaption(a));
    QCOMPARE(bar, QStringList({"Set File Types", "Make WEB Page", "Create TXT", "File Filter", "Print",
                               "Options", "Info"}));
    // The bar stays in the window, also on a desktop with a global menu bar,
    // with every entry shown on it.
    QVERIFY(!f.menuBar()->isNativeMenuBar());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(f.menuBar()->isVisible());
    for (QAction *a : f.menuBar()->actions()) {
        const QRect place = f.menuBar()->actionGeometry(a);
        QVERIFY2(a->isVisible() && !place.isEmpty() && f.menuBar()->rect().contains(place),
                 qPrintable(menuCaption(a)));
    }
    QStringList filter, options, popup;
    for (QAction *a : f.FilterMenu->actions())
        filter.append(menuCaption(a));
    for (QAction *a : f.Options->actions())
        options.append(menuCaption(a));
    for (QAction *a : f.SelectMenu->actions())
        popup.append(menuCaption(a));
    QCOMPARE(filter, QStringList({"Select word", "Only items containing : ", "Exclude items containing : "}));
    QCOMPARE(options, QStringList({"Extensions ON", "Enumerate items"}));
    QCOMPARE(popup, QStringList({"Rename", "Erase selected item(s)", "Select all", "Clear"}));
    // The pop-up is nowhere on the bar.
    for (QAction *a : f.menuBar()->actions())
        QVERIFY(a->menu() != f.SelectMenu);
    QVERIFY(f.SelectMenu->title().isEmpty());
    for (QAction *a : {f.ListOnly, f.Exclude, f.Enumerate, f.Rename, f.EraseSelected, f.SelectAll,
                       f.ClearList, f.SelectWord, f.DisplayEXT, f.FileType, f.Info})
        QVERIFY2(a->isEnabled() && !a->isChecked(), qPrintable(a->objectName()));
}

void TestForm1::colours_data()
{
    QTest::addColumn<double>("draw");
    QTest::addColumn<int>("colour");
    QTest::newRow("0.0 gives 1") << 0.0 << 1;
    QTest::newRow("0.199 gives 1") << 0.199 << 1;
    QTest::newRow("0.2 gives 2") << 0.2 << 2;
    QTest::newRow("0.5 gives 3") << 0.5 << 3;
    QTest::newRow("0.7 gives 4") << 0.7 << 4;
    QTest::newRow("0.9999 gives 5") << 0.9999 << 5;
}

void TestForm1::colours()
{
    QFETCH(double, draw);
    QFETCH(int, colour);
    Window w([&](ScriptedServices &s) { s.random->values = {draw}; });
    Form1 &f = *w.form;
    const QColor expected = qbColor(colour);
    for (QWidget *target : {f.centralWidget(), static_cast<QWidget *>(f.List1), static_cast<QWidget *>(f.Dir1),
                            static_cast<QWidget *>(f.Drive1), static_cast<QWidget *>(f.Check1)}) {
        QCOMPARE(target->palette().color(QPalette::Window), expected);
        QCOMPARE(target->palette().color(QPalette::Base), expected);
    }
    QCOMPARE(f.File1->palette().color(QPalette::Base), QColor(0x40, 0x40, 0x40));
    for (QWidget *target : {static_cast<QWidget *>(f.List1), static_cast<QWidget *>(f.Dir1),
                            static_cast<QWidget *>(f.Drive1), static_cast<QWidget *>(f.Check1),
                            static_cast<QWidget *>(f.File1)})
        QCOMPARE(target->palette().color(QPalette::Text), QColor(Qt::white));
}

void TestForm1::setColorsPalette()
{
    const QList<QColor> expected = {
        {0, 0, 0}, {0, 0, 128}, {0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128}, {128, 128, 0},
        {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255}, {255, 0, 0},
        {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    for (int n = 0; n < 16; ++n)
        QCOMPARE(qbColor(n), expected.at(n));
    Window w;
    w.form->SetColors(7);
    QCOMPARE(w.form->List1->palette().color(QPalette::Base), QColor(192, 192, 192));
    w.form->SetColors(15);
    QCOMPARE(w.form->Check1->palette().color(QPalette::Window), QColor(255, 255, 255));
}

void TestForm1::colourCoversEnlargedWindow()
{
    Window w([](ScriptedServices &s) { s.random->values = {0.5}; });
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QSize designed = f.size();
    f.resize(1000, 900);
    QTRY_COMPARE(f.size(), QSize(1000, 900));
    const QImage shot = f.grab().toImage();
    const int top = f.centralWidget()->y();
    // Beyond the 686 x 538 client area: the right band, the bottom band, the corner.
    for (const QPoint at : {QPoint(900, top + 100), QPoint(300, top + 800), QPoint(995, 895)})
        QCOMPARE(shot.pixelColor(at), qbColor(3));
    // The controls keep their places and File1 its own dark grey.
    QCOMPARE(f.List1->geometry(), QRect(224, 8, 457, 498));
    QCOMPARE(f.Check1->geometry(), QRect(280, 512, 321, 17));
    const QPoint file1 = f.File1->mapTo(&f, QPoint(f.File1->width() / 2, f.File1->height() - 8));
    QCOMPARE(shot.pixelColor(file1), designBackground());
    // Back to the designed size, and no smaller.
    f.resize(300, 200);
    QTRY_COMPARE(f.size(), designed);
}

void TestForm1::infoMessage()
{
    Window w;
    w.form->Info->trigger();
    QCOMPARE(w.dialogs().messages.size(), 1);
    const MessageRecord &m = w.dialogs().messages.first();
    QCOMPARE(m.title, QStringLiteral("INFO"));
    QCOMPARE(m.icon, MessageIcon::Information);
    QCOMPARE(m.text.count(QStringLiteral("\r\r")), 3);
    QVERIFY(!m.text.contains(u'\n'));
    QVERIFY(!m.text.startsWith(u'\r') && !m.text.endsWith(u'\r'));
    const QStringList lines = m.text.split(QStringLiteral("\r\r"));
    QCOMPARE(lines.size(), 4);
    for (const QString &line : lines)
        QVERIFY(!line.isEmpty() && !line.contains(u'\r'));
}

void TestForm1::refreshWithCheck1()
{
    Window w;
    Form1 &f = *w.form;
    // Unchecked: names of another folder are merged in, duplicates ignoring case once.
    makeFiles(m_dir->path(), {"other/a.TXT", "other/new.md"});
    f.Check1->click();
    f.Dir1->setPath(m_dir->path() + QStringLiteral("/other"));
    QCOMPARE(w.texts(), QStringList({".hidden", "A.txt", "b.doc", "c", "new.md"}));
    // Checked: only the current folder.
    f.Check1->click();
    f.RefreshList();
    QCOMPARE(w.texts(), QStringList({"a.TXT", "new.md"}));
    // Extensions off, unchecked: the other form is added beside.
    f.Check1->click();
    change(f, [](WindowState &s) { s.ShowExtensions = false; });
    f.RefreshList();
    QCOMPARE(w.texts(), QStringList({"a", "a.TXT", "new", "new.md"}));
}

void TestForm1::refreshCountAndCommands()
{
    Window w;
    Form1 &f = *w.form;
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  4 "));
    QVERIFY(f.PrintList->isEnabled() && f.CreateTXT->isEnabled() && f.CreateHTM->isEnabled());

    // An empty folder: count 0, the three output commands off.
    QDir(m_dir->path()).mkdir(QStringLiteral("empty"));
    f.Dir1->setPath(m_dir->path() + QStringLiteral("/empty"));
    QCOMPARE(w.items().count(), 0);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  0 "));
    QVERIFY(!f.PrintList->isEnabled() && !f.CreateTXT->isEnabled() && !f.CreateHTM->isEnabled());

    // The commands are enabled in the order Print, Create TXT, Make WEB Page.
    QStringList order;
    for (QAction *a : {f.PrintList, f.CreateTXT, f.CreateHTM})
        connect(a, &QAction::changed, this, [&order, a] { order.append(a->objectName()); });
    f.Dir1->setPath(m_dir->path());
    QCOMPARE(order, QStringList({"PrintList", "CreateTXT", "CreateHTM"}));
}

void TestForm1::wordFilterThroughRefresh()
{
    Window w;
    Form1 &f = *w.form;
    change(f, [](WindowState &s) { s.FilterWord = QStringLiteral("TXT"); });
    f.RefreshList(); // no mode chosen yet: nothing removed
    QCOMPARE(w.items().count(), 4);
    change(f, [](WindowState &s) { s.FilterMode = WordFilterMode::ListOnly; });
    f.RefreshList();
    QCOMPARE(w.texts(), QStringList({"A.txt"}));
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  1 "));
    change(f, [](WindowState &s) { s.FilterWord = QStringLiteral("nothing-has-this"); });
    f.RefreshList();
    QCOMPARE(w.items().count(), 0);
    QVERIFY(!f.CreateTXT->isEnabled());
    QCOMPARE(f.File1->listCount(), 4); // the file box still holds the names
}

void TestForm1::accentedNamesInAlphabeticalOrder()
{
    // File1 and List1 show one alphabetical order: accented letters beside their
    // plain ones, a decomposed letter beside its precomposed form, letters of
    // other scripts after the Latin ones. Twins ignoring case are listed once.
    const QString accents = m_dir->path() + QStringLiteral("/accents");
    const QString more = m_dir->path() + QStringLiteral("/more");
    makeFiles(accents,
              QString::fromUtf8("zèbre|Zug|école|ecole|ÉCOLE|Ärger|apfel|cafe\u0301|café|øre|10").split(u'|'));
    makeFiles(more, QString::fromUtf8("Ecole|ZÈBRE|éa|Zoé").split(u'|'));
    Window w;
    Form1 &f = *w.form;
    auto shownInList1 = [&f] {
        QStringList shown;
        for (int row = 0; row < f.List1->model()->rowCount(); ++row)
            shown.append(f.List1->model()->index(row, 0).data().toString());
        return shown;
    };
    f.Dir1->setPath(accents);
    const QStringList fileBox
        = QString::fromUtf8("10|apfel|Ärger|cafe\u0301|café|ecole|ÉCOLE|école|zèbre|Zug|øre").split(u'|');
    QCOMPARE(f.File1->names(), fileBox);
    QStringList listed = fileBox;
    listed.removeOne(QString::fromUtf8("école"));
    QCOMPARE(shownInList1(), listed);

    // Merged with another folder's names: twins stay out, new names go to their places.
    f.Check1->click();
    f.Dir1->setPath(more);
    QCOMPARE(f.File1->names(), QString::fromUtf8("éa|Ecole|ZÈBRE|Zoé").split(u'|'));
    QCOMPARE(shownInList1(),
             QString::fromUtf8("10|apfel|Ärger|cafe\u0301|café|éa|ecole|ÉCOLE|zèbre|Zoé|Zug|øre").split(u'|'));
}

void TestForm1::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus"); // -1: the program goes on
    QTest::addColumn<QString>("output");  // the start of what is printed
    QTest::addColumn<QString>("folder");
    QTest::newRow("no argument") << QStringList{} << -1 << QString() << QString();
    QTest::newRow("a folder") << QStringList{"/tmp"} << -1 << QString() << "/tmp";
    QTest::newRow("the first of several") << QStringList{"one", "two"} << -1 << QString() << "one";
    QTest::newRow("a name like an option after --") << QStringList{"--", "-x"} << -1 << QString() << "-x";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: corvane [FOLDER]\n" << QString();
    QTest::newRow("-h beside a folder") << QStringList{"/tmp", "-h"} << 0 << "Usage: corvane [FOLDER]\n"
                                        << QString();
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "Corvane+ " CORVANE_VERSION "\n" << QString();
    QTest::newRow("an unknown option") << QStringList{"--recursive", "/tmp"} << 1
                                       << "corvane: Unknown option 'recursive'." << QString();
    QTest::newRow("a toolkit option is none of ours") << QStringList{"-platform", "xcb"} << 1
                                                      << "corvane: Unknown option 'platform'." << QString();
}

void TestForm1::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, output);
    QFETCH(QString, folder);
    const CommandLine line = readCommandLine(QStringList{"corvane"} + arguments);
    QCOMPARE(line.exitStatus.value_or(-1), exitStatus);
    // Help and version go to standard output, a wrong option to standard error.
    const QString printed = exitStatus == 1 ? line.error : line.output;
    QVERIFY2(printed.startsWith(output), qPrintable(printed));
    QCOMPARE((exitStatus == 1 ? line.output : line.error), QString());
    QCOMPARE(line.folder, folder);
}

void TestForm1::startFolder_data()
{
    QTest::addColumn<QString>("argument"); // "@" is the folder started in
    QTest::addColumn<QString>("folder");   // where the program starts; empty: where it was started
    QTest::addColumn<int>("error");
    QTest::newRow("a folder") << "@/sub" << "sub" << 0;
    QTest::newRow("a relative folder") << "sub/" << "sub" << 0;
    QTest::newRow("a file: its folder") << "@/sub/inner.txt" << "sub" << 0;
    QTest::newRow("a file given by its name alone") << "b.doc" << "" << 0;
    QTest::newRow("a name that does not exist") << "@/gone" << "" << ENOENT;
    QTest::newRow("a path through a file") << "@/b.doc/x" << "" << ENOTDIR;
}

void TestForm1::startFolder()
{
    QFETCH(QString, argument);
    QFETCH(QString, folder);
    QFETCH(int, error);
    argument.replace(u'@', m_dir->path());
    ScriptedDialogs dialogs;
    QCOMPARE(enterStartFolder(QFile::encodeName(argument), dialogs), error == 0);
    const QString expected = folder.isEmpty() ? m_dir->path() : m_dir->path() + u'/' + folder;
    if (error == 0) {
        QVERIFY(dialogs.messages.isEmpty());
    } else {
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].text,
                 QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(" :\r\r") + argument);
        QCOMPARE(dialogs.messages[0].title, QStringLiteral("WARNING"));
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Critical);
    }
    // The drives, the tree, the file box and the list all start there.
    QCOMPARE(QDir::currentPath(), expected);
    QtDrives drives;
    QCOMPARE(drives.currentFolder(drives.startRoot()).value, expected);
    Window w;
    QCOMPARE(w.form->Dir1->path(), expected);
    QCOMPARE(w.form->File1->path(), expected);
    QCOMPARE(w.texts(), folder.isEmpty() ? QStringList({".hidden", "A.txt", "b.doc", "c"})
                                         : QStringList({"inner.txt"}));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
