#pragma once
// Writing a document so that it is never lost or half-written: the bytes go
// to a temporary file beside the target, and only a complete file whose data
// the disk has confirmed replaces the target. A failure leaves the old
// document exactly as it was.

#include "base/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace corvane {

struct ReadProgress;

// Takes the next piece of a document's bytes; false once it can take no more.
using ByteSink = std::function<bool(QByteArrayView bytes)>;

// produce hands the document's bytes to write piece by piece, in order, and
// stops once write returns false (the file has failed, or the write was
// cancelled; the old document stays). No piece is kept after its write.
//
// name is resolved against folder unless it holds a folder part of its own
// (an absolute one, or one that climbs with ".."); an empty folder stands for
// the process's working folder. An existing file is replaced without asking,
// and only once the new one's data is confirmed on the disk. The value is the
// document's absolute path, symbolic links resolved.
// With progress, a cancel before the point of no return (the replacing)
// leaves everything as it was.
Result<QString> writeFileAtomically(const QString &folder, const QString &name,
                                    const std::function<void(const ByteSink &write)> &produce,
                                    ReadProgress *progress = nullptr);

// The same with the bytes made beforehand.
Result<QString> writeFileAtomically(const QString &folder, const QString &name, const QByteArray &data,
                                    ReadProgress *progress = nullptr);
inline Result<QString> writeFileAtomically(const QString &name, const QByteArray &data)
{
    return writeFileAtomically(QString(), name, data);
}
inline Result<QString> writeFileAtomically(const QString &name,
                                           const std::function<void(const ByteSink &write)> &produce)
{
    return writeFileAtomically(QString(), name, produce);
}

} // namespace corvane
