#pragma once
// A folder of hostile entries for the name tests, made afresh by each test run
// (odd bytes are never checked in): names with control characters, invalid
// UTF-8, names that hold the text of another one's escapes, markup, shell,
// formula and wildcard characters, case twins, 255-byte names, and
// entries that are not regular files (links of every kind, a FIFO, a socket, a
// device, a folder named like a file).

#include <QByteArray>
#include <QList>
#include <QString>

namespace corvane::test {

// The names (raw bytes) of the regular files makeHostileFolder creates,
// symbolic and hard links to regular files included.
QList<QByteArray> hostileFileNames();

// Fills folder (which must exist and be empty) with the hostile entries. The
// FIFO is "fifo.txt", the socket "sock.txt", the subfolder "folder.txt"; a
// device node "null.txt" is made only where the system allows it. Returns an
// empty text, or what could not be made and why.
QString makeHostileFolder(const QString &folder);

// Removes folder and everything in it, whatever the names: QDir skips names
// that are not UTF-8, so QTemporaryDir alone would leave them behind.
bool removeTree(const QString &folder);

// Creates one file under a raw byte name (with optional content); returns the
// system's description of a failure, or an empty text.
QString makeRawFile(const QString &folder, const QByteArray &name, const QByteArray &content = {});

} // namespace corvane::test
