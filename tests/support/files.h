#pragma once
// Small file helpers the tests share.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane::test {

// The bytes of the file at path, or "<missing>" when it cannot be read.
QByteArray readAll(const QString &path);
// Writes bytes as the whole file at path (a test failure if it cannot).
void writeBytes(const QString &path, const QByteArray &bytes);
// Every entry of folder, hidden ones too, sorted by name.
QStringList entries(const QString &folder);
// The system's description of err, as the program shows it.
QString systemError(int err);
// True when no one holds the FIFO at path open for reading: a non-blocking
// writer is then refused with ENXIO.
bool fifoHasNoReader(const QString &path);

} // namespace corvane::test
