#pragma once
// Letting go of a huge list without making the window wait for it.

#include <QStringList>

namespace corvane {

// Destroys texts. A list of many strings is destroyed on a worker thread:
// freeing a million small strings, scattered by sorting, takes a quarter of a
// second that the user would otherwise wait for after leaving a huge folder.
// The strings' reference counts are atomic, so copies still held elsewhere
// (the item list shares the file box's names) are safe.
void releaseInBackground(QStringList &&texts);

} // namespace corvane
