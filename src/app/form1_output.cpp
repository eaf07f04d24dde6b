#include "app/form1.h"
#include "base/answers.h"
#include "listing/filenames.h"

#include "output/atomicwriter.h"
#include "output/documents.h"

#include <QAction>

#include <optional>

// Text document, web page and printing. A failure shows the system's
// description in the "WARNING" box and ends the command; the confirmation
// only follows a document that is fully written.

namespace corvane {

namespace {

const QString fileNamePrompt = QStringLiteral("Insert file name.\rThe extension will be automatically added.");

// The folder that holds an absolute path, cut from the text: the path may hold
// bytes that are not UTF-8 (see pathFromBytes), which QFileInfo would lose.
QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

// Asks for the document's name; empty when the user gave none (and was told so).
QString Form1::askDocumentName(const QString &title, const QString &extension)
{
    const QString answer =
        trimSpaces(m_services.dialogs->inputBox(fileNamePrompt, title, QStringLiteral("corvane")));
    if (answer.isEmpty()) {
        m_services.dialogs->messageBox(QStringLiteral("Operation aborted"), QStringLiteral("WARNING"),
                                       MessageIcon::Exclamation);
        return {};
    }
    return answer + extension; // always added, also after a typed extension
}

bool Form1::writeDocument(Command &c, const QString &name, QByteArray bytes, QString *written)
{
    // Written on a worker: a page of a million items to a network folder takes
    // seconds. A cancel before the new document replaces the old one leaves the
    // old one as it was.
    const QString folder = c.next().workingFolder;
    const std::optional<Result<QString>> result =
        runIn<Result<QString>>(c, QStringLiteral("Writing ") + displayPath(name), false,
                               [folder, name, bytes = std::move(bytes)](ReadProgress &progress) {
                                   return writeFileAtomically(folder, name, bytes, &progress);
                               });
    if (!result)
        return false;
    if (!result->ok()) {
        c.fail(result->error);
        return false;
    }
    *written = result->value;
    return true;
}

void Form1::CreateTXT_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    const QString name = askDocumentName(QStringLiteral("Make TXT document"), QStringLiteral(".txt"));
    if (name.isEmpty())
        return;
    const WindowState &s = c.next();
    QString written;
    if (!writeDocument(c, name, textDocument(m_items.texts(), s.enumerate, s.ShowExtensions), &written))
        return;
    m_services.dialogs->messageBox(QStringLiteral("File : ") + name + QStringLiteral(" saved in folder :\r\r")
                                       + displayPath(folderOf(written)),
                                   QStringLiteral("TXT Document"), MessageIcon::Information);
}

void Form1::CreateHTM_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    const QString name = askDocumentName(QStringLiteral("Make WEB page"), QStringLiteral(".htm"));
    if (name.isEmpty())
        return;
    // The title is not checked: an empty one still makes a page.
    const QString title = trimSpaces(m_services.dialogs->inputBox(
        QStringLiteral("Insert title."), QStringLiteral("Page title"), QStringLiteral("Corvane")));
    const WindowState &s = c.next();
    QString written;
    if (!writeDocument(c, name, htmlDocument(m_items.texts(), title, s.enumerate, s.ShowExtensions), &written))
        return;
    m_services.dialogs->messageBox(QStringLiteral("File :") + name + QStringLiteral(" saved in folder :\r\r")
                                       + displayPath(folderOf(written)),
                                   QStringLiteral("WEB Page"), MessageIcon::Information);
    // Only once the box is closed: the page just written, by its absolute
    // path, handed to the desktop without waiting.
    const Result<> opened = m_services.shell->openDocument(written);
    if (!opened.ok())
        c.fail(opened.error);
}

void Form1::PrintList_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    // The items exactly as listed: printing ignores numbering and extensions.
    Printer *printer = m_services.printer.get();
    const std::optional<Result<>> printed = runIn<Result<>>(
        c, QStringLiteral("Printing"), false,
        [printer, lines = m_items.texts()](ReadProgress &) { return printer->printLines(lines, 12); });
    if (printed && !printed->ok())
        c.fail(printed->error);
}

} // namespace corvane
