// The item list's pop-up menu and its hand edits, driven through the real
// window with real mouse events on real folders.

#include "app/form1.h"
#include "editing/editing.h"
#include "support/scripted.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kPrompt = QStringLiteral("You are not renaming the file,\ryou're just renaming the item in the list.");

// Every entry under root with its size, time and a hash of its bytes.
QStringList snapshot(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString line = path + u' ' + QString::number(info.size()) + u' '
            + QString::number(info.lastModified().toMSecsSinceEpoch());
        QFile f(path);
        if (info.isFile() && f.open(QIODevice::ReadOnly))
            line += u' ' + QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
        out.append(line);
    }
    out.sort();
    return out;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void popupEnableRules_data();
    void popupEnableRules();
    void rightPressKeepsMarksAndCurrent();
    void otherButtonsOpenNothing();
    void entriesChosenFromThePopup();
    void renameInPlace_data();
    void renameInPlace();
    void renameWithoutCurrentItem();
    void erase_data();
    void erase();
    void clearBeepsAndKeepsTooltip();
    void refreshAfterEdits_data();
    void refreshAfterEdits();

private:
    // Shows the window and returns the centre of row's rectangle on List1's viewport.
    QPoint rowCentre(Form1 &f, int row);
    void rightPress(Form1 &f, const QPoint &at);

    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestEditing::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    makeFiles(m_dir->path(), {"a.txt", "b.txt", "c.txt", "d.txt"});
    QFile f(m_dir->filePath(QStringLiteral("b.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("some bytes of b\n");
    f.close();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestEditing::cleanup()
{
    m_dir.reset();
}

QPoint TestEditing::rowCentre(Form1 &f, int row)
{
    if (!f.isVisible()) {
        f.show();
        if (!QTest::qWaitForWindowExposed(&f))
            qWarning("window not exposed");
    }
    return f.List1->visualRect(f.items().index(row)).center();
}

void TestEditing::rightPress(Form1 &f, const QPoint &at)
{
    QTest::mousePress(f.List1->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(f.List1->viewport(), Qt::RightButton, {}, at);
}

void TestEditing::popupEnableRules_data()
{
    QTest::addColumn<bool>("emptyFolder");
    QTest::addColumn<QList<int>>("marks");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<bool>("renameOn");
    QTest::addColumn<bool>("eraseOn");
    QTest::newRow("empty list") << true << QList<int>() << false << false << false;
    QTest::newRow("select all on an empty list") << true << QList<int>() << true << false << false;
    QTest::newRow("items, none marked") << false << QList<int>() << false << true << false;
    QTest::newRow("one marked") << false << QList<int>{2} << false << true << true;
    QTest::newRow("after select all") << false << QList<int>() << true << true << true;
}

void TestEditing::popupEnableRules()
{
    QFETCH(bool, emptyFolder);
    QFETCH(QList<int>, marks);
    QFETCH(bool, selectAll);
    QFETCH(bool, renameOn);
    QFETCH(bool, eraseOn);
    if (emptyFolder) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("empty")));
        QVERIFY(QDir::setCurrent(m_dir->filePath(QStringLiteral("empty"))));
    }
    Window w;
    Form1 &f = *w.form;
    for (int row : marks)
        f.items().setMarked(row, true);
    if (selectAll) {
        f.SelectAll->trigger();
        QCOMPARE(f.items().markedCount(), f.items().count());
    }
    // The states left from an earlier opening must not survive the next one.
    f.Rename->setEnabled(!renameOn);
    f.EraseSelected->setEnabled(!eraseOn);

    rowCentre(f, 0);
    QCOMPARE(f.items().count(), emptyFolder ? 0 : 4);
    rightPress(f, QPoint(20, 10)); // over the first row, or the empty list
    QTRY_VERIFY(f.SelectMenu->isVisible());
    QCOMPARE(f.Rename->isEnabled(), renameOn);
    QCOMPARE(f.EraseSelected->isEnabled(), eraseOn);
    QVERIFY(f.SelectAll->isEnabled());
    QVERIFY(f.ClearList->isEnabled());
    QVERIFY(f.SelectMenu->title().isEmpty());
    f.SelectMenu->hide();
}

void TestEditing::rightPressKeepsMarksAndCurrent()
{
    Window w;
    Form1 &f = *w.form;
    QCOMPARE(w.texts(), QStringList({"a.txt", "b.txt", "c.txt", "d.txt"}));

    // No item current yet: a right press (which also gives the list focus) makes none current.
    const QPoint onB = rowCentre(f, 1);
    QCOMPARE(f.items().currentRow(), -1);
    rightPress(f, onB);
    QTRY_VERIFY(f.SelectMenu->isVisible());
    QCOMPARE(f.items().currentRow(), -1);
    QCOMPARE(f.items().markedCount(), 0);
    // The pop-up's top left corner is at the pointer.
    QCOMPARE(f.SelectMenu->pos(), f.List1->viewport()->mapToGlobal(onB));
    f.SelectMenu->hide();

    // Left clicks mark a and c; c is current. A right press on b or d changes nothing.
    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCentre(f, 0));
    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCentre(f, 2));
    QCOMPARE(f.items().currentRow(), 2);
    for (int row : {1, 3, 2}) {
        rightPress(f, rowCentre(f, row));
        QTRY_VERIFY(f.SelectMenu->isVisible());
        QCOMPARE(f.items().currentRow(), 2);
        QCOMPARE(f.items().markedCount(), 2);
        QVERIFY(f.items().isMarked(0) && f.items().isMarked(2));
        f.SelectMenu->hide(); // closed without a choice: nothing changes
        QCOMPARE(f.items().currentRow(), 2);
        QCOMPARE(f.items().markedCount(), 2);
    }
}

void TestEditing::otherButtonsOpenNothing()
{
    Window w;
    Form1 &f = *w.form;
    const QPoint onA = rowCentre(f, 0);
    QTest::mouseClick(f.List1->viewport(), Qt::MiddleButton, {}, onA);
    QVERIFY(!f.SelectMenu->isVisible());
    QCOMPARE(f.items().markedCount(), 0);
    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, onA);
    QVERIFY(!f.SelectMenu->isVisible());
    QVERIFY(f.items().isMarked(0));
    // The menu key opens no menu of its own either.
    QTest::keyClick(f.List1, Qt::Key_Menu);
    QVERIFY(!f.SelectMenu->isVisible());
    QVERIFY(!QApplication::activePopupWidget());
}

void TestEditing::entriesChosenFromThePopup()
{
    Window w;
    Form1 &f = *w.form;
    auto choose = [&](QAction *entry) {
        rightPress(f, rowCentre(f, 1));
        QTRY_VERIFY(f.SelectMenu->isVisible());
        const QPoint at = f.SelectMenu->actionGeometry(entry).center();
        QTest::mouseMove(f.SelectMenu, at);
        QTest::mouseClick(f.SelectMenu, Qt::LeftButton, {}, at);
        QTRY_VERIFY(!f.SelectMenu->isVisible());
    };
    choose(f.SelectAll);
    QCOMPARE(f.items().markedCount(), 4);
    QCOMPARE(w.scripted.beep->count, 0);

    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCentre(f, 1)); // unmark b, b current
    w.dialogs().answers = {QStringLiteral("renamed b")};
    choose(f.Rename);
    QCOMPARE(w.dialogs().inputs.size(), 1);
    QCOMPARE(w.dialogs().inputs.first().defaultText, QStringLiteral("b.txt"));

    choose(f.EraseSelected);
    QCOMPARE(w.texts(), QStringList({"renamed b"}));
    QCOMPARE(w.scripted.beep->count, 1);

    choose(f.ClearList);
    QCOMPARE(f.items().count(), 0);
    QCOMPARE(w.scripted.beep->count, 2);
}

void TestEditing::renameInPlace_data()
{
    QTest::addColumn<QStringList>("answers"); // none: Cancel
    QTest::addColumn<QString>("expected");
    QTest::newRow("sorts elsewhere, stays at its index") << QStringList{"zzz"} << "zzz";
    QTest::newRow("outer spaces trimmed, inner kept") << QStringList{"  new  name "} << "new  name";
    QTest::newRow("cancel") << QStringList() << "b.txt";
    QTest::newRow("empty") << QStringList{""} << "b.txt";
    QTest::newRow("spaces only") << QStringList{"    "} << "b.txt";
    QTest::newRow("only spaces are trimmed; control characters shown escaped")
        << QStringList{"\tx\n "} << "\\tx\\n";
    QTest::newRow("a typed backslash stays as typed") << QStringList{"a\\xFF\\"} << "a\\xFF\\";
}

void TestEditing::renameInPlace()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, expected);
    Window w;
    Form1 &f = *w.form;
    f.items().setCurrentRow(1);
    f.items().setMarked(3, true);
    const QString tooltip = f.List1->toolTip();
    w.dialogs().answers = answers;
    f.Rename->trigger();

    QCOMPARE(w.dialogs().inputs.size(), 1);
    const InputRecord &box = w.dialogs().inputs.first();
    QCOMPARE(box.prompt, kPrompt);
    QCOMPARE(box.title, QStringLiteral("RENAME"));
    QCOMPARE(box.defaultText, QStringLiteral("b.txt"));
    QCOMPARE(w.texts(), QStringList({"a.txt", expected, "c.txt", "d.txt"}));
    QCOMPARE(f.items().currentRow(), 1);
    QVERIFY(f.items().isMarked(3));
    QCOMPARE(f.items().markedCount(), 1);
    QCOMPARE(f.List1->toolTip(), tooltip);
    QVERIFY(f.PrintList->isEnabled() && f.CreateTXT->isEnabled() && f.CreateHTM->isEnabled());
    QCOMPARE(w.scripted.beep->count, 0);
}

void TestEditing::renameWithoutCurrentItem()
{
    Window w;
    Form1 &f = *w.form;
    QCOMPARE(f.items().currentRow(), -1);
    w.dialogs().answers = {QStringLiteral("anything")};
    f.Rename->trigger();
    QCOMPARE(w.dialogs().inputs.size(), 1);
    QCOMPARE(w.dialogs().inputs.first().defaultText, QString());
    QCOMPARE(w.dialogs().inputs.first().title, QStringLiteral("RENAME"));
    QCOMPARE(w.texts(), QStringList({"a.txt", "b.txt", "c.txt", "d.txt"}));
    // No row, or one past the end, is no rename; a row in the list is.
    QVERIFY(!renameItem(f.items(), -1, QStringLiteral("x")));
    QVERIFY(!renameItem(f.items(), f.items().count(), QStringLiteral("x")));
    QVERIFY(renameItem(f.items(), 3, QStringLiteral(" x ")));
    QCOMPARE(w.texts(), QStringList({"a.txt", "b.txt", "c.txt", "x"}));
}

void TestEditing::erase_data()
{
    QTest::addColumn<int>("extraFiles"); // files e000.txt ... beyond a to d
    QTest::addColumn<QList<int>>("marks");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("left"); // leading items left; the rest are e*.txt
    QTest::addColumn<int>("currentAfter");
    QTest::newRow("every item marked") << 0 << QList<int>{0, 1, 2, 3} << -1 << QStringList() << -1;
    QTest::newRow("some marked") << 0 << QList<int>{0, 2} << -1 << QStringList{"b.txt", "d.txt"} << -1;
    QTest::newRow("current but not marked stays") << 0 << QList<int>{1, 2} << 3 << QStringList{"a.txt", "d.txt"} << 1;
    QTest::newRow("marked current goes") << 0 << QList<int>{1} << 1 << QStringList{"a.txt", "c.txt", "d.txt"} << -1;
    QTest::newRow("none marked") << 0 << QList<int>() << 0 << QStringList{"a.txt", "b.txt", "c.txt", "d.txt"} << 0;
    // Many marks at once take the one-pass path; the current item follows its text.
    QList<int> many;
    for (int i = 0; i < 4 + 100; i += 2)
        many.append(i);
    QTest::newRow("many marked in one pass") << 100 << many << 5 << QStringList{"b.txt", "d.txt"} << 2;
}

void TestEditing::erase()
{
    QFETCH(int, extraFiles);
    QFETCH(QList<int>, marks);
    QFETCH(int, current);
    QFETCH(QStringList, left);
    QFETCH(int, currentAfter);
    QStringList extra;
    for (int i = 0; i < extraFiles; ++i)
        extra.append(QStringLiteral("e%1.txt").arg(i, 3, 10, QLatin1Char('0')));
    makeFiles(m_dir->path(), extra);
    const QStringList before = snapshot(m_dir->path());

    Window w;
    Form1 &f = *w.form;
    for (int row : marks)
        f.items().setMarked(row, true);
    f.items().setCurrentRow(current);
    const QString currentText = current >= 0 ? f.items().text(current) : QString();
    QStringList enabledOrder;
    for (QAction *a : {f.PrintList, f.CreateTXT, f.CreateHTM})
        connect(a, &QAction::enabledChanged, a, [&enabledOrder, a] { enabledOrder.append(a->objectName()); });

    f.EraseSelected->trigger();

    QCOMPARE(w.texts().mid(0, left.size()), left);
    QCOMPARE(f.items().count(), 4 + extraFiles - marks.size());
    QCOMPARE(f.items().markedCount(), 0);
    QCOMPARE(f.items().currentRow(), currentAfter);
    if (currentAfter >= 0)
        QCOMPARE(f.items().text(currentAfter), currentText);
    QCOMPARE(w.scripted.beep->count, 1);
    QCOMPARE(w.dialogs().messages.size(), 0);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  %1 ").arg(f.items().count()));
    const bool any = f.items().count() > 0;
    QCOMPARE(f.PrintList->isEnabled(), any);
    QCOMPARE(f.CreateTXT->isEnabled(), any);
    QCOMPARE(f.CreateHTM->isEnabled(), any);
    QCOMPARE(enabledOrder, any ? QStringList() : QStringList({"PrintList", "CreateTXT", "CreateHTM"}));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestEditing::clearBeepsAndKeepsTooltip()
{
    Window w;
    Form1 &f = *w.form;
    f.items().setMarked(1, true);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  4 "));
    f.ClearList->trigger();
    QCOMPARE(f.items().count(), 0);
    QCOMPARE(f.items().markedCount(), 0);
    QCOMPARE(w.scripted.beep->count, 1);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  4 "));
    QVERIFY(f.PrintList->isEnabled() && f.CreateTXT->isEnabled() && f.CreateHTM->isEnabled());
    // Clearing an empty list still beeps once.
    f.ClearList->trigger();
    QCOMPARE(w.scripted.beep->count, 2);
    // The next refresh brings the folder back and the count up to date.
    f.RefreshList();
    QCOMPARE(f.items().count(), 4);
}

void TestEditing::refreshAfterEdits_data()
{
    QTest::addColumn<bool>("check1");
    QTest::addColumn<QString>("newName"); // for b.txt
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("checked: refresh undoes every edit")
        << true << "zeta" << QStringList{"a.txt", "b.txt", "c.txt", "d.txt"};
    QTest::newRow("unchecked: erased items and the renamed file come back beside the new text")
        << false << "zeta" << QStringList{"a.txt", "b.txt", "c.txt", "d.txt", "zeta"};
    QTest::newRow("unchecked: a new text equal ignoring case hides the file")
        << false << "B.TXT" << QStringList{"a.txt", "B.TXT", "c.txt", "d.txt"};
}

void TestEditing::refreshAfterEdits()
{
    QFETCH(bool, check1);
    QFETCH(QString, newName);
    QFETCH(QStringList, expected);
    const QStringList before = snapshot(m_dir->path());
    Window w;
    Form1 &f = *w.form;
    if (!check1)
        f.Check1->click();

    f.items().setCurrentRow(1);
    w.dialogs().answers = {newName};
    f.Rename->trigger(); // b.txt -> newName
    f.items().setMarked(0, true);
    f.items().setMarked(3, true);
    f.EraseSelected->trigger(); // a.txt and d.txt
    QCOMPARE(w.texts(), QStringList({newName, "c.txt"}));

    f.RefreshList();
    QStringList texts = w.texts();
    texts.sort(Qt::CaseInsensitive);
    QCOMPARE(texts, expected);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  %1 ").arg(expected.size()));

    // Reading the folder again refreshes the same way.
    f.ClearList->trigger();
    f.openFolders({m_dir->path()});
    QCOMPARE(w.texts(), QStringList({"a.txt", "b.txt", "c.txt", "d.txt"}));
    QCOMPARE(snapshot(m_dir->path()), before);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
