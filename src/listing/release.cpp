#include "listing/release.h"

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
    std::thread([doomed = std::move(texts)]() mutable { doomed = QStringList(); }).detach();
}

} // namespace corvane
