#pragma once
// Work that reads a folder, or is as long as one, runs on a worker thread while
// the window waits for it. The wait keeps the window painting and answering the
// window manager and screen readers, but the command that started the work
// still ends before the next input is taken: input to the window is dropped
// until the work is done. A read that takes long shows a progress box with a
// "Cancel" button.

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace corvane {

struct ReadProgress;

// Runs work on a worker thread; work gets its own copies of what it needs and
// reports its count and watches for cancel through the ReadProgress it is given.
// While it runs, mouse, key, wheel and drop input to every window but the
// progress box is dropped. After a second a box over window shows
// folder and the count, a few times a second, until the work ends. Returns false
// when the work was cancelled (its "Cancel" button, Esc, the window being closed,
// the application quitting); the work then stops at its next batch and what it
// made is thrown away.
bool runFolderJob(QWidget *window, const QString &folder, std::function<void(ReadProgress &)> work);

template<typename T>
std::optional<T> runFolderJob(QWidget *window, const QString &folder, std::function<T(ReadProgress &)> work)
{
    // Shared: a cancelled worker may still write its result after the window
    // has stopped waiting for it.
    auto result = std::make_shared<std::optional<T>>();
    if (!runFolderJob(window, folder, [result, work = std::move(work)](ReadProgress &p) { *result = work(p); }))
        return std::nullopt;
    return std::move(*result);
}

// True while the window waits for a job.
bool folderJobRunning();

// Waits up to msecs for the workers of cancelled jobs to stop (each stops at its
// next batch); a worker stuck longer in the file system is left to the process's end.
void finishCancelledJobs(int msecs);

} // namespace corvane
