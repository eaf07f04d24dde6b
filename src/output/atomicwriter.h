#pragma once
// Writing a document so that it is never lost or half-written: the bytes go
// to a temporary file beside the target, and only a complete, flushed file
// replaces the target. A failure leaves the old document exactly as it was.

#include "base/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace corvane {

// name is resolved like any file name: against the working folder unless it
// holds a folder part of its own. An existing file is replaced without asking.
// The value is the document's absolute path, symbolic links resolved.
Result<QString> writeFileAtomically(const QString &name, const QByteArray &data);

// Takes the next piece of a document's bytes; false once it can take no more.
using ByteSink = std::function<bool(QByteArrayView bytes)>;

// The same, with the bytes made while they are written: produce hands them to
// write piece by piece, in order, and stops once write returns false (the
// file has failed; the old document stays). No piece is kept after its write.
Result<QString> writeFileAtomically(const QString &name, const std::function<void(const ByteSink &write)> &produce);

} // namespace corvane
