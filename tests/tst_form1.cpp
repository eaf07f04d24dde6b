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
#include <QLibraryInfo>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>
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

// WCAG's contrast ratio of two colours, 1 to 21; 3 is the least for a frame
// or a mark to be made out.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
    void frameFits();
    void smallWindowScrolls_data();
    void smallWindowScrolls();
    void focusShows_data();
    void focusShows();
    void menuBarEntryHighlighted_data();
    void menuBarEntryHighlighted();
    void infoMessage();
    void shortcuts_data();
    void shortcuts();
    void refreshWithCheck1();
    void refreshCountAndCommands();
    void wordFilterThroughRefresh();
    void accentedNamesInAlphabeticalOrder();
    void commandLine_data();
    void commandLine();
    void startFolder_data();
    void startFolder();
    void program_data();
    void program();

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
    QCOMPARE(bar, QStringList({"Set File Types", "Make WEB Page", "Create TXT", "Export", "File Filter", "Print",
                               "Options", "Info"}));
    // Every document format has its command, in the table's order: on the bar
    // or in "Export", right after "Create TXT", with its format's caption.
    QList<QAction *> documents;
    for (QAction *a : f.menuBar()->actions()) {
        if (a->menu() == f.ExportMenu)
            documents += f.ExportMenu->actions();
        else if (f.documentCommands().contains(a))
            documents.append(a);
    }
    QCOMPARE(documents.size(), qsizetype(documentFormats().size()));
    QCOMPARE(documents, f.documentCommands());
    for (qsizetype i = 0; i < documents.size(); ++i) {
        const DocumentFormat &format = documentFormats()[size_t(i)];
        QCOMPARE(menuCaption(documents[i]), QString::fromUtf8(format.caption));
        QCOMPARE(f.menuBar()->actions().contains(documents[i]), format.onMenuBar);
    }
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
    QCOMPARE(options, QStringList({"Extensions ON", "Enumerate items", "Include subfolders", "Sizes and dates",
                                   "Relative paths", "Full paths", "Names only", "Natural order",
                                   "Leave out folders…"}));
    QCOMPARE(popup, QStringList({"Rename", "Erase selected item(s)", "Select all", "Clear"}));
    // The pop-up is nowhere on the bar.
    for (QAction *a : f.menuBar()->actions())
        QVERIFY(a->menu() != f.SelectMenu);
    QVERIFY(f.SelectMenu->title().isEmpty());
    for (QAction *a : {f.ListOnly, f.Exclude, f.Enumerate, f.Rename, f.EraseSelected, f.SelectAll,
                       f.ClearList, f.SelectWord, f.DisplayEXT, f.FileType, f.Info, f.FullPaths, f.NamesOnly,
                       f.NaturalOrder, f.LeaveOutFolders})
        QVERIFY2(a->isEnabled() && !a->isChecked(), qPrintable(a->objectName()));
    QVERIFY(f.RelativePaths->isChecked()); // the form at start
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

void TestForm1::frameFits()
{
    // Under a window manager (tst_form1_frame: 640x480 under openbox) the
    // window opens with its whole frame, title bar and bottom edge, inside the
    // screen's free area; the client scrolls what the window cannot show.
    const bool managed = qEnvironmentVariableIsSet("CORVANE_TEST_WM");
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    if (managed)
        QTRY_VERIFY2_WITH_TIMEOUT(f.windowHandle()->frameMargins().top() > 0,
                                  qPrintable(qEnvironmentVariable("DISPLAY")), 20000);
    const QRect free = f.screen()->availableGeometry();
    QTRY_VERIFY2(free.contains(f.frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                                .arg(f.frameGeometry().x()).arg(f.frameGeometry().y())
                                .arg(f.frameGeometry().width()).arg(f.frameGeometry().height())));
    QCOMPARE(f.geometry().size(), f.size());
    if (managed) {
        QCOMPARE(free.size(), QSize(640, 480));
        auto *scroller = qobject_cast<QScrollArea *>(f.centralWidget());
        QVERIFY(scroller->verticalScrollBar()->isVisible());
        QVERIFY(free.contains(scroller->mapToGlobal(scroller->rect().bottomRight())));
    }
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
    // Back to the designed size nothing scrolls; smaller is allowed.
    f.resize(designed);
    QTRY_COMPARE(f.size(), designed);
    auto *area = qobject_cast<QScrollArea *>(f.centralWidget());
    QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
    f.resize(300, 200);
    QTRY_COMPARE(f.size(), QSize(300, 200));
}

void TestForm1::smallWindowScrolls_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("600x400") << QSize(600, 400);
    // A 1366x768 screen at font DPI 144 gives the window 911x512 less panels.
    QTest::newRow("large text on a small screen") << QSize(900, 470);
}

void TestForm1::smallWindowScrolls()
{
    QFETCH(QSize, size);
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.resize(size);
    QTRY_COMPARE(f.size(), size);
    auto *area = qobject_cast<QScrollArea *>(f.centralWidget());
    QWidget *view = area->viewport();
    // The controls keep their places and sizes; the client scrolls.
    QCOMPARE(f.Check1->geometry(), QRect(280, 512, 321, 17));
    QCOMPARE(f.List1->geometry(), QRect(224, 8, 457, 498));
    QTRY_VERIFY(area->verticalScrollBar()->isVisible());
    const auto shown = [&](QWidget *control) {
        return view->rect().contains(QRect(control->mapTo(view, QPoint(0, 0)), control->size()));
    };
    QVERIFY(!shown(f.Check1));
    // The scroll bars reach the check box.
    for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
        bar->setValue(bar->maximum());
    QVERIFY(shown(f.Check1));
    // So does Tab, from the file box, with the focus frame around it.
    for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
        bar->setValue(bar->minimum());
    f.File1->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(f.Check1->hasFocus());
    QVERIFY(shown(f.Check1));
    const QPoint beside = f.Check1->mapTo(&f, QPoint(-1, f.Check1->height() / 2));
    QCOMPARE(f.grab().toImage().pixelColor(beside), focusColour());
}

void TestForm1::focusShows_data()
{
    colours_data();
}

void TestForm1::focusShows()
{
    QFETCH(double, draw);
    QFETCH(int, colour);
    Window w([&](ScriptedServices &s) { s.random->values = {draw}; });
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const QColor background = qbColor(colour);
    // Around the control with the keyboard a frame stands out from every
    // window colour and from File1's grey; around the others nothing shows.
    const QList<QWidget *> controls = {f.Drive1, f.Dir1, f.File1, f.List1, f.Check1};
    const auto besides = [](QWidget *control) {
        const QRect r = control->geometry();
        QList<QPoint> points;
        for (const QPoint at : {QPoint(r.left() - 1, r.center().y()), QPoint(r.right() + 1, r.center().y()),
                                QPoint(r.center().x(), r.top() - 1), QPoint(r.center().x(), r.bottom() + 1)})
            points.append(control->parentWidget()->mapTo(control->window(), at));
        return points;
    };
    for (QWidget *control : controls) {
        control->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(control->hasFocus());
        const QImage shot = f.grab().toImage();
        for (QWidget *other : controls) {
            for (const QPoint at : besides(other)) {
                const QColor seen = shot.pixelColor(at);
                const QString where = other->objectName() + QStringLiteral(" with the keyboard on ")
                    + control->objectName() + QStringLiteral(": ") + seen.name();
                if (other == control)
                    QVERIFY2(contrast(seen, background) >= 3 && contrast(seen, designBackground()) >= 3,
                             qPrintable(where));
                else
                    QVERIFY2(seen == background, qPrintable(where));
            }
        }
    }
    // The check box's square reads on the window colour, checked or not; the
    // tick adds to it.
    QStyleOptionButton option;
    option.initFrom(f.Check1);
    const QRect square = f.Check1->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, f.Check1);
    const auto marked = [&] {
        const QImage shot = f.Check1->grab().toImage();
        int count = 0;
        for (int y = square.top(); y <= square.bottom(); ++y)
            for (int x = square.left(); x <= square.right(); ++x)
                count += contrast(shot.pixelColor(x, y), background) >= 3;
        return count;
    };
    f.Check1->setChecked(false);
    const int unchecked = marked();
    f.Check1->setChecked(true);
    const int checked = marked();
    QVERIFY2(unchecked >= 2 * square.width(), qPrintable(QString::number(unchecked)));
    QVERIFY2(checked > unchecked + 4, qPrintable(QString::number(checked)));
}

void TestForm1::menuBarEntryHighlighted_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("Make WEB Page") << "Make WEB Page";
    QTest::newRow("Create TXT") << "Create TXT";
    QTest::newRow("Print") << "Print";
    QTest::newRow("Info") << "Info";
    QTest::newRow("a menu: Options") << "Options";
}

void TestForm1::menuBarEntryHighlighted()
{
    QFETCH(QString, entry);
    Window w;
    Form1 &f = *w.form;
    QMenuBar *bar = f.menuBar();
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.File1->setFocus();
    QAction *target = nullptr;
    for (QAction *a : bar->actions())
        if (menuCaption(a) == entry)
            target = a;
    QVERIFY(target);
    // Alt puts the keyboard on the bar; the arrows move along it.
    QTest::keyClick(f.File1, Qt::Key_Alt);
    QTRY_VERIFY(bar->hasFocus());
    for (int i = 0; i < bar->actions().size() && bar->activeAction() != target; ++i)
        QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(bar->activeAction(), target);
    QVERIFY(!target->menu() || !target->menu()->isVisible());
    const QImage shot = bar->grab().toImage();
    const QColor highlight = bar->palette().color(QPalette::Highlight);
    const auto highlighted = [&](QAction *a) {
        const QRect place = bar->actionGeometry(a);
        int count = 0;
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x)
                count += shot.pixelColor(x, y) == highlight;
        return count * 3 >= place.width() * place.height();
    };
    for (QAction *a : bar->actions())
        QVERIFY2(highlighted(a) == (a == target), qPrintable(menuCaption(a)));
}

void TestForm1::shortcuts_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("effect"); // what the key does with no box open
    QTest::newRow("Ctrl+A marks every item") << (Qt::CTRL | Qt::Key_A) << "all marked";
    QTest::newRow("Delete erases the marked items") << QKeyCombination(Qt::Key_Delete) << "erased";
    QTest::newRow("F2 renames") << QKeyCombination(Qt::Key_F2) << "RENAME";
    QTest::newRow("F1 shows Info") << QKeyCombination(Qt::Key_F1) << "INFO";
    QTest::newRow("F5 reads File1's folder again") << QKeyCombination(Qt::Key_F5) << "read";
    QTest::newRow("Ctrl+Q closes the window") << (Qt::CTRL | Qt::Key_Q) << "closed";
    QTest::newRow("Ctrl+P never prints") << (Qt::CTRL | Qt::Key_P) << "nothing";
}

void TestForm1::shortcuts()
{
    QFETCH(QKeyCombination, key);
    QFETCH(QString, effect);
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.List1->setFocus();
    w.items().setMarked(1, true); // "A.txt"
    makeFiles(m_dir->path(), {"new.txt"});
    const auto seen = [&] {
        return QStringList{w.texts().join(u'|'), QString::number(w.items().markedCount()),
                           QString::number(w.dialogs().inputs.size()), QString::number(w.dialogs().messages.size()),
                           QString::number(w.scripted.printer->jobs.size()), QString::number(f.isVisible())};
    };
    const auto press = [&] { QTest::keyClick(f.List1, key.key(), key.keyboardModifiers()); };

    // While a box is open (the rename box here), the key does nothing.
    QStringList before = seen();
    w.dialogs().whileAsking = [&](const InputRecord &) { press(); };
    f.Rename->trigger();
    w.dialogs().whileAsking = {};
    before[2] = QString::number(w.dialogs().inputs.size()); // the rename box itself
    QCOMPARE(seen(), before);

    press();
    if (effect == u"all marked")
        QCOMPARE(w.items().markedCount(), w.items().count());
    else if (effect == u"erased")
        QCOMPARE(w.texts(), QStringList({".hidden", "b.doc", "c"}));
    else if (effect == u"read")
        QCOMPARE(w.texts(), QStringList({".hidden", "A.txt", "b.doc", "c", "new.txt"}));
    else if (effect == u"closed")
        QVERIFY(!f.isVisible());
    else if (effect == u"nothing")
        QCOMPARE(seen(), before);
    else if (effect == u"RENAME")
        QCOMPARE(w.dialogs().inputs.last().title, effect);
    else
        QCOMPARE(w.dialogs().messages.last().title, effect);
    // The pop-up shows the keys of its commands.
    QCOMPARE(f.SelectAll->shortcut(), QKeySequence(QKeySequence::SelectAll));
    QVERIFY(f.PrintList->shortcut().isEmpty());
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
    for (QAction *document : f.documentCommands()) // every format's, with "Create TXT"
        QVERIFY2(!document->isEnabled(), qPrintable(document->objectName()));

    // The commands are enabled in the order Print, Create TXT, Make WEB Page.
    QStringList order;
    for (QAction *a : {f.PrintList, f.CreateTXT, f.CreateHTM})
        connect(a, &QAction::changed, this, [&order, a] { order.append(a->objectName()); });
    f.Dir1->setPath(m_dir->path());
    QCOMPARE(order, QStringList({"PrintList", "CreateTXT", "CreateHTM"}));
    for (QAction *document : f.documentCommands())
        QVERIFY2(document->isEnabled(), qPrintable(document->objectName()));
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
    QTest::addColumn<QString>("output");  // the start of what is printed; going on, the line on standard error
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("style");
    QTest::newRow("no argument") << QStringList{} << -1 << QString() << QString() << QString();
    QTest::newRow("a folder") << QStringList{"/tmp"} << -1 << QString() << "/tmp" << QString();
    QTest::newRow("the first of several") << QStringList{"one", "two", "line\nfeed"} << -1
                                          << "corvane: only one is opened; ignored: two line\\nfeed\n" << "one"
                                          << QString();
    QTest::newRow("a name like an option after --") << QStringList{"--", "-x"} << -1 << QString() << "-x"
                                                    << QString();
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: corvane [FOLDER]\n" << QString() << QString();
    QTest::newRow("-h beside a folder") << QStringList{"/tmp", "-h"} << 0 << "Usage: corvane [FOLDER]\n"
                                        << QString() << QString();
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "Corvane+ " CORVANE_VERSION "\n" << QString()
                               << QString();
    QTest::newRow("an unknown option") << QStringList{"--recursive", "/tmp"} << 1
                                       << "corvane: Unknown option 'recursive'." << QString() << QString();
    // Qt's own options are left to QApplication; their values are no folder.
    QTest::newRow("Qt's options before the folder")
        << QStringList{"-platform", "wayland", "-style", "Fusion", "-reverse", "/tmp"} << -1 << QString() << "/tmp"
        << "Fusion";
    QTest::newRow("a session restored by the desktop")
        << QStringList{"-session", "10d7a3f2_1733", "/tmp"} << -1 << QString() << "/tmp" << QString();
    QTest::newRow("Qt's options with two dashes and =")
        << QStringList{"--style=Windows", "--platformtheme", "gtk3", "-qwindowtitle", "x"} << -1 << QString()
        << QString() << "Windows";
    QTest::newRow("a Qt option without its value") << QStringList{"-platform"} << 1
                                                   << "corvane: Missing value after '-platform'." << QString()
                                                   << QString();
}

void TestForm1::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, output);
    QFETCH(QString, folder);
    QFETCH(QString, style);
    const CommandLine line = readCommandLine(QStringList{"corvane"} + arguments);
    QCOMPARE(line.exitStatus.value_or(-1), exitStatus);
    // Help and version go to standard output, a wrong option to standard error.
    const QString printed = exitStatus == 1 ? line.error : line.output;
    QVERIFY2(exitStatus < 0 || printed.startsWith(output), qPrintable(printed));
    QCOMPARE((exitStatus == 1 ? line.output : line.error), QString());
    // Going on, what it ignores is said in one line.
    QCOMPARE(line.note, exitStatus < 0 ? output : QString());
    QCOMPARE(line.folder, folder);
    QCOMPARE(line.style, style);
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
        verifyWarning(dialogs.messages, QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(" :\r\r") + argument);
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

void TestForm1::program_data()
{
    // "@" is the folder the test started in; environment entries NAME=value
    // are set, -NAME removed. Without a window the program says why in one
    // line on standard error.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("withoutWayland"); // the Wayland platform not installed
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("output"); // standard output, or the start of the line on standard error
    const QStringList noDisplay = {"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM", "-XDG_SESSION_TYPE"};
    QTest::newRow("-platform offscreen -style Fusion and a folder")
        << QStringList{"-platform", "offscreen", "-style", "Fusion", "@/sub"}
        << noDisplay + QStringList{"CORVANE_QUIT_AFTER_SHOW=1"} << false << 0 << "@/sub\ninner.txt\n";
    // The line on standard error follows what is printed on standard output.
    QTest::newRow("two folders: the first opened, the second named as ignored")
        << QStringList{"-platform", "offscreen", "@/sub", "@"} << noDisplay + QStringList{"CORVANE_QUIT_AFTER_SHOW=1"}
        << false << 0 << "@/sub\ninner.txt\ncorvane: only @/sub is opened; ignored: @\n";
    QTest::newRow("-reverse and -session as a session manager restores it")
        << QStringList{"-session", "10d7a3f2_1733", "-reverse"}
        << QStringList{"QT_QPA_PLATFORM=offscreen", "CORVANE_QUIT_AFTER_SHOW=1"} << false << 0
        << "@\n.hidden\nA.txt\nb.doc\nc\n";
    QTest::newRow("no display") << QStringList{"@"} << noDisplay << false << 1
                                << "corvane: cannot open a window: no display found (DISPLAY and WAYLAND_DISPLAY unset)";
    QTest::newRow("WAYLAND_DISPLAY naming no compositor")
        << QStringList{} << noDisplay + QStringList{"WAYLAND_DISPLAY=corvane-nowhere"} << false << 1
        << "corvane: cannot open a window: no display answers (WAYLAND_DISPLAY=corvane-nowhere, DISPLAY unset)";
    QTest::newRow("a Wayland session without Qt's Wayland platform or X11")
        << QStringList{} << noDisplay + QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_SESSION_TYPE=wayland"} << true
        << 1 << "corvane: cannot open a window: Qt's Wayland platform is missing: install the package qt6-wayland";
}

void TestForm1::program()
{
#if defined(__SANITIZE_THREAD__)
    QSKIP("starts the program: the thread checker cannot follow a process started by a threaded one");
#endif
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(bool, withoutWayland);
    QFETCH(int, exitStatus);
    QFETCH(QString, output);
    output.replace(u'@', m_dir->path());
    for (QString &argument : arguments)
        argument.replace(u'@', m_dir->path());
    QTemporaryDir runtime; // the session's runtime folder, where Wayland's sockets are
    QVERIFY(runtime.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (const QString &entry : environment) {
        if (entry.startsWith(u'-'))
            env.remove(entry.mid(1));
        else
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    }
    QString program = QStringLiteral(CORVANE_PROGRAM);
    if (withoutWayland) {
        // A copy of the program whose Qt finds the X11 platform only.
        const QString plugins = runtime.path() + QStringLiteral("/plugins/platforms");
        QVERIFY(QDir().mkpath(plugins));
        QVERIFY(QFile::link(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqxcb.so"),
                            plugins + QStringLiteral("/libqxcb.so")));
        program = runtime.path() + QStringLiteral("/corvane");
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_PROGRAM), program));
        QFile conf(runtime.path() + QStringLiteral("/qt.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Paths]\nPlugins=" + QFile::encodeName(runtime.path()) + "/plugins\n");
        conf.close();
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY2(process.waitForFinished(60000), qPrintable(process.errorString()));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == exitStatus, qPrintable(err));
    if (exitStatus == 0) {
        // What the program itself says on standard error (not Qt's messages).
        QString said;
        for (const QString &line : err.split(u'\n'))
            if (line.startsWith(u"corvane: "))
                said += line + u'\n';
        QCOMPARE(out + said, output);
    } else {
        QVERIFY2(err.startsWith(output), qPrintable(err));
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY(err.endsWith(u'\n'));
    }
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
