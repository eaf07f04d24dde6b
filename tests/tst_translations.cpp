#include "app/form1.h"
#include "app/startup.h"
#include "app/translations.h"
#include "listing/folderreader.h"
#include "listing/foldertree.h"
#include "platform/qtservices.h"
#include "support/files.h"
#include "support/injected.h"
#include "support/scripted.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>

// Runs in German (LC_ALL=de_DE.UTF-8, LANGUAGE=de), as on a German desktop.

using namespace corvane;
using namespace corvane::test;
using namespace std::chrono_literals;

namespace {

constexpr int kBig = 3000; // names of the slow folder: its read shows the progress box

void removeTranslations()
{
    for (QTranslator *t : qApp->findChildren<QTranslator *>(Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

// Every text a window shows, and where.
struct Shown
{
    QList<std::pair<QString, QString>> texts;
    void add(const QString &where, const QString &text)
    {
        if (!text.isEmpty())
            texts.append({where, text});
    }
    // Captions, titles, labels, menu items, tooltips and what screen readers hear.
    void addWidgets(QWidget *top)
    {
        QList<QWidget *> widgets = top->findChildren<QWidget *>();
        widgets.prepend(top);
        for (QWidget *w : std::as_const(widgets)) {
            if (w->objectName().startsWith(u"qt_"))
                continue; // Qt's own parts
            const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                           : w->objectName();
            add(name + QStringLiteral(" accessible name"), w->accessibleName());
            add(name + QStringLiteral(" accessible description"), w->accessibleDescription());
            add(name + QStringLiteral(" tooltip"), w->toolTip());
            if (w->isWindow())
                add(name + QStringLiteral(" title"), w->windowTitle());
            if (auto *menu = qobject_cast<QMenu *>(w))
                add(name + QStringLiteral(" title"), menuCaption(menu->menuAction()));
            if (auto *label = qobject_cast<QLabel *>(w))
                add(name, label->text());
            auto *button = qobject_cast<QAbstractButton *>(w);
            auto *buttons = button ? qobject_cast<QDialogButtonBox *>(button->parentWidget()) : nullptr;
            // A standard button's caption is Qt's, from Qt's own translation.
            if (button && !(buttons && buttons->standardButton(button) != QDialogButtonBox::NoButton))
                add(name, button->text());
            for (QAction *action : w->actions())
                add(name + u' ' + action->objectName(), action->text());
        }
    }
    void addBoxes(const ScriptedDialogs &dialogs)
    {
        for (const InputRecord &box : dialogs.inputs) {
            add(QStringLiteral("input box title"), box.title);
            add(QStringLiteral("input box prompt"), box.prompt);
        }
        for (const MessageRecord &box : dialogs.messages) {
            add(QStringLiteral("message box title"), box.title);
            add(QStringLiteral("message box text"), box.text);
        }
    }
};

// What stays of text once every translated part ("‹...›", innermost first) and
// the data in it (names, paths, the system's words) are taken out: English left
// over has letters.
QString leftOver(QString text, QStringList data)
{
    // Longest first: a name may hold a shorter one.
    std::sort(data.begin(), data.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &piece : std::as_const(data))
        text.remove(piece);
    static const QRegularExpression translated(QStringLiteral("\u2039[^\u2039\u203a]*\u203a"));
    while (text.contains(translated))
        text.remove(translated);
    static const QRegularExpression letter(QStringLiteral("[A-Za-z]"));
    return text.contains(letter) ? text : QString();
}

// Runs act while the window reads; once the progress box shows, see is given
// it, and then it is cancelled with Esc.
void whileBoxShows(Form1 &f, const std::function<void()> &act, const std::function<void(QDialog *)> &see)
{
    bool seen = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *box = f.findChild<QDialog *>(QStringLiteral("ReadProgress"));
        auto *count = box ? box->findChild<QLabel *>(QStringLiteral("ReadCount")) : nullptr;
        if (seen || !box || !box->isVisible() || count->text().isEmpty())
            return;
        seen = true;
        see(box);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    timer.start();
    act();
    QVERIFY(seen);
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void germanStart_data();
    void germanStart();
    void germanProgressBox();
    void everyTextTranslated_data();
    void everyTextTranslated();
    void germanProgram_data();
    void germanProgram();
    void documentsNeverTranslated_data();
    void documentsNeverTranslated();

private:
    QString path(const QString &rel) const { return m_dir.path() + u'/' + rel; }
    WorkFolder m_dir;
};

void TestTranslations::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QStringList files = {"work/A.txt", "work/b.doc", "work/sub/inner.txt", "work/s1/x.txt", "work/s2/y.txt",
                         "work/s3/z.txt"};
    for (int i = 0; i < kBig; ++i)
        files.append(QStringLiteral("big/song%1.mp3").arg(i, 4, 10, QLatin1Char('0')));
    makeFiles(m_dir.path(), files);
    writeBytes(path("work/one.txt"), "1");
    QVERIFY(::mkfifo(QFile::encodeName(path("work/fifo.txt")).constData(), 0600) == 0);
    // A link whose target's name is too long to be looked up: it cannot be checked.
    QVERIFY(::symlink(QByteArray(300, 'x').constData(), QFile::encodeName(path("work/s3/long")).constData()) == 0);
}

void TestTranslations::init()
{
    QVERIFY(QDir::setCurrent(path("work")));
}

void TestTranslations::cleanup()
{
    setReadDelayForTesting(0ms);
    removeTranslations();
}

void TestTranslations::germanStart_data()
{
    QTest::addColumn<QString>("control"); // a menu command, a menu or a control, by its name
    QTest::addColumn<QString>("caption");
    QTest::newRow("a command on the bar") << "FileType" << "Dateitypen";
    QTest::newRow("a document format's command") << "CreateHTM" << "WEB-Seite erstellen";
    QTest::newRow("the menu of the other formats") << "ExportMenu" << "Exportieren";
    QTest::newRow("one of its entries") << "CreateCSV" << QString::fromUtf8("CSV…");
    QTest::newRow("a menu") << "FilterMenu" << "Dateifilter";
    QTest::newRow("a caption the word is appended to") << "ListOnly" << QString::fromUtf8("Nur Einträge mit : ");
    QTest::newRow("a caption that follows the state") << "DisplayEXT" << "Endungen EIN";
    QTest::newRow("the pop-up's item") << "EraseSelected" << QString::fromUtf8("Ausgewählte Einträge entfernen");
    QTest::newRow("the check box") << "Check1" << "Liste bei neuem Ordner leeren";
}

void TestTranslations::germanStart()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    // As main() does on a desktop set to German.
    QCOMPARE(installTranslations(), QStringLiteral("de"));
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QObject *found = f.findChild<QObject *>(control);
    QVERIFY(found);
    if (auto *action = qobject_cast<QAction *>(found))
        QCOMPARE(menuCaption(action), caption);
    else if (auto *menu = qobject_cast<QMenu *>(found))
        QCOMPARE(menuCaption(menu->menuAction()), caption);
    else
        QCOMPARE(qobject_cast<QAbstractButton *>(found)->text(), caption);
    // German captions give German access letters, one of its own per entry.
    QCOMPARE(accessLetterFault(f), QString());
    // Short enough: every command and menu of the bar fits in the window's width.
    for (QAction *entry : f.menuBar()->actions()) {
        const QRect place = f.menuBar()->actionGeometry(entry);
        QVERIFY2(!place.isEmpty() && place.right() < f.menuBar()->width(), qPrintable(entry->text()));
    }
    QCOMPARE(f.windowTitle(), QStringLiteral("Corvane+")); // the program's name stays
}

void TestTranslations::germanProgressBox()
{
    QCOMPARE(installTranslations(), QStringLiteral("de"));
    Window w;
    Form1 &f = *w.form;
    f.show();
    setReadDelayForTesting(350ms);
    QString cancel, folder, count;
    whileBoxShows(f, [&] { f.Dir1->setPath(path("big")); }, [&](QDialog *box) {
        cancel = box->findChild<QPushButton *>(QStringLiteral("ReadCancel"))->text();
        folder = box->findChild<QLabel *>(QStringLiteral("ReadFolder"))->text();
        count = box->findChild<QLabel *>(QStringLiteral("ReadCount"))->text();
    });
    // Qt's own translation gives its standard button's caption.
    QCOMPARE(cancel.remove(u'&'), QStringLiteral("Abbrechen"));
    QCOMPARE(folder, path("big") + QStringLiteral(" wird gelesen"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ Namen? gelesen$")).match(count).hasMatch(), qPrintable(count));
    QCOMPARE(f.File1->path(), path("work")); // cancelled
}

void TestTranslations::everyTextTranslated_data()
{
    QTest::addColumn<int>("scene");
    QTest::newRow("the window, its menus and controls") << 0;
    QTest::newRow("the boxes of the commands, and the captions they change") << 1;
    QTest::newRow("the progress box") << 2;
    QTest::newRow("what a walk could not read or check") << 3;
    QTest::newRow("the command line and the start") << 4;
}

void TestTranslations::everyTextTranslated()
{
    QFETCH(int, scene);
    auto *pseudo = new QTranslator(qApp);
    QVERIFY(pseudo->load(QStringLiteral(CORVANE_PSEUDO_QM)));
    QVERIFY(QCoreApplication::installTranslator(pseudo));
    // Data: what the texts show beside the program's words.
    QStringList data = {m_dir.path(), QStringLiteral("Corvane+"), QStringLiteral("corvane"),
                        QStringLiteral("https://corvane.example/")};
    Shown shown;
    Window w;
    Form1 &f = *w.form;
    f.show();
    data += f.items().texts();
    switch (scene) {
    case 0: {
        // With sizes, so that each item tells a screen reader its bytes.
        f.SizesAndDates->trigger();
        shown.addWidgets(&f);
        for (int row = 0; row < f.items().count(); ++row)
            shown.add(QStringLiteral("item"), f.items().index(row).data(Qt::AccessibleTextRole).toString());
        // A branch of the tree opened before its folders are read.
        const QModelIndex sub = f.Dir1->folders()->indexForPath(path("work/sub"));
        f.Dir1->expand(sub);
        shown.add(QStringLiteral("tree placeholder"), f.Dir1->model()->index(0, 0, sub).data().toString());
        break;
    }
    case 1: {
        ScriptedDialogs &boxes = w.dialogs();
        boxes.answers = {QStringLiteral("txt"), QStringLiteral("A")};
        f.FileType_Click();
        f.SelectWord_Click();
        f.DisplayEXT_Click();
        f.Info_Click();
        f.LeaveOutFolders_Click();
        f.Rename_Click();
        f.CreateTXT->trigger(); // no name given
        boxes.answers = {QStringLiteral("list"), QStringLiteral("page"), QStringLiteral("a title"),
                         QStringLiteral("table"), QStringLiteral("fifo")};
        f.CreateTXT->trigger();
        f.CreateHTM->trigger();
        f.ExportMenu->actions().constFirst()->trigger();
        f.CreateTXT->trigger(); // onto a FIFO: no regular file
        QCOMPARE(boxes.messages.size(), 6);
        data += QStringList{"list.txt", "page.htm", "table.csv", "fifo.txt", "txt", "A"};
        shown.addBoxes(boxes);
        shown.addWidgets(&f);
        break;
    }
    case 2:
        setReadDelayForTesting(350ms);
        whileBoxShows(f, [&] { f.Dir1->setPath(path("big")); }, [&](QDialog *box) { shown.addWidgets(box); });
        break;
    case 3: {
#if defined(__SANITIZE_THREAD__)
        QSKIP("starts strace: the thread checker cannot follow a process started by a threaded one");
#endif
        // Folders that cannot be read, beside an entry that cannot be
        // checked (s3/long); then sizes and dates that cannot be read.
        {
            InjectedFault failing({QStringLiteral("-P"), path("work/s1"), QStringLiteral("-P"), path("work/s2"),
                                   QStringLiteral("-e"), QStringLiteral("trace=getdents64"), QStringLiteral("-e"),
                                   QStringLiteral("inject=getdents64:error=EIO")});
            if (!failing.isActive())
                SKIP_WITHOUT_INJECTION(failing.why());
            f.IncludeSubfolders->trigger();
        }
        {
            InjectedFault failing({QStringLiteral("-P"), path("work/s3"), QStringLiteral("-e"),
                                   QStringLiteral("trace=newfstatat"), QStringLiteral("-e"),
                                   QStringLiteral("inject=newfstatat:error=EIO:when=2+")});
            if (!failing.isActive())
                SKIP_WITHOUT_INJECTION(failing.why());
            f.SizesAndDates->trigger();
        }
        QCOMPARE(w.dialogs().messages.size(), 2);
        data += QStringList{systemError(EIO), systemError(ENAMETOOLONG), QStringLiteral("s1"), QStringLiteral("s2"),
                            QStringLiteral("s3/long"), QStringLiteral("s3/z.txt")};
        shown.addBoxes(w.dialogs());
        break;
    }
    case 4: {
        const QString help = readCommandLine({QStringLiteral("corvane"), QStringLiteral("--help")}).output;
        shown.add(QStringLiteral("--help"), help);
        // The export's options and formats are named as typed.
        static const QRegularExpression option(QStringLiteral("(-\\w, )?--[a-z-]+( <\\w+>)?"));
        for (auto match = option.globalMatch(help); match.hasNext();)
            data.append(match.next().captured());
        for (const DocumentFormat &format : documentFormats())
            data.append(QString::fromLatin1(format.name));
        // Qt's own translation says what is wrong with the option.
        const CommandLine wrong = readCommandLine({QStringLiteral("corvane"), QStringLiteral("--recursive")});
        shown.add(QStringLiteral("a wrong option"), wrong.error.section(u'\n', 1));
        // The line names the variables as they are set.
        const std::optional<QByteArray> wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
            ? std::optional(qgetenv("WAYLAND_DISPLAY")) : std::nullopt;
        const std::optional<QByteArray> display =
            qEnvironmentVariableIsSet("DISPLAY") ? std::optional(qgetenv("DISPLAY")) : std::nullopt;
        const auto restore = [](const char *name, const std::optional<QByteArray> &value) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        };
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":99");
        for (const QString &said : {QString(), QStringLiteral("Could not find the Qt platform plugin \"wayland\""),
                                    QStringLiteral("Could not find the Qt platform plugin \"eglfs\"")})
            shown.add(QStringLiteral("no display"), noDisplayLine({said}));
        qunsetenv("DISPLAY");
        shown.add(QStringLiteral("no display"), noDisplayLine({}));
        restore("WAYLAND_DISPLAY", wayland);
        restore("DISPLAY", display);
        data += QStringList{QStringLiteral("eglfs"), QStringLiteral(":99")};
        ScriptedDialogs boxes;
        enterStartFolder(QFile::encodeName(path("gone")), boxes);
        data += QStringList{systemError(ENOENT), QStringLiteral("gone")};
        shown.addBoxes(boxes);
        shown.add(QStringLiteral("a drive gone"), QtDrives().makeCurrent(path("work")).error);
        break;
    }
    }
    QVERIFY(shown.texts.size() >= 2);
    QStringList english;
    for (const auto &[where, text] : std::as_const(shown.texts))
        if (const QString left = leftOver(text, data); !left.isEmpty())
            english.append(where + QStringLiteral(": ") + text);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
}

void TestTranslations::germanProgram_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("language"); // LANGUAGE
    QTest::addColumn<QString>("locale");   // LC_ALL
    QTest::addColumn<bool>("display");
    QTest::addColumn<QString>("said"); // the start of what it prints
    const QStringList help = {QStringLiteral("--help")};
    QTest::newRow("--help in German") << help << "de" << "de_DE.UTF-8" << true << "Aufruf: corvane [ORDNER]\n";
    QTest::newRow("English put first") << help << "en:de" << "de_DE.UTF-8" << true << "Usage: corvane [FOLDER]\n";
    QTest::newRow("a language it lacks, then German") << help << "fr:de" << "de_DE.UTF-8" << true
                                                      << "Aufruf: corvane [ORDNER]\n";
    QTest::newRow("the C locale, whatever LANGUAGE says") << help << "de" << "C.UTF-8" << true
                                                          << "Usage: corvane [FOLDER]\n";
    QTest::newRow("a wrong option: Qt's words and the program's")
        << QStringList{QStringLiteral("--recursive")} << "de" << "de_DE.UTF-8" << true
        << QString::fromUtf8("corvane: Unbekannte Option 'recursive'.\n„corvane --help“ liefert weitere Informationen.");
    QTest::newRow("no display") << QStringList{} << "de" << "de_DE.UTF-8" << false
                                << QString::fromUtf8("corvane: kann kein Fenster öffnen: kein Display gefunden");
}

void TestTranslations::germanProgram()
{
#if defined(__SANITIZE_THREAD__)
    QSKIP("starts the program: the thread checker cannot follow a process started by a threaded one");
#endif
    QFETCH(QStringList, arguments);
    QFETCH(QString, language);
    QFETCH(QString, locale);
    QFETCH(bool, display);
    QFETCH(QString, said);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANGUAGE"), language);
    env.insert(QStringLiteral("LC_ALL"), locale);
    if (!display) {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
            env.remove(QString::fromLatin1(name));
    }
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CORVANE_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(60000));
    const QString out = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
    QVERIFY2(out.startsWith(said), qPrintable(out));
}

void TestTranslations::documentsNeverTranslated_data()
{
    QTest::addColumn<bool>("pseudo"); // the pseudo-translation, else German
    QTest::newRow("German") << false;
    QTest::newRow("the pseudo-translation") << true;
}

void TestTranslations::documentsNeverTranslated()
{
    // Every document and the copy, numbered with sizes and dates, are the
    // same bytes in English and in the language under test.
    QFETCH(bool, pseudo);
    const auto written = [&](const QString &tag) {
        Window w;
        Form1 &f = *w.form;
        f.SizesAndDates->trigger();
        f.Enumerate->trigger();
        const QString at = path(tag);
        w.dialogs().answers = {at + QStringLiteral("-list"), at + QStringLiteral("-page"), QStringLiteral("Corvane"),
                               at + QStringLiteral("-table")};
        f.CreateTXT->trigger();
        f.CreateHTM->trigger();
        f.findChild<QAction *>(QStringLiteral("CreateCSV"))->trigger();
        f.copyToClipboard();
        return QList<QByteArray>{readAll(at + QStringLiteral("-list.txt")), readAll(at + QStringLiteral("-page.htm")),
                                 readAll(at + QStringLiteral("-table.csv")),
                                 QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain"))};
    };
    const QList<QByteArray> english = written(QStringLiteral("en"));
    QVERIFY(english.at(2).startsWith("\xEF\xBB\xBFNo.,Name,Size (bytes),Modified\r\n1,A.txt,"));
    if (pseudo) {
        auto *translator = new QTranslator(qApp);
        QVERIFY(translator->load(QStringLiteral(CORVANE_PSEUDO_QM)));
        QVERIFY(QCoreApplication::installTranslator(translator));
    } else {
        QCOMPARE(installTranslations(), QStringLiteral("de"));
    }
    QCOMPARE(written(QStringLiteral("other")), english);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
