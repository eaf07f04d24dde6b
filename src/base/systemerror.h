#pragma once
// The system's own description of an error number, as every box shows it.

#include <QString>

#include <cstring>

namespace corvane {

inline QString systemErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace corvane
