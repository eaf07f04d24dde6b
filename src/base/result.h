#pragma once
// What a step that can fail hands back: what it did or found, and, when it
// failed, the system's description of why. The folder reader, the writer and
// the services all answer this way; the window shows a failure in its
// "WARNING" box.

#include <QString>

#include <variant>

namespace corvane {

template <typename T = std::monostate>
struct Result
{
    T value{};     // what was done or found; may be partial when error is set
    QString error; // the system's description of the failure; empty on success
    bool ok() const { return error.isEmpty(); }
};

} // namespace corvane
