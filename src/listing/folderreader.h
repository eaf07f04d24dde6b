#pragma once
// Reading the names of a folder's files: the contents of the file name box.

#include "base/result.h"
#include "listing/casefold.h"
#include "listing/facts.h"
#include "listing/pattern.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <vector>

namespace corvane {

// A folder below the one read that could not be read, and why.
struct FolderFailure
{
    QString folder; // relative to the folder read, parts joined by "/"
    QString reason; // the system's description
    friend bool operator==(const FolderFailure &, const FolderFailure &) = default;
};

// Entries a read could not look at in full, of one kind: how many, and the
// first few of them in item order (as they are shown, paths in a walk) with
// the system's reason.
struct EntryFailures
{
    static constexpr qsizetype kNamed = 5;
    qsizetype count = 0;
    QList<FolderFailure> first; // at most kNamed; folder holds the entry's path
    bool isEmpty() const { return count == 0; }
    friend bool operator==(const EntryFailures &, const EntryFailures &) = default;
};

struct FolderListing
{
    QStringList names;            // display names (paths, in a walk: see PathForm), in the order asked for
    std::vector<FileFacts> facts; // one per name when they were asked for, else empty
    QStringList subfolders;       // the folders in it that are not hidden, sorted by itemLess
    QList<FolderFailure> unreadable; // folders below it that a walk could not read
    // Entries whose kind could not be learned (a stat that failed for another
    // reason than that they name nothing). A link among them is listed, with
    // empty facts: it names something the user can see.
    EntryFailures unchecked;
    // Listed files whose size and time could not be read (their facts are empty).
    EntryFailures withoutFacts;
};

// How a read names each file: by its path from the folder read ("Live/x.mp3"
// in a walk, the name alone in the folder itself), by its whole path from the
// root ("/home/ann/Music/Live/x.mp3"), or by its own name alone ("x.mp3").
enum class PathForm { Relative, Full, NameOnly };

// What a read takes beside the folder's own file names.
struct ReadOptions
{
    bool subfolders = false; // the files of every folder below too
    bool facts = false;      // each file's size and modification time
    PathForm paths = PathForm::Relative;
    ItemOrder order = ItemOrder::Alphabetical; // of the names
    // Folder names or wildcard patterns (pattern.h), separated by spaces,
    // matched against each folder's own name: a walk does not enter those
    // folders. The folder read is read all the same.
    QString leaveOut = {};
    // The names of an earlier read of the folder, in the same order: each name
    // that comes again shares its string, so a folder read again holds its
    // names once.
    QStringList earlier = {};
};

// Shared between a read on a worker thread and the window that waits for it.
// The reader publishes how many names it has read after each batch and stops
// at the next batch once cancelled; what it returns then is incomplete.
struct ReadProgress
{
    std::atomic<qint64> names{0};
    std::atomic<bool> cancelled{false};

    // The window's cancel; false when the work has passed its point of no
    // return and goes on to its end.
    bool cancel()
    {
        int running = kRunning;
        if (!m_stage.compare_exchange_strong(running, kCancelled))
            return running == kCancelled;
        cancelled.store(true, std::memory_order_relaxed);
        return true;
    }
    // For work that cannot be undone past a point (a document replacing the
    // old one): called just before it; false when a cancel came first, and the
    // work must then stop short of it.
    bool passPointOfNoReturn()
    {
        int running = kRunning;
        return m_stage.compare_exchange_strong(running, kPast) || running == kPast;
    }

private:
    static constexpr int kRunning = 0, kCancelled = 1, kPast = 2;
    std::atomic<int> m_stage{kRunning};
};

// Lists the regular files of folder (symlinks to regular files count; hidden
// dot-files count too) whose display names match pattern, sorted ignoring case.
// Folders, FIFOs, sockets, devices and broken links (and loops) are left out. No
// file is ever opened: kinds come from readdir, and stat() only where readdir
// cannot tell. An entry whose stat fails otherwise (an I/O error, a refused
// search) is never dropped in silence: it goes into unchecked when its name
// matches or a walk would enter it, and a link among them is listed.
// The same pass gives the folder's subfolders, for the folder tree. A folder
// that cannot be read, or fails part-way, gives the system's description with
// what was read before.
// With progress, the count of names read (every directory entry, of every
// folder walked) is published after each batch and a cancel stops the read at
// the next batch (what it returns is then incomplete).
//
// With options.subfolders the files of every folder below are listed too, at
// any depth, each named by its path from folder with "/" between the parts
// (each part shown as names are); the pattern matches the file's own name. The
// walk enters the folders the folder tree shows (not hidden) but those
// options.leaveOut names, never follows a link to a folder, and reads a folder
// reached twice (a bind mount: the same device and inode) once, under the
// first of its paths in item order. A folder
// below that cannot be read, or fails part-way, goes into unreadable, and
// nothing in it or below it is listed; the rest of the walk goes on. When the
// folder read itself fails part-way, nothing below it is walked.
// With options.facts each listed file's size and modification time go into
// facts, from one stat per file made as it is read (the stat that tells a
// link's kind serves); FileFacts{} where they cannot be had, and those files
// go into withoutFacts.
// options.paths names the files (the whole path shows each folder's name as
// displayPath does); the names are in options.order, the folders in
// unreadable too.
Result<FolderListing> readFolder(const QString &folder, const Pattern &pattern, ReadProgress *progress = nullptr,
                                 ReadOptions options = {});

// The folders in folder that are not hidden (links to folders count), sorted
// by itemLess: the same rule as the subfolders of readFolder.
Result<QStringList> readSubfolders(const QString &folder);

// Paths here are in the encoding of pathFromBytes (filenames.h), whatever
// bytes they hold.
// The process's working folder; empty when the system cannot give it.
QString workingFolder();
// True when path names a folder (or a link to one).
bool isFolder(const QString &path);

// For tests and benchmarks only: every batch of names waits this long first,
// as on a slow network volume. Zero (the default) reads at full speed.
// Other work done for the window on a worker thread waits the same per batch.
void setReadDelayForTesting(std::chrono::milliseconds perBatch);
std::chrono::milliseconds readDelayForTesting();

} // namespace corvane
