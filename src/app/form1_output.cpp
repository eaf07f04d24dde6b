#include "app/form1.h"
#include "listing/answers.h"
#include "listing/filenames.h"

#include "output/atomicwriter.h"
#include "output/documents.h"

#include <QAction>

#include <exception>

// Text document, web page and printing. Each command has one failure trap: a
// failure shows the system's description in a "WARNING" box and ends the
// command; the confirmation only follows a document that is fully written.

namespace corvane {

namespace {

const QString fileNamePrompt = QStringLiteral("Insert file name.\rThe extension will be automatically added.");

QString failureText(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

} // namespace

void Form1::showFailure(const QString &description)
{
    m_services.dialogs->messageBox(description, QStringLiteral("WARNING"), MessageIcon::Critical);
}

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
    try {
        const QString name = askDocumentName(QStringLiteral("Make TXT document"), QStringLiteral(".txt"));
        if (name.isEmpty())
            return;
        const WriteResult written =
            writeFileAtomically(name, textDocument(m_items.texts(), Enumerate->isChecked(), ShowExtensions != 0));
        if (!written.ok())
            return showFailure(written.error);
        m_services.dialogs->messageBox(QStringLiteral("File : ") + name + QStringLiteral(" saved in folder :\r\r")
                                           + displayPath(written.folder()),
                                       QStringLiteral("TXT Document"), MessageIcon::Information);
    } catch (const std::exception &e) {
        showFailure(failureText(e));
    }
}

void Form1::CreateHTM_Click()
{
    try {
        const QString name = askDocumentName(QStringLiteral("Make WEB page"), QStringLiteral(".htm"));
        if (name.isEmpty())
            return;
        // The title is not checked: an empty one still makes a page.
        const QString title = trimSpaces(m_services.dialogs->inputBox(
            QStringLiteral("Insert title."), QStringLiteral("Page title"), QStringLiteral("Corvane")));
        const WriteResult written = writeFileAtomically(
            name, htmlDocument(m_items.texts(), title, Enumerate->isChecked(), ShowExtensions != 0));
        if (!written.ok())
            return showFailure(written.error);
        m_services.dialogs->messageBox(QStringLiteral("File :") + name + QStringLiteral(" saved in folder :\r\r")
                                           + displayPath(written.folder()),
                                       QStringLiteral("WEB Page"), MessageIcon::Information);
        // Only once the box is closed: the page just written, by its absolute
        // path, handed to the desktop without waiting.
        const ServiceResult opened = m_services.shell->openDocument(written.absolutePath);
        if (!opened.ok())
            showFailure(opened.error);
    } catch (const std::exception &e) {
        showFailure(failureText(e));
    }
}

void Form1::PrintList_Click()
{
    try {
        // The items exactly as listed: printing ignores numbering and extensions.
        const ServiceResult printed = m_services.printer->printLines(m_items.texts(), 12);
        if (!printed.ok())
            showFailure(printed.error);
    } catch (const std::exception &e) {
        showFailure(failureText(e));
    }
}

} // namespace corvane
