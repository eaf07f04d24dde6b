#pragma once
// Writing a document so that it is never lost or half-written: the bytes go
// to a temporary file beside the target, and only a complete, flushed file
// replaces the target. A failure leaves the old document exactly as it was.

#include <QByteArray>
#include <QString>

namespace corvane {

struct WriteResult
{
    QString absolutePath; // the document as written (symbolic links resolved on success)
    QString error;        // the system's description of the failure; empty on success
    bool ok() const { return error.isEmpty(); }
    QString folder() const; // the absolute folder that holds absolutePath
};

// name is resolved like any file name: against the working folder unless it
// holds a folder part of its own. An existing file is replaced without asking.
WriteResult writeFileAtomically(const QString &name, const QByteArray &data);

} // namespace corvane
