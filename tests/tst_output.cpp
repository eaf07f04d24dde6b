#include "app/form1.h"
#include "listing/filenames.h"
#include "output/atomicwriter.h"
#include "output/documents.h"
#include "platform/qtservices.h"
#include "support/files.h"
#include "support/scripted.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QScopeGuard>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QString namePrompt = QStringLiteral("Insert file name.\rThe extension will be automatically added.");
// What the web page starts with: the UTF-8 byte-order mark.
const QByteArray utf8Mark("\xEF\xBB\xBF");

// The window's command of the document format of that name.
QAction *documentCommand(Form1 &f, const QString &format)
{
    return f.documentCommands().value(findDocumentFormat(format) - documentFormats().data());
}

// Remembers how many boxes had been shown when the page was handed over.
class OrderedShell : public RecordingShell
{
public:
    explicit OrderedShell(ScriptedDialogs *dialogs) : m_dialogs(dialogs) {}
    QList<qsizetype> messagesBefore;
    Result<> openDocument(const QString &absolutePath) override
    {
        messagesBefore.append(m_dialogs->messages.size());
        return RecordingShell::openDocument(absolutePath);
    }

private:
    ScriptedDialogs *m_dialogs;
};

// Receives what QDesktopServices hands to the "file" scheme.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createTxtWorkedExamples_data();
    void createTxtWorkedExamples();
    void createTxtNames_data();
    void createTxtNames();
    void emptyNameAborts_data();
    void emptyNameAborts();
    void failureShowsSystemDescription_data();
    void failureShowsSystemDescription();
    void createHtmDefaults();
    void createHtmTitleAndNumbering();
    void createHtmOpensExactlyThePage_data();
    void createHtmOpensExactlyThePage();
    void createHtmOpenFailureKeepsPage();
    void copyKeys_data();
    void copyKeys();
    void printListsItemsUnchanged();
    void printFailureIsReported();
    void qtShellHandsOverAFileUrl_data();
    void qtShellHandsOverAFileUrl();

private:
    std::unique_ptr<Window> windowWith(const QStringList &files);

    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestOutput::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestOutput::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<Window> TestOutput::windowWith(const QStringList &files)
{
    makeFiles(m_dir->path(), files);
    return std::make_unique<Window>();
}

void TestOutput::createTxtWorkedExamples_data()
{
    QTest::addColumn<QString>("format"); // txt or csv, written the same way
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<bool>("facts");
    QTest::addColumn<QByteArray>("expected");
    const QString text = "txt", csv = "csv";
    QTest::newRow("as listed") << text << false << true << false << QByteArray("a.txt\r\nb.doc\r\n");
    QTest::newRow("numbered") << text << true << true << false << QByteArray(" 1 a.txt\r\n 2 b.doc\r\n");
    // Items listed with extensions before the switch still lose them.
    QTest::newRow("extensions off") << text << false << false << false << QByteArray("a\r\nb\r\n");
    QTest::newRow("numbered, extensions off") << text << true << false << false << QByteArray(" 1 a\r\n 2 b\r\n");
    QTest::newRow("sizes and dates") << text << false << true << true
                                     << QByteArray("a.txt\t3\t2023-11-14 22:13\r\nb.doc\t0\t2023-11-14 22:13\r\n");
    QTest::newRow("csv") << csv << true << false << false
                         << QByteArray("\xEF\xBB\xBFNo.,Name\r\n1,a\r\n2,b\r\n");
    QTest::newRow("csv, sizes and dates")
        << csv << false << true << true
        << QByteArray("\xEF\xBB\xBFName,Size (bytes),Modified\r\na.txt,3,2023-11-14T22:13:20\r\n"
                      "b.doc,0,2023-11-14T22:13:20\r\n");
}

void TestOutput::createTxtWorkedExamples()
{
    QFETCH(QString, format);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(bool, facts);
    QFETCH(QByteArray, expected);
    makeFiles(m_dir->path(), {"b.doc"});
    writeBytes(m_dir->filePath(QStringLiteral("a.txt")), "abc");
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}}; // 2023-11-14 22:13:20 UTC
    for (const char *file : {"a.txt", "b.doc"})
        QCOMPARE(::utimensat(AT_FDCWD, file, times, 0), 0);
    qputenv("TZ", "UTC");
    const auto localTime = qScopeGuard([] { qunsetenv("TZ"); });
    Window w;
    Form1 &f = *w.form;
    if (facts)
        f.SizesAndDates->trigger(); // the folder read again with them
    change(f, [&](WindowState &s) {
        s.enumerate = numbered;
        s.ShowExtensions = showExtensions;
    });
    f.items().setMarked(1, true); // marks play no part
    w.dialogs().answers = {QStringLiteral("corvane")};
    const bool csv = format == "csv";
    documentCommand(f, format)->trigger();

    QCOMPARE(w.dialogs().inputs.size(), 1);
    QCOMPARE(w.dialogs().inputs[0].prompt, namePrompt);
    QCOMPARE(w.dialogs().inputs[0].title, csv ? QStringLiteral("Make CSV document") : QStringLiteral("Make TXT document"));
    QCOMPARE(w.dialogs().inputs[0].defaultText, QStringLiteral("corvane"));
    const QString file = csv ? QStringLiteral("corvane.csv") : QStringLiteral("corvane.txt");
    QCOMPARE(readAll(file), expected);
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages[0].text, "File : " + file + " saved in folder :\r\r" + m_dir->path());
    QCOMPARE(w.dialogs().messages[0].title, csv ? QStringLiteral("CSV Document") : QStringLiteral("TXT Document"));
    QCOMPARE(w.dialogs().messages[0].icon, MessageIcon::Information);
    QVERIFY(w.scripted.shell->opened.isEmpty());
}

void TestOutput::createTxtNames_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("file");   // as named in the confirmation
    QTest::addColumn<QString>("folder"); // relative to the working folder
    QTest::newRow("spaces trimmed") << "  my list  " << "my list.txt" << "";
    QTest::newRow("extension always added") << "list.txt" << "list.txt.txt" << "";
    QTest::newRow("tabs are not trimmed") << "\tx" << "\tx.txt" << "";
    QTest::newRow("folder part") << "sub/list" << "sub/list.txt" << "sub";
}

void TestOutput::createTxtNames()
{
    QFETCH(QString, answer);
    QFETCH(QString, file);
    QFETCH(QString, folder);
    auto w = windowWith({"a.txt", "sub/inner.txt"});
    // Written twice: the second document replaces the first without a question.
    w->dialogs().answers = {answer, answer};
    w->form->CreateTXT_Click();
    w->items().addItem(QStringLiteral("b.txt"));
    w->form->CreateTXT_Click();
    QCOMPARE(readAll(file), QByteArray("a.txt\r\nb.txt\r\n"));
    QCOMPARE(w->dialogs().messages.size(), 2);
    const QString where = folder.isEmpty() ? m_dir->path() : m_dir->filePath(folder);
    QCOMPARE(w->dialogs().messages[1].text, "File : " + file + " saved in folder :\r\r" + where);
}

void TestOutput::emptyNameAborts_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("answers");
    for (const DocumentFormat &format : documentFormats()) {
        QTest::addRow("%s, cancel", format.name) << format.name << QStringList{};
        QTest::addRow("%s, empty", format.name) << format.name << QStringList{""};
        QTest::addRow("%s, spaces", format.name) << format.name << QStringList{"   "};
    }
}

void TestOutput::emptyNameAborts()
{
    QFETCH(QString, format);
    QFETCH(QStringList, answers);
    auto w = windowWith({"a.txt"});
    const QStringList before = entries(m_dir->path());
    w->dialogs().answers = answers;
    documentCommand(*w->form, format)->trigger();
    QCOMPARE(w->dialogs().inputs.size(), 1); // the title is never asked for
    verifyWarning(w->dialogs().messages, QStringLiteral("Operation aborted"), MessageIcon::Exclamation);
    QCOMPARE(entries(m_dir->path()), before);
    QVERIFY(w->scripted.shell->opened.isEmpty());
}

void TestOutput::failureShowsSystemDescription_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("description");
    // The writer's own failures are covered above; here, that each command
    // reports them and stops.
    for (const DocumentFormat &format : documentFormats()) {
        QTest::addRow("%s, missing folder", format.name) << format.name << "nowhere/doc" << "No such file or directory";
        QTest::addRow("%s, a folder", format.name) << format.name << "taken" << "Is a directory";
    }
}

void TestOutput::failureShowsSystemDescription()
{
    QFETCH(QString, format);
    QFETCH(QString, answer);
    QFETCH(QString, description);
    auto w = windowWith({"a.txt"});
    QVERIFY(QDir().mkdir(QStringLiteral("taken") + QLatin1StringView(findDocumentFormat(format)->extension)));
    const QStringList before = entries(m_dir->path());
    w->dialogs().answers = {answer, QStringLiteral("Title")};
    documentCommand(*w->form, format)->trigger();
    verifyWarning(w->dialogs().messages, description, MessageIcon::Critical, true); // no confirmation
    QCOMPARE(entries(m_dir->path()), before);
    QCOMPARE(readAll(QStringLiteral("a.txt")), QByteArray());
    QVERIFY(w->scripted.shell->opened.isEmpty());
}

void TestOutput::createHtmDefaults()
{
    makeFiles(m_dir->path(), {"alpha.txt", "beta.doc"});
    OrderedShell *shell = nullptr;
    Window w([&](ScriptedServices &s) {
        auto ordered = std::make_unique<OrderedShell>(s.dialogs);
        shell = ordered.get();
        s.services.shell = std::move(ordered);
    });
    w.dialogs().answers = {QStringLiteral("corvane"), QStringLiteral("Corvane")};
    w.form->CreateHTM_Click();

    QCOMPARE(w.dialogs().inputs.size(), 2);
    QCOMPARE(w.dialogs().inputs[0].prompt, namePrompt);
    QCOMPARE(w.dialogs().inputs[0].title, QStringLiteral("Make WEB page"));
    QCOMPARE(w.dialogs().inputs[0].defaultText, QStringLiteral("corvane"));
    QCOMPARE(w.dialogs().inputs[1].prompt, QStringLiteral("Insert title."));
    QCOMPARE(w.dialogs().inputs[1].title, QStringLiteral("Page title"));
    QCOMPARE(w.dialogs().inputs[1].defaultText, QStringLiteral("Corvane"));
    QCOMPARE(readAll(QStringLiteral("corvane.htm")),
             utf8Mark + QByteArray("<html>\r\n<title>Corvane</title>\r\n<head>\r\n</head>\r\n<h2>Corvane</h2>\r\n"
                        "alpha.txt<br>\r\nbeta.doc<br>\r\n</html>\r\n"));
    QCOMPARE(w.dialogs().messages.size(), 1);
    QCOMPARE(w.dialogs().messages[0].text, QStringLiteral("File :corvane.htm saved in folder :\r\r") + m_dir->path());
    QCOMPARE(w.dialogs().messages[0].title, QStringLiteral("WEB Page"));
    QCOMPARE(w.dialogs().messages[0].icon, MessageIcon::Information);
    // Opened once, after the confirmation, by its absolute path.
    QCOMPARE(shell->opened, QStringList{m_dir->filePath(QStringLiteral("corvane.htm"))});
    QCOMPARE(shell->messagesBefore, QList<qsizetype>{1});
}

void TestOutput::createHtmTitleAndNumbering()
{
    auto w = windowWith({"alpha.txt", "beta.doc"});
    change(*w->form, [](WindowState &s) {
        s.enumerate = true;
        s.ShowExtensions = false;
    });
    w->dialogs().answers = {QStringLiteral("index.htm")}; // the title box is cancelled
    w->form->CreateHTM_Click();
    QCOMPARE(readAll(QStringLiteral("index.htm.htm")),
             utf8Mark + QByteArray("<html>\r\n<title></title>\r\n<head>\r\n</head>\r\n<h2></h2>\r\n"
                        " 1 alpha<br>\r\n 2 beta<br>\r\n</html>\r\n"));
    w->items().clear();
    w->dialogs().answers = {QStringLiteral("empty"), QStringLiteral("  A & B  ")};
    w->form->CreateHTM_Click();
    QCOMPARE(readAll(QStringLiteral("empty.htm")),
             utf8Mark + QByteArray("<html>\r\n<title>A &amp; B</title>\r\n<head>\r\n</head>\r\n<h2>A &amp; B</h2>\r\n</html>\r\n"));
    QCOMPARE(w->scripted.shell->opened.size(), 2);
}

void TestOutput::createHtmOpensExactlyThePage_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("spaces") << "my page";
    QTest::newRow("quotes") << "it's \"quoted\"";
    QTest::newRow("shell characters") << "a;b #c $(touch pwned) `x` & y";
    QTest::newRow("folder part") << "sub/page";
}

void TestOutput::createHtmOpensExactlyThePage()
{
    QFETCH(QString, answer);
    auto w = windowWith({"a.txt", "sub/b.txt"});
    w->dialogs().answers = {answer, QStringLiteral("T")};
    w->form->CreateHTM_Click();
    const QString page = m_dir->filePath(answer + QStringLiteral(".htm"));
    QVERIFY(QFileInfo(page).isFile());
    QCOMPARE(w->scripted.shell->opened, QStringList{page});
    QCOMPARE(w->dialogs().messages.last().text,
             "File :" + answer + ".htm saved in folder :\r\r" + QFileInfo(page).absolutePath());
    QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
}

void TestOutput::createHtmOpenFailureKeepsPage()
{
    auto w = windowWith({"a.txt"});
    w->scripted.shell->failWith = QStringLiteral("no viewer");
    w->dialogs().answers = {QStringLiteral("page"), QStringLiteral("T")};
    w->form->CreateHTM_Click();
    QCOMPARE(w->dialogs().messages.size(), 2);
    QCOMPARE(w->dialogs().messages[0].title, QStringLiteral("WEB Page"));
    QCOMPARE(w->dialogs().messages[1].text, QStringLiteral("no viewer"));
    QCOMPARE(w->dialogs().messages[1].title, QStringLiteral("WARNING"));
    QCOMPARE(w->dialogs().messages[1].icon, MessageIcon::Critical);
    QVERIFY(readAll(QStringLiteral("page.htm")).endsWith("a.txt<br>\r\n</html>\r\n"));
}

void TestOutput::copyKeys_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("showExtensions");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    const QStringList abc{"a.txt", "b.doc", "c.md"};
    QTest::newRow("none marked: the whole list") << abc << QList<int>{} << false << true << int(Qt::Key_C)
                                                 << "a.txt\nb.doc\nc.md\n";
    QTest::newRow("the marked items only") << abc << QList<int>{0, 2} << false << true << int(Qt::Key_C)
                                           << "a.txt\nc.md\n";
    QTest::newRow("enumerated by list position") << abc << QList<int>{2} << true << true << int(Qt::Key_C)
                                                 << " 3 c.md\n";
    QTest::newRow("ctrl+insert, extensions off") << abc << QList<int>{} << true << false << int(Qt::Key_Insert)
                                                 << " 1 a\n 2 b\n 3 c\n";
    QTest::newRow("empty list leaves the clipboard") << QStringList{} << QList<int>{} << false << true
                                                     << int(Qt::Key_C) << "kept";
}

void TestOutput::copyKeys()
{
    QFETCH(QStringList, files);
    QFETCH(QList<int>, marked);
    QFETCH(bool, numbered);
    QFETCH(bool, showExtensions);
    QFETCH(int, key);
    QFETCH(QString, expected);
    auto w = windowWith(files);
    Form1 &f = *w->form;
    change(f, [&](WindowState &s) {
        s.enumerate = numbered;
        s.ShowExtensions = showExtensions;
    });
    for (int row : marked)
        f.items().setMarked(row, true);
    f.items().setCurrentRow(files.isEmpty() ? -1 : 1); // the view's own copy would take this one
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    QTest::keyClick(f.List1, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    QCOMPARE(w->texts(), files); // copying changes nothing
    QCOMPARE(f.items().markedCount(), marked.size());
}

void TestOutput::printListsItemsUnchanged()
{
    auto w = windowWith({"b.doc", "a.txt", "report.final.doc"});
    change(*w->form, [](WindowState &s) {
        s.enumerate = true;
        s.ShowExtensions = false;
    });
    w->form->PrintList_Click();
    w->items().clear();
    w->form->PrintList_Click(); // an empty list still makes (and ends) a document
    const QList<QStringList> jobs{{"a.txt", "b.doc", "report.final.doc"}, {}};
    QCOMPARE(w->scripted.printer->jobs, jobs);
    QCOMPARE(w->scripted.printer->pointSizes, QList<int>({12, 12}));
    QVERIFY(w->dialogs().messages.isEmpty());
    QVERIFY(w->dialogs().inputs.isEmpty());
    // With sizes and dates, they stand in columns of their own beside the items.
    w->form->SizesAndDates->trigger();
    w->form->PrintList_Click();
    const QList<QStringList> &columns = w->scripted.printer->columns.last();
    QCOMPARE(columns.size(), 3);
    QCOMPARE(columns[0], w->texts()); // the list as read again with them
    QCOMPARE(columns[1], QStringList({"0", "0", "0"}));
    for (const QString &time : columns[2])
        QVERIFY2(QDateTime::fromString(time, QStringLiteral("yyyy-MM-dd HH:mm")).isValid(), qPrintable(time));
}

void TestOutput::printFailureIsReported()
{
    auto w = windowWith({"a.txt"});
    w->scripted.printer->failWith = QStringLiteral("No default printer is set up on this system.");
    w->form->PrintList_Click();
    verifyWarning(w->dialogs().messages, QStringLiteral("No default printer is set up on this system."));
}

void TestOutput::qtShellHandsOverAFileUrl_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("shell and markup characters") << QByteArray("a;b #c $(x) 'q' \xC3\xA9.htm");
    QTest::newRow("in a folder that is not UTF-8") << QByteArray("caf\xE9 \xFF/page.htm");
}

void TestOutput::qtShellHandsOverAFileUrl()
{
    QFETCH(QByteArray, name);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const QString page = m_dir->path() + u'/' + pathFromBytes(name);
    QtShell shell;
    const Result<> result = shell.openDocument(page);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(result.ok());
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls[0].isLocalFile());
    // The address names the page's exact bytes.
    QCOMPARE(QByteArray::fromPercentEncoding(catcher.urls[0].path(QUrl::FullyEncoded).toLatin1()), pathToBytes(page));
    if (QString::fromUtf8(name).toUtf8() == name)
        QCOMPARE(catcher.urls[0].toLocalFile(), page);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
