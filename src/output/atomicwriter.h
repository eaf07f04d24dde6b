#pragma once
// Writing a document so that it is never lost or half-written: the bytes go
// to a temporary file beside the target, and only a complete, flushed file
// replaces the target. A failure leaves the old document exactly as it was.

#include "base/result.h"

#include <QByteArray>
#include <QString>

namespace corvane {

// name is resolved like any file name: against the working folder unless it
// holds a folder part of its own. An existing file is replaced without asking.
// The value is the document's absolute path, symbolic links resolved.
Result<QString> writeFileAtomically(const QString &name, const QByteArray &data);

} // namespace corvane
