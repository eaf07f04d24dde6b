#pragma once
// Reading the names of a folder's files: the contents of the file name box.

#include "base/result.h"
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

struct FolderListing
{
    QStringList names;            // display names (paths from the folder read, in a walk), sorted by itemLess
    std::vector<FileFacts> facts; // one per name when they were asked for, else empty
    QStringList subfolders;       // the folders in it that are not hidden, sorted by itemLess
    QList<FolderFailure> unreadable; // folders below it that a walk could not read
    qsizetype factsUnread = 0;       // files listed whose facts were asked for but could not be read
};

// What a read takes beside the folder's own file names.
struct ReadOptions
{
    bool subfolders = false; // the files of every folder below too, named by their relative paths
    bool facts = false;      // each file's size and modification time
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
// Folders, FIFOs, sockets, devices and broken links are left out. No file is
// ever opened: kinds come from readdir, and stat() only where readdir cannot tell.
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
// walk enters the folders the folder tree shows (not hidden), never follows a
// link to a folder, and reads a folder reached twice (a bind mount: the same
// device and inode) once, under the first of its paths in item order. A folder
// below that cannot be read, or fails part-way, goes into unreadable, and
// nothing in it or below it is listed; the rest of the walk goes on. When the
// folder read itself fails part-way, nothing below it is walked.
// With options.facts each listed file's size and modification time go into
// facts, from one stat per file made as it is read (the stat that tells a
// link's kind serves); FileFacts{} where they cannot be had, counted in
// factsUnread.
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
