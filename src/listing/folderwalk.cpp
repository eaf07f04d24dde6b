// readFolder: the files of one folder, or of a whole tree below it.
//
// Each folder is read in one pass of getdents64, its files matched, sorted and
// (when asked) stat'ed by the thread that read it; a tree's folders are shared
// out between this thread and, once there is work for two, one helper. Only
// then is the list put together, by one walk over the folders in item order,
// so the result never depends on which thread read what: a folder reached
// twice (same device and inode) is listed under the first of its paths in item
// order, whoever happened to read it.

#include "listing/folderreader.h"

#include "base/systemerror.h"
#include "listing/baseletters.h"
#include "listing/casefold.h"
#include "listing/filenames.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// Names between two looks at the cancel flag and the progress count.
constexpr qint64 kBatch = 512;
// Bytes of directory entries one getdents64 call may fill.
constexpr size_t kEntryBufferSize = 64 * 1024;

bool isPrintableAscii(const char *name, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(name[i]) < 0x20 || static_cast<unsigned char>(name[i]) >= 0x7F)
            return false;
    return true;
}

// Item order of two ASCII texts: by asciiRank first, then the exact bytes.
int asciiItemCompare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned ra = asciiRank(static_cast<unsigned char>(a[i]));
        const unsigned rb = asciiRank(static_cast<unsigned char>(b[i]));
        if (ra != rb)
            return ra < rb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// A directory's descriptor, closed when the last holder lets go: a folder's
// stays open while folders in it wait to be opened relative to it.
class DirFd
{
public:
    explicit DirFd(int fd) : m_fd(fd) {}
    ~DirFd() { ::close(m_fd); }
    DirFd(const DirFd &) = delete;
    DirFd &operator=(const DirFd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// A printable-ASCII file name, as most are: its bytes in its folder's buffer,
// its sort key, and where its facts are. The names of a folder are sorted
// there and made into strings only in list order, so the strings of a huge
// list lie in memory in the order they are listed, and every later pass over
// the list (merge, filter, export, paint) reads memory in order.
struct AsciiName
{
    ItemKey key;
    qsizetype offset = 0;
    quint32 length = 0;
    quint32 fact = 0;
};

// Any other file name: few, shown with the escapes of displayName.
struct OtherName
{
    QString shown;
    quint32 fact = 0;
};

struct Folder;

// A folder in a folder, to be walked into.
struct Subfolder
{
    QByteArray name; // as on disk
    QString shown;   // as listed
    Folder *folder = nullptr; // what it holds, shared by every path that reaches it
    QString failure;          // why it could not be opened
};

// What one folder holds, read once.
struct Folder
{
    QByteArray bytes;              // the ASCII names, one after the other
    std::vector<AsciiName> ascii;  // in item order once read
    std::vector<OtherName> others; // in item order once read
    std::vector<FileFacts> facts;  // in the order read, when asked for
    // The files in item order when both kinds are there: an index into ascii,
    // or the complement (~i) of one into others. Empty: ascii, then nothing.
    std::vector<qint32> order;
    std::vector<Subfolder> subfolders; // the folders to walk into, in item order
    QString failure;                   // why reading stopped part-way
    // Put together the list: taken once, then how many runs of its files are left.
    bool listed = false;
    qsizetype runsLeft = 0;

    qsizetype fileCount() const { return qsizetype(ascii.size() + others.size()); }
    qint32 fileAt(qsizetype i) const { return order.empty() ? qint32(i) : order[size_t(i)]; }
    QByteArrayView asciiBytes(const AsciiName &n) const { return {bytes.constData() + n.offset, n.length}; }
    void release()
    {
        bytes = QByteArray();
        std::vector<AsciiName>().swap(ascii);
        std::vector<OtherName>().swap(others);
        std::vector<FileFacts>().swap(facts);
        std::vector<qint32>().swap(order);
    }
};

struct FolderId
{
    dev_t device;
    ino_t inode;
    friend bool operator==(const FolderId &, const FolderId &) = default;
};

struct FolderIdHash
{
    size_t operator()(const FolderId &id) const noexcept
    {
        return std::hash<quint64>()(quint64(id.inode) * 0x9E3779B97F4A7C15ull ^ quint64(id.device));
    }
};

// A run of one folder's files in the list, or a group of sibling folders
// whose names have the same base letters ("Live", "live", "Lìve"): the order
// interleaves their files, so each member's runs are put together apart and
// the group's items sorted as a whole.
struct Step
{
    Folder *folder = nullptr;
    qsizetype from = 0, to = 0;
    qsizetype prefix = -1; // into Walk::m_prefixes; -1 for the folder read itself
    std::vector<std::vector<Step>> twins;
};

class Walk
{
public:
    Walk(const Pattern &pattern, ReadProgress *progress, ReadOptions options)
        : m_pattern(pattern), m_everything(pattern.matchesEverything()), m_progress(progress), m_options(options),
          m_delayMs(readDelayForTesting().count())
    {
    }

    Result<FolderListing> run(const QString &path);

private:
    // What each thread reading folders has for itself.
    struct Reader
    {
        std::unique_ptr<char[]> buffer{new char[kEntryBufferSize]};
        QString scratch; // an ASCII name as text, reused so no string is made per name
        qint64 seen = 0, published = 0;
    };
    struct Task
    {
        std::shared_ptr<const DirFd> parent;
        Subfolder *subfolder;
    };

    bool atBatch(Reader &reader);
    void publish(Reader &reader);
    void stop();
    void read(const std::shared_ptr<const DirFd> &dir, Folder &folder, Reader &reader, QStringList *treeFolders);
    bool readEntries(int fd, Folder &folder, Reader &reader, QStringList *treeFolders);
    void addFile(int fd, const char *name, const struct stat *known, Folder &folder, Reader &reader);
    void sortFiles(Folder &folder, Reader &reader) const;
    void enter(Task task, Reader &reader);
    void work(Reader &reader, bool mayStartHelper);
    void startHelper();

    void plan(Folder &folder, qsizetype prefix, std::vector<Step> &steps);
    void planSubfolder(const Subfolder &subfolder, qsizetype prefix, std::vector<Step> &steps);
    QString fileShown(const Folder &folder, qsizetype i) const;
    void put(const std::vector<Step> &steps, QStringList &names, std::vector<FileFacts> &facts);

    const Pattern &m_pattern;
    const bool m_everything;
    ReadProgress *const m_progress;
    const ReadOptions m_options;
    const qint64 m_delayMs;

    // Shared by the threads of a walk, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Task> m_tasks;
    int m_busy = 0;
    bool m_helperStarted = false;
    std::thread m_helper;
    std::deque<Folder> m_folders;
    std::unordered_map<FolderId, Folder *, FolderIdHash> m_seen;
    std::atomic<bool> m_stopped{false};

    // Putting the list together, on this thread alone.
    QStringList m_prefixes;
    QList<FolderFailure> m_unreadable;
    qsizetype m_total = 0;
};

bool Walk::atBatch(Reader &reader)
{
    publish(reader);
    if (m_stopped.load(std::memory_order_relaxed))
        return false;
    if (m_progress && m_progress->cancelled.load(std::memory_order_relaxed)) {
        stop();
        return false;
    }
    if (m_delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
    return true;
}

void Walk::publish(Reader &reader)
{
    if (m_progress && reader.seen != reader.published)
        m_progress->names.fetch_add(reader.seen - reader.published, std::memory_order_relaxed);
    reader.published = reader.seen;
}

void Walk::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_wake.notify_all();
}

void Walk::addFile(int fd, const char *name, const struct stat *known, Folder &folder, Reader &reader)
{
    const auto length = qsizetype(std::strlen(name));
    const bool ascii = isPrintableAscii(name, length);
    QString shown;
    if (ascii) {
        if (!m_everything) {
            reader.scratch = QLatin1StringView(name, length);
            if (!m_pattern.matches(reader.scratch))
                return;
        }
    } else {
        shown = displayName(QByteArrayView(name, length));
        if (!m_everything && !m_pattern.matches(shown))
            return;
    }
    quint32 fact = 0;
    if (m_options.facts) {
        // One stat per file listed: the one that told a link's kind, or a new one.
        struct stat own;
        if (!known && ::fstatat(fd, name, &own, 0) == 0)
            known = &own;
        FileFacts facts;
        if (known && S_ISREG(known->st_mode))
            facts = FileFacts{qint64(known->st_size), qint64(known->st_mtim.tv_sec)};
        fact = quint32(folder.facts.size());
        folder.facts.push_back(facts);
    }
    if (ascii) {
        AsciiName entry;
        entry.offset = folder.bytes.size();
        entry.length = quint32(length);
        entry.fact = fact;
        itemKey(name, length, entry.key);
        folder.ascii.push_back(entry);
        folder.bytes.append(name, length);
    } else {
        folder.others.push_back(OtherName{std::move(shown), fact});
    }
}

// One pass over the entries of the folder open as fd. Kinds come from
// getdents64, and from fstatat only where it cannot tell; a link is followed
// to tell what it names, but nothing is ever opened. False when the walk stopped.
bool Walk::readEntries(int fd, Folder &folder, Reader &reader, QStringList *treeFolders)
{
    for (;;) {
        const ssize_t filled = ::getdents64(fd, reader.buffer.get(), kEntryBufferSize);
        if (filled < 0) {
            folder.failure = systemErrorText(errno);
            return true;
        }
        if (filled == 0)
            return true;
        for (ssize_t at = 0; at < filled;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(reader.buffer.get() + at);
            at += entry->d_reclen;
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            if (reader.seen % kBatch == 0 && !atBatch(reader))
                return false;
            ++reader.seen;
            unsigned char type = entry->d_type;
            struct stat st;
            const struct stat *known = nullptr;
            if (type == DT_UNKNOWN) {
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue; // gone meanwhile
                type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : 0;
                known = &st;
            }
            const bool shownInTree = name[0] != '.';
            if (type == DT_LNK) {
                // Counted as what it names; a folder it names is never walked into.
                if (::fstatat(fd, name, &st, 0) != 0)
                    continue; // broken, or a loop
                if (S_ISREG(st.st_mode))
                    addFile(fd, name, &st, folder, reader);
                else if (S_ISDIR(st.st_mode) && treeFolders && shownInTree)
                    treeFolders->append(pathFromBytes(name));
            } else if (type == DT_REG) {
                addFile(fd, name, known, folder, reader);
            } else if (type == DT_DIR && shownInTree) {
                if (treeFolders)
                    treeFolders->append(pathFromBytes(name));
                if (m_options.subfolders)
                    folder.subfolders.push_back(Subfolder{QByteArray(name), displayName(name), nullptr, {}});
            }
        }
    }
}

void Walk::sortFiles(Folder &folder, Reader &reader) const
{
    std::sort(folder.ascii.begin(), folder.ascii.end(), [&](const AsciiName &a, const AsciiName &b) {
        if (!(a.key == b.key))
            return a.key < b.key;
        return asciiItemCompare(folder.asciiBytes(a), folder.asciiBytes(b)) < 0;
    });
    if (folder.others.empty())
        return;
    std::sort(folder.others.begin(), folder.others.end(),
              [](const OtherName &a, const OtherName &b) { return itemLess(a.shown, b.shown); });
    // Each other name goes after the ASCII names before it: found by binary
    // search, as the others are few.
    folder.order.reserve(folder.ascii.size() + folder.others.size());
    qsizetype from = 0;
    for (size_t o = 0; o < folder.others.size(); ++o) {
        const QString &shown = folder.others[o].shown;
        const auto to = qsizetype(std::partition_point(folder.ascii.begin() + from, folder.ascii.end(),
                                                       [&](const AsciiName &a) {
                                                           reader.scratch = QLatin1StringView(folder.asciiBytes(a));
                                                           return itemLess(reader.scratch, shown);
                                                       })
                                  - folder.ascii.begin());
        for (; from < to; ++from)
            folder.order.push_back(qint32(from));
        folder.order.push_back(~qint32(o));
    }
    for (; from < qsizetype(folder.ascii.size()); ++from)
        folder.order.push_back(qint32(from));
}

void Walk::read(const std::shared_ptr<const DirFd> &dir, Folder &folder, Reader &reader, QStringList *treeFolders)
{
    if (!readEntries(dir->get(), folder, reader, treeFolders))
        return;
    const bool walked = treeFolders == nullptr; // a folder below the one read
    if (!folder.failure.isEmpty() && walked) {
        folder.release(); // no half-read folder in the list
        folder.subfolders.clear();
        return;
    }
    sortFiles(folder, reader);
    if (folder.subfolders.empty() || !folder.failure.isEmpty())
        return;
    std::sort(folder.subfolders.begin(), folder.subfolders.end(),
              [](const Subfolder &a, const Subfolder &b) { return itemLess(a.shown, b.shown); });
    std::lock_guard lock(m_mutex);
    for (auto it = folder.subfolders.rbegin(); it != folder.subfolders.rend(); ++it)
        m_tasks.push_back(Task{dir, &*it});
    m_wake.notify_all();
}

void Walk::enter(Task task, Reader &reader)
{
    Subfolder &subfolder = *task.subfolder;
    const int fd = ::openat(task.parent->get(), subfolder.name.constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    task.parent.reset(); // the folder above may close once all in it are open
    if (fd < 0) {
        subfolder.failure = systemErrorText(errno);
        return;
    }
    const auto dir = std::make_shared<const DirFd>(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        subfolder.failure = systemErrorText(errno);
        return;
    }
    Folder *folder = nullptr;
    {
        std::lock_guard lock(m_mutex);
        const auto [at, isNew] = m_seen.try_emplace(FolderId{st.st_dev, st.st_ino}, nullptr);
        if (isNew)
            at->second = &m_folders.emplace_back();
        folder = at->second;
        subfolder.folder = folder;
        if (!isNew)
            return; // read, or being read, by way of another path
    }
    read(dir, *folder, reader, nullptr);
}

void Walk::startHelper()
{
    m_helperStarted = true;
    try {
        m_helper = std::thread([this] {
            Reader reader;
            work(reader, false);
            publish(reader);
        });
    } catch (const std::system_error &) {
        // No second thread to be had: this one reads everything.
    }
}

void Walk::work(Reader &reader, bool mayStartHelper)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopped || !m_tasks.empty() || m_busy == 0; });
        if (m_stopped || m_tasks.empty())
            break; // cancelled, or nothing left to read and no one reading
        Task task = std::move(m_tasks.back());
        m_tasks.pop_back();
        // A second thread pays once there is a folder left for it.
        if (mayStartHelper && !m_helperStarted && !m_tasks.empty())
            startHelper();
        ++m_busy;
        lock.unlock();
        enter(std::move(task), reader);
        lock.lock();
        if (--m_busy == 0 && m_tasks.empty())
            m_wake.notify_all();
    }
    m_tasks.clear(); // when cancelled: lets go of the folders still open
}

// Puts a folder's files and the folders in it into steps, in item order: a
// folder's files stand together where its name puts them, after every file
// whose base letters are the same as or before the folder name's.
void Walk::plan(Folder &folder, qsizetype prefix, std::vector<Step> &steps)
{
    folder.listed = true;
    m_total += folder.fileCount();
    const qsizetype n = folder.fileCount();
    qsizetype from = 0;
    auto addRun = [&](qsizetype to) {
        if (to > from) {
            steps.push_back(Step{&folder, from, to, prefix, {}});
            ++folder.runsLeft;
            from = to;
        }
    };
    const std::vector<Subfolder> &subfolders = folder.subfolders;
    for (size_t first = 0; first < subfolders.size();) {
        const QString &name = subfolders[first].shown;
        size_t end = first + 1;
        while (end < subfolders.size() && compareBaseLetters(subfolders[end].shown, name) == 0)
            ++end;
        // The files before the group: a binary search, as they are in item order.
        qsizetype low = from, high = n;
        while (low < high) {
            const qsizetype mid = low + (high - low) / 2;
            if (compareBaseLetters(fileShown(folder, mid), name) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        addRun(low);
        if (end - first == 1) {
            planSubfolder(subfolders[first], prefix, steps);
        } else {
            Step twins;
            for (size_t k = first; k < end; ++k)
                planSubfolder(subfolders[k], prefix, twins.twins.emplace_back());
            steps.push_back(std::move(twins));
        }
        first = end;
    }
    addRun(n);
}

void Walk::planSubfolder(const Subfolder &subfolder, qsizetype prefix, std::vector<Step> &steps)
{
    const QString path = prefix < 0 ? subfolder.shown : m_prefixes.at(prefix) + u'/' + subfolder.shown;
    Folder *folder = subfolder.folder;
    if (!subfolder.failure.isEmpty()) {
        m_unreadable.append(FolderFailure{path, subfolder.failure});
    } else if (folder && !folder->listed) {
        if (!folder->failure.isEmpty()) {
            folder->listed = true;
            m_unreadable.append(FolderFailure{path, folder->failure});
            return;
        }
        m_prefixes.append(path);
        plan(*folder, m_prefixes.size() - 1, steps);
    }
}

QString Walk::fileShown(const Folder &folder, qsizetype i) const
{
    const qint32 at = folder.fileAt(i);
    if (at < 0)
        return folder.others[size_t(~at)].shown;
    return QString::fromLatin1(folder.asciiBytes(folder.ascii[size_t(at)]));
}

void Walk::put(const std::vector<Step> &steps, QStringList &names, std::vector<FileFacts> &facts)
{
    for (const Step &step : steps) {
        if (!step.twins.empty()) {
            // The group's items apart, then sorted into place as a whole.
            QStringList groupNames;
            std::vector<FileFacts> groupFacts;
            for (const std::vector<Step> &member : step.twins)
                put(member, groupNames, groupFacts);
            std::vector<qsizetype> order(size_t(groupNames.size()));
            std::iota(order.begin(), order.end(), 0);
            std::sort(order.begin(), order.end(),
                      [&](qsizetype a, qsizetype b) { return itemLess(groupNames.at(a), groupNames.at(b)); });
            for (const qsizetype i : order) {
                names.append(std::move(groupNames[i]));
                if (m_options.facts)
                    facts.push_back(groupFacts[size_t(i)]);
            }
            continue;
        }
        Folder &folder = *step.folder;
        const QString prefix = step.prefix < 0 ? QString() : m_prefixes.at(step.prefix);
        for (qsizetype i = step.from; i < step.to; ++i) {
            const qint32 at = folder.fileAt(i);
            quint32 fact;
            if (at < 0) {
                const OtherName &other = folder.others[size_t(~at)];
                names.append(prefix.isEmpty() ? other.shown : prefix + u'/' + other.shown);
                fact = other.fact;
            } else {
                const AsciiName &ascii = folder.ascii[size_t(at)];
                const QByteArrayView bytes = folder.asciiBytes(ascii);
                if (prefix.isEmpty()) {
                    names.append(QString::fromLatin1(bytes));
                } else {
                    QString item(prefix.size() + 1 + bytes.size(), Qt::Uninitialized);
                    char16_t *out = reinterpret_cast<char16_t *>(item.data());
                    out = std::copy(prefix.utf16(), prefix.utf16() + prefix.size(), out);
                    *out++ = u'/';
                    for (const char c : bytes)
                        *out++ = char16_t(static_cast<unsigned char>(c));
                    names.append(std::move(item));
                }
                fact = ascii.fact;
            }
            if (m_options.facts)
                facts.push_back(folder.facts[fact]);
        }
        if (--folder.runsLeft == 0)
            folder.release(); // its strings are made: memory for the next folder's
    }
}

Result<FolderListing> Walk::run(const QString &path)
{
    Result<FolderListing> result;
    FolderListing &listing = result.value;
    if (m_progress)
        m_progress->names.store(0, std::memory_order_relaxed);
    const int fd = ::open(pathToBytes(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        result.error = systemErrorText(errno);
        return result;
    }
    Reader reader;
    Folder &root = m_folders.emplace_back();
    {
        auto dir = std::make_shared<const DirFd>(fd);
        struct stat st;
        if (m_options.subfolders && ::fstat(fd, &st) == 0)
            m_seen.emplace(FolderId{st.st_dev, st.st_ino}, &root);
        read(dir, root, reader, &listing.subfolders);
    }
    work(reader, true);
    if (m_helper.joinable())
        m_helper.join();
    publish(reader);
    if (m_stopped)
        return result; // incomplete: the caller throws it away

    std::vector<Step> steps;
    plan(root, -1, steps);
    listing.names.reserve(m_total);
    if (m_options.facts)
        listing.facts.reserve(size_t(m_total));
    put(steps, listing.names, listing.facts);
    std::stable_sort(m_unreadable.begin(), m_unreadable.end(),
                     [](const FolderFailure &a, const FolderFailure &b) { return itemLess(a.folder, b.folder); });
    listing.unreadable = std::move(m_unreadable);
    sortInItemOrder(listing.subfolders);
    result.error = root.failure;
    return result;
}

} // namespace

Result<FolderListing> readFolder(const QString &folder, const Pattern &pattern, ReadProgress *progress,
                                 ReadOptions options)
{
    return Walk(pattern, progress, options).run(folder);
}

} // namespace corvane
