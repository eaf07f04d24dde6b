// Printing for real: run by print_test.sh against a private CUPS server with
// the virtual PDF printer as its default. The slots run in order: printing
// first, then a refused job, then no default printer at all.

#include "app/form1.h"
#include "platform/qtservices.h"
#include "support/scripted.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qWarning("%s %s failed: %s", qPrintable(program), qPrintable(arguments.join(u' ')),
                 process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The documents the server has kept, by their spool names (d<job>-<n>).
QStringList spooledDocuments()
{
    return QDir(qEnvironmentVariable("CORVANE_PRINT_SPOOL")).entryList({QStringLiteral("d*")}, QDir::Files,
                                                                        QDir::Name);
}

QString withoutSpaces(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void printsEveryLineOnTheDefaultPrinter();
    void emptyListStillEndsTheDocument();
    void columnsLineUp();
    void refusedJobIsReported();
    void noDefaultPrinterIsReported();

private:
    std::unique_ptr<Window> printingWindow(const QStringList &files);

    std::unique_ptr<test::WorkFolder> m_dir;
};

void TestPrint::init()
{
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER") || qEnvironmentVariableIsEmpty("CORVANE_PRINT_SPOOL"))
        QSKIP("runs under print_test.sh, against its own print server");
    m_dir = std::make_unique<test::WorkFolder>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestPrint::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<Window> TestPrint::printingWindow(const QStringList &files)
{
    makeFiles(m_dir->path(), files);
    return std::make_unique<Window>(
        [](ScriptedServices &s) { s.services.printer = std::make_unique<QtPrinter>(); });
}

void TestPrint::printsEveryLineOnTheDefaultPrinter()
{
    // Enough items for several pages, one too long for a line, a few accents.
    QStringList files;
    for (int i = 1; i <= 130; ++i)
        files.append(QStringLiteral("item %1.txt").arg(i, 3, 10, QLatin1Char('0')));
    files.append(QStringLiteral("zz ") + QStringLiteral("long words keep going ").repeated(9) + QStringLiteral("end.doc"));
    files.append(QStringLiteral("Ärger über Café.pdf"));
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    const QStringList before = spooledDocuments();

    auto w = printingWindow(files);
    // Neither numbering nor hidden extensions reach the printer.
    change(*w->form, [](WindowState &s) {
        s.enumerate = true;
        s.ShowExtensions = false;
    });
    const QStringList items = w->texts();
    QCOMPARE(items.size(), files.size());
    w->form->PrintList_Click();
    QVERIFY2(w->dialogs().messages.isEmpty(),
             qPrintable(w->dialogs().messages.isEmpty() ? QString() : w->dialogs().messages[0].text));

    // The document handed to the server: every item, in order, unnumbered.
    QStringList added = spooledDocuments();
    for (const QString &old : before)
        added.removeAll(old);
    QCOMPARE(added.size(), 1);
    const QString spooled = QDir(qEnvironmentVariable("CORVANE_PRINT_SPOOL")).filePath(added[0]);
    const QString text = run(QStringLiteral("pdftotext"), {spooled, QStringLiteral("-")});
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line.remove(u'\f');
    lines.removeAll(QString());
    for (const QString &item : items) {
        if (item.size() < 60)
            QVERIFY2(lines.contains(item), qPrintable(item));
    }
    QCOMPARE(withoutSpaces(lines.join(QString())), withoutSpaces(items.join(QString())));
    QVERIFY2(text.count(u'\f') >= 3, "the items fill several pages");

    // The virtual printer then writes its own PDF.
    const QString out = qEnvironmentVariable("CORVANE_PDF_OUT");
    if (out.isEmpty())
        return;
    QString pdf;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const QFileInfo &info : QDir(out).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
                if (info.lastModified() >= started && info.size() > 0)
                    pdf = info.absoluteFilePath();
            }
            return !pdf.isEmpty();
        }(),
        40000);
    // Its text is re-rendered and need not extract cleanly; its pages must all be there.
    const QString pages = QStringLiteral("Pages:");
    auto pageLine = [&](const QString &file) {
        const QStringList info = run(QStringLiteral("pdfinfo"), {file}).split(u'\n');
        for (const QString &line : info) {
            if (line.startsWith(pages))
                return line.simplified();
        }
        return QString();
    };
    // cups-pdf may still be writing it: wait until it reads as a whole PDF.
    QTRY_VERIFY_WITH_TIMEOUT(!pageLine(pdf).isEmpty(), 30000);
    QCOMPARE(pageLine(pdf), pageLine(spooled));
    QVERIFY(!pageLine(pdf).isEmpty());
    QFile::remove(pdf);
}

void TestPrint::emptyListStillEndsTheDocument()
{
    const QStringList before = spooledDocuments();
    auto w = printingWindow({});
    QCOMPARE(w->items().count(), 0);
    w->form->PrintList_Click();
    QVERIFY(w->dialogs().messages.isEmpty());
    QCOMPARE(spooledDocuments().size(), before.size() + 1);
}

void TestPrint::columnsLineUp()
{
    // Names, sizes and times as the list gives them with its facts: each size
    // ends where the others end, each time starts where the others start, both
    // on the first line of their row, also beside a name that wraps.
    const QStringList names{"short.txt", "zz " + QStringLiteral("long words keep going ").repeated(9) + "end.doc",
                            "", "Ärger.pdf"};
    const QStringList sizes{"7", "1234567", "42", ""};
    const QStringList times{"2025-12-08 14:17", "2025-07-01 15:30", "1970-01-01 00:59", ""};
    const QStringList before = spooledDocuments();
    QtPrinter printer;
    const Result<> printed = printer.printColumns({names, sizes, times}, 12);
    QVERIFY2(printed.ok(), qPrintable(printed.error));
    QStringList added = spooledDocuments();
    for (const QString &old : before)
        added.removeAll(old);
    QCOMPARE(added.size(), 1);

    // Every word with its box, as pdftotext finds them.
    struct Word
    {
        QString text;
        double left, top, right;
    };
    QList<Word> words;
    const QString boxes = run(QStringLiteral("pdftotext"),
                              {QStringLiteral("-bbox"),
                               QDir(qEnvironmentVariable("CORVANE_PRINT_SPOOL")).filePath(added[0]),
                               QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        R"RE(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)RE"));
    for (const QRegularExpressionMatch &m : word.globalMatch(boxes))
        words.append({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()});
    auto find = [&](const QString &text) {
        for (const Word &w : std::as_const(words))
            if (w.text == text)
                return w;
        return Word{};
    };
    const Word seven = find("7"), million = find("1234567"), fortyTwo = find("42");
    const Word december = find("2025-12-08"), july = find("2025-07-01"), epoch = find("1970-01-01");
    for (const Word &w : {seven, million, fortyTwo, december, july, epoch})
        QVERIFY2(!w.text.isEmpty(), qPrintable(boxes));
    QVERIFY(qAbs(seven.right - million.right) < 0.5 && qAbs(seven.right - fortyTwo.right) < 0.5);
    QVERIFY(qAbs(december.left - july.left) < 0.5 && qAbs(december.left - epoch.left) < 0.5);
    QVERIFY(million.right < december.left); // sizes before times, apart
    // Each on its row's first line, beside the name.
    QVERIFY(qAbs(seven.top - find("short.txt").top) < 1);
    QVERIFY(qAbs(million.top - find("zz").top) < 1);
    QVERIFY(find("end.doc").top > million.top);
    QVERIFY(find("end.doc").right < million.left); // the name wraps before the columns
    QVERIFY(fortyTwo.top > million.top && fortyTwo.top < find("Ärger.pdf").top);
}

void TestPrint::refusedJobIsReported()
{
    run(QStringLiteral("cupsreject"), {QStringLiteral("PDF")});
    const QStringList before = spooledDocuments();
    auto w = printingWindow({"a.txt"});
    w->form->PrintList_Click();
    run(QStringLiteral("cupsaccept"), {QStringLiteral("PDF")});
    verifyWarning(w->dialogs().messages, QStringLiteral("not accepting jobs"), MessageIcon::Critical, true);
    QCOMPARE(spooledDocuments(), before);
}

void TestPrint::noDefaultPrinterIsReported()
{
    run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("PDF")});
    auto w = printingWindow({"a.txt"});
    w->form->PrintList_Click();
    verifyWarning(w->dialogs().messages, QStringLiteral("No default printer is set up on this system."));
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
