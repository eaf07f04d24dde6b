#include "listing/casefold.h"
#include "listing/folderreader.h"

#include "support/hostilefolder.h"
#include "support/files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
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

QTEST_APPLESS_MAIN(TestFolderReader)
#include "tst_folderreader.moc"
