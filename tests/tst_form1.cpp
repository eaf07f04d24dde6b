#include "app/form1.h"
#include "app/palette.h"
#include "support/scripted.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startUpState();
    void layoutAndFonts();
    void menus();
    void colours_data();
    void colours();
    void setColorsPalette();
    void infoMessage();
    void refreshWithCheck1();
    void refreshCountAndCommands();
    void wordFilterThroughRefresh();
    void unreadableFolderKeepsWindowUsable();

private:
    std::unique_ptr<test::WorkFolder> m_dir;
};

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
    QCOMPARE(f.ShowExtensions, true);
    QCOMPARE(menuCaption(f.DisplayEXT), QStringLiteral("Extensions ON"));
    QVERIFY(f.Check1->isChecked());
    QCOMPARE(f.Check1->font().pointSizeF(), 12.0);
    QCOMPARE(f.File1->path(), m_dir->path());
    QCOMPARE(f.Dir1->path(), m_dir->path());
    QCOMPARE(f.File1->pattern(), QStringLiteral("*.*"));
    QCOMPARE(w.texts(), QStringList({".hidden", "A.txt", "b.doc", "c"}));
    QVERIFY(f.FileTypes.isEmpty());
    QVERIFY(f.FilterWord.isEmpty());
    QCOMPARE(f.FilterMode, WordFilterMode::None);
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
    f.Check1->setChecked(false);
    f.File1->setPath(m_dir->path() + QStringLiteral("/other"));
    f.RefreshList();
    QCOMPARE(w.texts(), QStringList({".hidden", "A.txt", "b.doc", "c", "new.md"}));
    // Checked: only the current folder.
    f.Check1->setChecked(true);
    f.RefreshList();
    QCOMPARE(w.texts(), QStringList({"a.TXT", "new.md"}));
    // Extensions off, unchecked: the other form is added beside.
    f.Check1->setChecked(false);
    f.ShowExtensions = false;
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
    f.File1->setPath(m_dir->path() + QStringLiteral("/empty"));
    f.RefreshList();
    QCOMPARE(w.items().count(), 0);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  0 "));
    QVERIFY(!f.PrintList->isEnabled() && !f.CreateTXT->isEnabled() && !f.CreateHTM->isEnabled());

    // The commands are enabled in the order Print, Create TXT, Make WEB Page.
    QStringList order;
    for (QAction *a : {f.PrintList, f.CreateTXT, f.CreateHTM})
        connect(a, &QAction::changed, this, [&order, a] { order.append(a->objectName()); });
    f.File1->setPath(m_dir->path());
    f.RefreshList();
    QCOMPARE(order, QStringList({"PrintList", "CreateTXT", "CreateHTM"}));
}

void TestForm1::wordFilterThroughRefresh()
{
    Window w;
    Form1 &f = *w.form;
    f.FilterWord = QStringLiteral("TXT");
    f.RefreshList(); // no mode chosen yet: nothing removed
    QCOMPARE(w.items().count(), 4);
    f.FilterMode = WordFilterMode::ListOnly;
    f.RefreshList();
    QCOMPARE(w.texts(), QStringList({"A.txt"}));
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  1 "));
    f.FilterWord = QStringLiteral("nothing-has-this");
    f.RefreshList();
    QCOMPARE(w.items().count(), 0);
    QVERIFY(!f.CreateTXT->isEnabled());
    QCOMPARE(f.File1->listCount(), 4); // the file box still holds the names
}

void TestForm1::unreadableFolderKeepsWindowUsable()
{
    Window w;
    Form1 &f = *w.form;
    f.File1->setPath(m_dir->path() + QStringLiteral("/gone"));
    QVERIFY(!f.File1->lastError().isEmpty());
    f.RefreshList();
    QCOMPARE(w.items().count(), 0);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  0 "));
    f.File1->setPath(m_dir->path());
    f.RefreshList();
    QCOMPARE(w.items().count(), 4);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
