#include "listing/folderreader.h"

#include "listing/casefold.h"
#include "listing/filenames.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

QString systemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Closes the directory stream on every path out of readFolder.
struct DirCloser
{
    DIR *dir;
    ~DirCloser() { closedir(dir); }
};

} // namespace

FolderListing readFolder(const QString &folder, const Pattern &pattern)
{
    FolderListing result;
    const QByteArray path = QFile::encodeName(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        result.error = systemError(errno);
        return result;
    }
    DIR *dir = fdopendir(fd);
    if (!dir) {
        result.error = systemError(errno);
        ::close(fd);
        return result;
    }
    DirCloser closer{dir};

    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry) {
            if (errno != 0)
                result.error = systemError(errno);
            break;
        }
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;

        bool regular = entry->d_type == DT_REG;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // stat follows a link to what it names; it does not open it.
            struct stat st;
            const bool known = fstatat(fd, name, &st, 0) == 0;
            regular = known && S_ISREG(st.st_mode);
            folder = known && S_ISDIR(st.st_mode);
        }
        if (folder && name[0] != '.')
            result.subfolders.append(QFile::decodeName(name));
        if (!regular)
            continue;

        QString shown = displayName(QByteArrayView(name, qsizetype(std::strlen(name))));
        if (pattern.matches(shown))
            result.names.append(std::move(shown));
    }

    sortInItemOrder(result.names);
    sortInItemOrder(result.subfolders);
    return result;
}

} // namespace corvane
