// The documents' bytes and the writer that puts them on disk, without the window.

#include "output/atomicwriter.h"
#include "output/documents.h"
#include "support/files.h"
#include "support/reference.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>


using namespace corvane;
using namespace corvane::test;

class TestDocuments : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void documentsFollowTheOutputLine();
    void encoderAgreesWithQt_data();
    void encoderAgreesWithQt();
    void outputLine_data();
    void outputLine();
    void textDocument_data();
    void textDocument();
    void copiedText_data();
    void copiedText();
    void htmlDocument_data();
    void htmlDocument();
    void writeReplacesAndResolves_data();
    void writeReplacesAndResolves();
    void writeFailureLeavesEverything_data();
    void writeFailureLeavesEverything();
    void writeCutShortByFileSizeLimit();

private:
    std::unique_ptr<WorkFolder> m_dir;
};

void TestDocuments::init()
{
    m_dir = std::make_unique<WorkFolder>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestDocuments::cleanup()
{
    m_dir.reset();
}

void TestDocuments::documentsFollowTheOutputLine()
{
    // The documents encode each line straight into bytes; they must hold exactly
    // the output line of every item, as UTF-8, escaped on the page.
    const QStringList items = {
        QStringLiteral("plain.txt"), QStringLiteral("two.dots.doc"), QStringLiteral(".profile"),
        QStringLiteral("archive."), QStringLiteral("no dot"), QString(),
        QString::fromUtf8("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.txt"),
        QString::fromUtf8("\xF0\x9F\x98\x80.emoji"), QStringLiteral("<a href='x'>&amp;\".htm"),
        QString(QChar(0xD800)) + QStringLiteral(".lone"), QStringLiteral("report 1.5 final")};
    // Enough lines for the numbers to pass 9, 99 and 999.
    QStringList many = items;
    while (many.size() < 1005)
        many.append(items.at(many.size() % items.size()));
    const QString title = items.at(8) + u'\t';
    for (const bool numbered : {false, true}) {
        for (const bool showExtensions : {false, true}) {
            QCOMPARE(corvane::textDocument(many, numbered, showExtensions),
                     test::referenceTextDocument(many, numbered, showExtensions));
            QCOMPARE(corvane::htmlDocument(many, title, numbered, showExtensions),
                     test::referenceHtmlDocument(many, title, numbered, showExtensions));
        }
    }
}

namespace {

// One code point as text; a surrogate code point stands alone, unpaired.
QString text(char32_t c)
{
    return QChar::requiresSurrogates(c) ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
}

} // namespace

void TestDocuments::encoderAgreesWithQt_data()
{
    QTest::addColumn<QStringList>("items");
    QStringList each;
    for (char32_t c = 0; c <= 0x10FFFF; ++c)
        each.append(text(c));
    QTest::newRow("every code point, lone surrogates too") << each;
    // The edges of the 1-, 2-, 3- and 4-byte forms, of the surrogates and of
    // the references, at every offset of a 17-unit line: inside, at the end of
    // and after each 8-unit block of the ASCII quick path.
    QStringList placed;
    for (const char32_t c : {0x00u, 0x1Fu, 0x26u, 0x27u, 0x3Eu, 0x7Fu, 0x80u, 0xFFu, 0x7FFu, 0x800u, 0xD7FFu, 0xD800u,
                             0xDBFFu, 0xDC00u, 0xDFFFu, 0xE000u, 0xFFFFu, 0x10000u, 0x10400u, 0x10FFFFu}) {
        for (qsizetype at = 0; at <= 16; ++at)
            placed.append(QString(16, u'a').insert(at, text(c)));
    }
    QTest::newRow("edges at every offset") << placed;
    const QChar high(char16_t(0xD801)), low(char16_t(0xDC00));
    QTest::newRow("broken pairs") << QStringList{QString(high) + high + low, QString(low) + high,
                                                 QString(high) + u'a' + low, QString(8, u'b') + high,
                                                 QString(7, u'b') + high + low + low};
}

void TestDocuments::encoderAgreesWithQt()
{
    QFETCH(QStringList, items);
    const QString title = QStringLiteral("t");
    QCOMPARE(corvane::textDocument(items, false, true), referenceTextDocument(items, false, true));
    QCOMPARE(corvane::htmlDocument(items, title, true, true), referenceHtmlDocument(items, title, true, true));
}

void TestDocuments::outputLine_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "readme.txt" << 0 << false << true << "readme.txt";
    QTest::newRow("first numbered") << "readme.txt" << 0 << true << true << " 1 readme.txt";
    QTest::newRow("twelfth numbered") << "x.doc" << 11 << true << true << " 12 x.doc";
    QTest::newRow("extension dropped") << "b.doc" << 1 << false << false << "b";
    QTest::newRow("once more after listing") << "report.final" << 0 << false << false << "report";
    QTest::newRow("no dot") << "readme" << 0 << false << false << "readme";
    QTest::newRow("numbering first") << "report 1.5 final" << 1 << true << false << " 2 report 1";
    QTest::newRow("numbered no dot") << "a" << 0 << true << false << " 1 a";
    QTest::newRow("numbered dot file") << ".profile" << 2 << true << false << " 3 ";
    QTest::newRow("markup untouched") << "a&<b>.txt" << 0 << false << true << "a&<b>.txt";
}

void TestDocuments::outputLine()
{
    QFETCH(QString, item);
    QFETCH(int, index);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(QString, expected);
    QCOMPARE(test::referenceOutputLine(item, index, numbered, showExtensions), expected);
    // The text document writes the same line for the item at that place.
    const QStringList items = QStringList(index, QStringLiteral("x")) << item;
    const QList<QByteArray> lines = corvane::textDocument(items, numbered, showExtensions).split('\n');
    QCOMPARE(lines.at(index), expected.toUtf8() + '\r');
}

void TestDocuments::textDocument_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<QByteArray>("expected");
    const QStringList ab{"a.txt", "b.doc"};
    QTest::newRow("14 bytes") << ab << false << true << QByteArray("a.txt\r\nb.doc\r\n");
    QTest::newRow("20 bytes") << ab << true << true << QByteArray(" 1 a.txt\r\n 2 b.doc\r\n");
    QTest::newRow("numbered, no extensions")
        << QStringList{"a", "report 1.5 final"} << true << false << QByteArray(" 1 a\r\n 2 report 1\r\n");
    QTest::newRow("empty list") << QStringList{} << true << false << QByteArray();
    QTest::newRow("utf-8 without bom")
        << QStringList{QStringLiteral("été ü.txt"), "x&<y>"} << false << true
        << QByteArray("\xc3\xa9t\xc3\xa9 \xc3\xbc.txt\r\nx&<y>\r\n");
}

void TestDocuments::textDocument()
{
    QFETCH(QStringList, items);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(QByteArray, expected);
    QCOMPARE(corvane::textDocument(items, numbered, showExtensions), expected);
}

void TestDocuments::copiedText_data()
{
    QTest::addColumn<QList<qsizetype>>("rows"); // none: the whole list
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("whole list, LF only") << QList<qsizetype>{} << false << true
                                         << QByteArray("a.txt\nb.doc\nc\nd.x\ne\nf\ng\nh\ni\nj.md\nk.md\n");
    QTest::newRow("whole list numbered, no extensions")
        << QList<qsizetype>{} << true << false
        << QByteArray(" 1 a\n 2 b\n 3 c\n 4 d\n 5 e\n 6 f\n 7 g\n 8 h\n 9 i\n 10 j\n 11 k\n");
    QTest::newRow("rows keep their list numbers") << QList<qsizetype>{1, 9, 10} << true << true
                                                  << QByteArray(" 2 b.doc\n 10 j.md\n 11 k.md\n");
    QTest::newRow("number carries a digit") << QList<qsizetype>{0, 8, 9} << true << true
                                            << QByteArray(" 1 a.txt\n 9 i\n 10 j.md\n");
    QTest::newRow("rows without numbers") << QList<qsizetype>{3, 10} << false << false << QByteArray("d\nk\n");
}

void TestDocuments::copiedText()
{
    QFETCH(QList<qsizetype>, rows);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(QByteArray, expected);
    const QStringList items{"a.txt", "b.doc", "c", "d.x", "e", "f", "g", "h", "i", "j.md", "k.md"};
    if (rows.isEmpty()) {
        QCOMPARE(corvane::copiedText(items, numbered, showExtensions), expected);
        // The same lines as the document, but for the line end.
        QCOMPARE(corvane::textDocument(items, numbered, showExtensions).replace("\r\n", "\n"), expected);
        for (qsizetype i = 0; i < items.size(); ++i)
            rows.append(i);
    }
    QCOMPARE(corvane::copiedText(items, std::span<const qsizetype>(rows.constData(), size_t(rows.size())),
                                 numbered, showExtensions),
             expected);
}

void TestDocuments::htmlDocument_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<QByteArray>("expected");
    const QStringList ab{"alpha.txt", "beta.doc"};
    QTest::newRow("worked example")
        << ab << "Corvane" << false << true
        << QByteArray("<html>\r\n<title>Corvane</title>\r\n<head>\r\n</head>\r\n<h2>Corvane</h2>\r\n"
                      "alpha.txt<br>\r\nbeta.doc<br>\r\n</html>\r\n");
    QTest::newRow("numbered, no extensions")
        << ab << "Corvane" << true << false
        << QByteArray("<html>\r\n<title>Corvane</title>\r\n<head>\r\n</head>\r\n<h2>Corvane</h2>\r\n"
                      " 1 alpha<br>\r\n 2 beta<br>\r\n</html>\r\n");
    QTest::newRow("empty list, empty title")
        << QStringList{} << "" << false << true
        << QByteArray("<html>\r\n<title></title>\r\n<head>\r\n</head>\r\n<h2></h2>\r\n</html>\r\n");
    QTest::newRow("markup escaped")
        << QStringList{"<script>alert('x')</script>.txt", "Tom & \"Jerry\".doc"} << "<b>A&B's</b>" << false << true
        << QByteArray("<html>\r\n<title>&lt;b&gt;A&amp;B&#39;s&lt;/b&gt;</title>\r\n<head>\r\n</head>\r\n"
                      "<h2>&lt;b&gt;A&amp;B&#39;s&lt;/b&gt;</h2>\r\n"
                      "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;.txt<br>\r\n"
                      "Tom &amp; &quot;Jerry&quot;.doc<br>\r\n</html>\r\n");
    QTest::newRow("escaped after the extension is dropped")
        << QStringList{"a<b.c>d"} << "T" << true << false
        << QByteArray("<html>\r\n<title>T</title>\r\n<head>\r\n</head>\r\n<h2>T</h2>\r\n 1 a&lt;b<br>\r\n</html>\r\n");
    QTest::newRow("non-ascii")
        << QStringList{QStringLiteral("Müller – 東京.pdf")} << QStringLiteral("Liste é") << false << true
        << QByteArray("<html>\r\n<title>Liste \xc3\xa9</title>\r\n<head>\r\n</head>\r\n<h2>Liste \xc3\xa9</h2>\r\n"
                      "M\xc3\xbcller \xe2\x80\x93 \xe6\x9d\xb1\xe4\xba\xac.pdf<br>\r\n</html>\r\n");
}

void TestDocuments::htmlDocument()
{
    QFETCH(QStringList, items);
    QFETCH(QString, title);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(QByteArray, expected);
    // The mark, then the page byte for byte as it would be without it.
    const QByteArray page = corvane::htmlDocument(items, title, numbered, showExtensions);
    QCOMPARE(page.first(3), QByteArray("\xEF\xBB\xBF"));
    QCOMPARE(page.sliced(3), expected);
}

void TestDocuments::writeReplacesAndResolves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder"); // relative to the working folder
    QTest::addColumn<QByteArray>("old"); // existing content, or null for none
    QTest::newRow("new file") << "doc.txt" << "" << QByteArray();
    QTest::newRow("longer old file replaced") << "doc.txt" << "" << QByteArray(5000, 'x');
    QTest::newRow("folder part") << "sub/doc.txt" << "sub" << QByteArray();
    QTest::newRow("folder part with dots") << "sub/../sub/my doc.txt" << "sub" << QByteArray("old");
}

void TestDocuments::writeReplacesAndResolves()
{
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QFETCH(QByteArray, old);
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("sub"))));
    if (!old.isNull())
        writeBytes(name, old);
    const QByteArray data("line one\r\nline two\r\n");
    const Result<QString> result = writeFileAtomically(name, data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    const QString expectedFolder = folder.isEmpty() ? m_dir->path() : m_dir->filePath(folder);
    QCOMPARE(QFileInfo(result.value).absolutePath(), expectedFolder);
    QCOMPARE(result.value, expectedFolder + u'/' + QFileInfo(name).fileName());
    QCOMPARE(readAll(result.value), data);
    // Nothing but the document is left beside it.
    const QStringList expected = folder.isEmpty() ? QStringList{QStringLiteral("doc.txt"), QStringLiteral("sub")}
                                                  : QStringList{QFileInfo(name).fileName()};
    QCOMPARE(entries(expectedFolder), expected);
}

void TestDocuments::writeFailureLeavesEverything_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("missing folder") << "nowhere/doc.txt" << "No such file or directory";
    QTest::newRow("through a regular file") << "plain.txt/doc.txt" << "Not a directory";
    QTest::newRow("target is a folder") << "folder.txt" << "Is a directory";
}

void TestDocuments::writeFailureLeavesEverything()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    writeBytes(QStringLiteral("plain.txt"), "keep me");
    QVERIFY(QDir().mkdir(QStringLiteral("folder.txt")));
    const QStringList before = entries(m_dir->path());
    const Result<QString> result = writeFileAtomically(name, "new bytes");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(description, Qt::CaseInsensitive), qPrintable(result.error));
    QCOMPARE(entries(m_dir->path()), before);
    QCOMPARE(readAll(QStringLiteral("plain.txt")), QByteArray("keep me"));
    QVERIFY(entries(QStringLiteral("folder.txt")).isEmpty());
}

void TestDocuments::writeCutShortByFileSizeLimit()
{
    // A write that fails part-way: a child process may only write 4 KiB per
    // file, and the document is 64 KiB. Root cannot get past this limit.
    const QByteArray old("the old document\r\n");
    writeBytes(QStringLiteral("doc.txt"), old);
    const std::optional<QByteArray> report = runWithFileSizeLimit([] {
        const Result<QString> result = writeFileAtomically(QStringLiteral("doc.txt"), QByteArray(65536, 'n'));
        return result.ok() ? QByteArray("reported as written") : result.error.toUtf8();
    });
    QVERIFY(report); // the child finished its report
    // The writer reported the failure, with the system's reason.
    QVERIFY2(report->contains("File too large"), report->constData());
    QCOMPARE(readAll(QStringLiteral("doc.txt")), old);
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("doc.txt")});
}

QTEST_APPLESS_MAIN(TestDocuments)
#include "tst_documents.moc"
