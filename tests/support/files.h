#pragma once
// Small file helpers the tests share, and the working folder of a test.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace corvane::test {

// A fresh temporary folder for one test, which also gives back the working
// folder it found: a test may move the working folder anywhere (into it, as
// most do), and the old one is current again when the fixture goes. The
// folder goes too, whatever the names in it.
class WorkFolder
{
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QString m_oldCwd;
    QTemporaryDir m_dir;
};

// Runs work in a child process whose files may not grow beyond 4 KiB (a limit
// root cannot get past either; a write past it fails instead of killing the
// child) and brings back the bytes work returns; nothing when the child did
// not finish its report.
std::optional<QByteArray> runWithFileSizeLimit(const std::function<QByteArray()> &work);

// Creates empty files (and the folders on their way) under root.
void makeFiles(const QString &root, const QStringList &relativePaths);

// The bytes of the file at path, or "<missing>" when it cannot be read.
QByteArray readAll(const QString &path);
// Writes bytes as the whole file at path (a test failure if it cannot).
void writeBytes(const QString &path, const QByteArray &bytes);
// Every entry of folder, hidden ones too, sorted by name.
QStringList entries(const QString &folder);
// The system's description of err, as the program shows it.
QString systemError(int err);
// The rows of the CSV document at path as a program reads them back: Python's
// csv module, then the one rule for the guard (a field that starts with a
// single quote loses exactly that one). On failure, one row: what went wrong.
QList<QStringList> csvReadBack(const QString &path);
// True when no one holds the FIFO at path open for reading: a non-blocking
// writer is then refused with ENXIO.
bool fifoHasNoReader(const QString &path);

} // namespace corvane::test
