#include "app/form1.h"
#include "output/atomicwriter.h"
#include "support/hostilefolder.h"
#include "support/files.h"
#include "support/scripted.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

// Hostile answers in every input box of the window. Each one either has its
// documented result or ends in a "WARNING" box with the system's reason; no
// answer writes anything outside what it names, opens a FIFO or leaves a
// document reported as saved that is not there.

using namespace corvane;
using namespace corvane::test;

namespace {

// Everything under a folder, by raw path: "d" a folder, "p" a FIFO,
// "l:" and its target for a symbolic link, "f:" and the bytes for a file.
using Snapshot = QMap<QByteArray, QByteArray>;

Snapshot *collecting = nullptr;
qsizetype rootLength = 0;

int collect(const char *path, const struct stat *st, int, FTW *)
{
    const QByteArray rel = QByteArray(path).mid(rootLength);
    QByteArray kind;
    if (S_ISDIR(st->st_mode)) {
        kind = "d";
    } else if (S_ISFIFO(st->st_mode)) {
        kind = "p";
    } else if (S_ISLNK(st->st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(path, target, sizeof target);
        kind = "l:" + QByteArray(target, n < 0 ? 0 : qsizetype(n));
    } else if (S_ISREG(st->st_mode)) {
        QFile f(QFile::decodeName(path));
        kind = "f:" + (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    } else {
        kind = "other";
    }
    collecting->insert(rel, kind);
    return 0;
}

Snapshot snapshot(const QString &root)
{
    Snapshot result;
    const QByteArray path = QFile::encodeName(root);
    collecting = &result;
    rootLength = path.size();
    ::nftw(path.constData(), collect, 16, FTW_PHYS);
    collecting = nullptr;
    return result;
}

const QString tenThousand(10000, u'n');

const QStringList allFiles{"a.txt", "b.mp3", "link.htm", "link.txt", "noext", "target.htm", "target.txt"};

} // namespace

class TestAnswers : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void documentName_data();
    void documentName();
    void writerRefusesWhatIsNotAFile_data();
    void writerRefusesWhatIsNotAFile();
    void pageTitle_data();
    void pageTitle();
    void fileTypes_data();
    void fileTypes();
    void selectWord_data();
    void selectWord();
    void rename_data();
    void rename();

private:
    QString work() const { return m_dir->filePath(QStringLiteral("work")); }

    std::unique_ptr<test::WorkFolder> m_dir;
    std::unique_ptr<Window> m_window;
    Snapshot m_before;
};

void TestAnswers::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(work() + QStringLiteral("/sub")));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("abs"))));
    makeFiles(work(), {"a.txt", "b.mp3", "noext"});
    for (const char *ext : {".txt", ".htm"}) {
        const QByteArray e(ext);
        QVERIFY(makeRawFile(work(), "target" + e, "old target\n").isEmpty());
        QVERIFY(QDir().mkdir(work() + QStringLiteral("/taken") + QLatin1StringView(ext)));
        const QByteArray at = QFile::encodeName(work()) + '/';
        auto c = [](const QByteArray &bytes) { return bytes.constData(); };
        QCOMPARE(::mkfifo(c(at + "fifo" + e), 0644), 0);
        QCOMPARE(::symlink(c("target" + e), c(at + "link" + e)), 0);
        QCOMPARE(::symlink(c("gone" + e), c(at + "broken" + e)), 0);
        QCOMPARE(::symlink(c("loop" + e), c(at + "loop" + e)), 0);
    }
    QVERIFY(QDir::setCurrent(work()));
    m_window = std::make_unique<Window>();
    QCOMPARE(m_window->texts(), allFiles);
    m_before = snapshot(m_dir->path());
}

void TestAnswers::cleanup()
{
    m_window.reset();
    if (m_dir) {
        for (const char *fifo : {"/fifo.txt", "/fifo.htm"}) {
            const QString path = work() + QLatin1StringView(fifo);
            QVERIFY2(fifoHasNoReader(path), qPrintable(path));
        }
    }
    if (m_dir)
        QVERIFY(removeTree(m_dir->path()));
    m_dir.reset();
}

void TestAnswers::documentName_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<QString>("answer"); // "@" stands for the temporary folder
    QTest::addColumn<QString>("written"); // under the temporary folder, "" when nothing may be written
    QTest::addColumn<QString>("reason");  // what the WARNING says, "" on success
    for (const bool web : {false, true}) {
        const char *kind = web ? "page" : "text";
        const QString ext = web ? QStringLiteral(".htm") : QStringLiteral(".txt");
        QTest::addRow("%s, 10,000 characters", kind) << web << tenThousand << "" << "File name too long";
        QTest::addRow("%s, control characters", kind)
            << web << "a\tb\nc\x1b" << "/work/a\tb\nc\x1b" + ext << "";
        QTest::addRow("%s, parent folder", kind) << web << "../up" << "/up" + ext << "";
        QTest::addRow("%s, absolute", kind) << web << "@/abs/doc" << "/abs/doc" + ext << "";
        QTest::addRow("%s, missing folder", kind) << web << "nowhere/doc" << "" << "No such file or directory";
        QTest::addRow("%s, through a file", kind) << web << "a.txt/doc" << "" << "Not a directory";
        QTest::addRow("%s, ends in a dot", kind) << web << "doc." << "/work/doc." + ext << "";
        QTest::addRow("%s, ends in a space", kind) << web << "doc. " << "/work/doc." + ext << "";
        QTest::addRow("%s, only dots", kind) << web << ".." << "/work/.." + ext << "";
        // A last part that is empty is no name: never a hidden ".txt".
        QTest::addRow("%s, folder part only", kind) << web << "sub/" << "" << "Operation aborted";
        QTest::addRow("%s, the root", kind) << web << " / " << "" << "Operation aborted";
        QTest::addRow("%s, existing folder", kind) << web << "taken" << "" << "Is a directory";
        QTest::addRow("%s, fifo", kind) << web << "fifo" << "" << "Not a regular file";
        // A link's target is replaced (or made) and the link stays a link.
        QTest::addRow("%s, symbolic link", kind) << web << "link" << "/work/target" + ext << "";
        QTest::addRow("%s, broken link", kind) << web << "broken" << "/work/gone" + ext << "";
        QTest::addRow("%s, link to itself", kind) << web << "loop" << "" << "Too many levels of symbolic links";
    }
}

void TestAnswers::documentName()
{
    QFETCH(bool, web);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QString, reason);
    if (answer.startsWith(u'@'))
        answer = m_dir->path() + answer.mid(1);
    ItemList &items = m_window->items();
    items.clear();
    items.addItem(QStringLiteral("x.txt"));
    m_window->dialogs().answers = {answer, QStringLiteral("T")};
    web ? m_window->form->CreateHTM_Click() : m_window->form->CreateTXT_Click();

    const QList<MessageRecord> &messages = m_window->dialogs().messages;
    QCOMPARE(messages.size(), 1);
    Snapshot expected = m_before;
    if (reason.isEmpty()) {
        const QString ext = web ? QStringLiteral(".htm") : QStringLiteral(".txt");
        const QString name = answer.trimmed() + ext; // the answers here end in spaces at most
        const QString path = m_dir->path() + written;
        QCOMPARE(messages[0].title, web ? QStringLiteral("WEB Page") : QStringLiteral("TXT Document"));
        QCOMPARE(messages[0].icon, MessageIcon::Information);
        QCOMPARE(messages[0].text, (web ? QStringLiteral("File :") : QStringLiteral("File : ")) + name
                                       + QStringLiteral(" saved in folder :\r\r") + QFileInfo(path).absolutePath());
        const QByteArray document = web ? QByteArray("\xEF\xBB\xBF<html>\r\n<title>T</title>\r\n<head>\r\n</head>\r\n"
                                                     "<h2>T</h2>\r\nx.txt<br>\r\n</html>\r\n")
                                        : QByteArray("x.txt\r\n");
        expected.insert(QFile::encodeName(written), "f:" + document);
        if (web)
            QCOMPARE(m_window->scripted.shell->opened, QStringList{path});
    } else {
        QCOMPARE(messages[0].title, QStringLiteral("WARNING"));
        // A refused name is no failure: the exclamation, as for an empty one.
        QCOMPARE(messages[0].icon, reason == u"Operation aborted" ? MessageIcon::Exclamation : MessageIcon::Critical);
        QVERIFY2(messages[0].text.contains(reason, Qt::CaseInsensitive), qPrintable(messages[0].text));
        QVERIFY(m_window->scripted.shell->opened.isEmpty());
    }
    // Exactly the named document changed or appeared: links stay links, the
    // FIFO a FIFO, and no temporary file is left behind.
    QCOMPARE(snapshot(m_dir->path()), expected);
}

void TestAnswers::writerRefusesWhatIsNotAFile_data()
{
    QTest::addColumn<QByteArray>("target"); // "" for the FIFO itself, else where a link "doc.txt" points
    QTest::newRow("fifo") << QByteArray();
    QTest::newRow("link to the fifo") << QByteArray("fifo.txt");
    QTest::newRow("link to a device") << QByteArray("/dev/null");
}

void TestAnswers::writerRefusesWhatIsNotAFile()
{
    QFETCH(QByteArray, target);
    QByteArray name("fifo.txt");
    if (!target.isEmpty()) {
        QCOMPARE(::symlink(target.constData(), "doc.txt"), 0);
        name = "doc.txt";
    }
    const Snapshot before = snapshot(m_dir->path());
    const Result<QString> result = writeFileAtomically(QString::fromLatin1(name), "never written\r\n");
    QCOMPARE(result.error, QStringLiteral("Not a regular file"));
    QCOMPARE(snapshot(m_dir->path()), before);
    struct stat st;
    QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
}

void TestAnswers::pageTitle_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("shown"); // as lines 2 and 5 hold it, between the tags
    QTest::newRow("cancel") << QString() << "";
    QTest::newRow("spaces only") << "   " << "";
    QTest::newRow("10,000 characters") << tenThousand << tenThousand;
    // Control characters are shown as escapes, as in names: the page keeps its
    // n + 6 lines.
    QTest::newRow("control characters") << "a\nb\rc\td\x1b" << "a\\nb\\rc\\td\\x1B";
    QTest::newRow("line separator") << QStringLiteral("a\u2028b") << "a\\xE2\\x80\\xA8b";
    QTest::newRow("markup") << "</title><script>x()</script>" << "&lt;/title&gt;&lt;script&gt;x()&lt;/script&gt;";
    QTest::newRow("paths") << "../../etc/passwd" << "../../etc/passwd";
}

void TestAnswers::pageTitle()
{
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    m_window->dialogs().answers = {QStringLiteral("page"), answer};
    m_window->form->CreateHTM_Click();
    QFile page(QStringLiteral("page.htm"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    QByteArrayList lines = bytes.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(lines.size(), allFiles.size() + 6);
    QCOMPARE(bytes.count('\r'), allFiles.size() + 6);
    QCOMPARE(lines[1], "<title>" + shown.toUtf8() + "</title>\r");
    QCOMPARE(lines[4], "<h2>" + shown.toUtf8() + "</h2>\r");
    QCOMPARE(m_window->dialogs().messages.size(), 1);
    QCOMPARE(m_window->dialogs().messages[0].title, QStringLiteral("WEB Page"));
}

void TestAnswers::fileTypes_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("listed");
    const QString types = QStringLiteral("File type(s) : ");
    QTest::newRow("cancel") << QString() << "Corvane+" << allFiles;
    QTest::newRow("spaces only") << "    " << "Corvane+" << allFiles;
    QTest::newRow("10,000 characters") << tenThousand << types + tenThousand << QStringList();
    QTest::newRow("control characters") << "mp3\n\x1b" << types + "mp3\n\x1b" << QStringList();
    QTest::newRow("parent folder") << "../" << types + "../" << QStringList();
    QTest::newRow("absolute path") << "/etc/passwd" << types + "/etc/passwd" << QStringList();
    QTest::newRow("missing folder") << "nowhere/x" << types + "nowhere/x" << QStringList();
    QTest::newRow("folder's extension") << "d" << types + "d" << QStringList();
    QTest::newRow("link and fifo") << "htm txt" << types + "htm txt"
                                   << QStringList{"a.txt", "link.htm", "link.txt", "target.htm", "target.txt"};
}

void TestAnswers::fileTypes()
{
    QFETCH(QString, answer);
    QFETCH(QString, caption);
    QFETCH(QStringList, listed);
    m_window->dialogs().answers = {answer};
    m_window->form->FileType_Click();
    QCOMPARE(m_window->form->windowTitle(), caption);
    QCOMPARE(m_window->form->File1->names(), listed);
    QCOMPARE(m_window->texts(), listed);
    QVERIFY(m_window->dialogs().messages.isEmpty());
    QCOMPARE(snapshot(m_dir->path()), m_before);
}

void TestAnswers::selectWord_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("listOnly");
    QTest::newRow("cancel") << QString() << "" << allFiles;
    QTest::newRow("spaces only") << "   " << "" << allFiles;
    QTest::newRow("10,000 characters") << tenThousand << tenThousand << QStringList();
    QTest::newRow("control characters") << "a\tb\n" << "a\tb\n" << QStringList();
    QTest::newRow("parent folder") << " ../ " << "../" << QStringList();
    QTest::newRow("absolute path") << "/etc/passwd" << "/etc/passwd" << QStringList();
    QTest::newRow("link") << "LINK" << "LINK" << QStringList{"link.htm", "link.txt"};
    QTest::newRow("ends in a dot") << "target." << "target." << QStringList{"target.htm", "target.txt"};
}

void TestAnswers::selectWord()
{
    QFETCH(QString, answer);
    QFETCH(QString, word);
    QFETCH(QStringList, listOnly);
    Form1 &f = *m_window->form;
    m_window->dialogs().answers = {answer};
    f.SelectWord_Click();
    QCOMPARE(f.state().FilterWord, word);
    f.ListOnly_Click();
    QCOMPARE(m_window->texts(), listOnly);
    f.Exclude_Click();
    QCOMPARE(m_window->texts().size(), word.isEmpty() ? allFiles.size() : allFiles.size() - listOnly.size());
    QVERIFY(m_window->dialogs().messages.isEmpty());
    QCOMPARE(snapshot(m_dir->path()), m_before);
}

void TestAnswers::rename_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("text"); // of the item afterwards
    QTest::newRow("cancel") << QString() << "b.mp3";
    QTest::newRow("spaces only") << "  " << "b.mp3";
    QTest::newRow("10,000 characters") << tenThousand << tenThousand;
    QTest::newRow("control characters") << "x\ny\tz\x7f" << "x\\ny\\tz\\x7F";
    QTest::newRow("parent folder") << "../../etc/passwd" << "../../etc/passwd";
    QTest::newRow("absolute path") << "/tmp/x" << "/tmp/x";
    QTest::newRow("a folder's name") << "taken.txt" << "taken.txt";
    QTest::newRow("the fifo's name") << "fifo.txt" << "fifo.txt";
    QTest::newRow("ends in a dot") << " b. " << "b.";
}

void TestAnswers::rename()
{
    QFETCH(QString, answer);
    QFETCH(QString, text);
    Form1 &f = *m_window->form;
    f.items().setCurrentRow(1);
    m_window->dialogs().answers = {answer};
    f.Rename_Click();
    QCOMPARE(m_window->dialogs().inputs.size(), 1);
    QCOMPARE(m_window->dialogs().inputs[0].title, QStringLiteral("RENAME"));
    QCOMPARE(m_window->items().text(1), text);
    QCOMPARE(m_window->items().count(), allFiles.size());
    QCOMPARE(snapshot(m_dir->path()), m_before); // only the list changes

    // The renamed item is still one line of the text document.
    m_window->dialogs().answers = {m_dir->filePath(QStringLiteral("abs/list"))};
    f.CreateTXT_Click();
    QFile doc(m_dir->filePath(QStringLiteral("abs/list.txt")));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    const QByteArray bytes = doc.readAll();
    QCOMPARE(bytes.count('\n'), allFiles.size());
    QCOMPARE(bytes.split('\n').at(1), text.toUtf8() + '\r');
}

QTEST_MAIN(TestAnswers)
#include "tst_answers.moc"
