#include "output/atomicwriter.h"

#include "base/systemerror.h"
#include "listing/filenames.h"
#include "listing/folderreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

struct FolderHandle
{
    int fd = -1;
    ~FolderHandle()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

Result<QString> writeFileAtomically(const QString &folder, const QString &name, const QByteArray &data,
                                    ReadProgress *progress)
{
    // Handed over in pieces, so that a cancel is seen within one.
    return writeFileAtomically(
        folder, name,
        [&data](const ByteSink &write) {
            constexpr qsizetype kPiece = qsizetype(4) << 20;
            for (qsizetype at = 0; at < data.size(); at += kPiece)
                if (!write(QByteArrayView(data).sliced(at, std::min(kPiece, data.size() - at))))
                    return;
        },
        progress);
}

Result<QString> writeFileAtomically(const QString &folder, const QString &name,
                                    const std::function<void(const ByteSink &write)> &produce, ReadProgress *progress)
{
    // A name without a folder of its own goes to folder, or the working folder.
    // When that folder has been removed there is no path to resolve the name
    // against (the save would fail with a misleading "Operation not
    // permitted"): say so.
    const bool relative = QDir::isRelativePath(name);
    const QString base = folder.isEmpty() ? workingFolder() : folder;
    if (relative) {
        struct stat st;
        if (base.isEmpty() || ::stat(pathToBytes(base).constData(), &st) != 0)
            return {name, systemErrorText(base.isEmpty() ? ENOENT : errno)};
        if (!S_ISDIR(st.st_mode))
            return {name, systemErrorText(ENOTDIR)};
    }

    Result<QString> result{QDir::cleanPath(relative ? base + u'/' + name : name), {}};
    // Qt reaches a file through its path as UTF-8 text, so a folder whose name
    // holds other bytes is reached through the open folder instead.
    QString saveName = relative ? base + u'/' + name : name;
    FolderHandle here;
    if (relative && QFile::encodeName(base) != pathToBytes(base)) {
        here.fd = ::open(pathToBytes(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (here.fd < 0)
            return {name, systemErrorText(errno)};
        saveName = QStringLiteral("/proc/self/fd/%1/").arg(here.fd) + name;
    }
    // Only a regular file (or a link to one) is replaced. A folder, a FIFO, a
    // socket or a device would otherwise be swapped for a regular file without
    // a word, and a link to itself for a file. No name is ever opened here.
    struct stat st;
    if (::stat(pathToBytes(result.value).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            result.error = systemErrorText(EISDIR);
            return result;
        }
        if (!S_ISREG(st.st_mode)) {
            result.error = QCoreApplication::translate("Output", "Not a regular file");
            return result;
        }
        // A document the user may not write is refused with the system's
        // reason, as opening it for writing would be; it is never replaced.
        if (::faccessat(AT_FDCWD, pathToBytes(result.value).constData(), W_OK, AT_EACCESS) != 0) {
            result.error = systemErrorText(errno);
            return result;
        }
    } else if (errno != ENOENT) {
        // Too long, a link loop, a path through a file: the system's reason. A
        // missing file (or the missing target of a link) is simply created.
        result.error = systemErrorText(errno);
        return result;
    }

    QSaveFile file(saveName);
    // Unbuffered: every write reaches the file at once and reports what really
    // happened, so a short write on a full disk cannot hide in a buffer.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    const auto cancelled = [&] { return progress && progress->cancelled.load(std::memory_order_relaxed); };
    // Each piece goes out whole before the next is made; the first failure, or
    // a cancel, ends the document.
    bool failed = false;
    qint64 total = 0;
    produce([&](QByteArrayView piece) {
        qint64 written = 0;
        while (!failed && written < piece.size()) {
            const qint64 n = file.write(piece.data() + written, piece.size() - written);
            if (n <= 0)
                failed = true;
            else
                written += n;
        }
        total += written;
        if (progress)
            progress->names.store(total, std::memory_order_relaxed);
        return !failed && !cancelled();
    });
    if (failed) {
        result.error = file.errorString();
        if (result.error.isEmpty())
            result.error = systemErrorText(EIO);
        file.cancelWriting(); // the temporary goes, the old document stays
        return result;
    }
    if (cancelled()) {
        file.cancelWriting();
        return result;
    }
    // The old document is replaced only by data the disk has confirmed: the
    // save's own sync reports nothing, so it is done and checked here first.
    if (::fdatasync(file.handle()) != 0) {
        result.error = systemErrorText(errno);
        file.cancelWriting();
        return result;
    }
    if (progress && !progress->passPointOfNoReturn()) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    // glibc's realpath gives at most PATH_MAX bytes, allocated or not; into a
    // buffer of that size its fortified form checks the room.
    char real[PATH_MAX];
    if (::realpath(pathToBytes(result.value).constData(), real))
        result.value = pathFromBytes(real);
    return result;
}

} // namespace corvane
