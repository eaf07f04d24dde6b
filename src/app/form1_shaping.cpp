#include "app/form1.h"
#include "app/listingsteps.h"

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
const char *const fileTypesPrompt =
    QT_TRANSLATE_NOOP("corvane::Form1", "Insert file type extension(s):\r\rExample : MP3 EXE DOC ZIP");
const char *const filterWordPrompt =
    QT_TRANSLATE_NOOP("corvane::Form1", "Select word to filter.\r\r(Leave empty to set the filter OFF)");

} // namespace

// An input box offering current; the answer trimmed of spaces (Cancel: empty).
QString Form1::askTrimmed(const QString &prompt, const QString &title, const QString &current)
{
    return trimSpaces(m_services.dialogs->inputBox(prompt, title, current));
}

void Form1::DisplayEXT_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    // The caption follows: "Extensions ON" or "Extensions OFF".
    c.next().ShowExtensions = !c.next().ShowExtensions;
    RefreshList(c);
}

void Form1::Enumerate_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    // Its check mark is all there is to numbering: the documents read it.
    c.next().enumerate = Enumerate->isChecked();
}

void Form1::IncludeSubfolders_Click()
{
    chooseReadOption(&WindowState::includeSubfolders, IncludeSubfolders->isChecked());
}

void Form1::SizesAndDates_Click()
{
    chooseReadOption(&WindowState::sizesAndDates, SizesAndDates->isChecked());
}

void Form1::chooseReadOption(bool WindowState::*option, bool checked)
{
    Command c(*this);
    if (c.refused())
        return;
    // The option changes what a read takes: File1's folder is read again
    // with it and the list refreshed, as after a change of file types.
    WindowState &s = c.next();
    s.*option = checked;
    if (s.files.path.isEmpty())
        return;
    // The check mark says how the shown list was read: a read or a merge
    // that fails leaves it, and File1, as they were (a cancel leaves the whole
    // window so).
    const FolderView before = s.files;
    if (!readFiles(c, s.files.path, s.files.pattern) || !RefreshList(c)) {
        s.*option = !checked;
        s.files = before;
    }
}

void Form1::FileType_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    WindowState &s = c.next();
    s.FileTypes = askTrimmed(tr(fileTypesPrompt), tr("FILE TYPE"), s.FileTypes);

    // The pattern and the folder read again with it (File1's Refresh) are one
    // step: a folder gone meanwhile keeps File1 as it was.
    if (!readFiles(c, s.files.path, filePattern(s.FileTypes)))
        return;
    s.caption = fileTypePattern(s.FileTypes).isEmpty() ? QStringLiteral("Corvane+") : tr("File type(s) : ") + s.FileTypes;

    c.items().clear();
    if (!RefreshList(c))
        return;
    s.colour = int(m_services.random->next() * 5) + 1;
}

void Form1::FilterMenu_Click()
{
    const bool word = !m_state.FilterWord.isEmpty();
    Exclude->setEnabled(word);
    ListOnly->setEnabled(word);
}

void Form1::SelectWord_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    WindowState &s = c.next();
    s.FilterWord = askTrimmed(tr(filterWordPrompt), tr("FILTER"), s.FilterWord);
    // The menu reads "File Filter ON" or "OFF" from now on; the mode items keep
    // the last word in their captions.
    s.wordChosen = true;
    if (!s.FilterWord.isEmpty())
        s.modeCaptionWord = s.FilterWord;
    RefreshList(c);
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
    Command c(*this);
    if (c.refused())
        return;
    // The check marks follow: exactly the item of the mode chosen.
    c.next().FilterMode = mode;
    RefreshList(c);
}

} // namespace corvane
