#pragma once
// The steps from the window's value to a document, as the window's commands
// take them and the command line's export (exportcommand.h) takes them again:
// the same read, merge, filter and writer for the same value, so both write
// the same bytes for the same folder and options.

#include "app/windowstate.h"
#include "listing/folderreader.h"
#include "listing/items.h"
#include "listing/refresh.h"
#include "output/documents.h"

#include <QList>
#include <QString>

namespace corvane {

// The pattern File1 reads with for the file types typed: every file when none.
QString filePattern(const QString &fileTypes);

// The order of the list and of File1.
inline ItemOrder itemOrder(const WindowState &s)
{
    return s.naturalOrder ? ItemOrder::Natural : ItemOrder::Alphabetical;
}

// What a read of the folder takes beside its files' names, and how it names
// and orders them.
inline ReadOptions readOptions(const WindowState &s)
{
    return ReadOptions{s.includeSubfolders, s.sizesAndDates, s.pathForm, itemOrder(s), s.leftOutFolders};
}

// How RefreshList merges File1's names into the list.
inline RefreshSettings refreshSettings(const WindowState &s)
{
    return RefreshSettings{s.clearFirst, s.ShowExtensions, s.FilterWord, s.FilterMode};
}

// A document's content for the list items shows: numbered and cut as the
// value says, their facts while "Sizes and dates" is on (facts holds them
// while it is used).
DocumentContent documentContent(const WindowState &s, const Items &items, QList<FileFacts> &facts,
                                const QString &title);

// What a read could not take, as the "WARNING" box after it and the command
// line say it: how many folders below could not be read, how many entries
// could not be checked, how many files' sizes and dates could not be read,
// each with the first few named with the system's reason; lines joined by CR,
// parts by an empty line. Empty when the read took everything.
QString readWarnings(const FolderListing &listing);

} // namespace corvane
