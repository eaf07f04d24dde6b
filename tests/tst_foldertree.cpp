#include "listing/foldertree.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace corvane;

class TestFolderTree : public QObject
{
    Q_OBJECT
private slots:
    void onlyFoldersLazily();
    void pathsDownTheTree();
};

namespace {

QStringList childNames(FolderTreeModel &model, const QModelIndex &parent)
{
    if (model.canFetchMore(parent))
        model.fetchMore(parent);
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names.append(model.index(row, 0, parent).data().toString());
    return names;
}

} // namespace

void TestFolderTree::onlyFoldersLazily()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"b/x.txt", "A/y.txt", "c.txt", ".hidden/z", "file-not-folder"});
    QDir(tmp.path()).mkdir(QStringLiteral("empty"));
    QCOMPARE(::symlink("b", QFile::encodeName(tmp.path() + QStringLiteral("/link-to-b")).constData()), 0);

    // (QAbstractItemModelTester is not used here: it fetches levels from inside
    // its own signal handlers, and this model fetches synchronously.)
    FolderTreeModel model;
    model.setRoot(tmp.path());
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    QCOMPARE(model.pathOf(root), tmp.path());
    QVERIFY(model.canFetchMore(root)); // nothing read until asked
    QCOMPARE(childNames(model, root), QStringList({"A", "b", "empty", "link-to-b"}));

    // A folder with nothing below it shows no expander once read.
    const QModelIndex empty = model.indexForPath(tmp.path() + QStringLiteral("/empty"));
    QVERIFY(model.hasChildren(empty));
    model.fetchMore(empty);
    QVERIFY(!model.hasChildren(empty));
    QCOMPARE(empty.data(Qt::ToolTipRole).toString(), tmp.path() + QStringLiteral("/empty"));

    // A folder that cannot be read says why, to the eye and to a screen reader.
    const QString a = tmp.path() + QStringLiteral("/A");
    const QModelIndex gone = model.indexForPath(a);
    QVERIFY(QDir(a).removeRecursively());
    model.fetchMore(gone);
    QVERIFY(!model.hasChildren(gone));
    QCOMPARE(gone.data(Qt::ToolTipRole).toString(), a + u'\n' + test::systemError(ENOENT));
    QCOMPARE(gone.data(Qt::AccessibleDescriptionRole).toString(), test::systemError(ENOENT));
}

void TestFolderTree::pathsDownTheTree()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"one/two/three/f", ".dot/inner/g"});
    FolderTreeModel model;
    model.setRoot(tmp.path());

    const QString deep = tmp.path() + QStringLiteral("/one/two/three");
    const QModelIndex index = model.indexForPath(deep + u'/');
    QVERIFY(index.isValid());
    QCOMPARE(model.pathOf(index), deep);
    QCOMPARE(model.pathOf(model.parent(index)), tmp.path() + QStringLiteral("/one/two"));
    // Every index on the way agrees with its parent about where it stands.
    for (QModelIndex i = index; i.isValid(); i = model.parent(i))
        QCOMPARE(model.index(i.row(), 0, model.parent(i)), i);

    // A hidden folder can still be opened by its path.
    QCOMPARE(model.pathOf(model.indexForPath(tmp.path() + QStringLiteral("/.dot/inner"))),
             tmp.path() + QStringLiteral("/.dot/inner"));

    // A folder made after its level was read is found; a missing one is not.
    QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("later")));
    QVERIFY(model.indexForPath(tmp.path() + QStringLiteral("/later")).isValid());
    QVERIFY(!model.indexForPath(tmp.path() + QStringLiteral("/missing/x")).isValid());
    QVERIFY(!model.indexForPath(QStringLiteral("/somewhere/else")).isValid());

    // Reading a level again drops what is gone.
    QVERIFY(QDir(tmp.path() + QStringLiteral("/one/two/three")).removeRecursively());
    model.reread(model.indexForPath(tmp.path() + QStringLiteral("/one/two")));
    QCOMPARE(model.rowCount(model.indexForPath(tmp.path() + QStringLiteral("/one/two"))), 0);
}

QTEST_APPLESS_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
