#pragma once
// Everything the window shows and its commands read, as one value. A command
// works on a copy and the window takes the copy when the command ends; a
// cancelled command leaves the window's value as it was, so nothing has to be
// put back. The item list itself lives in its model (List1's ItemList): a
// command that changes it carries a copy of its own beside this value.

#include "listing/facts.h"
#include "listing/folderreader.h"
#include "listing/wordfilter.h"
#include "platform/services.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

// What the file name box holds: the files of path that match pattern.
struct FolderView
{
    QString path;
    QString pattern = QStringLiteral("*.*");
    QStringList names;       // in item order
    QList<FileFacts> facts;  // one per name when they were read, else empty
    QStringList subfolders;  // from the same read, for the folder tree
    friend bool operator==(const FolderView &, const FolderView &) = default;
};

struct WindowState
{
    // Window variables.
    bool ShowExtensions = false;
    QString FileTypes;
    QString FilterWord;
    WordFilterMode FilterMode = WordFilterMode::None;

    // What the menus show beyond those: the word in the two mode captions
    // (empty: their first captions), and whether a word was ever chosen (the
    // filter menu then reads ON or OFF).
    QString modeCaptionWord;
    bool wordChosen = false;
    bool enumerate = false;  // "Enumerate items" checked
    bool clearFirst = true;  // Check1 checked
    bool includeSubfolders = false; // a read takes the files of every folder below too
    bool sizesAndDates = false;     // a read takes each file's size and time; they are shown and written
    PathForm pathForm = PathForm::Relative; // how a read names each file
    bool naturalOrder = false;      // the list (and File1) in natural order rather than alphabetical
    QString leftOutFolders;         // folder names or patterns a walk does not enter, as typed; empty: none
    QString caption = QStringLiteral("Corvane+");
    int colour = -1;         // palette number of the background; -1: the design colour

    // Where the names come from.
    QList<Volume> volumes;   // Drive1's entries
    QString drive;           // the root of Drive1's chosen entry
    QString currentDrive;    // the root of the volume made current
    QString workingFolder;   // its remembered folder: documents named without a folder go there
    QString treeRoot;        // the volume whose folders Dir1 shows
    QString treePath;        // Dir1's Path; empty when no folder is chosen
    FolderView files;        // File1

    // What the last refresh or erase told: the count in List1's tooltip and
    // whether the output commands are enabled (Clear leaves both as they were).
    qsizetype countShown = 0;
    bool outputEnabled = false;

    friend bool operator==(const WindowState &, const WindowState &) = default;
};

} // namespace corvane
