// What a screen reader hears and where the keyboard goes: the accessible names
// and descriptions of the controls and menus, the item count that follows the
// list, the marks of the items and their changes, the tab order, the menu bar
// under the keyboard and the item list's pop-up opened without a mouse.

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
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

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

// What a screen reader is told about List1 while a listener is installed: one
// line per changed mark or name of an item (with the cell's state at that
// moment, which is what the reader speaks) and per change of the list's rows.
QWidget *g_heardList = nullptr;
QStringList g_heard;

void hearList(QAccessibleEvent *event)
{
    if (!g_heardList)
        return;
    if (event->type() == QAccessible::TableModelChanged && event->object() == g_heardList) {
        const auto *change = static_cast<QAccessibleTableModelChangeEvent *>(event);
        static const char *const kinds[] = {"reset", "data", "inserted", "columns inserted", "removed",
                                            "columns removed"};
        QString line = QLatin1String(kinds[change->modelChangeType()]);
        if (change->firstRow() >= 0)
            line += QStringLiteral(" %1-%2").arg(change->firstRow()).arg(change->lastRow());
        g_heard << line;
        return;
    }
    const bool mark = event->type() == QAccessible::StateChanged
        && static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked;
    if (!mark && event->type() != QAccessible::NameChanged)
        return;
    QAccessibleInterface *cell = event->accessibleInterface();
    if (!cell || !cell->tableCellInterface() || cell->parent()->object() != g_heardList)
        return;
    g_heard << QStringLiteral("%1 %2 %3")
                   .arg(mark ? QStringLiteral("mark") : QStringLiteral("name"), cell->text(QAccessible::Name),
                        cell->state().checked ? QStringLiteral("checked") : QStringLiteral("not checked"));
}

// Every item's cell says its text and its mark, and the marked ones are
// drawn highlighted.
void checkCells(ItemListView *list)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(list);
    QVERIFY(iface && iface->tableInterface());
    QAccessibleTableInterface *table = iface->tableInterface();
    const ItemList &items = *list->items();
    QCOMPARE(table->rowCount(), int(items.count()));
    const QImage shot = list->viewport()->grab().toImage();
    for (int row = 0; row < items.count(); ++row) {
        QAccessibleInterface *cell = table->cellAt(row, 0);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), items.text(row));
        QVERIFY(cell->state().checkable);
        QCOMPARE(bool(cell->state().checked), items.isMarked(row));
        // The style shades the current item a little: the colour drawn is the
        // nearer of the two.
        const QRect place = list->visualRect(items.index(row));
        const QColor drawn = shot.pixelColor(place.right() - 2, place.center().y());
        const auto distance = [&](QPalette::ColorRole role) {
            const QColor c = list->palette().color(role);
            return qAbs(drawn.red() - c.red()) + qAbs(drawn.green() - c.green()) + qAbs(drawn.blue() - c.blue());
        };
        QVERIFY2((distance(QPalette::Highlight) < distance(QPalette::Base)) == items.isMarked(row),
                 qPrintable(QStringLiteral("row %1 drawn %2").arg(row).arg(drawn.name())));
    }
}

enum class MarkAction { Click, Space, SelectAll, Erase, Rename, Refresh, RefreshKeepingMarks };

} // namespace

Q_DECLARE_METATYPE(MarkAction)

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
    void marksReachScreenReaders_data();
    void marksReachScreenReaders();
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
    QTest::newRow("export menu") << "ExportMenu" << "Export";
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
    QCOMPARE(barNames, QStringList({"Set File Types", "Make WEB Page", "Create TXT", "Export", "File Filter",
                                    "Print", "Options", "Info"}));

    // Every command speaks its caption as shown, also after a caption with "&"
    // is set at run time, and carries its control name as object name.
    setMenuCaption(f.ListOnly, QStringLiteral("Only items containing : R&D"));
    for (QMenu *menu : {f.FilterMenu, f.ExportMenu, f.Options, f.SelectMenu}) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(iface);
        QCOMPARE(iface->childCount(), menu->actions().size());
        for (int i = 0; i < iface->childCount(); ++i) {
            QAction *action = menu->actions().at(i);
            QVERIFY(!action->objectName().isEmpty());
            QCOMPARE(iface->child(i)->text(QAccessible::Name), menuCaption(action));
            // A check mark is told as the item's checked state (the path form's one at start).
            QCOMPARE(bool(iface->child(i)->state().checked), action->isChecked());
        }
    }
    QVERIFY(f.RelativePaths->isChecked());
    QCOMPARE(spoken(f.ListOnly, QAccessible::Name), QStringLiteral("Only items containing : R&D"));
    // Every entry has an access letter of its own in its menu, also after
    // captions changed at run time.
    QCOMPARE(accessLetterFault(f), QString());
    f.FilterMenu->setTitle(QStringLiteral("File Filter ON"));
    QCOMPARE(accessLetterFault(f), QString());
    QCOMPARE(menuCaption(f.FilterMenu->menuAction()), QStringLiteral("File Filter ON"));
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

    f.Dir1->setPath(other.path());
    QCOMPARE(f.List1->toolTip(), tip);
    // Large counts are written without separators.
    QCOMPARE(countToolTip(12), QStringLiteral(" Files :  12 "));
    QCOMPARE(countToolTip(1000000), QStringLiteral(" Files :  1000000 "));
    QVERIFY2(spoken(f.List1, QAccessible::Description).startsWith(count),
             qPrintable(spoken(f.List1, QAccessible::Description)));
    // The copy keys are told along with the count.
    QVERIFY(spoken(f.List1, QAccessible::Description).contains(QStringLiteral("Ctrl+C copies")));
}

void TestAccessibility::marksReachScreenReaders_data()
{
    // The list holds A.txt, b.doc and c; `marked` and `current` are set before
    // the action.
    QTest::addColumn<MarkAction>("action");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("click marks") << MarkAction::Click << QList<int>{} << -1
                                 << QStringList({"data 1-1", "mark b.doc checked"});
    QTest::newRow("space unmarks") << MarkAction::Space << QList<int>{2} << 2
                                   << QStringList({"data 2-2", "mark c not checked"});
    QTest::newRow("select all") << MarkAction::SelectAll << QList<int>{1} << 0
                                << QStringList({"data 0-2", "mark A.txt checked", "mark b.doc checked",
                                                "mark c checked"});
    QTest::newRow("erase") << MarkAction::Erase << QList<int>{0, 2} << 1
                           << QStringList({"removed 2-2", "removed 0-0"});
    QTest::newRow("rename keeps the mark") << MarkAction::Rename << QList<int>{1} << 1
                                           << QStringList({"data 1-1", "name z.txt checked"});
    // The folder's names as they were: only the marks change, and are told.
    QTest::newRow("refresh clears") << MarkAction::Refresh << QList<int>{0, 1} << 0
                                    << QStringList({"data 0-1", "mark A.txt not checked", "mark b.doc not checked"});
    QTest::newRow("refresh keeps marks") << MarkAction::RefreshKeepingMarks << QList<int>{0, 1} << 1
                                         << QStringList({"inserted 0-0"});
}

void TestAccessibility::marksReachScreenReaders()
{
    QFETCH(MarkAction, action);
    QFETCH(QList<int>, marked);
    QFETCH(int, current);
    QFETCH(QStringList, heard);
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    for (int row : marked)
        w.items().setMarked(row, true);
    w.items().setCurrentRow(current);
    f.List1->setFocus();
    checkCells(f.List1);

    // A screen reader switches the platform's accessibility on; offscreen
    // nothing does, so the test does it.
    QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
    QVERIFY(platform);
    platform->setActive(true);
    g_heardList = f.List1;
    g_heard.clear();
    const auto previous = QAccessible::installUpdateHandler(hearList);
    const auto restore = qScopeGuard([&] {
        QAccessible::installUpdateHandler(previous);
        platform->setActive(false);
        g_heardList = nullptr;
    });
    switch (action) {
    case MarkAction::Click:
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {},
                          f.List1->visualRect(w.items().index(1)).center());
        break;
    case MarkAction::Space: QTest::keyClick(f.List1, Qt::Key_Space); break;
    case MarkAction::SelectAll: f.SelectAll->trigger(); break;
    case MarkAction::Erase: f.EraseSelected->trigger(); break;
    case MarkAction::Rename:
        w.dialogs().answers = {QStringLiteral("z.txt")};
        f.Rename->trigger();
        break;
    case MarkAction::Refresh: f.RefreshList(); break;
    case MarkAction::RefreshKeepingMarks:
        // A new name goes in before the marked items, which move down.
        f.Check1->click();
        makeFiles(m_dir->path(), {"0.new"});
        f.openFolders({m_dir->path()}); // read again and merged
        QVERIFY(w.items().isMarked(1) && w.items().isMarked(2));
        break;
    }
    QCOMPARE(g_heard.join(u'|'), heard.join(u'|'));
    QCoreApplication::processEvents();
    checkCells(f.List1);
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
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(f.menuBar(), Qt::Key_Right);
    QCOMPARE(f.menuBar()->activeAction(), f.Info);
    QTest::keyClick(f.menuBar(), Qt::Key_Return);
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages.at(0).title, QStringLiteral("INFO"));

    // Down on a menu of the bar opens it.
    QTest::keyClick(f.List1, Qt::Key_Alt, Qt::AltModifier);
    for (int i = 0; i < 4; ++i)
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
