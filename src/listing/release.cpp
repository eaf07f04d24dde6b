#include "listing/release.h"

#include <system_error>
#include <thread>

namespace corvane {

void releaseInBackground(QStringList &&texts)
{
    constexpr qsizetype kWorthAThread = 50000;
    if (texts.size() < kWorthAThread) {
        texts = QStringList();
        return;
    }
    // A thread of its own rather than the shared pool: its start orders the
    // hand-over in a way ThreadSanitizer sees too (the pool's lock is Qt's own,
    // invisible to it), and such releases are rare.
    QStringList doomed = std::move(texts);
    try {
        std::thread([doomed = std::move(doomed)]() mutable { doomed = QStringList(); }).detach();
    } catch (const std::system_error &) {
        // No thread to be had (too many threads or processes): the list is let
        // go here after all, a moment's wait rather than the program's end.
    }
}

} // namespace corvane
