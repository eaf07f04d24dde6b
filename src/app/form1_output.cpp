#include "app/form1.h"
#include "base/answers.h"
#include "listing/filenames.h"

#include "output/documents.h"

#include <QAction>

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

void Form1::CreateTXT_Click()
{
    const QString name = askDocumentName(QStringLiteral("Make TXT document"), QStringLiteral(".txt"));
    if (name.isEmpty())
        return;
    const Result<QString> written = writeDocument(name, documentFormat(DocumentKind::Text),
                                                  {.items = m_items.texts(),
                                                   .numbered = Enumerate->isChecked(),
                                                   .showExtensions = ShowExtensions});
    if (warnOnFailure(written))
        return;
    m_services.dialogs->messageBox(QStringLiteral("File : ") + name + QStringLiteral(" saved in folder :\r\r")
                                       + displayPath(folderOf(written.value)),
                                   QStringLiteral("TXT Document"), MessageIcon::Information);
}

void Form1::CreateHTM_Click()
{
    const QString name = askDocumentName(QStringLiteral("Make WEB page"), QStringLiteral(".htm"));
    if (name.isEmpty())
        return;
    // The title is not checked: an empty one still makes a page.
    const QString title = trimSpaces(m_services.dialogs->inputBox(
        QStringLiteral("Insert title."), QStringLiteral("Page title"), QStringLiteral("Corvane")));
    const Result<QString> written = writeDocument(name, documentFormat(DocumentKind::Page),
                                                  {.items = m_items.texts(), .numbered = Enumerate->isChecked(),
                                                   .showExtensions = ShowExtensions, .title = title});
    if (warnOnFailure(written))
        return;
    m_services.dialogs->messageBox(QStringLiteral("File :") + name + QStringLiteral(" saved in folder :\r\r")
                                       + displayPath(folderOf(written.value)),
                                   QStringLiteral("WEB Page"), MessageIcon::Information);
    // Only once the box is closed: the page just written, by its absolute
    // path, handed to the desktop without waiting.
    warnOnFailure(m_services.shell->openDocument(written.value));
}

void Form1::PrintList_Click()
{
    // The items exactly as listed: printing ignores numbering and extensions.
    warnOnFailure(m_services.printer->printLines(m_items.texts(), 12));
}

} // namespace corvane
