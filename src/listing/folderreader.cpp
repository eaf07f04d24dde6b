#include "listing/folderreader.h"

#include "listing/systemerror.h"

#include "listing/casefold.h"
#include "listing/filenames.h"

#include <QFile>

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

// Closes the directory stream on every path out of readFolder.
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

// Item order of two ASCII names: lower-cased first, then the exact bytes.
int asciiItemCompare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        // By hand, not tolower(): that one follows the locale.
        const char la = (a[i] >= 'A' && a[i] <= 'Z') ? char(a[i] + ('a' - 'A')) : a[i];
        const char lb = (b[i] >= 'A' && b[i] <= 'Z') ? char(b[i] + ('a' - 'A')) : b[i];
        if (la != lb)
            return la < lb ? -1 : 1;
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

} // namespace

void setReadDelayForTesting(std::chrono::milliseconds perBatch)
{
    readDelayMs.store(perBatch.count());
}

std::chrono::milliseconds readDelayForTesting()
{
    return std::chrono::milliseconds(readDelayMs.load());
}

FolderListing readFolder(const QString &folder, const Pattern &pattern, ReadProgress *progress)
{
    FolderListing result;
    const QByteArray path = QFile::encodeName(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        result.error = systemErrorText(errno);
        return result;
    }
    DIR *dir = fdopendir(fd);
    if (!dir) {
        result.error = systemErrorText(errno);
        ::close(fd);
        return result;
    }
    DirCloser closer{dir};

    AsciiNames ascii;
    QStringList others; // names that need decoding or escapes: few, sorted apart
    QString shownAscii; // reused for matching, so no string is made per name
    const bool everything = pattern.matchesEverything();
    const qint64 delayMs = readDelayMs.load();
    qint64 seen = 0;

    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry) {
            if (errno != 0)
                result.error = systemErrorText(errno);
            break;
        }
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (seen % kBatch == 0) {
            if (progress) {
                progress->names.store(seen, std::memory_order_relaxed);
                if (progress->cancelled.load(std::memory_order_relaxed))
                    return result;
            }
            if (delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        }
        ++seen;

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

        const auto length = qsizetype(std::strlen(name));
        if (isPrintableAscii(name, length)) {
            if (!everything) {
                shownAscii = QLatin1StringView(name, length);
                if (!pattern.matches(shownAscii))
                    continue;
            }
            ascii.add(name, length);
        } else {
            QString shown = displayName(QByteArrayView(name, length));
            if (everything || pattern.matches(shown))
                others.append(std::move(shown));
        }
    }

    if (progress)
        progress->names.store(seen, std::memory_order_relaxed);
    result.names = ascii.sorted();
    if (!others.isEmpty()) {
        sortInItemOrder(others);
        QStringList merged;
        merged.reserve(result.names.size() + others.size());
        std::merge(std::make_move_iterator(result.names.begin()), std::make_move_iterator(result.names.end()),
                   std::make_move_iterator(others.begin()), std::make_move_iterator(others.end()),
                   std::back_inserter(merged), [](const QString &a, const QString &b) { return itemLess(a, b); });
        result.names = std::move(merged);
    }
    sortInItemOrder(result.subfolders);
    return result;
}

} // namespace corvane
