#include "listing/foldertree.h"
#include "app/form1.h"
#include "listing/filenames.h"
#include "platform/qtservices.h"
#include "support/hostilefolder.h"
#include "support/files.h"
#include "support/scripted.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStringDecoder>
#include <QTest>

#include <cerrno>
#include <clocale>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The hostile folder through the real window: what is listed, in what order,
// and how each name comes out in the list, the text document and the page.
// CTest runs this under C.UTF-8, en_US.UTF-8 and tr_TR.UTF-8; every expected
// value is written out here, so three passes prove the three locales agree.

using namespace corvane;
using namespace corvane::test;

namespace {

const QString longAscii = QStringLiteral("l-") + QString(249, u'x') + QStringLiteral(".txt");
const QString longCjk = QStringLiteral("m-") + QString(83, QChar(0x6771)) + QStringLiteral(".txt");

// The items of the hostile folder, in the list's order (case ignored, ties by
// the exact text). Bytes that are not UTF-8 and control characters appear as
// escapes, and a backslash doubled, so a name that holds the text of an escape
// is told apart from the name with those bytes; of each group of names equal
// ignoring case, the first in that order.
const QStringList expectedItems{
    QStringLiteral("  lead.txt"),
    QStringLiteral("$(touch pwned).txt"),
    QStringLiteral("&amp;.txt"),
    QStringLiteral("'=quoted.txt"),
    QStringLiteral("'apostrophe.txt"),
    QStringLiteral("+plus.txt"),
    QStringLiteral("--help"),
    QStringLiteral("-rf.txt"),
    QStringLiteral(". a"),
    QStringLiteral("..."),
    QStringLiteral(".profile"),
    QStringLiteral("<!--.txt"),
    QStringLiteral("<img src=x onerror=alert(2)>.txt"),
    QStringLiteral("<plaintext>.txt"),
    QStringLiteral("<svg onload=alert(1)>.txt"),
    QStringLiteral("=quoted.txt"),
    QStringLiteral("@at.txt"),
    QStringLiteral("\\nlead.txt"),
    QStringLiteral("`id`.txt"),
    QStringLiteral("archive."),
    QStringLiteral("c-cr-a\\rb.txt"),
    QStringLiteral("c-csi-\\xC2\\x9B2J.txt"),
    QStringLiteral("c-del-\\x7F.txt"),
    QStringLiteral("c-esc-\\x1B[31mred\\x1B[0m.txt"),
    QStringLiteral("c-lf-a\\nb.txt"),
    QStringLiteral("c-ls-a\\xE2\\x80\\xA8b.txt"),
    QStringLiteral("c-nel-\\xC2\\x85.txt"),
    QStringLiteral("c-tab-a\\tb.txt"),
    QStringLiteral("comma,a.txt"),
    QStringLiteral("dup\\\\xFF.txt"), // the name holds a backslash
    QStringLiteral("dup\\xFF.txt"),     // the name holds byte 0xFF
    QStringLiteral("h-quotes-\"'.txt"),
    QStringLiteral("hard.txt"),
    QStringLiteral("http:evil.htm"),
    QStringLiteral("javascript:x"),
    QStringLiteral("kelvin-k.txt"), // kelvin-\u212A.txt folds to the same text
    longAscii,
    QStringLiteral("link-file.txt"),
    longCjk,
    QStringLiteral("nl\\\\n.txt"), // a backslash and "n"
    QStringLiteral("nl\\n.txt"),     // a line feed
    QStringLiteral("plain.txt"),
    QStringLiteral("q.[ab]"),
    QStringLiteral("q.a"),
    QStringLiteral("q.b"),
    QStringLiteral("README.TXT"), // readme.txt is the same ignoring case
    QStringLiteral("s-a&b.txt"),
    QStringLiteral("s-a;b.txt"),
    QStringLiteral("s-a|b.txt"),
    QStringLiteral("sigma-\u03A3.txt"), // the two small sigmas fold to it
    QStringLiteral("STRASSE.txt"),
    QStringLiteral("Stra\u00DFe.txt"), // simple folding keeps sharp s: not a twin
    QStringLiteral("trail.txt  "),
    QStringLiteral("turk-I.txt"), // turk-i.txt is its twin
    QStringLiteral("turk-\u0130.txt"), // dotted capital I: no simple folding
    QStringLiteral("turk-\u0131.txt"), // dotless small i: none either
    QStringLiteral("u-c1-\\x9B.txt"),
    QStringLiteral("u-ff-\\xFF.txt"),
    QStringLiteral("u-latin1-caf\\xE9.txt"),
    QStringLiteral("u-overlong-\\xC0\\xAF.txt"),
    QStringLiteral("u-surrogate-\\xED\\xA0\\x80.txt"),
    QStringLiteral("u-trunc-\\xE6\\x9D.txt"),
    QStringLiteral("v-cjk-\u6771\u4EAC.txt"),
    QStringLiteral("v-comb-a\u0308\u0323.txt"),
    QStringLiteral("v-emoji-\U0001F468\u200D\U0001F469\u200D\U0001F467.txt"),
    QStringLiteral("v-nbsp-a\u00A0b.txt"),
    QStringLiteral("v-nfc-caf\u00E9.txt"),
    QStringLiteral("v-nfd-cafe\u0301.txt"),
    QStringLiteral("v-rlo-\u202Etxt.exe"),
    QStringLiteral("v-zwsp-a\u200Bb.txt"),
    QStringLiteral("w-[ab].txt"),
    QStringLiteral("w-a.txt"),
    QStringLiteral("w-b.txt"),
    QStringLiteral("w-star*.txt"),
    QStringLiteral("w-what?.txt"),
};

// File1 holds the twins too, each right after the name it sorts behind.
QStringList expectedFileBox()
{
    QStringList names = expectedItems;
    auto after = [&](const QString &item, const QStringList &twins) {
        const qsizetype at = names.indexOf(item);
        QVERIFY2(at >= 0, qPrintable(item));
        for (qsizetype k = 0; k < twins.size(); ++k)
            names.insert(at + 1 + k, twins.at(k));
    };
    after(QStringLiteral("kelvin-k.txt"), {QStringLiteral("kelvin-\u212A.txt")});
    after(QStringLiteral("README.TXT"), {QStringLiteral("readme.txt")});
    after(QStringLiteral("sigma-\u03A3.txt"), {QStringLiteral("sigma-\u03C2.txt"), QStringLiteral("sigma-\u03C3.txt")});
    after(QStringLiteral("turk-I.txt"), {QStringLiteral("turk-i.txt")});
    return names;
}

bool hasLineBreak(const QString &text)
{
    for (const QChar c : text)
        if (c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c.unicode() == 0x85
            || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    return false;
}

// The web page through python3's HTML parser: one text per event, start tags
// as "<tag>" (attributes, if any, as JSON), end tags as "</tag>", character
// data (references resolved) as "text:" and the data, anything else by kind.
// The page must start with the UTF-8 byte-order mark, which a browser takes as
// the page's encoding and drops, and be UTF-8 after it: python decodes it
// strictly.
const char parsePage[] = R"PY(
import json, sys
from html.parser import HTMLParser

class Events(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.out = []
    def add(self, text):
        if text.startswith('text:') and self.out and self.out[-1].startswith('text:'):
            self.out[-1] += text[5:]
        else:
            self.out.append(text)
    def handle_starttag(self, tag, attrs):
        self.add('<' + tag + (' ' + json.dumps(attrs) if attrs else '') + '>')
    def handle_startendtag(self, tag, attrs):
        self.add('startend:' + tag + json.dumps(attrs))
    def handle_endtag(self, tag):
        self.add('</' + tag + '>')
    def handle_data(self, data):
        self.add('text:' + data)
    def handle_comment(self, data):
        self.add('comment:' + data)
    def handle_decl(self, data):
        self.add('decl:' + data)
    def handle_pi(self, data):
        self.add('pi:' + data)
    def unknown_decl(self, data):
        self.add('unknown:' + data)

raw = open(sys.argv[1], 'rb').read()
if not raw.startswith(b'\xef\xbb\xbf'):
    sys.exit('no UTF-8 byte-order mark')
page = raw[3:].decode('utf-8')
parser = Events()
parser.feed(page)
parser.close()
print(json.dumps(parser.out))
)PY";

QStringList pageEvents(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(parsePage), path});
    if (!python.waitForStarted(10000))
        return {QStringLiteral("python3 did not start (scripts/install-deps installs it): ") + python.errorString()};
    if (!python.waitForFinished(30000)) {
        python.kill();
        return {QStringLiteral("python3 did not finish")};
    }
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return {QStringLiteral("python3 failed: ") + QString::fromUtf8(python.readAllStandardError())};
    QStringList events;
    for (const QJsonValue &v : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        events.append(v.toString());
    return events;
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyFileOnceNothingElse();
    void oneLineInTheList();
    void oneLineInTheTextDocument();
    void pageParsesToItsElements();
    void csvAndCopyGiveTheNamesBack();
    void wordFilter_data();
    void wordFilter();
    void fileTypes_data();
    void fileTypes();
    void oddFolderNames_data();
    void oddFolderNames();

private:
    QString names() const { return m_dir->filePath(QStringLiteral("names")); }
    QString out() const { return m_dir->filePath(QStringLiteral("out")); }

    std::unique_ptr<test::WorkFolder> m_dir;
    std::unique_ptr<Window> m_window;
};

void TestHostile::initTestCase()
{
    // The locale CTest asked for must really be in force, or the three runs
    // would prove nothing.
    const QByteArray wanted = qgetenv("LC_ALL");
    const char *inForce = std::setlocale(LC_CTYPE, nullptr);
    QVERIFY2(!wanted.isEmpty(), "LC_ALL is not set");
    QVERIFY2(inForce && QByteArray(inForce) == wanted,
             qPrintable(QStringLiteral("locale %1 is not installed (scripts/install-deps generates it); in force: %2")
                            .arg(QString::fromLatin1(wanted), QString::fromLatin1(inForce ? inForce : "none"))));
}

void TestHostile::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkdir(names()));
    QVERIFY(QDir().mkdir(out()));
    const QString error = makeHostileFolder(names());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QDir::setCurrent(names()));
    m_window = std::make_unique<Window>();
}

void TestHostile::cleanup()
{
    m_window.reset();
    if (m_dir) {
        // Nothing ever opened the FIFO, and it is still a FIFO.
        const QString fifo = names() + QStringLiteral("/fifo.txt");
        struct stat st;
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        QVERIFY(fifoHasNoReader(fifo));
    }
    if (m_dir)
        QVERIFY(removeTree(m_dir->path()));
    m_dir.reset();
}

void TestHostile::everyFileOnceNothingElse()
{
    Form1 &f = *m_window->form;
    QCOMPARE(f.File1->names(), expectedFileBox());
    QCOMPARE(m_window->texts(), expectedItems);
    QCOMPARE(f.List1->toolTip(), QStringLiteral(" Files :  %1 ").arg(expectedItems.size()));
    QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));

    // A second refresh over the same list adds nothing.
    f.Check1->setChecked(false);
    f.RefreshList();
    QCOMPARE(m_window->texts(), expectedItems);
}

void TestHostile::oneLineInTheList()
{
    const ItemList &items = m_window->items();
    QCOMPARE(items.rowCount(), int(expectedItems.size()));
    for (int row = 0; row < items.rowCount(); ++row) {
        const QString shown = items.data(items.index(row), Qt::DisplayRole).toString();
        QCOMPARE(shown, expectedItems.at(row));
        QVERIFY2(!hasLineBreak(shown), qPrintable(shown));
    }
}

void TestHostile::oneLineInTheTextDocument()
{
    m_window->dialogs().answers = {out() + QStringLiteral("/list")};
    m_window->form->CreateTXT_Click();
    QCOMPARE(m_window->dialogs().messages.size(), 1);
    QCOMPARE(m_window->dialogs().messages[0].title, QStringLiteral("TXT Document"));

    const QByteArray bytes = readAll(out() + QStringLiteral("/list.txt"));
    QCOMPARE(bytes.count("\r\n"), expectedItems.size());
    QCOMPARE(bytes.count('\r'), expectedItems.size());
    QCOMPARE(bytes.count('\n'), expectedItems.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    QVERIFY(!utf8.hasError());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines, expectedItems);
}

void TestHostile::pageParsesToItsElements()
{
    const QString title = QStringLiteral("<b>Tom & \"Jerry\"</b> <!-- x");
    m_window->dialogs().answers = {out() + QStringLiteral("/page"), title};
    m_window->form->CreateHTM_Click();
    QCOMPARE(m_window->dialogs().messages.size(), 1);
    QCOMPARE(m_window->dialogs().messages[0].title, QStringLiteral("WEB Page"));
    const QString page = out() + QStringLiteral("/page.htm");

    const QByteArray bytes = readAll(page);
    QCOMPARE(bytes.count("\r\n"), expectedItems.size() + 6);
    QCOMPARE(bytes.count('\n'), expectedItems.size() + 6);

    const QString crlf = QStringLiteral("\r\n");
    QStringList expected{QStringLiteral("<html>"),  QStringLiteral("text:") + crlf, QStringLiteral("<title>"),
                         QStringLiteral("text:") + title, QStringLiteral("</title>"), QStringLiteral("text:") + crlf,
                         QStringLiteral("<head>"),  QStringLiteral("text:") + crlf, QStringLiteral("</head>"),
                         QStringLiteral("text:") + crlf, QStringLiteral("<h2>"), QStringLiteral("text:") + title,
                         QStringLiteral("</h2>")};
    for (const QString &item : expectedItems)
        expected << QStringLiteral("text:") + crlf + item << QStringLiteral("<br>");
    expected << QStringLiteral("text:") + crlf << QStringLiteral("</html>") << QStringLiteral("text:") + crlf;
    QCOMPARE(pageEvents(page), expected);
    QCOMPARE(m_window->scripted.shell->opened, QStringList{page});
}

void TestHostile::csvAndCopyGiveTheNamesBack()
{
    // The CSV read by Python's csv module and the guard's one rule, and the
    // copy split into its lines: exactly the items, and each item's bytes
    // (nameBytes undoes the escapes) name its file.
    m_window->dialogs().answers = {out() + QStringLiteral("/table")};
    m_window->form->findChild<QAction *>(QStringLiteral("CreateCSV"))->trigger();
    QCOMPARE(m_window->dialogs().messages.size(), 1);
    QCOMPARE(m_window->dialogs().messages[0].title, QStringLiteral("CSV Document"));
    QList<QStringList> rows = csvReadBack(out() + QStringLiteral("/table.csv"));
    QCOMPARE(rows.takeFirst(), QStringList{QStringLiteral("Name")});
    QStringList read;
    for (const QStringList &row : std::as_const(rows))
        read.append(row.value(0));
    QCOMPARE(read, expectedItems);

    m_window->form->copyToClipboard();
    const QByteArray copied =
        QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain;charset=utf-8"));
    QStringList lines = QString::fromUtf8(copied).split(u'\n');
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines, expectedItems);

    for (const QString &item : expectedItems) {
        struct stat st;
        const QByteArray path = QFile::encodeName(names()) + '/' + nameBytes(item);
        QVERIFY2(::lstat(path.constData(), &st) == 0, qPrintable(item));
    }
}

void TestHostile::wordFilter_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("listOnly");
    // Wildcard characters are plain characters in the word.
    QTest::newRow("star") << "*" << QStringList{"w-star*.txt"};
    QTest::newRow("question mark") << "?" << QStringList{"w-what?.txt"};
    QTest::newRow("brackets") << "[AB]" << QStringList{"q.[ab]", "w-[ab].txt"};
    QTest::newRow("escape text") << "\\x1b[" << QStringList{"c-esc-\\x1B[31mred\\x1B[0m.txt"};
    QTest::newRow("markup") << "<!--" << QStringList{"<!--.txt"};
    QTest::newRow("shell") << "$(" << QStringList{"$(touch pwned).txt"};
    // One case rule, whatever the locale.
    QTest::newRow("ascii I") << "TURK-I" << QStringList{"turk-I.txt"};
    QTest::newRow("ascii i") << "turk-i" << QStringList{"turk-I.txt"};
    QTest::newRow("dotted I") << QStringLiteral("TURK-\u0130") << QStringList{QStringLiteral("turk-\u0130.txt")};
    QTest::newRow("dotless i") << QStringLiteral("TURK-\u0131") << QStringList{QStringLiteral("turk-\u0131.txt")};
    QTest::newRow("kelvin sign") << QStringLiteral("KELVIN-\u212A") << QStringList{"kelvin-k.txt"};
    QTest::newRow("final sigma") << QStringLiteral("SIGMA-\u03C2") << QStringList{QStringLiteral("sigma-\u03A3.txt")};
    QTest::newRow("sharp s") << QStringLiteral("STRASSE") << QStringList{"STRASSE.txt"};
    QTest::newRow("capital sharp s") << QStringLiteral("STRA\u1E9E") << QStringList{QStringLiteral("Stra\u00DFe.txt")};
    QTest::newRow("nfd is not nfc") << QStringLiteral("cafe\u0301") << QStringList{QStringLiteral("v-nfd-cafe\u0301.txt")};
}

void TestHostile::wordFilter()
{
    QFETCH(QString, word);
    QFETCH(QStringList, listOnly);
    Form1 &f = *m_window->form;
    m_window->dialogs().answers = {word};
    f.SelectWord_Click();
    f.ListOnly_Click();
    QCOMPARE(m_window->texts(), listOnly);

    f.Exclude_Click();
    QStringList rest = expectedItems;
    for (const QString &item : listOnly)
        QVERIFY(rest.removeOne(item));
    QCOMPARE(m_window->texts(), rest);
}

void TestHostile::fileTypes_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("listed");
    // A typed piece keeps its wildcard characters; the names' own are plain.
    QTest::newRow("brackets") << "[ab]" << QStringList{"q.[ab]"};
    QTest::newRow("brackets and b") << "[AB] b" << QStringList{"q.[ab]", "q.b"};
    QTest::newRow("question mark") << "?" << QStringList{"...", "q.a", "q.b"};
    QTest::newRow("address-like") << "HTM" << QStringList{"http:evil.htm"};
    QTest::newRow("extension with a star") << "exe" << QStringList{QStringLiteral("v-rlo-\u202Etxt.exe")};
    QTest::newRow("no extension") << "  " << expectedItems; // trimmed: no filter
    // "*." takes the names without a dot and those ending in one.
    QTest::newRow("names without a dot") << "x  y" << QStringList{"--help", "...", "archive.", "javascript:x"};
}

void TestHostile::fileTypes()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, listed);
    m_window->dialogs().answers = {answer};
    m_window->form->FileType_Click();
    QCOMPARE(m_window->texts(), listed);
}

void TestHostile::oddFolderNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("byte 0xFF") << QByteArray("d-\xFF") << QStringLiteral("d-\\xFF");
    QTest::newRow("U+0001") << QByteArray("d-\x01") << QStringLiteral("d-\\x01");
    QTest::newRow("line feed") << QByteArray("d-a\nb") << QStringLiteral("d-a\\nb");
    // The text of the first row's escape, spelled: a folder of its own.
    QTest::newRow("backslash") << QByteArray("d-\\xFF") << QStringLiteral("d-\\\\xFF");
}

void TestHostile::oddFolderNames()
{
    // The program starts in a folder with an odd name: it is the working
    // folder, the drive's remembered folder and a folder of the tree.
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    const QByteArray odd = QFile::encodeName(m_dir->path()) + '/' + name;
    QCOMPARE(::mkdir(odd.constData(), 0755), 0);
    for (const char *file : {"/inside.txt", "/also.md"})
        QVERIFY(::close(::open(QByteArray(odd + file).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) == 0);
    QCOMPARE(::chdir(odd.constData()), 0);
    Window w([](ScriptedServices &s) {
        s.services.drives = std::make_unique<QtDrives>();
        s.drives = nullptr;
    });
    Form1 &f = *w.form;
    const QStringList listed{"also.md", "inside.txt"};
    QCOMPARE(pathToBytes(f.File1->path()), odd);
    QCOMPARE(w.texts(), listed);

    // Shown with the escapes of file names, to the eye and to a screen reader.
    auto *tree = qobject_cast<FolderTreeModel *>(f.Dir1->model());
    const QModelIndex folder = tree->indexForPath(f.Dir1->path());
    QCOMPARE(pathToBytes(tree->pathOf(folder)), odd);
    QCOMPARE(folder.data(Qt::DisplayRole).toString(), shown);
    QCOMPARE(folder.data(Qt::AccessibleTextRole).toString(), shown);
    QCOMPARE(folder.data(Qt::ToolTipRole).toString(), displayPath(m_dir->path()) + u'/' + shown);

    // Opened from the tree by the user, after browsing away.
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.Dir1->setPath(m_dir->path());
    QVERIFY(w.texts().isEmpty());
    const QModelIndex again = tree->indexForPath(f.Dir1->path() + u'/' + pathFromBytes(name));
    f.Dir1->scrollTo(again);
    QTRY_VERIFY(f.Dir1->visualRect(again).isValid());
    // A click chooses the folder, activating it (a double click) opens it.
    QTest::mouseClick(f.Dir1->viewport(), Qt::LeftButton, {}, f.Dir1->visualRect(again).center());
    QTest::mouseDClick(f.Dir1->viewport(), Qt::LeftButton, {}, f.Dir1->visualRect(again).center());
    QCOMPARE(pathToBytes(f.Dir1->path()), odd);
    QCOMPARE(w.texts(), listed);

    // Picking the drive again brings back its remembered folder.
    f.Dir1->setPath(m_dir->path());
    f.Drive1_Change();
    QCOMPARE(pathToBytes(f.Dir1->path()), odd);
    QCOMPARE(w.texts(), listed);

    // A document named without a folder lands in the working folder.
    w.dialogs().answers = {QStringLiteral("list")};
    f.CreateTXT_Click();
    struct stat st;
    QCOMPARE(::stat(QByteArray(odd + "/list.txt").constData(), &st), 0);
    QCOMPARE(w.dialogs().messages.size(), 1);
    QVERIFY2(w.dialogs().messages.first().text.endsWith(u'/' + shown), qPrintable(w.dialogs().messages.first().text));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
