#pragma once
// The one way the window touches the disk once it is up: a job. Reading a
// folder, a branch of the folder tree or the drives, checking a drive, writing
// a document, printing: each runs on a worker thread while the command that
// started it waits. The wait keeps the window painting and answering the
// window manager and screen readers; input to the window is held back until
// the job is done. A job that takes longer than a second shows a progress box
// with a "Cancel" button.

#include "listing/folderreader.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace corvane {

struct JobOptions
{
    QString what;             // the box's first line: "Reading /home/ann", "Writing list.txt"
    bool countsNames = true;  // the box shows how many names were read so far
    bool showsWindow = false; // the window shows itself with the box (a slow first read)
    // A command whose earlier job showed the box shows it again at once for
    // its next one, so the box stays up until the command ends; set to true
    // when this job shows it.
    bool *boxShown = nullptr;
    // The count the box starts from, before the work reports its own: a merge
    // of names already read starts from their number, never from zero.
    qint64 countFrom = 0;
};

// How a job ended.
enum class JobEnd { Done, Cancelled, Failed };

// Runs work on a worker thread; work gets its own copies of what it needs,
// reports its count and watches for cancel through the ReadProgress it is given.
// While it runs, mouse, key, wheel and drop input to every window but the
// progress box is held back. After a second a box over window shows
// options.what and the count, a few times a second, until the work ends.
// Cancelled: its "Cancel" button, Esc, the window being closed, the application
// quitting; the work then stops at its next batch and what it made is thrown
// away. Failed, with the system's reason in *failure: the work ran out of memory,
// or no thread could be started for it.
JobEnd runJob(QWidget *window, const JobOptions &options, std::function<void(ReadProgress &)> work,
              QString *failure);

// The same for work with a result: the result when the job was done.
template <typename T>
std::optional<T> runJob(QWidget *window, const JobOptions &options, std::function<T(ReadProgress &)> work,
                        JobEnd *end, QString *failure)
{
    // Shared: a cancelled worker may still write its result after the window
    // has stopped waiting for it.
    auto result = std::make_shared<std::optional<T>>();
    *end = runJob(window, options, [result, work = std::move(work)](ReadProgress &p) { *result = work(p); },
                  failure);
    if (*end != JobEnd::Done)
        return std::nullopt;
    return std::move(*result);
}

// True while the window waits for a job.
bool folderJobRunning();

// Waits up to msecs for the workers of cancelled jobs to stop (each stops at its
// next batch); a worker stuck longer in the file system is left to the process's end.
void finishCancelledJobs(int msecs);

} // namespace corvane
