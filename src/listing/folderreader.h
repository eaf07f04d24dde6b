#pragma once
// Reading the names of a folder's files: the contents of the file name box.

#include "base/result.h"
#include "listing/pattern.h"

#include <QString>
#include <QStringList>

namespace corvane {

struct FolderListing
{
    QStringList names;      // display names, sorted by itemLess
    QStringList subfolders; // the folders in it that are not hidden, sorted by itemLess
};

// Lists the regular files of folder (symlinks to regular files count; hidden
// dot-files count too) whose display names match pattern, sorted ignoring case.
// Folders, FIFOs, sockets, devices and broken links are left out. No entry is
// ever opened: kinds come from readdir, and stat() only where readdir cannot tell.
// The same pass gives the folder's subfolders, for the folder tree. A folder
// that cannot be read, or fails part-way, gives the system's description with
// what was read before.
Result<FolderListing> readFolder(const QString &folder, const Pattern &pattern);

// The folders in folder that are not hidden (links to folders count), sorted
// by itemLess: the same rule as the subfolders of readFolder.
Result<QStringList> readSubfolders(const QString &folder);

// Paths here are in the encoding of pathFromBytes (filenames.h), whatever
// bytes they hold.
// The process's working folder; empty when the system cannot give it.
QString workingFolder();
// True when path names a folder (or a link to one).
bool isFolder(const QString &path);

} // namespace corvane
