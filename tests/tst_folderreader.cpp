#include "listing/casefold.h"
#include "listing/filenames.h"
#include "listing/folderreader.h"

#include "support/hostilefolder.h"
#include "support/files.h"
#include "support/injected.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace corvane;

namespace {

void createRaw(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_EXCL, 0644);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
}

// Makes the entries of layout (raw bytes) under root, and the folders on their
// way: "path" a file, "path/" a folder, "path -> target" a symbolic link.
void makeTree(const QString &root, const QByteArrayList &layout)
{
    const QByteArray base = QFile::encodeName(root) + '/';
    for (const QByteArray &entry : layout) {
        const qsizetype arrow = entry.indexOf(" -> ");
        const QByteArray path = base + (arrow < 0 ? entry : entry.left(arrow));
        for (qsizetype slash = path.indexOf('/', base.size()); slash >= 0; slash = path.indexOf('/', slash + 1))
            ::mkdir(path.left(slash).constData(), 0755);
        if (arrow >= 0)
            QVERIFY2(::symlink(entry.mid(arrow + 4).constData(), path.constData()) == 0, entry.constData());
        else if (!entry.endsWith('/'))
            createRaw(path);
    }
}

// Makes many files quickly: the first of paths (relative to root, its folder
// made) is created, every other one is a hard link to it; each is a
// directory entry of a regular file, all the listing looks at.
void makeMany(const QString &root, const QByteArrayList &paths)
{
    makeTree(root, paths.mid(0, 1));
    const QByteArray base = QFile::encodeName(root) + '/';
    for (const QByteArray &path : paths.mid(1)) {
        for (qsizetype slash = path.indexOf('/'); slash > 0; slash = path.indexOf('/', slash + 1))
            ::mkdir(QByteArray(base + path.left(slash)).constData(), 0755);
        QVERIFY2(::link(QByteArray(base + paths.first()).constData(), QByteArray(base + path).constData()) == 0,
                 path.constData());
    }
}

// A walk's failures as "folder: reason".
QStringList failures(const FolderListing &listing)
{
    QStringList out;
    for (const FolderFailure &f : listing.unreadable)
        out.append(f.folder + u": " + f.reason);
    return out;
}

// The names whose facts are unknown.
QStringList unknownFacts(const FolderListing &listing)
{
    QStringList out;
    for (qsizetype i = 0; i < listing.names.size(); ++i)
        if (!listing.facts.at(size_t(i)).known())
            out.append(listing.names.at(i));
    return out;
}

const ReadOptions kWalk{.subfolders = true};
const ReadOptions kWalkWithFacts{.subfolders = true, .facts = true};

// Read options from words: "walk", "facts", "full" or "names" (paths),
// "natural" (order), "leave=a,b*" (folders left out).
ReadOptions optionsFrom(const QString &words)
{
    ReadOptions options;
    for (const QString &word : words.split(u' ', Qt::SkipEmptyParts)) {
        options.subfolders |= word == u"walk";
        options.facts |= word == u"facts";
        if (word == u"full" || word == u"names")
            options.paths = word == u"full" ? PathForm::Full : PathForm::NameOnly;
        if (word == u"natural")
            options.order = ItemOrder::Natural;
        if (word.startsWith(u"leave="))
            options.leaveOut = word.mid(6).replace(u',', u' ');
    }
    return options;
}

// Run as "tst_folderreader --list FOLDER [facts]", under strace by the fault
// tests: walks FOLDER (with facts when asked) and prints what it found, one
// line each: "item", the name, and the size, "?" when unknown or "-" without
// facts; "unreadable", the folder and the reason; "unchecked" and "nofacts",
// the count and the entries named with their reasons; "error" and the reason.
int listForParent(const char *folder, bool facts)
{
    const Result<FolderListing> read =
        readFolder(QFile::decodeName(folder), Pattern(), nullptr, facts ? kWalkWithFacts : kWalk);
    QByteArray out;
    for (qsizetype i = 0; i < read.value.names.size(); ++i) {
        const FileFacts known = facts ? read.value.facts.at(size_t(i)) : FileFacts{};
        const QByteArray size = !facts             ? QByteArray("-")
                                : known.known() ? QByteArray::number(known.size)
                                                : QByteArray("?");
        out += "item\t" + read.value.names.at(i).toUtf8() + '\t' + size + '\n';
    }
    for (const FolderFailure &f : read.value.unreadable)
        out += "unreadable\t" + f.folder.toUtf8() + '\t' + f.reason.toUtf8() + '\n';
    for (const auto &[kind, failures] : {std::pair{"unchecked", &read.value.unchecked},
                                         std::pair{"nofacts", &read.value.withoutFacts}}) {
        if (failures->isEmpty())
            continue;
        out += kind + ('\t' + QByteArray::number(failures->count));
        for (const FolderFailure &f : failures->first)
            out += '\t' + f.folder.toUtf8() + ": " + f.reason.toUtf8();
        out += '\n';
    }
    if (!read.ok())
        out += "error\t" + read.error.toUtf8() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}

} // namespace

class TestFolderReader : public QObject
{
    Q_OBJECT
private slots:
    void onlyRegularFilesSorted();
    void undecodableNamesKept();
    void patternApplied();
    void mixedNamesInItemOrder();
    void unreadableFolder();
    void progressAndCancel();
    void walk_data();
    void walk();
    void bigListsInOrder_data();
    void bigListsInOrder();
    void walkFailures_data();
    void walkFailures();
    void bindMountReadOnce();
    void facts_data();
    void facts();
    void walkProgressAndCancel();
    void injectedFaults_data();
    void injectedFaults();
};

void TestFolderReader::onlyRegularFilesSorted()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString root = tmp.path();
    test::makeFiles(root, {"b.txt", "A.txt", ".hidden", "c", "sub/inner.txt"});
    QDir(root).mkdir(QStringLiteral("folder.txt"));
    const QByteArray r = QFile::encodeName(root);
    QCOMPARE(::symlink("b.txt", QByteArray(r + "/link-to-file").constData()), 0);
    QCOMPARE(::symlink("sub", QByteArray(r + "/link-to-dir").constData()), 0);
    QCOMPARE(::symlink("missing", QByteArray(r + "/broken").constData()), 0);
    QCOMPARE(::symlink("loop", QByteArray(r + "/loop").constData()), 0);
    QCOMPARE(::mkfifo(QByteArray(r + "/fifo").constData(), 0644), 0);
    QCOMPARE(::link(QByteArray(r + "/c").constData(), QByteArray(r + "/hard").constData()), 0);

    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(sock >= 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sockPath = QByteArray(r + "/sock");
    if (sockPath.size() < qsizetype(sizeof(addr.sun_path))) {
        std::memcpy(addr.sun_path, sockPath.constData(), size_t(sockPath.size()));
        QCOMPARE(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    }

    // A FIFO is never opened: were it opened for reading, this would block forever.
    const Result<FolderListing> read = readFolder(root, Pattern(QStringLiteral("*.*")));
    const Result<QStringList> subfolders = readSubfolders(root);
    ::close(sock);
    QVERIFY(read.ok() && subfolders.ok());
    const FolderListing &listing = read.value;
    const QStringList expected = {".hidden", "A.txt", "b.txt", "c", "hard", "link-to-file"};
    QCOMPARE(listing.names, expected);
    // The same pass names the folders in it, links to folders included.
    QCOMPARE(listing.subfolders, QStringList({"folder.txt", "link-to-dir", "sub"}));
    // The folder tree reads them by the same rule.
    QCOMPARE(subfolders.value, listing.subfolders);
}

void TestFolderReader::undecodableNamesKept()
{
    QTemporaryDir tmp;
    // QTemporaryDir cannot remove a name that is not valid UTF-8; this can.
    const auto cleanup = qScopeGuard([&] { test::removeTree(tmp.path()); });
    const QByteArray r = QFile::encodeName(tmp.path());
    createRaw(QByteArray(r + "/caf\xE9.txt"));        // Latin-1
    createRaw(QByteArray(r + "/line\nbreak.txt"));    // control character
    createRaw(QByteArray(r + "/caf\xC3\xA9.txt"));    // valid UTF-8
    const Result<FolderListing> read = readFolder(tmp.path(), Pattern(QStringLiteral("*.txt")));
    QVERIFY(read.ok());
    const FolderListing &listing = read.value;
    QCOMPARE(listing.names.size(), 3);
    QVERIFY(listing.names.contains(QStringLiteral("caf\\xE9.txt")));
    QVERIFY(listing.names.contains(QStringLiteral("line\\nbreak.txt")));
    QVERIFY(listing.names.contains(QString::fromUtf8("café.txt")));
}

void TestFolderReader::patternApplied()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"a.MP3", "b.mp3", "c.txt", "Makefile", "d.exe"});
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("*.mp3"))).value.names,
             QStringList({"a.MP3", "b.mp3"}));
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("*.MP3;*.;*.EXE"))).value.names,
             QStringList({"a.MP3", "b.mp3", "d.exe", "Makefile"}));
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("*.zip"))).value.names, QStringList());
}

void TestFolderReader::mixedNamesInItemOrder()
{
    // ASCII names are sorted apart from the rest and merged in: the whole must
    // still be in item order, with nothing lost.
    QTemporaryDir tmp;
    const QStringList stems = {"song", "SONG", "Song_0000_long_prefix", "z", "Z", "_", "0",
                               QString::fromUtf8("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("\xE2\x84\xAA"), "k",
                               QString::fromUtf8("\xCE\xA3"), QString::fromUtf8("\xCF\x83"),
                               // accented letters stand between their plain ones and the next
                               "e", "f", QString::fromUtf8("E\xCC\x81"), QString::fromUtf8("\xC3\xA4"), "b"};
    QStringList made;
    for (int i = 0; i < 240; ++i) {
        const QString name = stems.at(i % stems.size()) + stems.at((i / 7) % stems.size()) + QString::number(i % 13);
        if (!made.contains(name))
            made.append(name);
    }
    test::makeFiles(tmp.path(), made);
    const QStringList listed = readFolder(tmp.path(), Pattern()).value.names;
    QStringList expected = made;
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) { return itemLess(a, b); });
    QCOMPARE(listed, expected);
    // Through a pattern the same order holds.
    const QStringList some = readFolder(tmp.path(), Pattern(QStringLiteral("s*;*1"))).value.names;
    QVERIFY(!some.isEmpty());
    QVERIFY(std::is_sorted(some.begin(), some.end(), [](const QString &a, const QString &b) { return itemLess(a, b); }));
}

void TestFolderReader::unreadableFolder()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"file"});
    for (const auto &[name, err] : {std::pair{"/missing", ENOENT}, std::pair{"/file", ENOTDIR}}) {
        const QString folder = tmp.path() + QLatin1StringView(name);
        const Result<FolderListing> read = readFolder(folder, Pattern());
        QVERIFY(!read.ok());
        QVERIFY(read.value.names.isEmpty());
        QCOMPARE(read.error, QString::fromLocal8Bit(std::strerror(err)));
        // The folder tree's read says the same.
        QCOMPARE(readSubfolders(folder).error, read.error);
    }
}

void TestFolderReader::progressAndCancel()
{
    QTemporaryDir tmp;
    QStringList made;
    for (int i = 0; i < 1500; ++i)
        made.append(QStringLiteral("f%1").arg(i));
    test::makeFiles(tmp.path(), made);

    // The count covers every name read, the pattern's misses too.
    ReadProgress whole;
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("f1*")), &whole).value.names.size(), 611);
    QCOMPARE(whole.names.load(), 1500);

    // Cancelled, the read stops at its first batch.
    ReadProgress stopped;
    stopped.cancelled = true;
    QVERIFY(readFolder(tmp.path(), Pattern(), &stopped).value.names.isEmpty());
    QCOMPARE(stopped.names.load(), 0);

    // The delay for tests slows each batch of 512 names: three here.
    setReadDelayForTesting(std::chrono::milliseconds(40));
    const auto fast = qScopeGuard([] { setReadDelayForTesting(std::chrono::milliseconds(0)); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(readFolder(tmp.path(), Pattern()).value.names.size(), 1500);
    QVERIFY(clock.elapsed() >= 120);
}

void TestFolderReader::walk_data()
{
    QTest::addColumn<QByteArrayList>("tree");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("options"); // see optionsFrom; "in=NAME" reads that folder of the tree
    QTest::addColumn<QStringList>("expected"); // "<root>" stands for the folder read's whole path
    QTest::addColumn<int>("entries"); // every entry of every folder read

    // Nested and hidden folders, links to folders (never followed), a link
    // loop, links to files, a broken link.
    const QByteArrayList nested = {"a.txt", "a0.txt", "a/x.txt", "a/.hidden", "a/b/c/deep.mp3", "B/y.txt", "b.txt",
                                   ".git/config", ".cache/x/y.txt", "empty/", "Live/2019/track.mp3", "v1.2/readme",
                                   "notes.txt/readme", "to-a -> a", "loop -> .", "a/up -> ..", "self -> self",
                                   "a/b/file-link -> ../../b.txt", "a/b/dangling -> missing"};
    const QStringList walked = {"a/.hidden", "a/b/c/deep.mp3", "a/b/file-link", "a/x.txt", "a.txt", "a0.txt",
                                "B/y.txt", "b.txt", "Live/2019/track.mp3", "notes.txt/readme", "v1.2/readme"};
    QTest::newRow("walk") << nested << "*.*" << "walk" << walked << 27;
    QTest::newRow("one folder") << nested << "*.*" << "" << QStringList{"a.txt", "a0.txt", "b.txt"} << 14;
    // File types match a file's own name, not its path.
    QTest::newRow("types by own name") << nested << "*.txt" << "walk"
                                       << QStringList{"a/x.txt", "a.txt", "a0.txt", "B/y.txt", "b.txt"} << 27;
    QTest::newRow("no extension by own name")
        << nested << "*." << "walk" << QStringList{"a/b/file-link", "notes.txt/readme", "v1.2/readme"} << 27;
    // Each file by its whole path, or by its name alone (names from many
    // folders in order, twice where two folders hold it).
    QStringList full;
    for (const QString &path : walked)
        full.append(u"<root>/" + path);
    QTest::newRow("full paths") << nested << "*.*" << "walk full" << full << 27;
    QTest::newRow("full paths, one folder")
        << nested << "*.txt" << "full" << QStringList{"<root>/a.txt", "<root>/a0.txt", "<root>/b.txt"} << 14;
    QTest::newRow("names only")
        << nested << "*.*" << "walk names"
        << QStringList{".hidden", "a.txt", "a0.txt", "b.txt", "deep.mp3", "file-link", "readme", "readme",
                       "track.mp3", "x.txt", "y.txt"}
        << 27;
    QTest::newRow("names only, one folder") << nested << "*.*" << "names" << QStringList{"a.txt", "a0.txt", "b.txt"}
                                            << 14;
    // Folders left out: by name or pattern, case ignored, at any depth; a file
    // of that name stays; the folder read is read all the same.
    QTest::newRow("left out at any depth") << nested << "*.*" << "walk leave=b"
                                           << QStringList{"a/.hidden", "a/x.txt", "a.txt", "a0.txt", "b.txt",
                                                          "Live/2019/track.mp3", "notes.txt/readme", "v1.2/readme"}
                                           << 22;
    QTest::newRow("left out by patterns")
        << nested << "*.*" << "walk leave=LIVE,v1.*,a.txt,nothing"
        << QStringList{"a/.hidden", "a/b/c/deep.mp3", "a/b/file-link", "a/x.txt", "a.txt", "a0.txt", "B/y.txt",
                       "b.txt", "notes.txt/readme"}
        << 24;
    QTest::newRow("the folder read left out by name")
        << QByteArrayList{"node_modules/x.js", "node_modules/node_modules/y.js", "node_modules/lib/z.js"} << "*.*"
        << "walk leave=node_modules in=node_modules full" << QStringList{"<root>/lib/z.js", "<root>/x.js"} << 4;
    // Each part shown as names are: one item, one line.
    QTest::newRow("odd bytes in folder names")
        << QByteArrayList{"caf\xE9/x.txt", "line\nbreak/y", "ok/caf\xC3\xA9.txt"} << "*.*" << "walk"
        << QStringList{"caf\\xE9/x.txt", "line\\nbreak/y", QString::fromUtf8("ok/café.txt")} << 6;
    QTest::newRow("odd bytes in folder names, full paths")
        << QByteArrayList{"caf\xE9/x.txt", "a\\b/y"} << "*.*" << "walk full"
        << QStringList{"<root>/a\\\\b/y", "<root>/caf\\xE9/x.txt"} << 4;
    // A name whose bytes are shown as escapes beside one that really holds that
    // text: two files, two items, in a folder and in a folder part alike.
    const QByteArrayList twins = {"dup\xFF.txt", "dup\\xFF.txt", "nl\n.txt", "nl\\n.txt"};
    QByteArrayList twinTree = twins;
    for (const QByteArray &name : twins)
        twinTree << "sub/" + name << "d\xFF/" + name << "d\\xFF/" + name;
    const QStringList shownTwins = {"dup\\\\xFF.txt", "dup\\xFF.txt", "nl\\\\n.txt", "nl\\n.txt"};
    QStringList shownTree;
    for (const char *prefix : {"d\\\\xFF/", "d\\xFF/", "", "sub/"})
        for (const QString &name : shownTwins)
            shownTree.append(QLatin1StringView(prefix) + name);
    QTest::newRow("escaped bytes beside their text") << twins << "*" << "" << shownTwins << 4;
    QTest::newRow("escaped bytes beside their text, in folders") << twinTree << "*" << "walk" << shownTree << 19;
    // Folders whose names differ by case or accent only: their files interleave,
    // as the order ignoring case must keep the same texts together.
    QTest::newRow("twin folders")
        << QByteArrayList{"Live/a", "live/a", "live/b", "L\xC3\xACve/b2", "Live/c", "LIVE.txt", "lives/x", "LIVe"}
        << "*" << "walk"
        << QStringList{"LIVe", "Live/a", "live/a", "live/b", QString::fromUtf8("Lìve/b2"), "Live/c", "LIVE.txt",
                       "lives/x"}
        << 12;
    // Numbers by value, folders and files alike; folders equal in value twins.
    QTest::newRow("natural order")
        << QByteArrayList{"Disc 10/a", "Disc 2/b", "Disc 2.txt", "disc 1/x", "Disc 01/y", "t10.mp3", "t9.mp3",
                          "t010.mp3"}
        << "*" << "walk natural"
        << QStringList{"disc 1/x", "Disc 01/y", "Disc 2/b", "Disc 2.txt", "Disc 10/a", "t9.mp3", "t10.mp3", "t010.mp3"}
        << 12;
}

void TestFolderReader::walk()
{
    QFETCH(QByteArrayList, tree);
    QFETCH(QString, pattern);
    QFETCH(QString, options);
    QFETCH(QStringList, expected);
    QFETCH(int, entries);
    QTemporaryDir tmp;
    const auto cleanup = qScopeGuard([&] { test::removeTree(tmp.path()); });
    makeTree(tmp.path(), tree);
    const qsizetype in = options.indexOf(u"in=");
    const QString folder = in < 0 ? tmp.path() : tmp.path() + u'/' + options.mid(in + 3).section(u' ', 0, 0);
    for (QString &path : expected)
        path.replace(QStringLiteral("<root>"), displayPath(folder));
    ReadProgress progress;
    const Result<FolderListing> read = readFolder(folder, Pattern(pattern), &progress, optionsFrom(options));
    QVERIFY2(read.ok(), qPrintable(read.error));
    QCOMPARE(read.value.names, expected);
    QVERIFY(read.value.unreadable.isEmpty());
    QVERIFY(read.value.facts.empty());
    QCOMPARE(progress.names.load(), entries);
    // The folder tree's folders are the same with or without the walk.
    QCOMPARE(read.value.subfolders, readSubfolders(folder).value);
}

void TestFolderReader::bigListsInOrder_data()
{
    // Long enough to be put together by two threads, each making its half.
    QTest::addColumn<bool>("subfolders");
    QTest::addColumn<bool>("natural");
    QTest::newRow("one folder") << false << false;
    QTest::newRow("tree") << true << false;
    QTest::newRow("one folder, natural order") << false << true;
    QTest::newRow("tree, natural order") << true << true;
}

void TestFolderReader::bigListsInOrder()
{
    QFETCH(bool, subfolders);
    QFETCH(bool, natural);
    const ItemOrder order = natural ? ItemOrder::Natural : ItemOrder::Alphabetical;
    const QByteArrayList folders = {"", "Live/", "live/", "L\xC3\xACve/", "a/b/", "a/", "\xC3\xA9t\xC3\xA9/",
                                    "Disc 1/", "Disc 01/", "Disc 10/"};
    const QByteArrayList stems = {"song", "SONG", "Song_0000_long_prefix", "z", "_", "\xC3\xA9t\xC3\xA9", "e",
                                  "\xE2\x84\xAA", "a.b", "x"};
    QByteArrayList made;
    QStringList expected;
    for (int i = 0; i < 21000; ++i) {
        const QByteArray folder = subfolders ? folders.at(i % folders.size()) : QByteArray();
        // Each name once: i % 10 and i / 3 together tell i.
        const QByteArray name = stems.at(i % stems.size()) + QByteArray::number(i / 3) + stems.at(i / 7 % stems.size());
        made.append(folder + name);
        expected.append(QString::fromUtf8(folder + name));
    }
    QTemporaryDir tmp;
    makeMany(tmp.path(), made);
    const Result<FolderListing> read = readFolder(tmp.path(), Pattern(), nullptr,
                                                  ReadOptions{.subfolders = subfolders, .facts = true, .order = order});
    std::sort(expected.begin(), expected.end(), ItemLess{order});
    QCOMPARE(read.value.names, expected);
    QCOMPARE(read.value.facts.size(), size_t(expected.size()));
    QVERIFY(std::all_of(read.value.facts.begin(), read.value.facts.end(), [](const FileFacts &f) { return f.known(); }));
    // Read again beside the names of the first read, one of them gone: every
    // name that comes again is the first read's string, not a copy.
    QStringList earlier = read.value.names;
    earlier.removeAt(earlier.size() / 2);
    const Result<FolderListing> again = readFolder(
        tmp.path(), Pattern(), nullptr, ReadOptions{.subfolders = subfolders, .order = order, .earlier = earlier});
    QCOMPARE(again.value.names, expected);
    qsizetype shared = 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        shared += again.value.names.at(i).isSharedWith(read.value.names.at(i)) ? 1 : 0;
    QCOMPARE(shared, expected.size() - 1);
    // Every name again, in its place: the earlier list itself, the facts read anew.
    const ReadOptions same{.subfolders = subfolders, .facts = true, .order = order, .earlier = read.value.names};
    const Result<FolderListing> unchanged = readFolder(tmp.path(), Pattern(), nullptr, same);
    QVERIFY(unchanged.value.names.isSharedWith(read.value.names));
    QVERIFY(unchanged.value.facts == read.value.facts);
}

void TestFolderReader::walkFailures_data()
{
    QTest::addColumn<QByteArray>("closed"); // the folder whose rights are cut; empty for the folder read
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("unreadable");
    QTest::addColumn<QStringList>("unknown"); // the names whose facts cannot be had
    QTest::addColumn<QString>("error");
    const QString denied = test::systemError(EACCES);
    QTest::newRow("closed folder") << QByteArray("b") << 0 << QStringList{"a/x", "c"}
                                   << QStringList{"b: " + denied} << QStringList{} << QString();
    // Names can be read, but nothing in it looked at or opened.
    QTest::newRow("folder without search right")
        << QByteArray("b") << 0444 << QStringList{"a/x", "b/y", "c"} << QStringList{"b/sub: " + denied}
        << QStringList{"b/y"} << QString();
    QTest::newRow("the folder read closed") << QByteArray() << 0 << QStringList{} << QStringList{} << QStringList{}
                                            << denied;
}

void TestFolderReader::walkFailures()
{
    QFETCH(QByteArray, closed);
    QFETCH(int, mode);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, unreadable);
    QFETCH(QStringList, unknown);
    QFETCH(QString, error);
    if (::geteuid() == 0)
        QSKIP("root passes every permission check");
    QTemporaryDir tmp;
    makeTree(tmp.path(), {"a/x", "b/y", "b/sub/z", "c"});
    QByteArray cut = QFile::encodeName(tmp.path());
    if (!closed.isEmpty())
        cut += '/' + closed;
    QCOMPARE(::chmod(cut.constData(), mode_t(mode)), 0);
    const auto reopen = qScopeGuard([&] { ::chmod(cut.constData(), 0755); });
    const Result<FolderListing> read = readFolder(tmp.path(), Pattern(), nullptr, kWalkWithFacts);
    QCOMPARE(read.error, error);
    QCOMPARE(read.value.names, expected);
    QCOMPARE(failures(read.value), unreadable);
    QCOMPARE(unknownFacts(read.value), unknown);
}

void TestFolderReader::bindMountReadOnce()
{
    QTemporaryDir tmp;
    const auto cleanup = qScopeGuard([&] { test::removeTree(tmp.path()); });
    makeTree(tmp.path(), {"music/x.mp3", "music/inner/y.mp3", "music/inner/again/", "backup/music/"});
    const QByteArray root = QFile::encodeName(tmp.path());
    const QByteArray music = root + "/music", copy = root + "/backup/music", again = root + "/music/inner/again";
    if (::mount(music.constData(), copy.constData(), nullptr, MS_BIND, nullptr) != 0)
        QSKIP(qPrintable(u"cannot bind-mount here: " + test::systemError(errno)));
    const auto unmountCopy = qScopeGuard([&] { ::umount2(copy.constData(), MNT_DETACH); });
    // And the folder inside itself: a loop only the device and inode reveal.
    QCOMPARE(::mount(music.constData(), again.constData(), nullptr, MS_BIND, nullptr), 0);
    const auto unmountAgain = qScopeGuard([&] { ::umount2(again.constData(), MNT_DETACH); });

    const Result<FolderListing> read = readFolder(tmp.path(), Pattern(), nullptr, kWalk);
    QVERIFY(read.ok());
    // Read once, under the first of its paths in item order.
    QCOMPARE(read.value.names, QStringList({"backup/music/inner/y.mp3", "backup/music/x.mp3"}));
}

void TestFolderReader::facts_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one folder") << "facts" << QStringList{"a", "huge", "link", "old"};
    QTest::newRow("walk") << "facts walk" << QStringList{"a", "huge", "link", "old", "sub/b"};
    QTest::newRow("names only") << "facts walk names" << QStringList{"a", "b", "huge", "link", "old"};
}

void TestFolderReader::facts()
{
    QFETCH(QString, options);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    makeTree(tmp.path(), {"a", "huge", "old", "skipped.tmp", "sub/b", "link -> sub/b"});
    const QByteArray root = QFile::encodeName(tmp.path()) + '/';
    // Sizes and times chosen to catch a mix-up: a sparse file past 4 GiB, a
    // time before 1970, and a link whose own time is not its file's.
    const struct
    {
        const char *name;
        qint64 size, modified;
        int flags;
    } made[] = {{"a", 0, 1000000000, 0},       {"huge", 5000000000, 1700000000, 0}, {"old", 3, -86400, 0},
                {"skipped.tmp", 7, 1, 0},      {"sub/b", 5, 1234567890, 0},       {"link", 0, 42, AT_SYMLINK_NOFOLLOW}};
    for (const auto &m : made) {
        const QByteArray path = root + m.name;
        if (m.flags == 0)
            QCOMPARE(::truncate(path.constData(), m.size), 0);
        const timespec times[2] = {{m.modified, 0}, {m.modified, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, m.flags), 0);
    }
    const Result<FolderListing> read =
        readFolder(tmp.path(), Pattern(QStringLiteral("*;-*.tmp")), nullptr, optionsFrom(options));
    QVERIFY(read.ok());
    const QStringList &names = read.value.names;
    QStringList shown = names;
    shown.removeAll(QStringLiteral("skipped.tmp"));
    QCOMPARE(shown, expected);
    QCOMPARE(read.value.facts.size(), size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray name = names.at(i) == u"link" || names.at(i) == u"b" ? QByteArray("sub/b") : names.at(i).toUtf8();
        const auto m = std::find_if(std::begin(made), std::end(made), [&](const auto &m) { return name == m.name; });
        QVERIFY(m != std::end(made));
        QCOMPARE(read.value.facts.at(size_t(i)), (FileFacts{m->size, m->modified}));
    }
}

void TestFolderReader::walkProgressAndCancel()
{
    QTemporaryDir tmp;
    QByteArrayList made;
    for (int f = 0; f < 60; ++f)
        for (int i = 0; i < 100; ++i)
            made.append("d" + QByteArray::number(f) + "/f" + QByteArray::number(i));
    makeMany(tmp.path(), made);

    // Every entry of every folder counted, a folder's own entry too.
    ReadProgress whole;
    QCOMPARE(readFolder(tmp.path(), Pattern(), &whole, kWalk).value.names.size(), 6000);
    QCOMPARE(whole.names.load(), 6060);

    // Slowed down as on a network volume, cancelled as soon as a batch is
    // counted: the walk stops within a batch or so instead of reading on.
    setReadDelayForTesting(std::chrono::milliseconds(50));
    const auto fast = qScopeGuard([] { setReadDelayForTesting(std::chrono::milliseconds(0)); });
    ReadProgress progress;
    Result<FolderListing> read;
    std::thread reader([&] { read = readFolder(tmp.path(), Pattern(), &progress, kWalkWithFacts); });
    const QDeadlineTimer deadline(30000);
    while (progress.names.load() == 0 && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool counted = progress.names.load() > 0;
    progress.cancelled = true;
    reader.join();
    QVERIFY2(counted, "no batch was counted within 30 s");
    QVERIFY2(progress.names.load() < 6060, qPrintable(QString::number(progress.names.load())));
}

void TestFolderReader::injectedFaults_data()
{
    // A system call made to fail by strace, counted on one folder only (-P):
    // whichever thread reads it, the same call fails. The folder read holds
    // a.txt, big/ (1500 files) and z/: ok.txt and seven links to it.
    QTest::addColumn<QByteArray>("folder"); // relative to the folder read
    QTest::addColumn<QString>("inject");    // empty: no strace, a link whose target's name is too long
    QTest::addColumn<bool>("facts");
    QTest::addColumn<QStringList>("expected"); // the items; empty: all of them
    QTest::addColumn<QStringList>("unreadable");
    QTest::addColumn<QStringList>("unknown"); // the items whose facts are unknown
    QTest::addColumn<QStringList>("told");    // the entries not checked and the files without facts
    QTest::addColumn<QString>("error");
    const QString eio = test::systemError(EIO);
    QStringList links;
    for (int i = 1; i <= 7; ++i)
        links.append(QStringLiteral("z/l%1").arg(i));
    const QString fiveLinks = links.first(5).join(u": " + eio + u'\t') + u": " + eio;
    // Its second getdents64 fails: some names were read, none are listed.
    QTest::newRow("subfolder fails part-way") << QByteArray("big") << "getdents64:error=EIO:when=2" << true
                                              << QStringList{"a.txt"} + links + QStringList{"z/ok.txt"}
                                              << QStringList{"big: " + eio} << QStringList{} << QStringList{}
                                              << QString();
    // The first call on z is the walk's fstat of the folder; every later one
    // fails: the links are listed without facts and told of, the file's facts
    // are told of too.
    QTest::newRow("links and a file, with sizes and dates")
        << QByteArray("z") << "newfstatat:error=EIO:when=2+" << true << QStringList{} << QStringList{}
        << links + QStringList{"z/ok.txt"}
        << QStringList{"unchecked\t7\t" + fiveLinks, "nofacts\t1\tz/ok.txt: " + eio} << QString();
    QTest::newRow("links, without sizes and dates") << QByteArray("z") << "newfstatat:error=EIO:when=2+" << false
                                                    << QStringList{} << QStringList{} << QStringList{}
                                                    << QStringList{"unchecked\t7\t" + fiveLinks} << QString();
    QTest::newRow("the folder read fails part-way") << QByteArray() << "getdents64:error=EIO:when=2" << true
                                                    << QStringList{} << QStringList{} << QStringList{}
                                                    << QStringList{} << eio;
    // Needs no strace: the target cannot be looked up, which is no broken link.
    QTest::newRow("a link whose target's name is too long")
        << QByteArray("z") << QString() << true << QStringList{} << QStringList{} << QStringList{"z/long"}
        << QStringList{"unchecked\t1\tz/long: " + test::systemError(ENAMETOOLONG)} << QString();
}

void TestFolderReader::injectedFaults()
{
    QFETCH(QByteArray, folder);
    QFETCH(QString, inject);
    QFETCH(bool, facts);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, unreadable);
    QFETCH(QStringList, unknown);
    QFETCH(QStringList, told);
    QFETCH(QString, error);
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (!inject.isEmpty()) {
#if defined(__SANITIZE_THREAD__)
        QSKIP("starts strace: the thread checker cannot follow a process started by a threaded one");
#endif
        if (strace.isEmpty())
            SKIP_WITHOUT_INJECTION(QStringLiteral("strace is not installed (scripts/install-deps installs it)"));
        // Whether this machine lets strace trace at all, apart from the scene.
        QProcess probe;
        probe.start(strace, {"-qq", "-o", "/dev/null", "true"});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            SKIP_WITHOUT_INJECTION(u"strace cannot run here: " + QString::fromLocal8Bit(probe.readAllStandardError()));
    }
    QTemporaryDir tmp;
    QByteArrayList made = {"a.txt", "z/ok.txt"};
    for (int i = 1; i <= 7; ++i)
        made.append("z/l" + QByteArray::number(i) + " -> ok.txt");
    if (inject.isEmpty())
        made.append("z/long -> " + QByteArray(300, 'x'));
    // Long names, so that reading either folder takes several getdents64 calls.
    const QByteArray longName = "_a_long_name_that_fills_the_buffer_of_a_directory_read_in_a_few_calls.dat";
    for (int i = 0; i < 1500; ++i) {
        made.append("big/" + QByteArray::number(i) + longName);
        if (folder.isEmpty())
            made.append(QByteArray::number(i) + longName);
    }
    makeTree(tmp.path(), made.mid(0, 9 + int(inject.isEmpty())));
    makeMany(tmp.path(), made.mid(9 + int(inject.isEmpty())));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0")); // no leak check under ptrace
    child.setProcessEnvironment(env);
    const QString target = tmp.path() + (folder.isEmpty() ? QString() : u'/' + QFile::decodeName(folder));
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    QStringList arguments{"--list", tmp.path()};
    if (facts)
        arguments.append(QStringLiteral("facts"));
    if (inject.isEmpty()) {
        child.start(self, arguments);
    } else {
        const QString syscall = inject.section(u':', 0, 0);
        child.start(strace, QStringList{"-f", "--seccomp-bpf", "-qq", "-o", "/dev/null", "-P", target, "-e",
                                        "trace=" + syscall, "-e", "inject=" + inject, self}
                                + arguments);
    }
    QVERIFY(child.waitForFinished(60000));
    // strace ran (the probe says so): a crash or an abort under the fault fails.
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));
    QStringList items, failed, unknownNames, toldLines;
    QString readError;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 3 && fields[0] == "item") {
            items.append(QString::fromUtf8(fields[1]));
            if (fields[2] == "?")
                unknownNames.append(QString::fromUtf8(fields[1]));
        } else if (fields.size() == 3 && fields[0] == "unreadable") {
            failed.append(QString::fromUtf8(fields[1] + ": " + fields[2]));
        } else if (fields[0] == "unchecked" || fields[0] == "nofacts") {
            toldLines.append(QString::fromUtf8(line));
        } else if (fields.size() == 2 && fields[0] == "error") {
            readError = QString::fromUtf8(fields[1]);
        }
    }
    QCOMPARE(readError, error);
    QCOMPARE(failed, unreadable);
    QCOMPARE(unknownNames, unknown);
    QCOMPARE(toldLines, told);
    const qsizetype all = 1509 + qsizetype(inject.isEmpty());
    if (error.isEmpty() && !expected.isEmpty()) {
        QCOMPARE(items, expected);
    } else if (!error.isEmpty()) {
        // What was read before the failure, as a folder read alone gives it.
        QVERIFY(!items.isEmpty() && items.size() < all);
    } else {
        QCOMPARE(items.size(), all);
    }
}

int main(int argc, char **argv)
{
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--list") == 0)
        return listForParent(argv[2], argc == 4);
    TestFolderReader test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_folderreader.moc"
