#include "listing/folderreader.h"

#include "base/systemerror.h"

#include "listing/casefold.h"
#include "listing/filenames.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// Closes the directory stream on every path out of a pass.
struct DirCloser
{
    DIR *dir;
    ~DirCloser() { closedir(dir); }
};

std::atomic<qint64> readDelayMs{0};

// Names between two waits of the test delay, as in a listing.
constexpr qint64 kBatch = 512;

enum class EntryKind { File, Folder, Other };

EntryKind kindOf(bool regular, bool folder)
{
    return regular ? EntryKind::File : folder ? EntryKind::Folder : EntryKind::Other;
}

// One pass over the entries of folder ("." and ".." left out), calling
// visit(name, kind) for each until it returns false; the system's description
// of a failure, or empty.
// Kinds come from readdir, and from stat() only where readdir cannot tell; stat
// follows a link to what it names but does not open it.
template <typename Visit>
QString eachEntry(const QString &folder, Visit visit)
{
    const int fd = ::open(pathToBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    DIR *dir = fdopendir(fd);
    if (!dir) {
        const int err = errno;
        ::close(fd);
        return systemErrorText(err);
    }
    DirCloser closer{dir};
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry)
            return errno != 0 ? systemErrorText(errno) : QString();
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        EntryKind kind = kindOf(entry->d_type == DT_REG, entry->d_type == DT_DIR);
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(fd, name, &st, 0) == 0)
                kind = kindOf(S_ISREG(st.st_mode), S_ISDIR(st.st_mode));
        }
        if (!visit(name, kind))
            return {};
    }
}

// The subfolders the folder tree shows: every folder that is not hidden.
void addSubfolder(QStringList &subfolders, const char *name, EntryKind kind)
{
    if (kind == EntryKind::Folder && name[0] != '.')
        subfolders.append(pathFromBytes(name));
}

} // namespace

void setReadDelayForTesting(std::chrono::milliseconds perBatch)
{
    readDelayMs.store(perBatch.count());
}

std::chrono::milliseconds readDelayForTesting()
{
    return std::chrono::milliseconds(readDelayMs.load());
}

Result<QStringList> readSubfolders(const QString &folder)
{
    Result<QStringList> result;
    const qint64 delayMs = readDelayMs.load();
    qint64 seen = 0;
    result.error = eachEntry(folder, [&](const char *name, EntryKind kind) {
        if (delayMs > 0 && seen++ % kBatch == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        addSubfolder(result.value, name, kind);
        return true;
    });
    sortInItemOrder(result.value);
    return result;
}

QString workingFolder()
{
    // Not QDir::currentPath(): it decodes the bytes with loss.
    QByteArray buffer(4096, Qt::Uninitialized);
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return pathFromBytes(QByteArrayView(buffer.constData(), qsizetype(std::strlen(buffer.constData()))));
}

bool isFolder(const QString &path)
{
    struct stat st;
    return ::stat(pathToBytes(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace corvane
