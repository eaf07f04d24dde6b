#include "app/form1.h"
#include "app/listingsteps.h"
#include "base/answers.h"
#include "listing/filenames.h"

#include "output/atomicwriter.h"
#include "output/documents.h"

#include <QAction>
#include <QCoreApplication>

#include <optional>

// The documents and the printout. Every document format is served by one
// command: it asks for the name (and the title where the format has one),
// writes the document on a worker, confirms, and hands it to the desktop when
// the format says so. A failure shows the system's description in the
// "WARNING" box and ends the command; the confirmation only follows a document
// whose data is on the disk.

namespace corvane {

namespace {

const char *const fileNamePrompt =
    QT_TRANSLATE_NOOP("corvane::Form1", "Insert file name.\rThe extension will be automatically added.");

// The folder that holds an absolute path, cut from the text: the path may hold
// bytes that are not UTF-8 (see pathFromBytes), which QFileInfo would lose.
QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// A text of the formats' table as the user reads it.
QString shown(const char *text)
{
    return QCoreApplication::translate(kDocumentFormatContext, text);
}

} // namespace

// Asks for the document's name; empty when the user gave none (and was told
// so). A name whose last part is empty ("/", "sub/") is no name either: with
// the extension added it would make a hidden ".txt".
QString Form1::askDocumentName(const QString &title, const QString &extension)
{
    const QString answer =
        trimSpaces(m_services.dialogs->inputBox(tr(fileNamePrompt), title, QStringLiteral("corvane")));
    if (answer.isEmpty() || answer.endsWith(u'/')) {
        m_services.dialogs->messageBox(tr("Operation aborted"), tr("WARNING"), MessageIcon::Exclamation);
        return {};
    }
    return answer + extension; // always added, also after a typed extension
}

void Form1::createDocument(const DocumentFormat &format)
{
    Command c(*this);
    if (c.refused())
        return;
    const QString name = askDocumentName(shown(format.nameBoxTitle), QString::fromLatin1(format.extension));
    if (name.isEmpty())
        return;
    // The title is not checked: an empty one still makes a page.
    const QString title = format.asksTitle()
        ? trimSpaces(m_services.dialogs->inputBox(shown(format.titlePrompt), shown(format.titleBoxTitle),
                                                  QString::fromUtf8(format.defaultTitle)))
        : QString();

    // Written on a worker, made while it is written: a page of a million items
    // to a network folder takes seconds. A cancel before the new document
    // replaces the old one leaves the old one as it was.
    const QString folder = c.next().workingFolder;
    QList<FileFacts> facts;
    const DocumentContent content = documentContent(c.next(), m_items.value(), facts, title);
    const std::optional<Result<QString>> written = runIn<Result<QString>>(
        c, tr("Writing %1").arg(displayPath(name)), false, [&](ReadProgress &progress) {
            return writeFileAtomically(
                folder, name, [&](const ByteSink &write) { streamDocument(format, content, write); }, &progress);
        });
    if (!written)
        return;
    if (!written->ok()) {
        c.fail(written->error);
        return;
    }
    m_services.dialogs->messageBox(
        shown(format.confirmationText).arg(name, displayPath(folderOf(written->value))),
        shown(format.confirmationTitle), MessageIcon::Information);
    if (!format.opensAfterwards)
        return;
    // Only once the box is closed: the document just written, by its absolute
    // path, handed to the desktop without waiting.
    const Result<> opened = m_services.shell->openDocument(written->value);
    if (!opened.ok())
        c.fail(opened.error);
}

// The two commands on the bar by their own names; their actions run
// createDocument directly, as every format's does.
void Form1::CreateTXT_Click()
{
    createDocument(*findDocumentFormat(u"txt"));
}

void Form1::CreateHTM_Click()
{
    createDocument(*findDocumentFormat(u"htm"));
}

void Form1::PrintList_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    // The items exactly as listed: printing ignores numbering and extensions;
    // their sizes and dates in columns beside them while those are shown.
    Printer *printer = m_services.printer.get();
    const QStringList items = m_items.texts();
    const QList<FileFacts> facts = c.next().sizesAndDates ? m_items.value().factsColumn() : QList<FileFacts>();
    const std::optional<Result<>> printed =
        runIn<Result<>>(c, tr("Printing"), false, [printer, items, facts](ReadProgress &) {
            return printer->printColumns(printedColumns({items, facts}), 12);
        });
    if (printed && !printed->ok())
        c.fail(printed->error);
}

} // namespace corvane
