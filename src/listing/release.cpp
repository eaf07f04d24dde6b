#include "listing/release.h"

#include <malloc.h>

#include <system_error>
#include <thread>

namespace corvane {

namespace {

// Every block of a megabyte or more (the arrays of a long list, a folder's
// names while it is read) comes straight from the system and goes back to it
// when freed. glibc would otherwise raise that line to the size of the
// largest block freed so far and keep later blocks in the heap of the thread
// that made them, where a list freed on a worker stays part of the process.
// Smaller blocks stay in the heaps to be used again (giving the top of a heap
// back at every turn would cost each read the pages it takes anew); what of
// them a huge list leaves free is trimmed when it goes (releaseInBackground).
const bool bigBlocksGoBack = [] {
    return mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1 && mallopt(M_TRIM_THRESHOLD, 64 << 20) == 1;
}();

} // namespace

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
        std::thread([doomed = std::move(doomed)]() mutable {
            doomed = QStringList();
            // The freed strings lie in the heaps of the threads that made
            // them: whole pages of them go back to the system.
            malloc_trim(0);
        }).detach();
    } catch (const std::system_error &) {
        // No thread to be had (too many threads or processes): the list is let
        // go here after all, a moment's wait rather than the program's end.
    }
}

} // namespace corvane
