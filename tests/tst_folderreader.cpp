#include "listing/casefold.h"
#include "listing/folderreader.h"

#include "support/hostilefolder.h"
#include "support/scripted.h"

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
    const FolderListing listing = readFolder(root, Pattern(QStringLiteral("*.*")));
    ::close(sock);
    QVERIFY(listing.ok());
    const QStringList expected = {".hidden", "A.txt", "b.txt", "c", "hard", "link-to-file"};
    QCOMPARE(listing.names, expected);
    // The same pass names the folders in it, links to folders included.
    QCOMPARE(listing.subfolders, QStringList({"folder.txt", "link-to-dir", "sub"}));
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
    const FolderListing listing = readFolder(tmp.path(), Pattern(QStringLiteral("*.txt")));
    QVERIFY(listing.ok());
    QCOMPARE(listing.names.size(), 3);
    QVERIFY(listing.names.contains(QStringLiteral("caf\\xE9.txt")));
    QVERIFY(listing.names.contains(QStringLiteral("line\\nbreak.txt")));
    QVERIFY(listing.names.contains(QString::fromUtf8("café.txt")));
}

void TestFolderReader::patternApplied()
{
    QTemporaryDir tmp;
    test::makeFiles(tmp.path(), {"a.MP3", "b.mp3", "c.txt", "Makefile", "d.exe"});
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("*.mp3"))).names,
             QStringList({"a.MP3", "b.mp3"}));
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("*.MP3;*.;*.EXE"))).names,
             QStringList({"a.MP3", "b.mp3", "d.exe", "Makefile"}));
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("*.zip"))).names, QStringList());
}

void TestFolderReader::mixedNamesInItemOrder()
{
    // ASCII names are sorted apart from the rest and merged in: the whole must
    // still be in item order, with nothing lost.
    QTemporaryDir tmp;
    const QStringList stems = {"song", "SONG", "Song_0000_long_prefix", "z", "Z", "_", "0",
                               QString::fromUtf8("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("\xE2\x84\xAA"), "k",
                               QString::fromUtf8("\xCE\xA3"), QString::fromUtf8("\xCF\x83")};
    QStringList made;
    for (int i = 0; i < 240; ++i) {
        const QString name = stems.at(i % stems.size()) + stems.at((i / 7) % stems.size()) + QString::number(i % 13);
        if (!made.contains(name))
            made.append(name);
    }
    test::makeFiles(tmp.path(), made);
    const QStringList listed = readFolder(tmp.path(), Pattern()).names;
    QStringList expected = made;
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) { return itemLess(a, b); });
    QCOMPARE(listed, expected);
    // Through a pattern the same order holds.
    const QStringList some = readFolder(tmp.path(), Pattern(QStringLiteral("s*;*1"))).names;
    QVERIFY(!some.isEmpty());
    QVERIFY(std::is_sorted(some.begin(), some.end(), [](const QString &a, const QString &b) { return itemLess(a, b); }));
}

void TestFolderReader::unreadableFolder()
{
    QTemporaryDir tmp;
    const FolderListing gone = readFolder(tmp.path() + QStringLiteral("/missing"), Pattern());
    QVERIFY(!gone.ok());
    QVERIFY(gone.names.isEmpty());
    QCOMPARE(gone.error, QString::fromLocal8Bit(std::strerror(ENOENT)));

    test::makeFiles(tmp.path(), {"file"});
    const FolderListing notFolder = readFolder(tmp.path() + QStringLiteral("/file"), Pattern());
    QCOMPARE(notFolder.error, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
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
    QCOMPARE(readFolder(tmp.path(), Pattern(QStringLiteral("f1*")), &whole).names.size(), 611);
    QCOMPARE(whole.names.load(), 1500);

    // Cancelled, the read stops at its first batch.
    ReadProgress stopped;
    stopped.cancelled = true;
    QVERIFY(readFolder(tmp.path(), Pattern(), &stopped).names.isEmpty());
    QCOMPARE(stopped.names.load(), 0);

    // The delay for tests slows each batch of 512 names: three here.
    setReadDelayForTesting(std::chrono::milliseconds(40));
    const auto fast = qScopeGuard([] { setReadDelayForTesting(std::chrono::milliseconds(0)); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(readFolder(tmp.path(), Pattern()).names.size(), 1500);
    QVERIFY(clock.elapsed() >= 120);
}

QTEST_APPLESS_MAIN(TestFolderReader)
#include "tst_folderreader.moc"
