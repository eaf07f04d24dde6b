#include "listing/folderreader.h"

#include "base/systemerror.h"

#include "listing/casefold.h"
#include "listing/filenames.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <vector>
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

bool isPrintableAscii(const char *name, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(name[i]) < 0x20 || static_cast<unsigned char>(name[i]) >= 0x7F)
            return false;
    return true;
}

// Item order of two ASCII names: by asciiRank first, then the exact bytes.
int asciiItemCompare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned ra = asciiRank(static_cast<unsigned char>(a[i])), rb = asciiRank(static_cast<unsigned char>(b[i]));
        if (ra != rb)
            return ra < rb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// The printable-ASCII names of a folder, as most are, gathered in one buffer
// and sorted there; their strings are made afterwards, in sorted order. So the
// strings of a huge folder lie in memory in the order they are listed, and
// every later pass over the list (merge, filter, export, paint) reads memory
// in order instead of jumping about the heap.
class AsciiNames
{
public:
    void add(const char *name, qsizetype n)
    {
        Entry e;
        e.offset = m_bytes.size();
        e.length = n;
        itemKey(name, n, e.key);
        m_entries.push_back(e);
        m_bytes.append(name, n);
    }

    QStringList sorted()
    {
        std::sort(m_entries.begin(), m_entries.end(), [this](const Entry &a, const Entry &b) {
            if (!(a.key == b.key))
                return a.key < b.key;
            return asciiItemCompare(view(a), view(b)) < 0;
        });
        QStringList names;
        names.reserve(qsizetype(m_entries.size()));
        for (const Entry &e : m_entries)
            names.append(QString::fromLatin1(view(e)));
        return names;
    }

private:
    struct Entry
    {
        ItemKey key;
        qsizetype offset = 0;
        qsizetype length = 0;
    };
    QByteArrayView view(const Entry &e) const { return QByteArrayView(m_bytes.constData() + e.offset, e.length); }

    QByteArray m_bytes;
    std::vector<Entry> m_entries;
};

// Names between two looks at the cancel flag and the progress count.
constexpr qint64 kBatch = 512;
std::atomic<qint64> readDelayMs{0};

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

Result<FolderListing> readFolder(const QString &folder, const Pattern &pattern, ReadProgress *progress)
{
    Result<FolderListing> result;
    FolderListing &listing = result.value;
    AsciiNames ascii;
    QStringList others; // names that need decoding or escapes: few, sorted apart
    QString shownAscii; // reused for matching, so no string is made per name
    const bool everything = pattern.matchesEverything();
    const qint64 delayMs = readDelayMs.load();
    qint64 seen = 0;

    bool cancelled = false;
    result.error = eachEntry(folder, [&](const char *name, EntryKind kind) {
        if (seen % kBatch == 0) {
            if (progress) {
                progress->names.store(seen, std::memory_order_relaxed);
                cancelled = progress->cancelled.load(std::memory_order_relaxed);
                if (cancelled)
                    return false;
            }
            if (delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        }
        ++seen;
        addSubfolder(listing.subfolders, name, kind);
        if (kind != EntryKind::File)
            return true;
        const auto length = qsizetype(std::strlen(name));
        if (isPrintableAscii(name, length)) {
            if (!everything) {
                shownAscii = QLatin1StringView(name, length);
                if (!pattern.matches(shownAscii))
                    return true;
            }
            ascii.add(name, length);
        } else {
            QString shown = displayName(QByteArrayView(name, length));
            if (everything || pattern.matches(shown))
                others.append(std::move(shown));
        }
        return true;
    });

    if (progress)
        progress->names.store(seen, std::memory_order_relaxed);
    if (cancelled)
        return result; // incomplete: the caller throws it away
    listing.names = ascii.sorted();
    if (!others.isEmpty()) {
        sortInItemOrder(others);
        QStringList merged;
        merged.reserve(listing.names.size() + others.size());
        std::merge(std::make_move_iterator(listing.names.begin()), std::make_move_iterator(listing.names.end()),
                   std::make_move_iterator(others.begin()), std::make_move_iterator(others.end()),
                   std::back_inserter(merged), [](const QString &a, const QString &b) { return itemLess(a, b); });
        listing.names = std::move(merged);
    }
    sortInItemOrder(listing.subfolders);
    return result;
}

Result<QStringList> readSubfolders(const QString &folder)
{
    Result<QStringList> result;
    result.error = eachEntry(folder, [&](const char *name, EntryKind kind) {
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
