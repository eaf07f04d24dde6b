// What a screen reader hears and where the keyboard goes: the accessible names
// and descriptions of the controls and menus, the item count that follows the
// list, the tab order, the menu bar under the keyboard and the item list's
// pop-up opened without a mouse.

#include "app/form1.h"
#include "support/scripted.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvane;
using namespace corvane::test;

namespace {

QString spoken(QObject *object, QAccessible::Text text)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(text) : QStringLiteral("<no accessible interface>");
}

// The name a Linux screen reader speaks: a drop-down list's own name is its
// current entry there, so it is named by the label it is labelled by.
QString spokenName(QWidget *control)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
    if (!iface)
        return QStringLiteral("<no accessible interface>");
    if (iface->role() == QAccessible::ComboBox) {
        const auto labels = iface->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return iface->text(QAccessible::Name);
}

// The menu opened as a pop-up while `open` runs, or null when none opened.
QMenu *popupDuring(const std::function<void()> &open)
{
    QMenu *seen = nullptr;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (seen)
            seen->close();
    });
    open();
    QCoreApplication::processEvents();
    return seen;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void menuItemsSpeakTheirCaptions();
    void countDescriptionFollowsList_data();
    void countDescriptionFollowsList();
    void tabOrder();
    void keyboardReachesMenuBarCommands();
    void keyboardOpensItemCommands();

private:
    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestAccessibility::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    makeFiles(m_dir->path(), {"b.doc", "A.txt", "c"});
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestAccessibility::cleanup()
{
    m_dir.reset();
}

void TestAccessibility::controls_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("name");
    QTest::newRow("drive list") << "Drive1" << "Drives";
    QTest::newRow("folder tree") << "Dir1" << "Folders";
    QTest::newRow("file box") << "File1" << "Files in this folder";
    QTest::newRow("item list") << "List1" << "Items";
    QTest::newRow("check box") << "Check1" << "Clear list when new folder is selected";
    QTest::newRow("file filter menu") << "FilterMenu" << "File Filter";
    QTest::newRow("options menu") << "Options" << "Options";
    QTest::newRow("pop-up menu") << "SelectMenu" << "Item commands";
}

void TestAccessibility::controls()
{
    QFETCH(QString, objectName);
    QFETCH(QString, name);
    Window w;
    // Tools find each control by its control name ...
    auto *control = w.form->findChild<QWidget *>(objectName);
    QVERIFY(control);
    // ... and a screen reader speaks a name and a description for it.
    QCOMPARE(spokenName(control), name);
    QVERIFY(!spoken(control, QAccessible::Description).trimmed().isEmpty());
}

void TestAccessibility::menuItemsSpeakTheirCaptions()
{
    Window w;
    Form1 &f = *w.form;
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(f.menuBar());
    QVERIFY(bar);
    QStringList barNames;
    for (int i = 0; i < bar->childCount(); ++i)
        barNames << bar->child(i)->text(QAccessible::Name);
    QCOMPARE(barNames, QStringList({"Set File Types", "Make WEB Page", "Create TXT", "File Filter", "Print",
                                    "Options", "Info"}));

    // Every command speaks its caption as shown, also after a caption with "&"
    // is set at run time, and carries its control name as object name.
    setMenuCaption(f.ListOnly, QStringLiteral("Only items containing : R&D"));
    for (QMenu *menu : {f.FilterMenu, f.Options, f.SelectMenu}) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(iface);
        QCOMPARE(iface->childCount(), menu->actions().size());
        for (int i = 0; i < iface->childCount(); ++i) {
            QAction *action = menu->actions().at(i);
            QVERIFY(!action->objectName().isEmpty());
            QCOMPARE(iface->child(i)->text(QAccessible::Name), menuCaption(action));
        }
    }
    QCOMPARE(spoken(f.ListOnly, QAccessible::Name), QStringLiteral("Only items containing : R&D"));
}

void TestAccessibility::countDescriptionFollowsList_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("tip");
    QTest::newRow("empty") << QStringList() << "0 items" << " Files :  0 ";
    QTest::newRow("one") << QStringList({"x.txt"}) << "1 item " << " Files :  1 ";
    QTest::newRow("several") << QStringList({"x.txt", "y.txt", "z"}) << "3 items" << " Files :  3 ";
}

void TestAccessibility::countDescriptionFollowsList()
{
    QFETCH(QStringList, files);
    QFETCH(QString, count);
    QFETCH(QString, tip);
    QTemporaryDir other;
    makeFiles(other.path(), files);
    Window w;
    Form1 &f = *w.form;
    QVERIFY(spoken(f.List1, QAccessible::Description).startsWith(QStringLiteral("3 items")));

    f.File1->setPath(other.path());
    f.RefreshList();
    QCOMPARE(f.List1->toolTip(), tip);
    // Large counts are written without separators.
    QCOMPARE(countToolTip(12), QStringLiteral(" Files :  12 "));
    QCOMPARE(countToolTip(1000000), QStringLiteral(" Files :  1000000 "));
    QVERIFY2(spoken(f.List1, QAccessible::Description).startsWith(count),
             qPrintable(spoken(f.List1, QAccessible::Description)));
}

void TestAccessibility::tabOrder()
{
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.File1->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), f.File1);
    const QList<QWidget *> expected = {f.Dir1, f.Drive1, f.List1, f.Check1, f.File1};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    const QList<QWidget *> backwards = {f.Check1, f.List1, f.Drive1, f.Dir1, f.File1};
    for (QWidget *previous : backwards) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), previous);
    }
}

void TestAccessibility::keyboardReachesMenuBarCommands()
{
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.List1->setFocus();

    // Alt alone puts the keyboard on the bar; the arrows walk it; Enter runs
    // the command under the keyboard.
    QTest::keyClick(f.List1, Qt::Key_Alt, Qt::AltModifier);
    QCOMPARE(f.menuBar()->activeAction(), f.FileType);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(f.menuBar(), Qt::Key_Right);
    QCOMPARE(f.menuBar()->activeAction(), f.Info);
    QTest::keyClick(f.menuBar(), Qt::Key_Return);
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages.at(0).title, QStringLiteral("INFO"));

    // Down on a menu of the bar opens it.
    QTest::keyClick(f.List1, Qt::Key_Alt, Qt::AltModifier);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f.menuBar(), Qt::Key_Right);
    QCOMPARE(f.menuBar()->activeAction(), f.FilterMenu->menuAction());
    QTest::keyClick(f.menuBar(), Qt::Key_Down);
    QTRY_VERIFY(f.FilterMenu->isVisible());
    f.FilterMenu->close();
}

void TestAccessibility::keyboardOpensItemCommands()
{
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.List1->setFocus();
    w.items().setCurrentRow(1);
    w.items().setMarked(2, true);

    // The Menu key (the platform turns it into a keyboard context menu request)
    // and Shift+F10 both open the pop-up, over the current item.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), f.List1->mapToGlobal(QPoint(0, 0)));
    QCOMPARE(popupDuring([&] { QApplication::sendEvent(f.List1, &menuKey); }), f.SelectMenu);
    QCOMPARE(popupDuring([&] { QTest::keyClick(f.List1, Qt::Key_F10, Qt::ShiftModifier); }), f.SelectMenu);
    // Opening it that way leaves the current item and the marks as they were.
    QCOMPARE(w.items().currentRow(), 1);
    QCOMPARE(w.items().markedCount(), 1);
    QVERIFY(w.items().isMarked(2));

    // A right click has its own road (the mouse-down handler): the mouse's
    // context menu request must not open a second pop-up.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 f.List1->viewport()->mapToGlobal(QPoint(5, 5)));
    QCOMPARE(popupDuring([&] { QApplication::sendEvent(f.List1->viewport(), &rightClick); }), nullptr);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
