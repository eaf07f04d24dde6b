#include "listing/folderreader.h"
#include "listing/foldertree.h"
#include "support/files.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace corvane;

// The folder tree's model never reads the disk: levels are read with the
// folder reader, as the window's jobs read them, and handed over.
class TestFolderTree : public QObject
{
    Q_OBJECT
private slots:
    void branchesAskForTheirLevels();
    void levelsOnTheWayToAPath();
    void levelsTakenAgainKeepWhatStays();
};

namespace {

QStringList childNames(const FolderTreeModel &model, const QModelIndex &parent)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names.append(model.index(row, 0, parent).data().toString());
    return names;
}

// Hands the level of folder over as the window does after reading it.
void handOver(FolderTreeModel &model, const QString &folder)
{
    const Result<QStringList> level = readSubfolders(folder);
    model.setLevel(folder, level.value, level.error);
}

} // namespace

void TestFolderTree::branchesAskForTheirLevels()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"b/x.txt", "A/y.txt", "c.txt", ".hidden/z", "file-not-folder"});
    QDir(tmp.path()).mkdir(QStringLiteral("empty"));
    QCOMPARE(::symlink("b", QFile::encodeName(tmp.path() + QStringLiteral("/link-to-b")).constData()), 0);

    // (QAbstractItemModelTester is not used here: it opens branches from inside
    // its own signal handlers, and opening one inserts its placeholder row.)
    FolderTreeModel model;
    model.setPlaceholderText(QStringLiteral("Reading..."));
    QSignalSpy wanted(&model, &FolderTreeModel::subfoldersWanted);
    model.setRoot(tmp.path());
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    QCOMPARE(model.pathOf(root), tmp.path());
    QVERIFY(model.hasChildren(root));

    // Opening the branch shows one placeholder row and asks for the level once.
    QVERIFY(model.canFetchMore(root));
    model.fetchMore(root);
    QCOMPARE(childNames(model, root), QStringList({"Reading..."}));
    QVERIFY(model.isPlaceholder(model.index(0, 0, root)));
    QVERIFY(!model.canFetchMore(root));
    QCOMPARE(wanted.size(), 1);
    QCOMPARE(wanted.first().first().toString(), tmp.path());

    // Given up, it asks again the next time; handed over, it shows the folders.
    model.dropReading(tmp.path());
    QCOMPARE(model.rowCount(root), 0);
    QVERIFY(model.canFetchMore(root));
    model.fetchMore(root);
    handOver(model, tmp.path());
    QCOMPARE(childNames(model, root), QStringList({"A", "b", "empty", "link-to-b"}));
    QCOMPARE(wanted.size(), 2);

    // A folder with nothing below it shows no expander once read.
    const QModelIndex empty = model.indexForPath(tmp.path() + QStringLiteral("/empty"));
    QVERIFY(model.hasChildren(empty));
    handOver(model, tmp.path() + QStringLiteral("/empty"));
    QVERIFY(!model.hasChildren(empty));
    QCOMPARE(empty.data(Qt::ToolTipRole).toString(), tmp.path() + QStringLiteral("/empty"));

    // A folder that cannot be read says why, to the eye and to a screen reader.
    const QString a = tmp.path() + QStringLiteral("/A");
    QVERIFY(QDir(a).removeRecursively());
    handOver(model, a);
    const QModelIndex gone = model.indexForPath(a);
    QVERIFY(!model.hasChildren(gone));
    QCOMPARE(gone.data(Qt::ToolTipRole).toString(), a + u'\n' + test::systemError(ENOENT));
    QCOMPARE(gone.data(Qt::AccessibleDescriptionRole).toString(), test::systemError(ENOENT));
}

void TestFolderTree::levelsOnTheWayToAPath()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"one/two/three/f", ".dot/inner/g"});
    FolderTreeModel model;
    model.setRoot(tmp.path());
    const QString deep = tmp.path() + QStringLiteral("/one/two/three");

    // Nothing known: every level above the folder is to be read, root first;
    // nothing is shown until they are handed over.
    const QStringList levels = model.levelsToShow(deep + u'/');
    QCOMPARE(levels, QStringList({tmp.path(), tmp.path() + QStringLiteral("/one"),
                                  tmp.path() + QStringLiteral("/one/two")}));
    QVERIFY(!model.indexForPath(deep).isValid());
    for (const QString &level : levels)
        handOver(model, level);
    QVERIFY(model.levelsToShow(deep).isEmpty());
    const QModelIndex index = model.indexForPath(deep + u'/');
    QVERIFY(index.isValid());
    QCOMPARE(model.pathOf(model.parent(index)), tmp.path() + QStringLiteral("/one/two"));
    // Every index on the way agrees with its parent about where it stands.
    for (QModelIndex i = index; i.isValid(); i = model.parent(i))
        QCOMPARE(model.index(i.row(), 0, model.parent(i)), i);

    // A folder made after its level was read: that level and the ones below.
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("later/deeper")));
    QCOMPARE(model.levelsToShow(tmp.path() + QStringLiteral("/later/deeper/x")),
             QStringList({tmp.path(), tmp.path() + QStringLiteral("/later"),
                          tmp.path() + QStringLiteral("/later/deeper")}));
    QVERIFY(model.levelsToShow(QStringLiteral("/somewhere/else")).isEmpty());

    // A hidden folder is not listed, but a path through it is shown.
    const QString inner = tmp.path() + QStringLiteral("/.dot/inner");
    model.setLevel(inner, {}, {});
    QCOMPARE(model.pathOf(model.indexForPath(inner)), inner);
    QVERIFY(!childNames(model, model.index(0, 0)).contains(QStringLiteral("later")));
}

void TestFolderTree::levelsTakenAgainKeepWhatStays()
{
    FolderTreeModel model;
    model.setRoot(QStringLiteral("/r"));
    model.setLevel(QStringLiteral("/r"), {"a", "c", "e"}, {});
    model.setLevel(QStringLiteral("/r/c"), {"inner"}, {});
    const QPersistentModelIndex c = model.indexForPath(QStringLiteral("/r/c"));
    // Gone, new and kept folders at once, and one opened by its path through a
    // hidden folder: the kept row keeps its own level.
    model.setLevel(QStringLiteral("/r/.h/x"), {}, {});
    model.setLevel(QStringLiteral("/r"), {"b", "c", "d", "f"}, {});
    QCOMPARE(childNames(model, model.index(0, 0)), QStringList({"b", "c", "d", "f", ".h"}));
    QVERIFY(c.isValid());
    QCOMPARE(model.pathOf(c), QStringLiteral("/r/c"));
    QCOMPARE(childNames(model, c), QStringList({"inner"}));

    // Many scattered changes at once are shown as the level taken anew.
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many.append(QStringLiteral("n%1").arg(i * 2 + (i % 2), 4, 10, QLatin1Char('0')));
    model.setLevel(QStringLiteral("/r"), many, {});
    QStringList fewer = many;
    for (qsizetype i = fewer.size() - 1; i >= 0; i -= 2)
        fewer.removeAt(i);
    model.setLevel(QStringLiteral("/r"), fewer, {});
    QCOMPARE(childNames(model, model.index(0, 0)), fewer + QStringList({".h"}));
}

QTEST_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
