#pragma once
// What a file's directory entry tells beside its name: its size and when it
// was last changed. Read with the names only when asked for: a stat per file
// is what makes a network volume slow.

#include <QtGlobal>

#include <limits>

namespace corvane {

struct FileFacts
{
    static constexpr qint64 kUnknown = std::numeric_limits<qint64>::min();
    qint64 size = kUnknown;     // bytes
    qint64 modified = kUnknown; // seconds since 1970-01-01 00:00 UTC
    bool known() const { return size != kUnknown; }
    friend bool operator==(const FileFacts &, const FileFacts &) = default;
};

} // namespace corvane
