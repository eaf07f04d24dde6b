#include "app/form1.h"
#include "app/palette.h"
#include "listing/filetypes.h"
#include "support/injected.h"
#include "support/refreshcounter.h"
#include "support/scripted.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include <fcntl.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

class TestShaping : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void displayExtensions_data();
    void displayExtensions();
    void enumerateTogglesOnce();
    void fileTypePattern_data();
    void fileTypePattern();
    void fileTypes_data();
    void fileTypes();
    void fileTypesRebuildFromNothing();
    void fileTypesFolderGone();
    void filterMenuEnableRule();
    void selectWordCaptions_data();
    void selectWordCaptions();
    void filterModes();
    void everyFilterCommandRefreshes();
    void readOptions_data();
    void readOptions();
    void wholeTexts_data();
    void wholeTexts();
    void factsBesideFile1();
    void naturalOrderInPlace();
    void namingFailsWhole();

private:
    QString path(const QString &rel) const { return m_dir->path() + u'/' + rel; }

    std::unique_ptr<test::WorkFolder> m_dir;
};

const QStringList allFiles = {"LOUD.MP3", "noext", "notes.txt", "odd..mp3", "prog.exe", "readme.md",
                              "song.mp3"};

void TestShaping::init()
{
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    makeFiles(m_dir->path(), allFiles);
    makeFiles(m_dir->path(), {"other/elsewhere.txt", "other/song.mp3"});
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestShaping::cleanup()
{
    m_dir.reset();
}

void TestShaping::displayExtensions_data()
{
    QTest::addColumn<bool>("check1");
    QTest::addColumn<QStringList>("afterOff");
    QTest::addColumn<QStringList>("afterOn");
    const QStringList bare = {"LOUD", "noext", "notes", "odd.", "prog", "readme", "song"};
    // Check1 off: the other form of each name is added beside the one listed.
    const QStringList both = {"LOUD", "LOUD.MP3", "noext", "notes", "notes.txt", "odd.", "odd..mp3",
                              "prog", "prog.exe", "readme", "readme.md", "song", "song.mp3"};
    QTest::newRow("Check1 on") << true << bare << allFiles;
    QTest::newRow("Check1 off") << false << both << both;
}

void TestShaping::displayExtensions()
{
    QFETCH(bool, check1);
    QFETCH(QStringList, afterOff);
    QFETCH(QStringList, afterOn);
    Window w;
    Form1 &f = *w.form;
    if (!check1)
        f.Check1->click();
    RefreshCounter refreshes(f);

    f.DisplayEXT->trigger();
    QCOMPARE(f.state().ShowExtensions, false);
    QCOMPARE(menuCaption(f.DisplayEXT), QStringLiteral("Extensions OFF"));
    QCOMPARE(w.texts(), afterOff);

    f.DisplayEXT->trigger();
    QCOMPARE(f.state().ShowExtensions, true);
    QCOMPARE(menuCaption(f.DisplayEXT), QStringLiteral("Extensions ON"));
    QCOMPARE(w.texts(), afterOn);
    QCOMPARE(refreshes.count(), 2);
}

void TestShaping::enumerateTogglesOnce()
{
    Window w;
    Form1 &f = *w.form;
    w.items().setText(0, QStringLiteral("edited by hand"));
    const QStringList before = w.texts();
    RefreshCounter refreshes(f);
    f.Enumerate->trigger();
    QVERIFY(f.Enumerate->isChecked());
    f.Enumerate->trigger();
    QVERIFY(!f.Enumerate->isChecked());
    f.Enumerate->trigger();
    QVERIFY(f.Enumerate->isChecked());
    QCOMPARE(refreshes.count(), 0);
    QCOMPARE(w.texts(), before);
}

void TestShaping::fileTypePattern_data()
{
    QTest::addColumn<QString>("fileTypes");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("none") << "" << "";
    QTest::newRow("four") << "MP3 EXE DOC ZIP" << "*.MP3;*.EXE;*.DOC;*.ZIP";
    QTest::newRow("two spaces") << "MP3  EXE" << "*.MP3;*.;*.EXE";
    QTest::newRow("three spaces") << "a   b" << "*.a;*.;*.;*.b";
    QTest::newRow("typed dot") << ".mp3" << "*..mp3";
    QTest::newRow("star") << "*" << "*.*";
    QTest::newRow("tab in a piece") << "mp3\ttxt" << "*.mp3\ttxt";
}

void TestShaping::fileTypePattern()
{
    QFETCH(QString, fileTypes);
    QFETCH(QString, pattern);
    QCOMPARE(corvane::fileTypePattern(fileTypes), pattern);
}

void TestShaping::fileTypes_data()
{
    QTest::addColumn<QStringList>("answers"); // none: Cancel
    QTest::addColumn<QString>("fileTypes");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("listed");
    const QString corvane = QStringLiteral("Corvane+");
    QTest::newRow("cancel") << QStringList() << "" << "*.*" << corvane << allFiles;
    QTest::newRow("empty") << QStringList({""}) << "" << "*.*" << corvane << allFiles;
    QTest::newRow("spaces only") << QStringList({"    "}) << "" << "*.*" << corvane << allFiles;
    const QStringList mp3s = {"LOUD.MP3", "odd..mp3", "song.mp3"};
    QTest::newRow("mp3 trimmed") << QStringList({"  mp3 "}) << "mp3" << "*.mp3" << "File type(s) : mp3" << mp3s;
    QTest::newRow("MP3 lists the same") << QStringList({"MP3"}) << "MP3" << "*.MP3" << "File type(s) : MP3" << mp3s;
    QTest::newRow("two spaces take names without extension")
        << QStringList({"MP3  EXE"}) << "MP3  EXE" << "*.MP3;*.;*.EXE" << "File type(s) : MP3  EXE"
        << QStringList({"LOUD.MP3", "noext", "odd..mp3", "prog.exe", "song.mp3"});
    QTest::newRow("typed dot stays") << QStringList({".mp3"}) << ".mp3" << "*..mp3" << "File type(s) : .mp3"
                                     << QStringList({"odd..mp3"});
    QTest::newRow("star") << QStringList({"*"}) << "*" << "*.*" << "File type(s) : *" << allFiles;
    QTest::newRow("txt md") << QStringList({"txt md"}) << "txt md" << "*.txt;*.md" << "File type(s) : txt md"
                            << QStringList({"notes.txt", "readme.md"});
    QTest::newRow("placeholder-like text shown as typed")
        << QStringList({"[*]"}) << "[*]" << "*.[*]" << "File type(s) : [*]" << QStringList();
    QTest::newRow("tab belongs to the piece") << QStringList({"\tmp3 "}) << "\tmp3" << "*.\tmp3"
                                              << "File type(s) : \tmp3" << QStringList();
}

void TestShaping::fileTypes()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, fileTypes);
    QFETCH(QString, pattern);
    QFETCH(QString, caption);
    QFETCH(QStringList, listed);
    Window w([](ScriptedServices &s) { s.random->values = {0.0, 0.7}; });
    Form1 &f = *w.form;
    change(f, [](WindowState &s) { s.FileTypes = QStringLiteral("doc"); }); // offered as the default answer
    w.dialogs().answers = answers;
    RefreshCounter refreshes(f);

    f.FileType->trigger();
    QCOMPARE(w.dialogs().inputs.size(), 1);
    const InputRecord &in = w.dialogs().inputs.first();
    QCOMPARE(in.prompt, QStringLiteral("Insert file type extension(s):\r\rExample : MP3 EXE DOC ZIP"));
    QCOMPARE(in.title, QStringLiteral("FILE TYPE"));
    QCOMPARE(in.defaultText, QStringLiteral("doc"));
    QCOMPARE(f.state().FileTypes, fileTypes);
    QCOMPARE(f.File1->pattern(), pattern);
    f.winId(); // the caption as the window system gets it
    QCOMPARE(f.windowHandle()->title(), caption);
    QCOMPARE(w.texts(), listed);
    QCOMPARE(refreshes.count(), 1);
    // A fresh colour: int(0.7 * 5) + 1 = 4.
    QCOMPARE(w.scripted.random->draws, 2);
    QCOMPARE(f.List1->palette().color(QPalette::Base), qbColor(4));
    QCOMPARE(f.centralWidget()->palette().color(QPalette::Window), qbColor(4));
}

void TestShaping::fileTypesRebuildFromNothing()
{
    // Check1 off and another folder merged in: the command still starts from an
    // empty list, and confirming the same answer re-reads the folder.
    Window w;
    Form1 &f = *w.form;
    f.Check1->click();
    f.Dir1->setPath(path("other"));
    QVERIFY(w.texts().contains(QStringLiteral("elsewhere.txt")));
    QVERIFY(w.texts().contains(QStringLiteral("prog.exe")));

    w.dialogs().answers = {QStringLiteral("mp3")};
    f.FileType->trigger();
    QCOMPARE(w.texts(), QStringList({"song.mp3"}));

    makeFiles(path("other"), {"new.mp3"});
    w.dialogs().answers = {QStringLiteral("mp3")};
    f.FileType->trigger();
    QCOMPARE(w.dialogs().inputs.last().defaultText, QStringLiteral("mp3"));
    QCOMPARE(w.texts(), QStringList({"new.mp3", "song.mp3"}));
    QCOMPARE(w.scripted.random->draws, 3);
}

void TestShaping::fileTypesFolderGone()
{
    Window w;
    Form1 &f = *w.form;
    f.Dir1->setPath(path("other"));
    const QStringList listed = w.texts();
    QVERIFY(QDir(path("other")).removeRecursively());
    w.dialogs().answers = {QStringLiteral("txt")};
    f.FileType->trigger();
    // The folder cannot be read again: the reason in the "WARNING" box. The
    // answer is kept (it is offered next time); File1, its pattern, the
    // caption, the list and the colour stay as they were.
    verifyWarning(w.dialogs().messages, systemError(ENOENT) + QStringLiteral(" : ") + path("other"));
    QCOMPARE(f.state().FileTypes, QStringLiteral("txt"));
    QCOMPARE(f.File1->pattern(), QStringLiteral("*.*"));
    QCOMPARE(f.windowTitle(), QStringLiteral("Corvane+"));
    QCOMPARE(w.texts(), listed);
    QCOMPARE(w.scripted.random->draws, 1);
    QVERIFY(f.CreateTXT->isEnabled());
    // Still usable: the same answer in a folder that can be read.
    f.Dir1->setPath(m_dir->path());
    w.dialogs().answers = {QStringLiteral("txt")};
    f.FileType->trigger();
    QCOMPARE(w.texts(), QStringList({"notes.txt"}));
}

void TestShaping::filterMenuEnableRule()
{
    Window w;
    Form1 &f = *w.form;
    // Enabled at design time; the first opening with no word disables both.
    QVERIFY(f.ListOnly->isEnabled() && f.Exclude->isEnabled());
    QStringList order;
    for (QAction *a : {f.ListOnly, f.Exclude})
        connect(a, &QAction::changed, this, [&order, a] { order.append(a->objectName()); });
    f.FilterMenu->popup(QPoint(0, 0)); // really opened: aboutToShow runs the handler
    QVERIFY(!f.ListOnly->isEnabled() && !f.Exclude->isEnabled());
    QVERIFY(f.SelectWord->isEnabled());
    f.FilterMenu->close();
    QCOMPARE(order, QStringList({"Exclude", "ListOnly"}));

    // A word enables them only from the next opening on.
    w.dialogs().answers = {QStringLiteral("song")};
    f.SelectWord->trigger();
    QVERIFY(!f.ListOnly->isEnabled());
    emit f.FilterMenu->aboutToShow();
    QVERIFY(f.ListOnly->isEnabled() && f.Exclude->isEnabled());

    // Clearing the word keeps them until the menu opens again.
    f.SelectWord->trigger(); // Cancel
    QVERIFY(f.ListOnly->isEnabled());
    emit f.FilterMenu->aboutToShow();
    QVERIFY(!f.ListOnly->isEnabled() && !f.Exclude->isEnabled());
    QVERIFY(f.SelectWord->isEnabled());
}

void TestShaping::selectWordCaptions_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("word");
    QTest::newRow("trimmed") << " mp3 " << "mp3";
    QTest::newRow("inner space kept") << "my song" << "my song";
    QTest::newRow("ampersand shown as typed") << "R&B" << "R&B";
    QTest::newRow("tab kept") << "\tabc" << "\tabc";
}

void TestShaping::selectWordCaptions()
{
    QFETCH(QString, answer);
    QFETCH(QString, word);
    Window w;
    Form1 &f = *w.form;
    w.dialogs().answers = {answer};
    f.SelectWord->trigger();
    const InputRecord &in = w.dialogs().inputs.first();
    QCOMPARE(in.prompt, QStringLiteral("Select word to filter.\r\r(Leave empty to set the filter OFF)"));
    QCOMPARE(in.title, QStringLiteral("FILTER"));
    QCOMPARE(in.defaultText, QString());
    QCOMPARE(f.state().FilterWord, word);
    QCOMPARE(menuCaption(f.FilterMenu->menuAction()), QStringLiteral("File Filter ON"));
    QCOMPARE(menuCaption(f.ListOnly), QStringLiteral("List only items containing : ") + word);
    QCOMPARE(menuCaption(f.Exclude), QStringLiteral("Exclude items containing : ") + word);
    // No mode chosen yet: nothing is removed.
    QCOMPARE(w.texts(), allFiles);

    // Clearing (spaces only, then Cancel) turns the menu OFF and keeps the word in the captions.
    for (const QStringList &clear : {QStringList({"   "}), QStringList()}) {
        w.dialogs().answers = clear;
        f.SelectWord->trigger();
        QVERIFY(f.state().FilterWord.isEmpty());
        QCOMPARE(menuCaption(f.FilterMenu->menuAction()), QStringLiteral("File Filter OFF"));
        QCOMPARE(menuCaption(f.ListOnly), QStringLiteral("List only items containing : ") + word);
        QCOMPARE(menuCaption(f.Exclude), QStringLiteral("Exclude items containing : ") + word);
    }
    QCOMPARE(w.dialogs().inputs.at(1).defaultText, word);
}

void TestShaping::filterModes()
{
    Window w;
    Form1 &f = *w.form;
    QCOMPARE(menuCaption(f.ListOnly), QStringLiteral("Only items containing : "));
    w.dialogs().answers = {QStringLiteral("MP3")};
    f.SelectWord->trigger();
    emit f.FilterMenu->aboutToShow();

    f.ListOnly->trigger();
    QVERIFY(f.ListOnly->isChecked() && !f.Exclude->isChecked());
    QCOMPARE(f.state().FilterMode, WordFilterMode::ListOnly);
    QCOMPARE(w.texts(), QStringList({"LOUD.MP3", "odd..mp3", "song.mp3"}));
    f.ListOnly->trigger(); // already checked: stays checked
    QVERIFY(f.ListOnly->isChecked() && !f.Exclude->isChecked());

    f.Exclude->trigger();
    QVERIFY(!f.ListOnly->isChecked() && f.Exclude->isChecked());
    QCOMPARE(f.state().FilterMode, WordFilterMode::Exclude);
    QCOMPARE(w.texts(), QStringList({"noext", "notes.txt", "prog.exe", "readme.md"}));
    f.Exclude->trigger();
    QVERIFY(f.Exclude->isChecked());

    // The word cleared: mode and check mark stay, nothing is removed.
    f.SelectWord->trigger();
    QCOMPARE(f.state().FilterMode, WordFilterMode::Exclude);
    QVERIFY(f.Exclude->isChecked());
    QCOMPARE(w.texts(), allFiles);
}

void TestShaping::everyFilterCommandRefreshes()
{
    // Nothing changes, yet each command rebuilds the list: a hand edit is lost.
    Window w;
    Form1 &f = *w.form;
    RefreshCounter refreshes(f);
    for (QAction *command : {f.SelectWord, f.ListOnly, f.Exclude, f.DisplayEXT}) {
        w.items().setText(0, QStringLiteral("edited by hand"));
        refreshes.reset();
        command->trigger(); // SelectWord: Cancel with the word already empty
        QVERIFY2(refreshes.count() == 1, qPrintable(command->objectName()));
        QVERIFY2(!w.texts().contains(QStringLiteral("edited by hand")), qPrintable(command->objectName()));
    }
}

void TestShaping::readOptions_data()
{
    // The folder holds allFiles and other/; other/deeper/, other/link.mp3 (to
    // song.mp3) and the hidden .git/ are made here. Files listed in other/ and
    // below carry their path. A fault (strace) hits the last option's read only.
    QTest::addColumn<bool>("subfolders");
    QTest::addColumn<bool>("facts");
    QTest::addColumn<QString>("fault"); // the folder (relative), "|", what fails in it
    QTest::addColumn<bool>("longLink"); // a link whose target's name is too long: it cannot be checked
    // Set first: "noext" (extensions off), "types=T" (file types),
    // "word=W" (list only items containing it), "keep" (Check1 unchecked).
    // Then chosen, after the options: "full" or "names" (paths), "leave=W"
    // (folders left out, "," for " ").
    QTest::addColumn<QString>("naming");
    QTest::addColumn<QStringList>("texts"); // "<root>" stands for the folder's whole path
    QTest::addColumn<QString>("box"); // the "WARNING" box after the read ("@": the folder); empty: none
    const QStringList here = {"LOUD.MP3", "noext", "notes.txt", "odd..mp3", "prog.exe", "readme.md", "song.mp3"};
    const QStringList tree = {"LOUD.MP3",      "noext",         "notes.txt",      "odd..mp3",
                              "other/deeper/d.txt", "other/elsewhere.txt", "other/link.mp3", "other/song.mp3",
                              "prog.exe",      "readme.md",     "song.mp3"};
    QStringList treeWithoutDeeper = tree;
    treeWithoutDeeper.removeOne(QStringLiteral("other/deeper/d.txt"));
    const QString eio = systemError(EIO);
    QTest::newRow("whole tree") << true << false << QString() << false << "" << tree << QString();
    QTest::newRow("sizes and dates") << false << true << QString() << false << "" << here << QString();
    // The items that could be read stay; the box names what could not be.
    const QString deeper = QStringLiteral("1 folder could not be read:\r\rother/deeper : ") + eio;
    QTest::newRow("a folder below cannot be read") << true << false << "other/deeper|getdents64:error=EIO:when=1"
                                                   << false << "" << treeWithoutDeeper << deeper;
    QTest::newRow("a folder below and an entry: one box")
        << true << false << "other/deeper|getdents64:error=EIO:when=1" << true << ""
        << treeWithoutDeeper + QStringList{"zz-long"}
        << deeper + QStringLiteral("\r\r1 entry could not be checked:\r\rzz-long : ") + systemError(ENAMETOOLONG);
    // The first stat in other/ is the walk's of the folder itself.
    const QString link = QStringLiteral("1 entry could not be checked:\r\rother/link.mp3 : ") + eio;
    QTest::newRow("a link whose target cannot be checked")
        << true << false << "other|newfstatat:error=EIO:when=2+" << false << "" << tree << link;
    QTest::newRow("sizes and dates that cannot be read")
        << true << true << "other|newfstatat:error=EIO:when=2+" << false << "" << tree
        << link + QStringLiteral("\r\rThe sizes and dates of 2 files could not be read:\r\rother/elsewhere.txt : ")
               + eio + QStringLiteral("\rother/song.mp3 : ") + eio;
    // No file's stat may be made: all listed, without facts.
    QTest::newRow("no size and date can be read")
        << false << true << "|newfstatat:error=EACCES" << false << "" << here
        << QStringLiteral("The sizes and dates of 7 files could not be read:\r\rLOUD.MP3 : %1\rnoext : %1\r"
                          "notes.txt : %1\rodd..mp3 : %1\rprog.exe : %1\r...")
               .arg(systemError(EACCES));
    // The check mark says how the list was read: a read that fails leaves it.
    QTest::newRow("the read fails") << true << false << "|getdents64:error=EIO:when=1" << false << "" << here
                                    << eio + QStringLiteral(" : @");
    // How files are named and which folders a walk leaves out, with the
    // shaping of the list around them.
    const auto full = [](const QStringList &texts) {
        QStringList out;
        for (const QString &t : texts)
            out.append(u"<root>/" + t);
        return out;
    };
    const auto row = [](const char *name, bool subfolders, bool facts, const char *naming, const QStringList &texts) {
        QTest::newRow(name) << subfolders << facts << QString() << false << QString::fromLatin1(naming) << texts
                            << QString();
    };
    row("full paths, whole tree", true, false, "full", full(tree));
    row("full paths, extensions off", false, true, "noext full",
        full({"LOUD", "noext", "notes", "odd.", "prog", "readme", "song"}));
    row("names only, whole tree, file types", true, false, "types=mp3 names",
        {"link.mp3", "LOUD.MP3", "odd..mp3", "song.mp3"});
    row("names only, word filter", false, false, "word=o names",
        {"LOUD.MP3", "noext", "notes.txt", "odd..mp3", "prog.exe", "song.mp3"});
    row("full paths merged beside relative ones", false, false, "keep full", full(here) + here);
    row("names merged beside paths", true, false, "keep names", QStringList{"d.txt", "elsewhere.txt", "link.mp3"} + tree);
    row("a folder left out", true, true, "leave=DEEPER", treeWithoutDeeper);
    row("folders left out by pattern", true, false, "leave=x,oth*", here);
}

void TestShaping::readOptions()
{
    QFETCH(bool, subfolders);
    QFETCH(bool, facts);
    QFETCH(QString, fault);
    QFETCH(bool, longLink);
    QFETCH(QString, naming);
    QFETCH(QStringList, texts);
    QFETCH(QString, box);
    for (QString &text : texts)
        text.replace(QStringLiteral("<root>"), m_dir->path());
    const QStringList words = naming.split(u' ', Qt::SkipEmptyParts);
    const auto word = [&](const QString &start) {
        for (const QString &w : words)
            if (w.startsWith(start))
                return w.mid(start.size()).replace(u',', u' ');
        return QString();
    };
    makeFiles(m_dir->path(), {"other/deeper/d.txt", ".git/hidden.txt"});
    QCOMPARE(::symlink("song.mp3", QFile::encodeName(path("other/link.mp3")).constData()), 0);
    if (longLink)
        QCOMPARE(::symlink(QByteArray(300, 'x').constData(), QFile::encodeName(path("zz-long")).constData()), 0);
    writeBytes(path("notes.txt"), "12345");
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}}; // 2023-11-14 22:13 UTC
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path("notes.txt")).constData(), times, 0), 0);
    qputenv("TZ", "UTC");
    const auto localTime = qScopeGuard([] { qunsetenv("TZ"); });
    Window w;
    Form1 &f = *w.form;
    change(f, [&](WindowState &s) {
        s.ShowExtensions = !words.contains(u"noext");
        s.FilterWord = word(QStringLiteral("word="));
        s.FilterMode = s.FilterWord.isEmpty() ? WordFilterMode::None : WordFilterMode::ListOnly;
        s.clearFirst = !words.contains(u"keep");
    });
    if (const QString types = word(QStringLiteral("types=")); !types.isEmpty()) {
        w.dialogs().answers.append(types);
        f.FileType->trigger();
    }
    f.RefreshList();
    const QStringList start = w.texts();
    w.dialogs().messages.clear(); // the start's, of the link that cannot be checked
    RefreshCounter refreshes(f);
    // Each option reads the folder again and refreshes the list.
    if (subfolders && facts)
        f.IncludeSubfolders->trigger();
    std::unique_ptr<InjectedFault> failing;
    if (!fault.isEmpty()) {
        const QString inject = fault.section(u'|', 1);
        failing = std::make_unique<InjectedFault>(
            QStringList{QStringLiteral("-P"), path(fault.section(u'|', 0, 0)), QStringLiteral("-e"),
                        u"trace=" + inject.section(u':', 0, 0), QStringLiteral("-e"), u"inject=" + inject});
        if (!failing->isActive())
            SKIP_WITHOUT_INJECTION(failing->why());
    }
    QAction *option = facts ? f.SizesAndDates : subfolders ? f.IncludeSubfolders : nullptr;
    if (option)
        option->trigger();
    failing.reset();
    QAction *form = words.contains(u"full") ? f.FullPaths : words.contains(u"names") ? f.NamesOnly : nullptr;
    if (form)
        form->trigger();
    const QString leaveOut = word(QStringLiteral("leave="));
    if (!leaveOut.isEmpty()) {
        w.dialogs().answers.append(leaveOut);
        f.LeaveOutFolders->trigger();
        QVERIFY(f.LeaveOutFolders->isChecked());
    }
    const bool failed = box.endsWith(u'@');
    QCOMPARE(refreshes.count(),
             failed ? 0 : int(subfolders) + int(facts) + int(form != nullptr) + int(!leaveOut.isEmpty()));
    QVERIFY(!option || option->isChecked() == !failed);
    QCOMPARE(w.texts(), texts);
    QCOMPARE(f.File1->path(), m_dir->path()); // File1 and the tree stay on the chosen folder
    QCOMPARE(f.Dir1->path(), m_dir->path());
    if (box.isEmpty())
        QVERIFY(w.dialogs().messages.isEmpty());
    else
        verifyWarning(w.dialogs().messages, box.replace(u'@', m_dir->path()),
                      failed ? MessageIcon::Critical : MessageIcon::Exclamation);
    if (failed)
        return;
    // Sizes and dates stand beside each name, to the eye and to a screen reader.
    // Facts that could not be read stay empty.
    // (notes.txt, however it is named)
    const auto notesRow = std::find_if(texts.begin(), texts.end(), [](const QString &t) {
        return t.endsWith(QStringLiteral("notes.txt")) || t.endsWith(QStringLiteral("/notes"));
    });
    const QModelIndex notes = f.items().index(int(notesRow - texts.begin()));
    const QString name = notesRow == texts.end() ? QString() : *notesRow;
    const bool shown = facts && !box.contains(QStringLiteral("notes.txt :"));
    QCOMPARE(notes.data(ItemList::FactsRole).toString(), shown ? QStringLiteral("5  2023-11-14 22:13") : QString());
    QCOMPARE(notes.data(Qt::AccessibleTextRole).toString(),
             shown ? name + QStringLiteral(", 5 bytes, 2023-11-14 22:13") : name);
    // Off again, the list is as it started (with Check1 unchecked, it keeps
    // what it took).
    w.dialogs().messages.clear();
    if (subfolders)
        f.IncludeSubfolders->trigger();
    if (facts)
        f.SizesAndDates->trigger();
    if (form)
        f.RelativePaths->trigger();
    if (!leaveOut.isEmpty()) {
        f.LeaveOutFolders->trigger(); // Cancel: nothing left out
        QVERIFY(!f.LeaveOutFolders->isChecked());
        QCOMPARE(w.dialogs().inputs.last().defaultText, leaveOut); // the answer offered again
    }
    QVERIFY(f.RelativePaths->isChecked() && !f.FullPaths->isChecked() && !f.NamesOnly->isChecked());
    QCOMPARE(w.texts(), words.contains(u"keep") ? texts : start);
    QCOMPARE(notes.data(ItemList::FactsRole).toString(), QString());
}

void TestShaping::wholeTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("facts");
    QTest::addColumn<QString>("tip"); // %1: the long item's whole text
    QTest::newRow("an item wider than the list") << "List1" << false << "%1";
    QTest::newRow("with its size and date") << "List1" << true << "%1  3  2023-11-14 22:13";
    QTest::newRow("a File1 name wider than File1") << "File1" << false << "%1";
    QTest::newRow("a File1 name with its facts") << "File1" << true << "%1  3  2023-11-14 22:13";
}

void TestShaping::wholeTexts()
{
    QFETCH(QString, control);
    QFETCH(bool, facts);
    QFETCH(QString, tip);
    const QString inner = QStringLiteral("examples/adduser.local.conf.examples/a-folder-name-that-is-long/skel");
    const QString whole = QStringLiteral("aaa/") + inner + QStringLiteral("/.bashrc");
    makeFiles(m_dir->path(), {whole});
    writeBytes(path(whole), "abc");
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path(whole)).constData(), times, 0), 0);
    qputenv("TZ", "UTC");
    const auto localTime = qScopeGuard([] { qunsetenv("TZ"); });
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.IncludeSubfolders->trigger();
    if (facts)
        f.SizesAndDates->trigger();
    auto *view = f.findChild<QListView *>(control);
    const QModelIndex first = view->model()->index(0, 0);
    QCOMPARE(first.data().toString(), whole);
    // Cut in its middle, the path keeps the file's own name in sight.
    const QString cut = QStringLiteral("aaa/\u2026/skel/.bashrc");
    QCOMPARE(fittedText(whole, view->fontMetrics(), view->fontMetrics().horizontalAdvance(cut)), cut);
    const auto tipAt = [&](const QModelIndex &index) {
        QToolTip::hideText();
        const QPoint at = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &help);
        return QToolTip::text();
    };
    QCOMPARE(tipAt(first), tip.arg(whole));
    // A name that fits shows no tooltip of its own: the list's count, or none.
    const QModelIndex shortOne = view->model()->index(1, 0);
    tipAt(shortOne);
    QTRY_COMPARE(QToolTip::text(), control == u"List1" ? f.List1->toolTip() : QString());
}

void TestShaping::factsBesideFile1()
{
    // Enough short names that rows lie under File1; their facts stand left of it.
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names.append(QStringLiteral("n%1").arg(i, 2, 10, QChar(u'0')));
    makeFiles(m_dir->path(), names);
    Window w;
    Form1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.SizesAndDates->trigger();
    QWidget *client = f.List1->parentWidget();
    const QImage shot = client->grab().toImage();
    const QRect file1 = f.File1->geometry();
    const int factsWidth = f.List1->fontMetrics().horizontalAdvance(QStringLiteral("0  2026-12-08 13:17"));
    const auto lightPixels = [&](const QRect &area) {
        int light = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                light += shot.pixelColor(x, y).lightness() > 200;
        return light;
    };
    // In the band left of File1 at its height, where short names never reach:
    // white digits; above File1 they stand at the row's end as before.
    const QRect left(file1.left() - factsWidth, file1.top() + 4, factsWidth / 2, file1.height() - 8);
    QVERIFY2(lightPixels(left) > 50, qPrintable(QString::number(lightPixels(left))));
    const QRect aboveLeft = left.translated(0, -file1.height() - 20);
    QCOMPARE(lightPixels(aboveLeft), 0);
}

void TestShaping::naturalOrderInPlace()
{
    makeFiles(m_dir->path(), {"Track 10.mp3", "track 9.mp3", "Track 2.mp3"});
    Window w;
    Form1 &f = *w.form;
    RefreshCounter refreshes(f);
    const auto row = [&](const char *text) { return int(w.texts().indexOf(QString::fromLatin1(text))); };
    w.items().setMarked(row("Track 10.mp3"), true);
    w.items().setCurrentRow(row("track 9.mp3"));
    f.NaturalOrder->trigger();
    // Sorted again in place, File1 alike: nothing read, the mark and the
    // current item with their items.
    const QStringList here = {"LOUD.MP3", "noext", "notes.txt", "odd..mp3", "prog.exe", "readme.md", "song.mp3"};
    QCOMPARE(w.texts(), here + QStringList({"Track 2.mp3", "track 9.mp3", "Track 10.mp3"}));
    QCOMPARE(f.File1->names(), w.texts());
    QCOMPARE(refreshes.count(), 0);
    QVERIFY(f.NaturalOrder->isChecked());
    QVERIFY(w.items().isMarked(row("Track 10.mp3")) && w.items().markedCount() == 1);
    QCOMPARE(w.items().currentRow(), row("track 9.mp3"));
    // A later merge follows it.
    f.Check1->click();
    makeFiles(m_dir->path(), {"Track 3.mp3"});
    f.openFolders({m_dir->path()});
    QCOMPARE(w.texts().mid(7), QStringList({"Track 2.mp3", "Track 3.mp3", "track 9.mp3", "Track 10.mp3"}));
    QVERIFY(w.items().isMarked(row("Track 10.mp3")));
    // Back, on a worker as every long list is: 50,000 items more, marks kept.
    QStringList many;
    for (int i = 1; i <= 50000; ++i)
        many.append(QStringLiteral("n%1").arg(i));
    Items big = w.items().value();
    big.insertAll(big.additions(many));
    big.setMarked(big.texts().indexOf(QStringLiteral("n2")), true);
    w.items().assign(big);
    f.NaturalOrder->trigger();
    const QStringList texts = w.texts();
    QCOMPARE(texts.size(), 50011);
    QVERIFY(std::is_sorted(texts.begin(), texts.end(),
                           [](const QString &a, const QString &b) { return corvane::itemLess(a, b); }));
    QVERIFY(texts.indexOf(QStringLiteral("n10")) < texts.indexOf(QStringLiteral("n2")));
    const QStringList tracks = {"Track 10.mp3", "Track 2.mp3", "Track 3.mp3", "track 9.mp3"};
    QCOMPARE(texts.mid(texts.size() - 4), tracks);
    QCOMPARE(f.File1->names(), QStringList(here + tracks));
    QCOMPARE(w.items().markedCount(), 2);
    QVERIFY(w.items().isMarked(int(texts.indexOf(QStringLiteral("n2")))));
    QCOMPARE(w.items().currentRow(), row("track 9.mp3"));
}

void TestShaping::namingFailsWhole()
{
    // File1's folder cannot be read again: the reason in the "WARNING" box,
    // and the window as it was, option and check mark included.
    Window w;
    Form1 &f = *w.form;
    f.Dir1->setPath(path("other"));
    change(f, [](WindowState &s) { s.includeSubfolders = true; });
    const QStringList listed = w.texts();
    QVERIFY(QDir(path("other")).removeRecursively());
    f.FullPaths->trigger();
    const QString gone = systemError(ENOENT) + QStringLiteral(" : ") + path("other");
    verifyWarning(w.dialogs().messages, gone);
    QVERIFY(f.RelativePaths->isChecked() && !f.FullPaths->isChecked());
    QCOMPARE(f.state().pathForm, PathForm::Relative);
    w.dialogs().messages.clear();
    w.dialogs().answers = {QStringLiteral("node_modules")};
    f.LeaveOutFolders->trigger();
    verifyWarning(w.dialogs().messages, gone);
    QVERIFY(!f.LeaveOutFolders->isChecked());
    QCOMPARE(f.state().leftOutFolders, QString());
    QCOMPARE(w.texts(), listed);
}

QTEST_MAIN(TestShaping)
#include "tst_shaping.moc"
