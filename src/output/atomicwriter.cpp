#include "output/atomicwriter.h"

#include "base/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <sys/stat.h>

namespace corvane {

Result<QString> writeFileAtomically(const QString &name, const QByteArray &data)
{
    // A name without a folder of its own goes to the working folder. When that
    // folder has been removed there is no path to resolve the name against (the
    // save would fail with a misleading "Operation not permitted"): say so.
    if (QDir::isRelativePath(name)) {
        std::error_code error;
        [[maybe_unused]] const auto folder = std::filesystem::current_path(error);
        if (error)
            return {name, systemErrorText(error.value())};
    }

    const QFileInfo target(name);
    Result<QString> result{target.absoluteFilePath(), {}};
    // Only a regular file (or a link to one) is replaced. A folder, a FIFO, a
    // socket or a device would otherwise be swapped for a regular file without
    // a word, and a link to itself for a file. No name is ever opened here.
    struct stat st;
    if (::stat(QFile::encodeName(result.value).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            result.error = systemErrorText(EISDIR);
            return result;
        }
        if (!S_ISREG(st.st_mode)) {
            result.error = QStringLiteral("Not a regular file");
            return result;
        }
    } else if (errno != ENOENT) {
        // Too long, a link loop, a path through a file: the system's reason. A
        // missing file (or the missing target of a link) is simply created.
        result.error = systemErrorText(errno);
        return result;
    }

    QSaveFile file(result.value);
    // Unbuffered: every write reaches the file at once and reports what really
    // happened, so a short write on a full disk cannot hide in a buffer.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    const char *bytes = data.constData();
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = file.write(bytes + written, data.size() - written);
        if (n <= 0) {
            result.error = file.errorString();
            if (result.error.isEmpty())
                result.error = systemErrorText(EIO);
            file.cancelWriting(); // the temporary goes, the old document stays
            return result;
        }
        written += n;
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    const QString real = QFileInfo(result.value).canonicalFilePath();
    if (!real.isEmpty())
        result.value = real;
    return result;
}

} // namespace corvane
