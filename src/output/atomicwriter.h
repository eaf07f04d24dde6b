#pragma once
// Writing a document so that it is never lost or half-written: the bytes go
// to a temporary file beside the target, and only a complete, flushed file
// replaces the target. A failure leaves the old document exactly as it was.

#include "base/result.h"

#include <QByteArray>
#include <QString>

namespace corvane {

struct ReadProgress;

// name is resolved against folder unless it holds a folder part of its own
// (an absolute one, or one that climbs with ".."); an empty folder stands for
// the process's working folder. An existing file is replaced without asking,
// and only once the new one's data is confirmed on the disk. The value is the
// document's absolute path, symbolic links resolved.
// With progress, a cancel before the point of no return (the replacing)
// leaves everything as it was.
Result<QString> writeFileAtomically(const QString &folder, const QString &name, const QByteArray &data,
                                    ReadProgress *progress = nullptr);
inline Result<QString> writeFileAtomically(const QString &name, const QByteArray &data)
{
    return writeFileAtomically(QString(), name, data);
}

} // namespace corvane
