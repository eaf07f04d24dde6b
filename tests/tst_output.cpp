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
#include <QDirIterator>
#include <QProcess>
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
    void commandLineWritesTheWindowsDocument_data();
    void commandLineWritesTheWindowsDocument();
    void commandLineExitStatus_data();
    void commandLineExitStatus();

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

namespace {

// The listed tree of the command line's tests: types, twins ignoring case and
// once extensions are cut, a name that is not UTF-8, folders below.
void makeTree(const QString &root)
{
    makeFiles(root, {"a.txt", "B.doc", "c.tar.gz", "c.tar.bz2", "Notes.md", "song.MP3", ".hidden", "it's & <b>.txt",
                     "sub/inner.txt", "sub/deeper/x.mp3", "sub/deeper/Live a.txt", "Track 10.mp3", "Track 9.mp3"});
    writeBytes(root + QStringLiteral("/sizes.txt"), "12345");
    writeBytes(QFile::decodeName(QFile::encodeName(root) + "/caf\xE9 back\\slash.txt"), "x");
    const struct timespec times[2] = {{1700000000, 0}, {1751376659, 0}};
    QDirIterator all(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (all.hasNext())
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(all.next()).constData(), times, 0) == 0);
}

// The program started as from a terminal with no display: "@" in an argument
// is the test's folder; before the program's name, what starts it (strace).
struct Run
{
    int status = -1;
    QByteArray out, err;
};
Run runProgram(const QStringList &launcher, QStringList arguments, const QString &folder)
{
    for (QString &argument : arguments)
        argument.replace(u'@', folder);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!launcher.isEmpty()) // the leak checker cannot work under ptrace
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    const QStringList command = launcher + QStringList{QStringLiteral(CORVANE_PROGRAM)} + arguments;
    process.start(command.first(), command.mid(1));
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

void TestOutput::commandLineWritesTheWindowsDocument_data()
{
    // The command line's options and, for each, what the window's command
    // does: the document then holds the same bytes.
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("folder"); // given after the options; empty: none, the working folder
    QTest::newRow("text, no folder given") << "txt" << QStringList{} << "";
    QTest::newRow("page, numbered, a title") << "html" << QStringList{"-n", "--title", "  Tom & <Jerry>  "} << ".";
    QTest::newRow("page, its default title") << "html" << QStringList{"--subfolders"} << ".";
    QTest::newRow("csv, subfolders, sizes and dates") << "csv" << QStringList{"-r", "-s"} << "@";
    QTest::newRow("json, all of them, a folder below")
        << "json" << QStringList{"-r", "--sizes-and-dates", "-x", "--numbered"} << "sub";
    QTest::newRow("markdown, file types and a word")
        << "md" << QStringList{"-r", "--types", " txt MP3 ", "--only", "a", "-s"} << ".";
    QTest::newRow("text, a word left out, no extensions") << "txt" << QStringList{"--exclude", "TXT", "-x"} << ".";
    QTest::newRow("json, a file names its folder") << "json" << QStringList{"-n"} << "sub/inner.txt";
    QTest::newRow("csv, written to a file") << "csv" << QStringList{"-s", "-o", "@/../doc.csv"} << ".";
    QTest::newRow("csv, full paths, natural order, a folder left out")
        << "csv" << QStringList{"-r", "--full-paths", "--natural", "--leave-out", " x DEEP* "} << ".";
    QTest::newRow("text, names only") << "txt" << QStringList{"--names-only", "--subfolders", "-x"} << "@";
}

void TestOutput::commandLineWritesTheWindowsDocument()
{
#if defined(__SANITIZE_THREAD__)
    QSKIP("starts the program: the thread checker cannot follow a process started by a threaded one");
#endif
    QFETCH(QString, format);
    QFETCH(QStringList, options);
    QFETCH(QString, folder);
    const QString tree = m_dir->filePath(QStringLiteral("tree"));
    makeTree(tree);
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3"); // the program started gets it too
    const auto localTime = qScopeGuard([] { qunsetenv("TZ"); });

    QStringList arguments{QStringLiteral("--export"), format};
    arguments += options;
    if (!folder.isEmpty())
        arguments.append(folder);
    const Run run = runProgram({}, arguments, tree);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    const qsizetype output = options.indexOf(QStringLiteral("-o"));
    const QByteArray written = output < 0 ? run.out : readAll(m_dir->filePath(QStringLiteral("doc.csv")));
    QVERIFY(output < 0 || run.out.isEmpty());

    // The window started where the program looked, each option's command given.
    const QString shown = folder.isEmpty() || folder == "." || folder == "@" ? tree
                          : folder.endsWith(".txt")                        ? QString(tree + QStringLiteral("/sub"))
                                                                           : QString(tree + u'/' + folder);
    QVERIFY(QDir::setCurrent(shown));
    Window w;
    Form1 &f = *w.form;
    QString title = QStringLiteral("Corvane");
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString &option = options.at(i);
        if (option == "-n" || option == "--numbered")
            f.Enumerate->trigger();
        else if (option == "-r" || option == "--subfolders")
            f.IncludeSubfolders->trigger();
        else if (option == "-s" || option == "--sizes-and-dates")
            f.SizesAndDates->trigger();
        else if (option == "-x")
            f.DisplayEXT_Click();
        else if (option == "--title")
            title = options.at(++i);
        else if (option == "--types") {
            w.dialogs().answers = {options.at(++i)};
            f.FileType_Click();
        } else if (option == "--only" || option == "--exclude") {
            w.dialogs().answers = {options.at(++i)};
            f.SelectWord_Click();
            option == "--only" ? f.ListOnly_Click() : f.Exclude_Click();
        } else if (option == "--full-paths" || option == "--names-only") {
            (option == "--full-paths" ? f.FullPaths : f.NamesOnly)->trigger();
        } else if (option == "--natural") {
            f.NaturalOrder->trigger();
        } else if (option == "--leave-out") {
            w.dialogs().answers = {options.at(++i)};
            f.LeaveOutFolders->trigger();
        } else if (option == "-o") {
            ++i;
        } else {
            QFAIL(qPrintable("no window command for " + option));
        }
    }
    w.dialogs().answers = {m_dir->filePath(QStringLiteral("window")), title};
    documentCommand(f, format)->trigger();
    QCOMPARE(w.dialogs().messages.size(), 1); // the confirmation, no warning
    const QString windowFile =
        m_dir->filePath(QStringLiteral("window")) + QLatin1StringView(findDocumentFormat(format)->extension);
    QCOMPARE(written, readAll(windowFile));
    QVERIFY(w.items().count() > 0);
}

void TestOutput::commandLineExitStatus_data()
{
    QTest::addColumn<QStringList>("launcher"); // strace's arguments, failing the program's calls
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error"); // standard error
    QTest::addColumn<bool>("written");  // the document on standard output
    const QStringList strace{"strace", "-f", "-qq", "-o", "/dev/null"};
    QTest::newRow("written") << QStringList{} << QStringList{"--export", "txt"} << 0 << "" << true;
    QTest::newRow("a folder that does not exist")
        << QStringList{} << QStringList{"--export", "csv", "nowhere"} << 1
        << "corvane: nowhere: No such file or directory\n" << false;
    QTest::newRow("a folder that fails part-way")
        << strace + QStringList{"-P", "@", "-e", "trace=getdents64", "-e", "inject=getdents64:error=EIO:when=2"}
        << QStringList{"--export", "csv", "@"} << 1 << "corvane: @: Input/output error\n" << false;
    QTest::newRow("two path forms") << QStringList{} << QStringList{"--export", "txt", "--full-paths", "--names-only"}
                                    << 1
        << "corvane: --full-paths and --names-only do not go together\nTry 'corvane --help' for more information.\n"
        << false;
    QTest::newRow("an unknown format") << QStringList{} << QStringList{"--export", "pdf"} << 1
                                       << "corvane: unknown format 'pdf': one of html, txt, csv, json, markdown\n"
                                          "Try 'corvane --help' for more information.\n"
                                       << false;
    QTest::newRow("a document that cannot be written")
        << QStringList{} << QStringList{"--export", "txt", "-o", "nowhere/doc.txt"} << 1
        << "corvane: nowhere/doc.txt: No such file or directory\n" << false;
    QTest::newRow("a folder below that cannot be read")
        << strace + QStringList{"-P", "@/sub/deeper", "-e", "trace=getdents64", "-e", "inject=getdents64:error=EIO"}
        << QStringList{"--export", "txt", "-r"} << 2 << "corvane: 1 folder could not be read:\nsub/deeper : Input/output error\n"
        << true;
    QTest::newRow("sizes and dates that cannot be read")
        << strace + QStringList{"-P", "@/sub", "-e", "trace=newfstatat", "-e", "inject=newfstatat:error=EACCES"}
        << QStringList{"--export", "json", "-s", "sub"} << 2
        << "corvane: The size and date of 1 file could not be read:\ninner.txt : Permission denied\n" << true;
}

void TestOutput::commandLineExitStatus()
{
#if defined(__SANITIZE_THREAD__)
    QSKIP("starts the program: the thread checker cannot follow a process started by a threaded one");
#endif
    QFETCH(QStringList, launcher);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, error);
    QFETCH(bool, written);
    const QString tree = m_dir->filePath(QStringLiteral("tree"));
    makeTree(tree);
    for (QString &argument : launcher)
        argument.replace(u'@', tree);
    const Run run = runProgram(launcher, arguments, tree);
    QCOMPARE(QString::fromUtf8(run.err), error.replace(u'@', tree));
    QCOMPARE(run.status, status);
    QCOMPARE(!run.out.isEmpty(), written);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
