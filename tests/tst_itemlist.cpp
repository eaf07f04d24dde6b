#include "listing/casefold.h"
#include "listing/itemlist.h"
#include "listing/release.h"
#include "listing/refresh.h"
#include "listing/wordfilter.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace corvane;

namespace {

// prefix and 0 to n - 1, in item order: padded to four digits, or in the
// natural order as they are.
QStringList numbered(int n, const QString &prefix, ItemOrder order = ItemOrder::Alphabetical)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(prefix + (order == ItemOrder::Natural ? QString::number(i) : QString::number(i).rightJustified(4, u'0')));
    return out;
}

} // namespace

class TestItemList : public QObject
{
    Q_OBJECT
private slots:
    void sortedInsertionAndInPlaceText();
    void mergeDuplicateRules();
    void mergeKeepsMarksAndCurrent_data();
    void mergeKeepsMarksAndCurrent();
    void mergeAfterOutOfOrderRename();
    void removalKeepsMarksAndCurrent_data();
    void removalKeepsMarksAndCurrent();
    void resortKeepsMarksAndCurrent();
    void mergeFolderSettings();
    void wordFilter_data();
    void wordFilter();
    void quickSortAgreesWithItemOrder();
    void searchAndHashMergesAgree();
    void mergeAccentedNames_data();
    void mergeAccentedNames();
    void hugeListsLetGoOnTheSide();
};

void TestItemList::sortedInsertionAndInPlaceText()
{
    ItemList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char *t : {"delta", "Alpha", "charlie", "bravo", "alpha"})
        list.addItem(QString::fromLatin1(t));
    QCOMPARE(list.texts(), QStringList({"Alpha", "alpha", "bravo", "charlie", "delta"}));

    list.setCurrentRow(3);
    list.setText(1, QStringLiteral("zulu")); // stays where it is
    QCOMPARE(list.text(1), QStringLiteral("zulu"));
    QCOMPARE(list.currentRow(), 3);
    list.addItem(QStringLiteral("aaa")); // goes before, the current item moves down
    QCOMPARE(list.currentRow(), 4);
    QCOMPARE(list.text(4), QStringLiteral("charlie"));

    list.removeItem(4);
    QCOMPARE(list.currentRow(), -1);
    // An index kept from before the list shrank, and no index at all, show nothing.
    const QModelIndex last = list.index(int(list.count()) - 1);
    list.clear();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.data(last, Qt::DisplayRole), QVariant());
    QCOMPARE(list.data(QModelIndex(), Qt::DisplayRole), QVariant());

    // In the natural order numbers go by value; the order outlives Clear.
    list.assign(Items(ItemOrder::Natural));
    for (const char *t : {"Track 10", "track 9", "Track 02", "Track 2"})
        list.addItem(QString::fromLatin1(t));
    list.clear();
    for (const char *t : {"Track 10", "track 9", "Track 02", "Track 2", "Track 1"})
        list.addItem(QString::fromLatin1(t));
    QCOMPARE(list.texts(), QStringList({"Track 1", "Track 2", "Track 02", "track 9", "Track 10"}));
    list.setText(0, QStringLiteral("Track 99")); // stays where it is
    QCOMPARE(list.addItem(QStringLiteral("Track 3")), 3);
    list.removeItem(1);
    QCOMPARE(list.texts(), QStringList({"Track 99", "Track 02", "Track 3", "track 9", "Track 10"}));
}

void TestItemList::mergeDuplicateRules()
{
    ItemList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // The first spelling wins, against the list and within the names.
    list.addItem(QStringLiteral("README.TXT"));
    QCOMPARE(list.mergeNames({"readme.txt", "Notes", "NOTES", "notes", "b"}), 2);
    QCOMPARE(list.texts(), QStringList({"b", "Notes", "README.TXT"}));
    // An empty name is an item like any other, listed once.
    QCOMPARE(list.mergeNames({"", ""}), 1);
    QCOMPARE(list.text(0), QString());
    QCOMPARE(list.mergeNames({"", "B"}), 0);
    // Paths: the same text ignoring case is one item; a folder's files stand
    // together, before the names its own name begins.
    list.clear();
    list.mergeNames({"Live/2019/Track.mp3", "live.txt", "Live"});
    QCOMPARE(list.mergeNames({"live/2019/track.MP3", "LIVE/2019.txt", "Live/2019/a", "live/2019/A"}), 2);
    QCOMPARE(list.texts(), QStringList({"Live", "Live/2019/a", "Live/2019/Track.mp3", "LIVE/2019.txt", "live.txt"}));
}

void TestItemList::mergeKeepsMarksAndCurrent_data()
{
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("current"); // of the 100 listed items
    QTest::addColumn<bool>("natural");
    for (int current : {0, 20, 99}) {
        QTest::addRow("few names, row by row, current %d", current) << 3 << current << false;
        QTest::addRow("many names, one pass, current %d", current) << 500 << current << false;
    }
    QTest::newRow("few names, natural order") << 3 << 20 << true;
    QTest::newRow("many names, natural order") << 500 << 20 << true;
}

void TestItemList::mergeKeepsMarksAndCurrent()
{
    QFETCH(int, added);
    QFETCH(int, current);
    QFETCH(bool, natural);
    const ItemOrder order = natural ? ItemOrder::Natural : ItemOrder::Alphabetical;
    ItemList list;
    list.assign(Items(order));
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Each listed item carries facts of its own: its row as its size.
    const QStringList listed = numbered(100, QStringLiteral("b"), order);
    QList<FileFacts> facts;
    for (int i = 0; i < 100; ++i)
        facts.append({i, 1000 + i});
    list.mergeNames(listed, facts);
    list.setMarked(10, true);
    list.setMarked(50, true);
    list.setCurrentRow(current);
    QStringList names = numbered(added, QStringLiteral("a"), order) + numbered(added, QStringLiteral("c"), order);
    names += numbered(100, QStringLiteral("B"), order); // duplicates ignoring case
    sortInItemOrder(names, order);
    QCOMPARE(list.mergeNames(names), 2 * added);
    QCOMPARE(list.count(), 100 + 2 * added);
    QCOMPARE(list.markedCount(), 2);
    QVERIFY(list.isMarked(added + 10));
    QVERIFY(list.isMarked(added + 50));
    QCOMPARE(list.text(list.currentRow()), listed.at(current));
    for (int i = 0; i < 100; ++i)
        QCOMPARE(list.value().facts(added + i), facts.at(i));
    QVERIFY(!list.value().facts(0).known()); // merged without facts
    QVERIFY(std::is_sorted(list.texts().begin(), list.texts().end(), ItemLess{order}));
}

void TestItemList::mergeAfterOutOfOrderRename()
{
    ItemList list;
    list.mergeNames(numbered(50, QStringLiteral("m")));
    list.setText(0, QStringLiteral("zzz")); // out of order now
    list.mergeNames(numbered(40, QStringLiteral("a")) + QStringList{QStringLiteral("ZZZ")});
    QCOMPARE(list.count(), 90);
    QCOMPARE(list.text(0), QStringLiteral("a0000"));
    QVERIFY(list.texts().contains(QStringLiteral("zzz")));
    QVERIFY(!list.texts().contains(QStringLiteral("ZZZ")));
}

void TestItemList::removalKeepsMarksAndCurrent_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("firstMarked"); // every third item from here is marked
    QTest::addColumn<int>("current");     // an unmarked item
    QTest::newRow("few removed, the first among them") << 20 << 0 << 19;
    QTest::newRow("few removed, the first stays and is current") << 20 << 1 << 0;
    QTest::newRow("many removed, the first among them") << 400 << 0 << 398;
    QTest::newRow("many removed, the first stays and is current") << 400 << 1 << 0;
    QTest::newRow("many removed, the last stays and is current") << 400 << 1 << 399;
}

void TestItemList::removalKeepsMarksAndCurrent()
{
    QFETCH(int, size);
    QFETCH(int, firstMarked);
    QFETCH(int, current);
    ItemList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QStringList names = numbered(size, QStringLiteral("x"));
    QList<FileFacts> facts;
    for (int i = 0; i < size; ++i)
        facts.append({i, i});
    list.mergeNames(names, facts);
    // Mark every third item, make an unmarked one current, erase the marked.
    QStringList staying;
    for (int i = 0; i < size; ++i) {
        if (i >= firstMarked && (i - firstMarked) % 3 == 0)
            list.setMarked(i, true);
        else
            staying.append(names.at(i));
    }
    QVERIFY(!list.isMarked(current));
    list.setCurrentRow(current);
    const qsizetype marked = list.markedCount();
    QCOMPARE(list.removeMarked(), marked);
    QCOMPARE(list.texts(), staying);
    QCOMPARE(list.markedCount(), 0);
    QCOMPARE(list.text(list.currentRow()), names.at(current));
    // The facts went with their items.
    for (qsizetype i = 0; i < list.count(); ++i)
        QCOMPARE(list.value().facts(i).size, names.indexOf(list.text(i)));

    // A mark on an item that stays survives a removal of others; a rename keeps facts.
    list.setMarked(0, true);
    list.setText(0, QStringLiteral("renamed"));
    list.removeIf([&](const QString &t) { return t != u"renamed" && t.endsWith(u'1'); });
    QVERIFY(list.isMarked(0));
    QCOMPARE(list.text(0), QStringLiteral("renamed"));
    QCOMPARE(list.value().facts(0).size, names.indexOf(staying.first()));
    QCOMPARE(list.markedCount(), 1);
    list.markAll();
    QCOMPARE(list.markedCount(), list.count());
}

void TestItemList::resortKeepsMarksAndCurrent()
{
    // Sorted again in the other order: every item with its mark and facts,
    // the current one still current; an item renamed out of place sorted in.
    Items items;
    const QStringList names = {"disc 10", "Disc 2", "disc 1", "Disc 01", "x7", "x07", "X10"};
    for (qsizetype i = 0; i < names.size(); ++i)
        items.add(names.at(i), FileFacts{i, i});
    items.setText(items.texts().indexOf(QStringLiteral("disc 1")), QStringLiteral("zz 3")); // out of place
    items.setMarked(items.texts().indexOf(QStringLiteral("x07")), true);
    items.setMarked(items.texts().indexOf(QStringLiteral("Disc 2")), true);
    items.setCurrent(items.texts().indexOf(QStringLiteral("disc 10")));
    QVERIFY(!items.isSorted());
    const auto check = [&](const QStringList &expected) {
        QCOMPARE(items.texts(), expected);
        QVERIFY(items.isSorted());
        QCOMPARE(items.markedCount(), 2);
        QVERIFY(items.isMarked(expected.indexOf(QStringLiteral("x07"))));
        QVERIFY(items.isMarked(expected.indexOf(QStringLiteral("Disc 2"))));
        QCOMPARE(items.text(items.current()), QStringLiteral("disc 10"));
        QCOMPARE(items.facts(expected.indexOf(QStringLiteral("X10"))).size, 6);
    };
    items.sortInto(ItemOrder::Natural);
    check({"Disc 01", "Disc 2", "disc 10", "x7", "x07", "X10", "zz 3"});
    QCOMPARE(items.add(QStringLiteral("Disc 3")), 2); // insertion follows the order
    items.removeAt(2);
    items.sortInto(ItemOrder::Alphabetical);
    check({"Disc 01", "disc 10", "Disc 2", "x07", "X10", "x7", "zz 3"});
}

void TestItemList::mergeFolderSettings()
{
    Items list;
    RefreshSettings s;
    s.clearFirst = false;
    s.showExtensions = false;
    // Extensions off: a.txt and a.doc make one item; so do A.TXT and a.doc, first form kept.
    mergeFolder(list, {"a.doc", "a.txt"}, {}, s);
    QCOMPARE(list.texts(), QStringList({"a"}));
    list.clear();
    mergeFolder(list, {"A.TXT", "a.doc"}, {}, s);
    QCOMPARE(list.texts(), QStringList({"A"}));
    // Dot-files give one empty item, once.
    mergeFolder(list, {".bashrc", ".profile"}, {}, s);
    QCOMPARE(list.texts(), QStringList({"", "A"}));
    // Switching extensions on without clearing adds the other form beside the first.
    s.showExtensions = true;
    mergeFolder(list, {"A.TXT", "a.doc"}, {}, s);
    QCOMPARE(list.texts(), QStringList({"", "A", "a.doc", "A.TXT"}));
    // Clearing first shows the current folder only.
    s.clearFirst = true;
    mergeFolder(list, {"z.txt"}, {}, s);
    QCOMPARE(list.texts(), QStringList({"z.txt"}));
    // The word filter runs last.
    s.clearFirst = false;
    s.filterWord = QStringLiteral("TXT");
    s.filterMode = WordFilterMode::Exclude;
    mergeFolder(list, {"y.doc"}, {}, s);
    QCOMPARE(list.texts(), QStringList({"y.doc"}));
    // A cancelled merge leaves the list as it was; its additions, in order
    // (one walk) or not (a hash pass), come to nothing.
    std::atomic<bool> cancelled{true};
    QStringList names = numbered(100000, QStringLiteral("c"));
    QVERIFY(!mergeFolder(list, names, {}, s, &cancelled));
    QCOMPARE(list.texts(), QStringList({"y.doc"}));
    QVERIFY(list.additions(names, {}, &cancelled).names.isEmpty());
    std::reverse(names.begin(), names.end());
    QVERIFY(list.additions(names, {}, &cancelled).names.isEmpty());
}

void TestItemList::wordFilter_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<WordFilterMode>("mode");
    QTest::addColumn<QStringList>("expected");
    const QStringList all = {"my song.mp3", "Song.Mp3", "song.txt", "x.doc"};
    QTest::newRow("empty word, mode 1") << "" << WordFilterMode::ListOnly << all;
    QTest::newRow("empty word, mode 2") << "" << WordFilterMode::Exclude << all;
    QTest::newRow("no mode yet") << "mp3" << WordFilterMode::None << all;
    QTest::newRow("list only, case ignored")
        << "MP3" << WordFilterMode::ListOnly << QStringList{"my song.mp3", "Song.Mp3"};
    QTest::newRow("exclude, case ignored") << "MP3" << WordFilterMode::Exclude << QStringList{"song.txt", "x.doc"};
    QTest::newRow("inner space") << "y s" << WordFilterMode::ListOnly << QStringList{"my song.mp3"};
    QTest::newRow("word longer than items") << "Song.MP3.extra" << WordFilterMode::ListOnly << QStringList{};
    QTest::newRow("everything excluded") << "." << WordFilterMode::Exclude << QStringList{};
    QTest::newRow("wildcards are plain") << "*" << WordFilterMode::ListOnly << QStringList{};
}

void TestItemList::wordFilter()
{
    QFETCH(QString, word);
    QFETCH(WordFilterMode, mode);
    QFETCH(QStringList, expected);
    Items list;
    mergeNames(list, {"my song.mp3", "Song.Mp3", "song.txt", "x.doc"});
    ApplyWordFilter(list, word, mode);
    QCOMPARE(list.texts(), expected);
}

namespace {

// Names that share long prefixes, differ only in case, or hold non-ASCII
// letters (some folding to ASCII, some accented, some decomposed) inside and
// after the first 16 characters; some are paths, with "/" between parts.
QStringList mixedNames(int count, quint32 seed)
{
    const QStringList parts = {QStringLiteral("song_0000"), QStringLiteral("SONG_0000"),
                               QStringLiteral("Song_00001234_v"), QStringLiteral("a"), QString(),
                               QString::fromUtf8("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("\xE2\x84\xAA" "elvin"),
                               QStringLiteral("k"), QString::fromUtf8("\xCE\xA3"), QString::fromUtf8("\xCF\x82"),
                               QStringLiteral("_"), QStringLiteral("."), QStringLiteral("z"), QStringLiteral("Z"),
                               QStringLiteral("0"), QStringLiteral("7"), QStringLiteral("10"),
                               QString::fromUtf8("E\xCC\x81"), QString::fromUtf8("\xC3\x84"),
                               QStringLiteral("e"), QString::fromUtf8("\xC3\xB8"), QStringLiteral("/"),
                               QStringLiteral("A/")};
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString name;
        const quint32 pieces = 1 + next() % 5;
        for (quint32 p = 0; p < pieces; ++p)
            name += parts.at(qsizetype(next() % quint32(parts.size())));
        out.append(name);
    }
    return out;
}

} // namespace

void TestItemList::quickSortAgreesWithItemOrder()
{
    for (const ItemOrder order : {ItemOrder::Alphabetical, ItemOrder::Natural}) {
        QStringList names = mixedNames(5000, 7);
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(), ItemLess{order});
        sortInItemOrder(names, order);
        QCOMPARE(names, expected);
    }
}

void TestItemList::searchAndHashMergesAgree()
{
    // A long sorted list takes a few names by binary search, a short one by
    // hashing; both must keep the same names, first spelling first.
    QStringList base = mixedNames(20000, 11);
    const QStringList few = mixedNames(40, 99) + QStringList{"SONG_0000", "song_0000", "NEW one", "new ONE"};
    ItemList bySearch;
    bySearch.mergeNames(base);
    QVERIFY(few.size() * 24 < bySearch.count()); // the search path is taken
    bySearch.mergeNames(few);

    ItemList byHash; // the same result built the other way: everything at once
    byHash.mergeNames(base + few);
    QCOMPARE(bySearch.texts(), byHash.texts());
    QVERIFY(bySearch.texts().contains(QStringLiteral("NEW one")));

    // Two sorted lists of like size meet in one walk; hashing the same names in
    // the same order (not sorted as a whole) must agree.
    QStringList first = mixedNames(3000, 5), second = mixedNames(3000, 6);
    sortInItemOrder(first);
    sortInItemOrder(second);
    ItemList byWalk;
    byWalk.mergeNames(first);
    byWalk.mergeNames(second);
    ItemList byHashToo;
    byHashToo.mergeNames(first + second);
    QCOMPARE(byWalk.texts(), byHashToo.texts());
    QVERIFY(!bySearch.texts().contains(QStringLiteral("new ONE")));
}

void TestItemList::mergeAccentedNames_data()
{
    // Accented, decomposed and plain names merged into a list by each of the
    // three ways: a binary search per name, one walk along both, a hash pass.
    QTest::addColumn<int>("listed");
    QTest::addColumn<int>("merged");
    QTest::addColumn<bool>("sortedNames");
    QTest::addColumn<bool>("natural");
    for (const bool natural : {false, true}) {
        QTest::addRow("few names into a long list%s", natural ? ", natural" : "") << 6000 << 40 << false << natural;
        QTest::addRow("sorted names%s", natural ? ", natural" : "") << 2000 << 2000 << true << natural;
        QTest::addRow("unsorted names%s", natural ? ", natural" : "") << 2000 << 2000 << false << natural;
    }
}

void TestItemList::mergeAccentedNames()
{
    QFETCH(int, listed);
    QFETCH(int, merged);
    QFETCH(bool, sortedNames);
    QFETCH(bool, natural);
    const ItemOrder order = natural ? ItemOrder::Natural : ItemOrder::Alphabetical;
    const QStringList base = mixedNames(listed, 21);
    QStringList names = mixedNames(merged, 22);
    for (qsizetype i = 0; i < base.size(); i += base.size() / 20)
        names.append(base.at(i).toUpper()); // mostly twins of listed items
    if (sortedNames)
        sortInItemOrder(names, order);
    ItemList list;
    list.assign(Items(order));
    list.mergeNames(base);
    const bool bySearch = names.size() * 24 < list.count();
    QCOMPARE(bySearch, merged < 100);
    list.mergeNames(names);

    // The same by hand: the first spelling of each case-folded text, sorted.
    QSet<QString> seen;
    QStringList expected;
    for (const QString &name : base + names) {
        QList<uint> folded = name.toUcs4();
        for (uint &c : folded)
            c = QChar::toCaseFolded(c);
        const QString key = QString::fromUcs4(reinterpret_cast<const char32_t *>(folded.constData()), folded.size());
        if (!seen.contains(key)) {
            seen.insert(key);
            expected.append(name);
        }
    }
    std::sort(expected.begin(), expected.end(), ItemLess{order});
    QCOMPARE(list.texts(), expected);
}

void TestItemList::hugeListsLetGoOnTheSide()
{
    // A cleared list of many items is freed on a worker thread; the strings it
    // shares with other lists must stay whole.
    ItemList list;
    const QStringList names = numbered(60000, QStringLiteral("n"));
    list.mergeNames(names);
    const QStringList kept = list.texts();
    list.clear();
    QCOMPARE(list.count(), 0);
    QStringList doomed = names;
    releaseInBackground(std::move(doomed));
    QVERIFY(doomed.isEmpty());
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    QStringList expected = names;
    sortInItemOrder(expected);
    QCOMPARE(kept, expected);
}

QTEST_APPLESS_MAIN(TestItemList)
#include "tst_itemlist.moc"
