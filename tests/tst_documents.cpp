// The documents' bytes and the writer that puts them on disk, without the window.

#include "listing/folderreader.h"
#include "output/atomicwriter.h"
#include "output/documents.h"
#include "support/files.h"
#include "support/injected.h"
#include "listing/filenames.h"
#include "support/reference.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <thread>
#include <vector>

using namespace corvane;
using namespace corvane::test;

Q_DECLARE_METATYPE(corvane::FileFacts)

namespace {

// Local time for the facts: Central European, summer time from the last
// Sunday of March to the last Sunday of October. A rule, so no zone file is
// needed.
const char kZone[] = "CET-1CEST,M3.5.0,M10.5.0/3";

// Times in it: a winter and a summer afternoon, the second before 1970, and
// a day in 2100.
constexpr qint64 kWinter = 1765199825; // 2025-12-08 14:17:05 local
constexpr qint64 kSummer = 1751376659; // 2025-07-01 15:30:59 local
constexpr qint64 kBefore1970 = -1;     // 1970-01-01 00:59:59 local
constexpr qint64 k2100 = 4107542400;   // 2100-03-01 01:00:00 local

DocumentContent contentOf(const QStringList &items, const QList<FileFacts> &facts, bool numbered,
                          bool showExtensions, const QString &title = {})
{
    return {.items = items,
            .facts = std::span<const FileFacts>(facts.constData(), size_t(facts.size())),
            .numbered = numbered,
            .showExtensions = showExtensions,
            .title = title};
}

// The format of that name; the test fails on a name the table lacks.
const DocumentFormat &formatOf(const QString &name)
{
    const DocumentFormat *format = findDocumentFormat(name);
    if (!format)
        qFatal("no document format %s", qPrintable(name));
    return *format;
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void documentsFollowTheReferences();
    void encoderAgreesWithQt_data();
    void encoderAgreesWithQt();
    void outputLine_data();
    void outputLine();
    void document_data();
    void document();
    void readBackByTools_data();
    void readBackByTools();
    void copiedText_data();
    void copiedText();
    void printedColumns_data();
    void printedColumns();
    void writeReplacesAndResolves_data();
    void writeReplacesAndResolves();
    void writeFailureLeavesEverything_data();
    void writeFailureLeavesEverything();
    void writeCutShortByFileSizeLimit_data();
    void writeCutShortByFileSizeLimit();
    void writeInterrupted_data();
    void writeInterrupted();

private:
    std::unique_ptr<WorkFolder> m_dir;
};

void TestDocuments::initTestCase()
{
    qputenv("TZ", kZone);
}

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

void TestDocuments::documentsFollowTheReferences()
{
    // The documents encode each line straight into bytes; they must hold exactly
    // what the reference forms build from the output line of every item, as
    // UTF-8, escaped on the page, quoted in CSV, facts or none.
    const QStringList items = {
        QStringLiteral("plain.txt"), QStringLiteral("two.dots.doc"), QStringLiteral(".profile"),
        QStringLiteral("archive."), QStringLiteral("no dot"), QString(),
        QString::fromUtf8("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.txt"),
        QString::fromUtf8("\xF0\x9F\x98\x80.emoji"), QStringLiteral("<a href='x'>&amp;\".htm"),
        QString(QChar(0xD800)) + QStringLiteral(".lone"), QStringLiteral("report 1.5 final"),
        QStringLiteral("v1.2/readme"), QStringLiteral("=cmd|' /C calc'!A0.csv"), QStringLiteral("a,\"b\"\r\n.c")};
    // Enough lines for the numbers to pass 9, 99 and 999.
    QStringList many = items;
    while (many.size() < 1005)
        many.append(items.at(many.size() % items.size()));
    QList<FileFacts> facts;
    for (qsizetype i = 0; i < many.size(); ++i)
        facts.append(i % 4 == 3 ? FileFacts{} : FileFacts{i * 999, kWinter - i * 86399});
    const QString title = items.at(8) + QStringLiteral("\t\\n\\");
    for (const DocumentFormat &format : documentFormats()) {
        for (const bool withFacts : {false, true}) {
            for (const bool numbered : {false, true}) {
                for (const bool showExtensions : {false, true}) {
                    const DocumentContent content =
                        contentOf(many, withFacts ? facts : QList<FileFacts>(), numbered, showExtensions, title);
                    QCOMPARE(documentBytes(format, content), referenceDocument(format, content));
                }
            }
        }
    }

    // A list long enough for many pieces, streamed: the pieces make the same
    // document, none longer than the writer's buffer of 256 KiB (no buffer
    // grows with the list), and a sink that refuses stops the writer at once.
    QStringList longList;
    QList<FileFacts> longFacts;
    for (qsizetype i = 0; i < 40000; ++i) {
        longList.append(many.at(i % many.size()) + QString::number(i));
        longFacts.append(facts.at(i % facts.size()));
    }
    for (const DocumentFormat &format : documentFormats()) {
        const DocumentContent content = contentOf(longList, longFacts, true, false, title);
        QByteArray streamed;
        int pieces = 0;
        qsizetype longest = 0;
        QVERIFY(streamDocument(format, content, [&](QByteArrayView piece) {
            streamed += piece;
            longest = std::max(longest, piece.size());
            ++pieces;
            return true;
        }));
        QVERIFY2(longest <= 256 * 1024, qPrintable(QString::number(longest)));
        QVERIFY2(pieces > 2, "the document goes out in several pieces");
        QCOMPARE(streamed, referenceDocument(format, content));
        int refused = 0;
        QVERIFY(!streamDocument(format, content, [&](QByteArrayView) { return ++refused < 0; }));
        QCOMPARE(refused, 1);
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
    const DocumentContent content = contentOf(items, {}, true, true, QStringLiteral("t"));
    for (const DocumentFormat &format : documentFormats())
        QCOMPARE(documentBytes(format, content), referenceDocument(format, content));
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
    QTest::newRow("dot before the last slash") << "v1.2/readme" << 0 << true << false << " 1 v1.2/readme";
    QTest::newRow("dot after the last slash") << "v1.2/notes.md" << 0 << false << false << "v1.2/notes";
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
    const QList<QByteArray> lines =
        documentBytes(formatOf("txt"), contentOf(items, {}, numbered, showExtensions)).split('\n');
    QCOMPARE(lines.at(index), expected.toUtf8() + '\r');
}

void TestDocuments::document_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<FileFacts>>("facts"); // none: "Sizes and dates" off
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("expected");
    const QString text = "txt", page = "html", csv = "csv";
    const QList<FileFacts> off;
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray head("<html>\r\n<title>Corvane</title>\r\n<head>\r\n</head>\r\n<h2>Corvane</h2>\r\n");

    // The text document: the output lines, nothing else.
    const QStringList ab{"a.txt", "b.doc"};
    QTest::newRow("text: 14 bytes") << text << ab << off << false << true << "" << QByteArray("a.txt\r\nb.doc\r\n");
    QTest::newRow("text: 20 bytes") << text << ab << off << true << true << ""
                                    << QByteArray(" 1 a.txt\r\n 2 b.doc\r\n");
    QTest::newRow("text: numbered, no extensions")
        << text << QStringList{"a", "report 1.5 final"} << off << true << false << ""
        << QByteArray(" 1 a\r\n 2 report 1\r\n");
    QTest::newRow("text: empty list") << text << QStringList{} << off << true << false << "" << QByteArray();
    QTest::newRow("text: utf-8 without bom")
        << text << QStringList{QStringLiteral("été ü.txt"), "x&<y>"} << off << false << true << ""
        << QByteArray("\xc3\xa9t\xc3\xa9 \xc3\xbc.txt\r\nx&<y>\r\n");

    // The page.
    const QStringList alphaBeta{"alpha.txt", "beta.doc"};
    QTest::newRow("page: worked example") << page << alphaBeta << off << false << true << "Corvane"
                                          << bom + head + "alpha.txt<br>\r\nbeta.doc<br>\r\n</html>\r\n";
    QTest::newRow("page: numbered, no extensions") << page << alphaBeta << off << true << false << "Corvane"
                                                   << bom + head + " 1 alpha<br>\r\n 2 beta<br>\r\n</html>\r\n";
    QTest::newRow("page: empty list, empty title")
        << page << QStringList{} << off << false << true << ""
        << bom + "<html>\r\n<title></title>\r\n<head>\r\n</head>\r\n<h2></h2>\r\n</html>\r\n";
    QTest::newRow("page: markup escaped")
        << page << QStringList{"<script>alert('x')</script>.txt", "Tom & \"Jerry\".doc"} << off << false << true
        << "<b>A&B's</b>"
        << bom + "<html>\r\n<title>&lt;b&gt;A&amp;B&#39;s&lt;/b&gt;</title>\r\n<head>\r\n</head>\r\n"
                 "<h2>&lt;b&gt;A&amp;B&#39;s&lt;/b&gt;</h2>\r\n"
                 "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;.txt<br>\r\n"
                 "Tom &amp; &quot;Jerry&quot;.doc<br>\r\n</html>\r\n";
    QTest::newRow("page: escaped after the extension is dropped")
        << page << QStringList{"a<b.c>d"} << off << true << false << "T"
        << bom + "<html>\r\n<title>T</title>\r\n<head>\r\n</head>\r\n<h2>T</h2>\r\n 1 a&lt;b<br>\r\n</html>\r\n";
    QTest::newRow("page: non-ascii")
        << page << QStringList{QStringLiteral("Müller – 東京.pdf")} << off << false << true
        << QStringLiteral("Liste é")
        << bom + "<html>\r\n<title>Liste \xc3\xa9</title>\r\n<head>\r\n</head>\r\n<h2>Liste \xc3\xa9</h2>\r\n"
                 "M\xc3\xbcller \xe2\x80\x93 \xe6\x9d\xb1\xe4\xba\xac.pdf<br>\r\n</html>\r\n";

    // CSV: the mark, the header row, a row per item.
    QTest::newRow("csv: plain") << csv << ab << off << false << true << "" << bom + "Name\r\na.txt\r\nb.doc\r\n";
    QTest::newRow("csv: numbered, no extensions")
        << csv << QStringList{"a", "report 1.5 final", "v1.2/readme"} << off << true << false << ""
        << bom + "No.,Name\r\n1,a\r\n2,report 1\r\n3,v1.2/readme\r\n";
    QTest::newRow("csv: empty list") << csv << QStringList{} << off << true << true << ""
                                     << bom + "No.,Name\r\n";
    QTest::newRow("csv: quoted when needed")
        << csv
        << QStringList{"a,b.txt", "say \"hi\".txt", "two\r\nlines", "lf\nonly", "", "x\"", "plain it's", "a;b", "a\tb"}
        << off << false << true << ""
        << bom + "Name\r\n\"a,b.txt\"\r\n\"say \"\"hi\"\".txt\"\r\n\"two\r\nlines\"\r\n\"lf\nonly\"\r\n\"\"\r\n"
                 "\"x\"\"\"\r\nplain it's\r\n\"a;b\"\r\n\"a\tb\"\r\n";
    QTest::newRow("csv: formulas stay text")
        << csv << QStringList{"=1+2", "+x", "-x", "@x", "\tx", "\rx", "'x", "a=b", "x-", "=\"q\",1"} << off << false
        << true << ""
        << bom + "Name\r\n\"'=1+2\"\r\n\"'+x\"\r\n\"'-x\"\r\n\"'@x\"\r\n\"'\tx\"\r\n\"'\rx\"\r\n\"''x\"\r\n"
                 "a=b\r\nx-\r\n"
                 "\"'=\"\"q\"\",1\"\r\n";
    QTest::newRow("csv: formula left once the extension is dropped")
        << csv << QStringList{"=a.b", "b.=c", ".profile"} << off << true << false << ""
        << bom + "No.,Name\r\n1,\"'=a\"\r\n2,b\r\n3,\"\"\r\n";
    QTest::newRow("csv: non-ascii")
        << csv << QStringList{QStringLiteral("Müller – 東京.pdf")} << off << false << true << ""
        << bom + "Name\r\nM\xc3\xbcller \xe2\x80\x93 \xe6\x9d\xb1\xe4\xba\xac.pdf\r\n";

    // Facts: the size in digits (0 is a size; unknown is empty), the local time.
    const QStringList abcd{"a.txt", "b.doc", "c", "d.md", "e"};
    const QList<FileFacts> facts{{1234, kWinter}, {0, kSummer}, {}, {1, kBefore1970}, {9007199254740993, k2100}};
    QTest::newRow("text: facts after tabs")
        << text << abcd << facts << false << true << ""
        << QByteArray("a.txt\t1234\t2025-12-08 14:17\r\nb.doc\t0\t2025-07-01 15:30\r\nc\t\t\r\n"
                      "d.md\t1\t1970-01-01 00:59\r\ne\t9007199254740993\t2100-03-01 01:00\r\n");
    QTest::newRow("text: facts, numbered, no extensions")
        << text << abcd.first(2) << facts << true << false << ""
        << QByteArray(" 1 a\t1234\t2025-12-08 14:17\r\n 2 b\t0\t2025-07-01 15:30\r\n");
    QTest::newRow("page: facts in words")
        << page << abcd.first(4) + QStringList{"<f>"}
        << QList<FileFacts>{facts[0], facts[1], {}, facts[3], {5, FileFacts::kUnknown}}
        << false << true << "Corvane"
        << bom + head
               + "a.txt (1234 bytes, 2025-12-08 14:17)<br>\r\nb.doc (0 bytes, 2025-07-01 15:30)<br>\r\nc<br>\r\n"
                 "d.md (1 byte, 1970-01-01 00:59)<br>\r\n&lt;f&gt; (5 bytes)<br>\r\n</html>\r\n";
    QTest::newRow("csv: facts")
        << csv << abcd << facts << false << true << ""
        << bom + "Name,Size (bytes),Modified\r\na.txt,1234,2025-12-08T14:17:05\r\nb.doc,0,2025-07-01T15:30:59\r\n"
                 "c,,\r\nd.md,1,1970-01-01T00:59:59\r\ne,9007199254740993,2100-03-01T01:00:00\r\n";
    QTest::newRow("csv: facts, numbered")
        << csv << QStringList{"=x", ""} << facts << true << true << ""
        << bom + "No.,Name,Size (bytes),Modified\r\n1,\"'=x\",1234,2025-12-08T14:17:05\r\n"
                 "2,\"\",0,2025-07-01T15:30:59\r\n";

    // JSON: no mark, one object per item, commas between, null for unknown facts.
    const QString json = "json";
    QTest::newRow("json: empty list") << json << QStringList{} << facts << true << true << "" << QByteArray("[\r\n]\r\n");
    QTest::newRow("json: numbered, no extensions")
        << json << QStringList{"a.txt", "v1.2/readme"} << off << true << false << ""
        << QByteArray("[\r\n{\"number\": 1, \"name\": \"a\"},\r\n{\"number\": 2, \"name\": \"v1.2/readme\"}\r\n]\r\n");
    QTest::newRow("json: facts, unknown as null")
        << json << abcd.first(3) << facts << false << true << ""
        << QByteArray("[\r\n{\"name\": \"a.txt\", \"size\": 1234, \"modified\": \"2025-12-08T14:17:05+01:00\"},\r\n"
                      "{\"name\": \"b.doc\", \"size\": 0, \"modified\": \"2025-07-01T15:30:59+02:00\"},\r\n"
                      "{\"name\": \"c\", \"size\": null, \"modified\": null}\r\n]\r\n");
    QTest::newRow("json: escapes")
        << json << QStringList{QStringLiteral("q\"b\\s/\x01\x1f\u2028 é😀")} << off << false << true << ""
        << QByteArray("[\r\n{\"name\": \"q\\\"b\\\\s/\\u0001\\u001f\\u2028 \xc3\xa9\xf0\x9f\x98\x80\"}\r\n]\r\n");
    // A name shown with escapes carries its exact bytes, in base64 (every padding).
    QTest::newRow("json: a name's bytes")
        << json << QStringList{"caf\\xE9", "\\xFF\\xFE", "a\\\\b", "tab\\t.txt", "plain\\q"} << off << false << false << ""
        << QByteArray("[\r\n{\"name\": \"caf\\\\xE9\", \"name_base64\": \"Y2Fm6Q==\"},\r\n"
                      "{\"name\": \"\\\\xFF\\\\xFE\", \"name_base64\": \"//4=\"},\r\n"
                      "{\"name\": \"a\\\\\\\\b\", \"name_base64\": \"YVxi\"},\r\n"
                      "{\"name\": \"tab\\\\t\", \"name_base64\": \"dGFiCQ==\"},\r\n"
                      "{\"name\": \"plain\\\\q\"}\r\n]\r\n");

    // Markdown: one table, numbers and sizes right-aligned, markup escaped.
    const QString markdown = "markdown";
    QTest::newRow("markdown: empty list") << markdown << QStringList{} << off << false << true << ""
                                          << QByteArray("| Name |\r\n| --- |\r\n");
    QTest::newRow("markdown: numbered, facts, no extensions")
        << markdown << abcd.first(3) << facts << true << false << ""
        << QByteArray("| No. | Name | Size (bytes) | Modified |\r\n| ---: | --- | ---: | --- |\r\n"
                      "| 1 | a | 1234 | 2025-12-08 14:17 |\r\n| 2 | b | 0 | 2025-07-01 15:30 |\r\n| 3 | c |  |  |\r\n");
    QTest::newRow("markdown: markup and edges escaped")
        << markdown << QStringList{"a|b\\c", "*_`~[]<>&!#", " x\ty ", "", "cr\rlf\n"} << off << false << true << ""
        << QByteArray("| Name |\r\n| --- |\r\n| a\\|b\\\\c |\r\n| \\*\\_\\`\\~\\[\\]\\<>\\&!# |\r\n| &#32;x&#9;y&#32; |\r\n"
                      "|  |\r\n| cr&#13;lf&#10; |\r\n");
}

void TestDocuments::document()
{
    QFETCH(QString, format);
    QFETCH(QStringList, items);
    QFETCH(QList<FileFacts>, facts);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(QString, title);
    QFETCH(QByteArray, expected);
    const DocumentContent content = contentOf(items, facts, numbered, showExtensions, title);
    QCOMPARE(documentBytes(formatOf(format), content), expected);
    // Streamed into its file, the same bytes.
    const QString name = QStringLiteral("doc") + QLatin1StringView(formatOf(format).extension);
    const Result<QString> written = writeDocument(name, formatOf(format), content);
    QVERIFY2(written.ok(), qPrintable(written.error));
    QCOMPARE(readAll(written.value), expected);
}

namespace {

// The programs that read each document back, each printing what it read as
// JSON: a list of rows, each a list of texts.
// CSV: then the guard's one rule, a field that starts with a single quote
// loses exactly that one.
const char kCsvByPython[] = "import csv, json, sys\n"
                            "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                            "    rows = list(csv.reader(f, strict=True))\n"
                            "print(json.dumps([[x[1:] if x.startswith(\"'\") else x for x in row] for row in rows]))\n";
// Per object: number, name, name_base64's bytes in hex, size, modified as
// seconds since 1970; "-" for a key left out, "null" for null.
const char kJsonByPython[] =
    "import base64, datetime, json, sys\n"
    "rows = []\n"
    "for o in json.load(open(sys.argv[1], encoding='utf-8')):\n"
    "    assert set(o) <= {'number', 'name', 'name_base64', 'size', 'modified'}, o\n"
    "    def v(key, form=str):\n"
    "        return '-' if key not in o else 'null' if o[key] is None else form(o[key])\n"
    "    whole = lambda n: str(n) if type(n) is int else 'not a number'\n"
    "    rows.append([v('number', whole), v('name'), v('name_base64', lambda b: base64.b64decode(b, validate=True).hex()),\n"
    "                 v('size', whole), v('modified', lambda t: str(int(datetime.datetime.fromisoformat(t).timestamp())))])\n"
    "print(json.dumps(rows))\n";
// Markdown rendered by GitHub's renderer; the cells of its one table, with
// any markup the renderer made inside a cell written out as tags.
const char kMarkdownByCmark[] = "cmark-gfm -e table \"$1\" | python3 -c \"$0\"";
const char kTableCells[] =
    "import html.parser, json, sys\n"
    "class Cells(html.parser.HTMLParser):\n"
    "    rows, cell, tables = [], None, 0\n"
    "    def handle_starttag(self, tag, attrs):\n"
    "        self.tables += tag == 'table'\n"
    "        if tag == 'tr': self.rows.append([])\n"
    "        if tag in ('td', 'th'): self.cell = ''\n"
    "        elif self.cell is not None: self.cell += '<' + tag + '>'\n"
    "    def handle_endtag(self, tag):\n"
    "        if tag in ('td', 'th'): self.rows[-1].append(self.cell); self.cell = None\n"
    "        elif self.cell is not None: self.cell += '</' + tag + '>'\n"
    "    def handle_data(self, data):\n"
    "        if self.cell is not None: self.cell += data\n"
    "cells = Cells()\n"
    "cells.feed(sys.stdin.read())\n"
    "assert cells.tables == 1, cells.tables\n"
    "print(json.dumps(cells.rows))\n";

} // namespace

void TestDocuments::readBackByTools_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("command"); // the document's path is added
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("withFacts");
    const QStringList python{"python3", "-c"};
    QTest::newRow("csv by python: names only") << "csv" << python + QStringList{kCsvByPython} << false << false;
    QTest::newRow("csv by python: numbered, with facts") << "csv" << python + QStringList{kCsvByPython} << true << true;
    QTest::newRow("json by python: names only") << "json" << python + QStringList{kJsonByPython} << false << false;
    QTest::newRow("json by python: numbered, with facts") << "json" << python + QStringList{kJsonByPython} << true
                                                          << true;
    QTest::newRow("json by jq: numbered, with facts")
        << "json" << QStringList{"jq", "-c", "map([.number, .name, .size, .modified] | map(. // \"null\" | tostring))"}
        << true << true;
    const QStringList cmark{"bash", "-o", "pipefail", "-c", kMarkdownByCmark, kTableCells};
    QTest::newRow("markdown by cmark-gfm: names only") << "markdown" << cmark << false << false;
    QTest::newRow("markdown by cmark-gfm: numbered, with facts") << "markdown" << cmark << true << true;
}

void TestDocuments::readBackByTools()
{
    // A tool that reads the format reads the document back into exactly the
    // items, in list order, with their numbers and facts.
    QFETCH(QString, format);
    QFETCH(QStringList, command);
    QFETCH(bool, numbered);
    QFETCH(bool, withFacts);
    const QStringList items{"a,b", "say \"hi\"", "\"", ",", "cr\rinside", "lf\ninside", "crlf\r\ninside",
                            "=SUM(A1:A2)", "+1", "-1", "@x", "\tTab", "\rCR first", "'quoted", "'=quoted", "''", "'",
                            "\"'\"", " spaces ",
                            "semi;colon", "mid\ttab", QStringLiteral("Müller – 東京 😀.pdf"), "", "last,\"\r\n",
                            "caf\\xE9.txt", "back\\\\slash", "ctl\\x01\\n", "typed \\ alone", "\x01\x1f raw",
                            QStringLiteral("sep\u2028par\u2029"), "| pipe |", "a\\|b", "end\\", "**bold** _it_ `code`",
                            "[link](x) ![i](y) <b>tag</b> &amp; &#32; ~~del~~", "\t tabbed \t", "# not a heading",
                            "1. not a list", "- not a bullet", "---", "www.example.com http://x.y a@b.cd"};
    QList<FileFacts> facts;
    for (qsizetype i = 0; withFacts && i < items.size(); ++i)
        facts.append(i % 5 == 4 ? FileFacts{} : FileFacts{i * 1000, kSummer + i * 600 - (i % 2) * 15000000});
    const DocumentContent content = contentOf(items, facts, numbered, true);
    const Result<QString> written =
        writeDocument(QStringLiteral("list") + QLatin1StringView(formatOf(format).extension), formatOf(format), content);
    QVERIFY2(written.ok(), qPrintable(written.error));

    QProcess tool;
    tool.start(command.first(), command.mid(1) << written.value);
    QVERIFY2(tool.waitForStarted(10000), qPrintable(command.first() + " did not start (scripts/install-deps installs it)"));
    QVERIFY(tool.waitForFinished(30000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(tool.readAllStandardOutput()).array())
        rows.append(row.toVariant().toStringList());

    QList<QStringList> expected;
    const auto orNull = [](const QString &value) { return value.isEmpty() ? QStringLiteral("null") : value; };
    if (format == "csv" || format == "markdown") {
        QStringList header{"Name"};
        if (numbered)
            header.prepend("No.");
        if (withFacts)
            header << "Size (bytes)" << "Modified";
        expected.append(header);
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString &item = items.at(i);
        const QString number = numbered ? QString::number(i + 1) : QString();
        const FileFacts f = withFacts ? facts.at(i) : FileFacts{};
        if (format == "csv") {
            QStringList row{item}; // the guard's one rule applied
            if (numbered)
                row.prepend(number);
            if (withFacts)
                row << referenceSize(f) << referenceTime(f, true);
            expected.append(row);
        } else if (format == "markdown") {
            expected.append(QStringList{item} + (withFacts ? QStringList{referenceSize(f), referenceTime(f, false)}
                                                           : QStringList{}));
            if (numbered)
                expected.last().prepend(number);
        } else if (command.first() == "jq") {
            expected.append({orNull(number), item, orNull(referenceSize(f)),
                             f.modified == FileFacts::kUnknown ? "null" : referenceTimeWithOffset(f)});
        } else {
            const QByteArray bytes = nameBytes(item);
            const auto absent = [](bool on, const QString &value) { return on ? value : QStringLiteral("-"); };
            expected.append({absent(numbered, number), item, bytes == item.toUtf8() ? "-" : QString::fromLatin1(bytes.toHex()),
                             absent(withFacts, orNull(referenceSize(f))),
                             absent(withFacts, f.modified == FileFacts::kUnknown ? "null" : QString::number(f.modified))});
        }
    }
    QCOMPARE(rows, expected);
}

void TestDocuments::copiedText_data()
{
    QTest::addColumn<QList<qsizetype>>("rows"); // none: the whole list
    QTest::addColumn<QList<FileFacts>>("facts");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<QByteArray>("expected");
    const QList<FileFacts> off;
    QTest::newRow("whole list, LF only") << QList<qsizetype>{} << off << false << true
                                         << QByteArray("a.txt\nb.doc\nc\nd.x\ne\nf\ng\nh\ni\nj.md\nk.md\n");
    QTest::newRow("whole list numbered, no extensions")
        << QList<qsizetype>{} << off << true << false
        << QByteArray(" 1 a\n 2 b\n 3 c\n 4 d\n 5 e\n 6 f\n 7 g\n 8 h\n 9 i\n 10 j\n 11 k\n");
    QTest::newRow("rows keep their list numbers") << QList<qsizetype>{1, 9, 10} << off << true << true
                                                  << QByteArray(" 2 b.doc\n 10 j.md\n 11 k.md\n");
    QTest::newRow("number carries a digit") << QList<qsizetype>{0, 8, 9} << off << true << true
                                            << QByteArray(" 1 a.txt\n 9 i\n 10 j.md\n");
    QTest::newRow("rows without numbers") << QList<qsizetype>{3, 10} << off << false << false << QByteArray("d\nk\n");
    QTest::newRow("facts after tabs, for a spreadsheet")
        << QList<qsizetype>{0, 2} << QList<FileFacts>{{10, kWinter}, {}, {0, kSummer}} << true << true
        << QByteArray(" 1 a.txt\t10\t2025-12-08 14:17\n 3 c\t0\t2025-07-01 15:30\n");
}

void TestDocuments::copiedText()
{
    QFETCH(QList<qsizetype>, rows);
    QFETCH(QList<FileFacts>, facts);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(QByteArray, expected);
    const QStringList items{"a.txt", "b.doc", "c", "d.x", "e", "f", "g", "h", "i", "j.md", "k.md"};
    DocumentContent content = contentOf(items, facts, numbered, showExtensions);
    if (rows.isEmpty()) {
        QCOMPARE(corvane::copiedText(content), expected);
        // The same lines as the document, but for the line end.
        QCOMPARE(documentBytes(formatOf("txt"), content).replace("\r\n", "\n"), expected);
        for (qsizetype i = 0; i < items.size(); ++i)
            rows.append(i);
    }
    content.rows = std::span<const qsizetype>(rows.constData(), size_t(rows.size()));
    QCOMPARE(corvane::copiedText(content), expected);
}

void TestDocuments::printedColumns_data()
{
    QTest::addColumn<QList<FileFacts>>("facts");
    QTest::addColumn<QList<qsizetype>>("rows"); // none: the whole list
    QTest::addColumn<QList<QStringList>>("expected");
    const QStringList items{"a.txt", "b.doc", "c"};
    QTest::newRow("facts off: the items as listed") << QList<FileFacts>{} << QList<qsizetype>{}
                                                    << QList<QStringList>{items};
    const QList<FileFacts> facts{{1234, kWinter}, {}, {7, FileFacts::kUnknown}};
    QTest::newRow("facts on: sizes and times beside them")
        << facts << QList<qsizetype>{}
        << QList<QStringList>{items, {"1234", "", "7"}, {"2025-12-08 14:17", "", ""}};
    QTest::newRow("the rows given") << facts << QList<qsizetype>{0, 2}
                                    << QList<QStringList>{{"a.txt", "c"}, {"1234", "7"}, {"2025-12-08 14:17", ""}};
}

void TestDocuments::printedColumns()
{
    QFETCH(QList<FileFacts>, facts);
    QFETCH(QList<qsizetype>, rows);
    QFETCH(QList<QStringList>, expected);
    // Numbering and hidden extensions never reach the printer.
    DocumentContent content = contentOf({"a.txt", "b.doc", "c"}, facts, true, false);
    content.rows = std::span<const qsizetype>(rows.constData(), size_t(rows.size()));
    QCOMPARE(corvane::printedColumns(content), expected);
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

void TestDocuments::writeCutShortByFileSizeLimit_data()
{
    QTest::addColumn<bool>("streamed");
    QTest::newRow("bytes made first") << false;
    QTest::newRow("document streamed as it is made") << true;
}

void TestDocuments::writeCutShortByFileSizeLimit()
{
    // A write that fails part-way: a child process may only write 4 KiB per
    // file, and the document is 64 KiB or more. Root cannot get past this limit.
    QFETCH(bool, streamed);
    const QByteArray old("the old document\r\n");
    writeBytes(QStringLiteral("doc.txt"), old);
    const std::optional<QByteArray> report = runWithFileSizeLimit([streamed] {
        const QString name = QStringLiteral("doc.txt");
        const Result<QString> result =
            streamed ? writeDocument(name, formatOf("txt"),
                                     {.items = QStringList(8192, QStringLiteral("a long enough name.txt"))})
                     : writeFileAtomically(name, QByteArray(65536, 'n'));
        return result.ok() ? QByteArray("reported as written") : result.error.toUtf8();
    });
    QVERIFY(report); // the child finished its report
    // The writer reported the failure, with the system's reason.
    QVERIFY2(report->contains("File too large"), report->constData());
    QCOMPARE(readAll(QStringLiteral("doc.txt")), old);
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("doc.txt")});
}

void TestDocuments::writeInterrupted_data()
{
    // A write cancelled before its point of no return (the replacing), or
    // failing at its last steps as strace makes the system fail them.
    QTest::addColumn<QString>("inject"); // strace's fault for this process; empty: none
    QTest::addColumn<int>("cancelAt");   // the piece before which it is cancelled; -1 never; 9 while the data is synced
    QTest::addColumn<QString>("error");
    const QString eio = systemError(EIO);
    QTest::newRow("cancelled before the first piece") << QString() << 0 << QString();
    QTest::newRow("cancelled midway") << QString() << 2 << QString();
    QTest::newRow("cancelled while the data is synced") << "fdatasync:delay_enter=500000" << 9 << QString();
    QTest::newRow("the sync fails") << "fdatasync:error=EIO" << -1 << eio;
    QTest::newRow("the rename fails") << "rename,renameat,renameat2:error=EIO" << -1 << eio;
}

void TestDocuments::writeInterrupted()
{
    QFETCH(QString, inject);
    QFETCH(int, cancelAt);
    QFETCH(QString, error);
    const QByteArray old("the old document\r\n");
    writeBytes(QStringLiteral("doc.txt"), old);
    std::unique_ptr<InjectedFault> fault;
    if (!inject.isEmpty()) {
        fault = std::make_unique<InjectedFault>(QStringList{
            QStringLiteral("-e"), u"trace=" + inject.section(u':', 0, 0), QStringLiteral("-e"), u"inject=" + inject});
        if (!fault->isActive())
            SKIP_WITHOUT_INJECTION(fault->why());
    }
    constexpr int kPieces = 4;
    const QByteArray piece(64 * 1024, 'n');
    ReadProgress progress;
    std::thread canceller;
    if (cancelAt == 9) {
        // Once every byte is written the writer syncs them: cancelled then.
        canceller = std::thread([&] {
            const QDeadlineTimer deadline(30000);
            while (progress.names.load() < kPieces * piece.size() && !deadline.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            QVERIFY(progress.cancel());
        });
    }
    const Result<QString> written = writeFileAtomically(
        QString(), QStringLiteral("doc.txt"),
        [&](const ByteSink &write) {
            for (int i = 0; i < kPieces; ++i) {
                if (i == cancelAt)
                    QVERIFY(progress.cancel());
                if (!write(piece))
                    return;
            }
        },
        &progress);
    if (canceller.joinable())
        canceller.join();
    fault.reset();
    QCOMPARE(written.error, error);
    // Nothing replaced, nothing left behind.
    QCOMPARE(readAll(QStringLiteral("doc.txt")), old);
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("doc.txt")});
}

QTEST_APPLESS_MAIN(TestDocuments)
#include "tst_documents.moc"
