#include "app/form1.h"

#include "listing/filetypes.h"
#include "listing/wordfilter.h"

#include <QAction>
#include <QMenu>

// Display options, file types and word filter commands. Each command that can
// change the listing ends in RefreshList, even when nothing changed.

namespace corvane {

namespace {

// The prompts of the file types and filter word boxes: two lines with an empty
// line between them (two CRs, no LF).
const QString fileTypesPrompt = QStringLiteral("Insert file type extension(s):\r\rExample : MP3 EXE DOC ZIP");
const QString filterWordPrompt = QStringLiteral("Select word to filter.\r\r(Leave empty to set the filter OFF)");

} // namespace

// An input box offering current; the answer trimmed of spaces (Cancel: empty).
QString Form1::askTrimmed(const QString &prompt, const QString &title, const QString &current)
{
    return trimSpaces(m_services.dialogs->inputBox(prompt, title, current));
}

void Form1::DisplayEXT_Click()
{
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    ShowExtensions = !ShowExtensions;
    setMenuCaption(DisplayEXT, ShowExtensions ? QStringLiteral("Extensions ON") : QStringLiteral("Extensions OFF"));
    RefreshList();
}

void Form1::FileType_Click()
{
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    FileTypes = askTrimmed(fileTypesPrompt, QStringLiteral("FILE TYPE"), FileTypes);

    const QString pattern = fileTypePattern(FileTypes);
    // Setting the pattern reads the folder afresh: that is File1's Refresh. A
    // folder gone meanwhile leaves File1 empty with its error as tooltip.
    if (!File1->setPattern(pattern.isEmpty() ? QStringLiteral("*.*") : pattern)) {
        m_readCancelled = true;
        return;
    }
    if (pattern.isEmpty()) {
        setWindowTitle(QStringLiteral("Corvane+"));
    } else {
        // Qt reads "[*]" in a title as the unsaved-changes mark and hides it;
        // doubled, it shows as typed.
        QString types = FileTypes;
        types.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        setWindowTitle(QStringLiteral("File type(s) : ") + types);
    }

    m_items.clear();
    RefreshList();
    if (!m_readCancelled)
        randomColours();
}

void Form1::FilterMenu_Click()
{
    const bool word = !FilterWord.isEmpty();
    Exclude->setEnabled(word);
    ListOnly->setEnabled(word);
}

void Form1::SelectWord_Click()
{
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    FilterWord = askTrimmed(filterWordPrompt, QStringLiteral("FILTER"), FilterWord);
    if (!FilterWord.isEmpty()) {
        setMenuCaption(Exclude, QStringLiteral("Exclude items containing : ") + FilterWord);
        setMenuCaption(ListOnly, QStringLiteral("List only items containing : ") + FilterWord);
        FilterMenu->setTitle(QStringLiteral("File Filter ON"));
    } else {
        // The mode items keep the last word in their captions.
        FilterMenu->setTitle(QStringLiteral("File Filter OFF"));
    }
    RefreshList();
}

void Form1::ListOnly_Click()
{
    chooseFilterMode(WordFilterMode::ListOnly);
}

void Form1::Exclude_Click()
{
    chooseFilterMode(WordFilterMode::Exclude);
}

void Form1::chooseFilterMode(WordFilterMode mode)
{
    const ReadingCommand command(*this);
    if (!command.allowed())
        return;
    // Triggering may have just cleared the mark of a checked item: set both,
    // "Only items" first.
    ListOnly->setChecked(mode == WordFilterMode::ListOnly);
    Exclude->setChecked(mode == WordFilterMode::Exclude);
    FilterMode = mode;
    RefreshList();
}

} // namespace corvane
