#include "output/atomicwriter.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace corvane {

QString WriteResult::folder() const
{
    return QFileInfo(absolutePath).absolutePath();
}

WriteResult writeFileAtomically(const QString &name, const QByteArray &data)
{
    const QFileInfo target(name);
    WriteResult result{target.absoluteFilePath(), {}};
    if (target.isDir()) {
        result.error = QString::fromLocal8Bit(std::strerror(EISDIR));
        return result;
    }

    QSaveFile file(result.absolutePath);
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
                result.error = QString::fromLocal8Bit(std::strerror(EIO));
            file.cancelWriting(); // the temporary goes, the old document stays
            return result;
        }
        written += n;
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    const QString real = QFileInfo(result.absolutePath).canonicalFilePath();
    if (!real.isEmpty())
        result.absolutePath = real;
    return result;
}

} // namespace corvane
