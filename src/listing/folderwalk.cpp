// readFolder: the files of one folder, or of a whole tree below it.
//
// Each folder is read in one pass of getdents64, its files matched, stat'ed
// (when asked), sorted and packed by the thread that read it; a tree's folders
// are shared out between this thread and, once there is work for two, one
// helper. Only then is the list put together, by one walk over the folders in
// item order, so the result never depends on which thread read what: a folder
// reached twice (same device and inode) is listed under the first of its paths
// in item order, whoever happened to read it. The strings are made by both
// threads, each into its own half of a list made to size; a name an earlier
// read of the folder listed takes that read's string instead of a new one.

#include "listing/folderreader.h"

#include "base/systemerror.h"
#include "listing/baseletters.h"
#include "listing/casefold.h"
#include "listing/filenames.h"
#include "listing/pattern.h"

#include <QDir>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// Names between two looks at the cancel flag and the progress count.
constexpr qint64 kBatch = 512;
// Bytes of directory entries one getdents64 call may fill.
constexpr size_t kEntryBufferSize = 64 * 1024;
// Below this many items the strings are made on one thread: starting a
// second would cost more than it saves.
constexpr qsizetype kItemsForTwoThreads = 20000;

// Printable ASCII without the backslash: a name shown as it is (see displayName).
bool isPrintableAscii(const char *name, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(name[i]) < 0x20 || static_cast<unsigned char>(name[i]) >= 0x7F
            || name[i] == '\\')
            return false;
    return true;
}

// Item order of two ASCII texts: in the natural order its first two levels
// first; then by asciiRank, then the exact bytes.
int asciiItemCompare(QByteArrayView a, QByteArrayView b, ItemOrder order)
{
    if (order == ItemOrder::Natural) {
        const NaturalScan scan = scanNatural(a.data(), a.size(), b.data(), b.size());
        if (scan.order != 0)
            return scan.order;
        if (scan.runTie != 0)
            return scan.runTie;
    }
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

// The strings of an earlier listing of the folder, handed out again for the
// names that come again: a folder read again (an option changed) then holds
// each name once, not once for the old list and once for the new. Names are
// asked for in list order, so the next earlier name is usually the one; a
// name not there is searched for, and after many misses in a row (the
// earlier listing named its files otherwise) none is looked for any more.
class Sharer
{
public:
    Sharer(const QStringList &earlier, ItemOrder order)
        : m_earlier(earlier), m_less{order}, m_misses(earlier.isEmpty() ? kGiveUp : 0)
    {
    }

    // name itself, or the earlier string equal to it.
    QString take(QString &&name)
    {
        if (m_misses >= kGiveUp)
            return std::move(name);
        if (m_at < m_earlier.size() && m_earlier.at(m_at) == name)
            return m_earlier.at(m_at++);
        m_at = qsizetype(std::lower_bound(m_earlier.begin(), m_earlier.end(), name, m_less) - m_earlier.begin());
        if (m_at < m_earlier.size() && m_earlier.at(m_at) == name) {
            m_misses = 0;
            return m_earlier.at(m_at++);
        }
        ++m_misses;
        return std::move(name);
    }
    // The same for a name still being made in scratch: a string of its own
    // only when there is no earlier one.
    QString take(const QString &scratch)
    {
        if (m_misses < kGiveUp && m_at < m_earlier.size() && m_earlier.at(m_at) == scratch)
            return m_earlier.at(m_at++);
        return take(QString(scratch.constData(), scratch.size()));
    }

private:
    static constexpr int kGiveUp = 64;
    const QStringList &m_earlier;
    ItemLess m_less;
    qsizetype m_at = 0;
    int m_misses;
};

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

// Memory for what read folders hold until their strings are made, taken
// straight from the system in blocks and given back whole as soon as every
// folder in a block is in the list. So the list's strings can use it again,
// whichever thread read the folders (freed the usual way, a helper thread's
// memory would stay with that thread's heap).
class Block
{
public:
    static constexpr size_t kSize = 1 << 20;
    explicit Block(size_t size) : m_size(size)
    {
        void *data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (data == MAP_FAILED)
            throw std::bad_alloc();
        m_data = static_cast<char *>(data);
    }
    ~Block() { ::munmap(m_data, m_size); }
    Block(const Block &) = delete;
    Block &operator=(const Block &) = delete;

    // n bytes aligned for any of the folder's arrays, or null when there is no room.
    char *take(size_t n)
    {
        n = (n + 15) & ~size_t(15);
        if (m_used + n > m_size)
            return nullptr;
        char *at = m_data + m_used;
        m_used += n;
        return at;
    }

private:
    char *m_data = nullptr;
    size_t m_size;
    size_t m_used = 0;
};

// A printable-ASCII file name, as most are, while its folder is read: its
// bytes in the folder's buffer (ended by a NUL, which keeps this small),
// its sort key, and where its facts are.
struct AsciiName
{
    ItemKey key;
    quint32 offset = 0;
    quint32 fact = 0;
};

// Any other file name: few, shown with the escapes of displayName.
struct OtherName
{
    QString shown;
    quint32 fact = 0;
};

// Failures of one kind: how many, and the first few in item order, each with
// its errno. The system's text is made only for the few that are named.
struct FailureTally
{
    qsizetype count = 0;
    std::vector<std::pair<QString, int>> first; // at most EntryFailures::kNamed, in item order

    void add(QString shown, int err)
    {
        ++count;
        const auto at = std::upper_bound(first.begin(), first.end(), shown,
                                         [](const QString &s, const auto &f) { return itemLess(s, f.first); });
        if (at - first.begin() >= EntryFailures::kNamed)
            return;
        first.insert(at, {std::move(shown), err});
        if (first.size() > size_t(EntryFailures::kNamed))
            first.pop_back();
    }
    EntryFailures failures() const
    {
        EntryFailures out{count, {}};
        for (const auto &[path, err] : first)
            out.first.append(FolderFailure{path, systemErrorText(err)});
        return out;
    }
};

// Whether a failed stat says the entry names nothing (gone meanwhile, a
// broken link, a loop), rather than that it could not be looked at.
bool namesNothing(int err)
{
    return err == ENOENT || err == ELOOP || err == ENOTDIR;
}

struct Folder;

// A folder in a folder, to be walked into.
struct Subfolder
{
    QByteArray name; // as on disk
    QString shown;   // as listed
    Folder *folder = nullptr; // what it holds, shared by every path that reaches it
    QString failure;          // why it could not be opened
};

// What one folder holds, read once: its files in item order, packed. The
// names' strings are made only when the list is put together, in list order,
// so the strings of a huge list lie in memory in the order they are listed,
// and every later pass over the list (merge, filter, export, paint) reads
// memory in order.
struct Folder
{
    static constexpr quint64 kOther = quint64(1) << 63;

    // Per file in item order: an ASCII name's offset in bytes (shifted up
    // 16) and length, or kOther and an index into others; and, when facts
    // are asked for, which of facts (in the order read) are its.
    const quint64 *files = nullptr;
    const quint32 *factOf = nullptr;
    const FileFacts *facts = nullptr;
    const char *bytes = nullptr;
    qsizetype count = 0;
    QStringList others;
    std::shared_ptr<Block> storage; // what files, factOf and (but for a big folder) facts and bytes lie in
    // A big folder's bytes and facts, kept where they were read rather than copied.
    bool own = false;
    QByteArray ownBytes;
    std::vector<FileFacts> ownFacts;

    std::vector<Subfolder> subfolders; // the folders to walk into, in item order
    QString failure;                   // why reading stopped part-way
    FailureTally unchecked, withoutFacts; // its entries that could not be looked at in full
    // Putting the list together: taken once, then how many runs of its files
    // are left, for their names and for their facts.
    bool listed = false;
    std::atomic<qsizetype> namesLeft{0};
    std::atomic<qsizetype> runsLeft{0};

    QString shown(qsizetype i) const
    {
        const quint64 file = files[i];
        if (file & kOther)
            return others.at(qsizetype(file & ~kOther));
        return QString::fromLatin1(bytes + (file >> 16), qsizetype(file & 0xFFFF));
    }
    // Once its names are made: what only they needed (a big folder's bytes).
    void releaseNames()
    {
        others = QStringList();
        ownBytes = QByteArray();
    }
    void release()
    {
        storage.reset();
        files = nullptr;
        factOf = nullptr;
        facts = nullptr;
        bytes = nullptr;
        releaseNames();
        ownFacts = std::vector<FileFacts>();
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
    qsizetype at = 0;      // where its items go in the list (in a group: in the group's)
    qsizetype count = 0;   // how many
    std::vector<std::vector<Step>> twins;
    std::vector<FileFacts> twinFacts; // a group's facts, in the group's order once its names are made
};

class Walk
{
public:
    Walk(const Pattern &pattern, ReadProgress *progress, ReadOptions options)
        : m_pattern(pattern), m_everything(pattern.matchesEverything()), m_progress(progress),
          m_options(std::move(options)), m_less{m_options.order}, m_delayMs(readDelayForTesting().count())
    {
        const QStringList leftOut = m_options.leaveOut.split(u' ', Qt::SkipEmptyParts);
        if (!leftOut.isEmpty())
            m_leaveOut.emplace(leftOut.join(u';'));
    }

    Result<FolderListing> run(const QString &path);

private:
    // What each thread reading folders has for itself, kept from folder to
    // folder so that reading allocates nothing per folder.
    struct Reader
    {
        std::unique_ptr<char[]> buffer{new char[kEntryBufferSize]};
        QString scratch; // an ASCII name as text, reused so no string is made per name
        qint64 seen = 0, published = 0;
        // The folder being read, before it is sorted and packed.
        QByteArray bytes;
        std::vector<AsciiName> ascii;
        std::vector<OtherName> others;
        std::vector<FileFacts> facts;
        std::shared_ptr<Block> block; // where the next folder is packed
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
    QString shownName(const char *name) const;
    void addFile(int fd, const char *name, const struct stat *known, int uncheckable, Folder &folder,
                 Reader &reader);
    void pack(Folder &folder, Reader &reader) const;
    void enter(Task task, Reader &reader);
    void work(Reader &reader, bool mayStartHelper);
    void startHelper();

    void plan(Folder &folder, qsizetype prefix, std::vector<Step> &steps, qsizetype &at);
    void planSubfolder(const Subfolder &subfolder, qsizetype prefix, std::vector<Step> &steps, qsizetype &at);
    QString prefixOf(qsizetype prefix) const;
    static void makeItem(const Folder &folder, qsizetype i, const QString &prefix, QString &scratch);
    bool sameAs(const std::vector<Step> &steps, size_t from, size_t to, const QStringList &earlier,
                std::atomic<bool> &differs) const;
    void putFacts(std::vector<Step> &steps, size_t from, size_t to, FileFacts *facts) const;
    void put(std::vector<Step> &steps, size_t from, size_t to, QString *names, FileFacts *facts, bool factsNow,
             Sharer &sharer) const;
    void putAll(std::vector<Step> &steps, qsizetype total, FolderListing &listing);
    void sortByNameOnly(FolderListing &listing) const;

    const Pattern &m_pattern;
    const bool m_everything;
    ReadProgress *const m_progress;
    const ReadOptions m_options;
    const ItemLess m_less;
    std::optional<Pattern> m_leaveOut;
    QString m_lead; // what every item starts with: the folder's whole path, for whole paths
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

    // Putting the list together.
    QStringList m_prefixes;
    QList<FolderFailure> m_unreadable;
    FailureTally m_unchecked, m_withoutFacts;
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

QString Walk::shownName(const char *name) const
{
    const auto length = qsizetype(std::strlen(name));
    return isPrintableAscii(name, length) ? QString::fromLatin1(name, length)
                                          : displayName(QByteArrayView(name, length));
}

// known: the stat that told the entry's kind, when one was made. uncheckable:
// the errno of the stat of a link's target that failed (0 if none): the link
// is listed with empty facts and counted among the entries not checked.
void Walk::addFile(int fd, const char *name, const struct stat *known, int uncheckable, Folder &folder,
                   Reader &reader)
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
    const auto shownText = [&] { return ascii ? QString::fromLatin1(name, length) : shown; };
    if (uncheckable)
        folder.unchecked.add(shownText(), uncheckable);
    quint32 fact = 0;
    if (m_options.facts) {
        // One stat per file listed: the one that told a link's kind, or a new one.
        struct stat own;
        if (!known && !uncheckable) {
            if (::fstatat(fd, name, &own, 0) == 0)
                known = &own;
            else
                folder.withoutFacts.add(shownText(), errno);
        }
        FileFacts facts;
        if (known && S_ISREG(known->st_mode))
            facts = FileFacts{qint64(known->st_size), qint64(known->st_mtim.tv_sec)};
        fact = quint32(reader.facts.size());
        reader.facts.push_back(facts);
    }
    if (ascii) {
        AsciiName entry;
        entry.offset = quint32(reader.bytes.size());
        entry.fact = fact;
        itemKey(name, length, entry.key, m_options.order);
        reader.ascii.push_back(entry);
        reader.bytes.append(name, length + 1);
    } else {
        reader.others.push_back(OtherName{std::move(shown), fact});
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
            const bool shownInTree = name[0] != '.';
            if (type == DT_UNKNOWN) {
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    // Gone meanwhile; or its kind is unknown, which the user
                    // hears of where it could matter: a name that matches, a
                    // folder the walk would enter.
                    const int err = errno;
                    if (namesNothing(err))
                        continue;
                    const QString shown = shownName(name);
                    if (m_pattern.matches(shown) || (m_options.subfolders && shownInTree))
                        folder.unchecked.add(shown, err);
                    continue;
                }
                type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : 0;
                known = &st;
            }
            if (type == DT_LNK) {
                // Counted as what it names; a folder it names is never walked
                // into. A target that cannot be checked (rather than one that is
                // not there) is listed: the user sees a link by that name.
                if (::fstatat(fd, name, &st, 0) != 0) {
                    if (const int err = errno; !namesNothing(err))
                        addFile(fd, name, nullptr, err, folder, reader);
                } else if (S_ISREG(st.st_mode)) {
                    addFile(fd, name, &st, 0, folder, reader);
                } else if (S_ISDIR(st.st_mode) && treeFolders && shownInTree) {
                    treeFolders->append(pathFromBytes(name));
                }
            } else if (type == DT_REG) {
                addFile(fd, name, known, 0, folder, reader);
            } else if (type == DT_DIR && shownInTree) {
                if (treeFolders)
                    treeFolders->append(pathFromBytes(name));
                if (m_options.subfolders) {
                    QString shown = displayName(name);
                    if (!m_leaveOut || !m_leaveOut->matches(shown))
                        folder.subfolders.push_back(Subfolder{QByteArray(name), std::move(shown), nullptr, {}});
                }
            }
        }
    }
}

// Sorts the files of the folder just read into item order and packs them,
// with their facts, into the reader's block; a big folder gets a block of
// its own for its index and keeps its names and facts where they were read.
void Walk::pack(Folder &folder, Reader &reader) const
{
    std::vector<AsciiName> &ascii = reader.ascii;
    std::vector<OtherName> &others = reader.others;
    const char *bytes = reader.bytes.constData();
    auto view = [bytes](const AsciiName &n) {
        return QByteArrayView(bytes + n.offset, qsizetype(std::strlen(bytes + n.offset)));
    };
    std::sort(ascii.begin(), ascii.end(), [&](const AsciiName &a, const AsciiName &b) {
        if (!(a.key == b.key))
            return a.key < b.key;
        return asciiItemCompare(view(a), view(b), m_options.order) < 0;
    });
    std::sort(others.begin(), others.end(),
              [this](const OtherName &a, const OtherName &b) { return m_less(a.shown, b.shown); });

    const size_t count = ascii.size() + others.size();
    const size_t bytesSize = size_t(reader.bytes.size());
    const size_t factsSize = m_options.facts ? reader.facts.size() * sizeof(FileFacts) : 0;
    const size_t indexSize = (count * sizeof(quint64) + (m_options.facts ? count * sizeof(quint32) : 0) + 15)
        & ~size_t(15);
    char *at = nullptr;
    if (indexSize + factsSize + bytesSize + 32 > Block::kSize) {
        // A folder too big for a shared block: a block of its own for its
        // index, and its names' bytes and facts stay where they were read
        // (so the folder is never held twice while it is packed).
        folder.own = true;
        folder.storage = std::make_shared<Block>((indexSize + 16 + 4095) & ~size_t(4095));
        at = folder.storage->take(indexSize);
        folder.ownBytes = std::exchange(reader.bytes, QByteArray());
        folder.ownFacts = std::exchange(reader.facts, std::vector<FileFacts>());
        folder.bytes = folder.ownBytes.constData();
        folder.facts = m_options.facts ? folder.ownFacts.data() : nullptr;
    } else {
        at = reader.block ? reader.block->take(indexSize + factsSize + bytesSize + 16) : nullptr;
        if (!at) {
            reader.block = std::make_shared<Block>(Block::kSize);
            at = reader.block->take(indexSize + factsSize + bytesSize + 16);
        }
        folder.storage = reader.block;
        auto *facts = reinterpret_cast<FileFacts *>(at + indexSize);
        char *packedBytes = reinterpret_cast<char *>(facts) + factsSize;
        std::memcpy(packedBytes, bytes, bytesSize);
        if (m_options.facts)
            std::copy(reader.facts.begin(), reader.facts.end(), facts);
        folder.bytes = packedBytes;
        folder.facts = m_options.facts ? facts : nullptr;
    }
    auto *files = reinterpret_cast<quint64 *>(at);
    auto *factOf = reinterpret_cast<quint32 *>(files + count);
    folder.files = files;
    folder.factOf = m_options.facts ? factOf : nullptr;
    folder.count = qsizetype(count);

    // The other names, few, each after the ASCII names before it: found by
    // binary search.
    size_t from = 0, k = 0;
    auto addAscii = [&](size_t to) {
        for (; from < to; ++from, ++k) {
            files[k] = quint64(ascii[from].offset) << 16 | quint64(view(ascii[from]).size());
            if (m_options.facts)
                factOf[k] = ascii[from].fact;
        }
    };
    folder.others.reserve(qsizetype(others.size()));
    for (OtherName &other : others) {
        addAscii(size_t(std::partition_point(ascii.begin() + qsizetype(from), ascii.end(),
                                             [&](const AsciiName &a) {
                                                 reader.scratch = QLatin1StringView(view(a));
                                                 return m_less(reader.scratch, other.shown);
                                             })
                        - ascii.begin()));
        files[k] = Folder::kOther | quint64(folder.others.size());
        if (m_options.facts)
            factOf[k] = other.fact;
        ++k;
        folder.others.append(std::move(other.shown));
    }
    addAscii(ascii.size());

    reader.bytes.clear();
    ascii.clear();
    others.clear();
    reader.facts.clear();
    // What a big folder needed goes back now, not when the walk ends.
    if (ascii.capacity() * sizeof(AsciiName) >= Block::kSize)
        ascii = std::vector<AsciiName>();
}

void Walk::read(const std::shared_ptr<const DirFd> &dir, Folder &folder, Reader &reader, QStringList *treeFolders)
{
    if (!readEntries(dir->get(), folder, reader, treeFolders)) {
        reader.bytes.clear();
        reader.ascii.clear();
        reader.others.clear();
        reader.facts.clear();
        return;
    }
    const bool walked = treeFolders == nullptr; // a folder below the one read
    if (!folder.failure.isEmpty() && walked) {
        // No half-read folder in the list.
        reader.bytes.clear();
        reader.ascii.clear();
        reader.others.clear();
        reader.facts.clear();
        folder.subfolders.clear();
        return;
    }
    pack(folder, reader);
    if (folder.subfolders.empty() || !folder.failure.isEmpty())
        return;
    std::sort(folder.subfolders.begin(), folder.subfolders.end(),
              [this](const Subfolder &a, const Subfolder &b) { return m_less(a.shown, b.shown); });
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
// whose base letters (with numbers, in the natural order) are the same as or
// before the folder name's.
void Walk::plan(Folder &folder, qsizetype prefix, std::vector<Step> &steps, qsizetype &at)
{
    folder.listed = true;
    // Its entries that could not be looked at in full, by their paths.
    const auto tally = [&](const FailureTally &from, FailureTally &to) {
        to.count += from.count - qsizetype(from.first.size());
        for (const auto &[name, err] : from.first)
            to.add(prefix < 0 ? name : m_prefixes.at(prefix) + u'/' + name, err);
    };
    tally(folder.unchecked, m_unchecked);
    tally(folder.withoutFacts, m_withoutFacts);
    const qsizetype n = folder.count;
    qsizetype from = 0;
    auto addRun = [&](qsizetype to) {
        if (to > from) {
            steps.push_back(Step{&folder, from, to, prefix, at, to - from, {}, {}});
            ++folder.namesLeft;
            ++folder.runsLeft;
            at += to - from;
            from = to;
        }
    };
    const std::vector<Subfolder> &subfolders = folder.subfolders;
    for (size_t first = 0; first < subfolders.size();) {
        const QString &name = subfolders[first].shown;
        size_t end = first + 1;
        while (end < subfolders.size() && compareFirstLevel(subfolders[end].shown, name, m_options.order) == 0)
            ++end;
        // The files before the group: a binary search, as they are in item order.
        qsizetype low = from, high = n;
        while (low < high) {
            const qsizetype mid = low + (high - low) / 2;
            if (compareFirstLevel(folder.shown(mid), name, m_options.order) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        addRun(low);
        if (end - first == 1) {
            planSubfolder(subfolders[first], prefix, steps, at);
        } else {
            Step twins;
            twins.at = at;
            for (size_t k = first; k < end; ++k)
                planSubfolder(subfolders[k], prefix, twins.twins.emplace_back(), twins.count);
            at += twins.count;
            if (twins.count > 0)
                steps.push_back(std::move(twins));
        }
        first = end;
    }
    addRun(n);
    if (folder.runsLeft == 0)
        folder.release(); // no file of its own in the list: nothing to wait for
}

void Walk::planSubfolder(const Subfolder &subfolder, qsizetype prefix, std::vector<Step> &steps, qsizetype &at)
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
        plan(*folder, m_prefixes.size() - 1, steps, at);
    }
}

// What the items of a folder's files start with: the folder's path from the
// folder read and "/", after the lead; nothing when files go by their names.
QString Walk::prefixOf(qsizetype prefix) const
{
    if (m_options.paths == PathForm::NameOnly)
        return {};
    return prefix < 0 ? m_lead : m_lead + m_prefixes.at(prefix) + u'/';
}

// The item of folder's file i in scratch: prefix, then its name.
void Walk::makeItem(const Folder &folder, qsizetype i, const QString &prefix, QString &scratch)
{
    const quint64 file = folder.files[i];
    if (file & Folder::kOther) {
        const QString &other = folder.others.at(qsizetype(file & ~Folder::kOther));
        scratch.resize(prefix.size() + other.size());
        std::copy(other.utf16(), other.utf16() + other.size(),
                  std::copy(prefix.utf16(), prefix.utf16() + prefix.size(), reinterpret_cast<char16_t *>(scratch.data())));
        return;
    }
    const char *bytes = folder.bytes + (file >> 16);
    const auto length = qsizetype(file & 0xFFFF);
    scratch.resize(prefix.size() + length);
    char16_t *p = reinterpret_cast<char16_t *>(scratch.data());
    p = std::copy(prefix.utf16(), prefix.utf16() + prefix.size(), p);
    for (qsizetype k = 0; k < length; ++k)
        *p++ = char16_t(static_cast<unsigned char>(bytes[k]));
}

// True when the runs of steps [from, to) make exactly the names of earlier
// at their places; false at the first that differs, or once another thread
// found one (differs).
bool Walk::sameAs(const std::vector<Step> &steps, size_t from, size_t to, const QStringList &earlier,
                  std::atomic<bool> &differs) const
{
    QString scratch;
    for (size_t s = from; s < to; ++s) {
        const Step &step = steps[s];
        const QString prefix = prefixOf(step.prefix);
        for (qsizetype i = step.from; i < step.to; ++i) {
            if ((i & 1023) == 0 && differs.load(std::memory_order_relaxed))
                return false;
            makeItem(*step.folder, i, prefix, scratch);
            if (earlier.at(step.at + (i - step.from)) != scratch) {
                differs.store(true, std::memory_order_relaxed);
                return false;
            }
        }
    }
    return true;
}

// The facts of the steps [from, to), each at its step's place; a folder
// whose runs are all put is let go.
void Walk::putFacts(std::vector<Step> &steps, size_t from, size_t to, FileFacts *facts) const
{
    for (size_t s = from; s < to; ++s) {
        Step &step = steps[s];
        if (!step.twins.empty()) {
            if (m_options.facts)
                std::copy(step.twinFacts.begin(), step.twinFacts.end(), facts + step.at);
            step.twinFacts = {};
            continue;
        }
        Folder &folder = *step.folder;
        if (m_options.facts)
            for (qsizetype i = step.from; i < step.to; ++i)
                facts[step.at + (i - step.from)] = folder.facts[folder.factOf[i]];
        if (--folder.runsLeft == 0)
            folder.release(); // memory for the next folder's
    }
}

// Makes the items of steps [from, to) into names, each at its step's place,
// and with facts given their facts too, letting go of each folder once all
// its runs are made; without, a folder whose names are all made lets go of
// what only they needed, and putFacts follows. A group of twin folders is
// made whole, facts too, and sorted as a whole.
void Walk::put(std::vector<Step> &steps, size_t from, size_t to, QString *names, FileFacts *facts, bool factsNow,
               Sharer &sharer) const
{
    QString scratch;
    for (size_t s = from; s < to; ++s) {
        Step &step = steps[s];
        if (!step.twins.empty()) {
            QStringList groupNames(step.count);
            std::vector<FileFacts> groupFacts(m_options.facts ? size_t(step.count) : 0);
            for (std::vector<Step> &member : step.twins) {
                put(member, 0, member.size(), groupNames.data(), nullptr, false, sharer);
                putFacts(member, 0, member.size(), groupFacts.data());
            }
            std::vector<qsizetype> order(size_t(step.count));
            std::iota(order.begin(), order.end(), 0);
            std::sort(order.begin(), order.end(),
                      [&](qsizetype a, qsizetype b) { return m_less(groupNames.at(a), groupNames.at(b)); });
            if (m_options.facts)
                step.twinFacts.resize(size_t(step.count));
            for (qsizetype k = 0; k < step.count; ++k) {
                names[step.at + k] = std::move(groupNames[order[size_t(k)]]);
                if (m_options.facts)
                    step.twinFacts[size_t(k)] = groupFacts[size_t(order[size_t(k)])];
            }
            if (factsNow)
                putFacts(steps, s, s + 1, facts);
            continue;
        }
        Folder &folder = *step.folder;
        const QString prefix = prefixOf(step.prefix);
        QString *out = names + step.at;
        // Made in scratch, so that no string is made for a name listed before.
        for (qsizetype i = step.from; i < step.to; ++i, ++out) {
            makeItem(folder, i, prefix, scratch);
            *out = sharer.take(scratch);
        }
        if (--folder.namesLeft == 0)
            folder.releaseNames();
        if (factsNow)
            putFacts(steps, s, s + 1, facts);
    }
}

// Makes the whole list: the steps in two halves on two threads when the list
// is long, each writing its own part of a list made to size. A folder read
// again whose names all come again, at the same places (an option of the
// window changed), is given the earlier list itself, and no list is made.
void Walk::putAll(std::vector<Step> &steps, qsizetype total, FolderListing &listing)
{
    size_t half = steps.size();
    if (total >= kItemsForTwoThreads) {
        half = size_t(std::upper_bound(steps.begin(), steps.end(), total / 2,
                                       [](qsizetype middle, const Step &s) { return middle < s.at + s.count; })
                      - steps.begin());
        // The step across the middle is split there when it is a run of one folder.
        if (half < steps.size() && steps[half].twins.empty() && steps[half].at < total / 2) {
            Step second = steps[half];
            const qsizetype cut = total / 2 - second.at;
            steps[half].to = second.from + cut;
            steps[half].count = cut;
            second.from += cut;
            second.at += cut;
            second.count -= cut;
            ++second.folder->namesLeft;
            ++second.folder->runsLeft;
            steps.insert(steps.begin() + qsizetype(half) + 1, std::move(second));
            ++half;
        }
    }
    // On two threads when there are two halves (or on this one only, when no
    // second thread is to be had).
    const auto inHalves = [&](const std::function<void(size_t, size_t)> &work) {
        std::thread helper;
        size_t mine = half;
        if (half < steps.size()) {
            try {
                helper = std::thread([&] { work(half, steps.size()); });
            } catch (const std::system_error &) {
                mine = steps.size();
            }
        }
        work(0, mine);
        if (helper.joinable())
            helper.join();
    };
    // With a big folder among them the facts come after the names, once its
    // names' bytes are let go, before the list of facts is made; else each
    // run's with its names, and each folder is let go once it is in the list.
    const auto allFacts = [&] {
        if (m_options.facts)
            listing.facts.resize(size_t(total));
        FileFacts *facts = listing.facts.data();
        inHalves([&](size_t from, size_t to) { putFacts(steps, from, to, facts); });
    };
    const bool factsAfter = m_options.facts && std::any_of(m_folders.begin(), m_folders.end(),
                                                           [](const Folder &folder) { return folder.own; });
    // Names by their own name alone come in walk order: none is in the
    // earlier listing's place.
    const QStringList earlier = m_options.paths == PathForm::NameOnly ? QStringList() : m_options.earlier;
    const bool maySame = !earlier.isEmpty() && earlier.size() == total
        && std::all_of(steps.begin(), steps.end(), [](const Step &step) { return step.twins.empty(); });
    std::atomic<bool> differs{false};
    if (maySame) {
        inHalves([&](size_t from, size_t to) { sameAs(steps, from, to, earlier, differs); });
        if (!differs.load()) {
            listing.names = earlier;
            allFacts();
            return;
        }
    }
    listing.names.resize(total);
    QString *names = listing.names.data();
    if (m_options.facts && !factsAfter)
        listing.facts.resize(size_t(total));
    FileFacts *facts = listing.facts.data();
    inHalves([&](size_t from, size_t to) {
        Sharer sharer(earlier, m_options.order);
        put(steps, from, to, names, facts, !factsAfter, sharer);
    });
    if (factsAfter)
        allFacts();
    // Every name again after all (folders whose names differ by case or
    // accent only are made as a group): the earlier list, so that what shows
    // the names (File1) finds them unchanged and holds one list, not two.
    if (earlier.size() == total
        && std::equal(earlier.begin(), earlier.end(), listing.names.cbegin(),
                      [](const QString &a, const QString &b) { return a.isSharedWith(b); }))
        listing.names = earlier;
}

// Files named by their own names alone, from many folders, put into order.
void Walk::sortByNameOnly(FolderListing &listing) const
{
    const std::vector<qsizetype> rows = itemOrderOf(listing.names, m_options.order);
    QStringList names;
    names.reserve(listing.names.size());
    std::vector<FileFacts> facts;
    facts.reserve(listing.facts.size());
    for (const qsizetype row : rows) {
        names.append(std::move(listing.names[row]));
        if (!listing.facts.empty())
            facts.push_back(listing.facts[size_t(row)]);
    }
    listing.names = std::move(names);
    listing.facts = std::move(facts);
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
    if (m_options.paths == PathForm::Full) {
        // From the root, as named (a link on the way stays as it was named).
        m_lead = displayPath(QDir::cleanPath(path.startsWith(u'/') ? path : workingFolder() + u'/' + path));
        if (!m_lead.endsWith(u'/'))
            m_lead += u'/';
    }
    Folder &root = m_folders.emplace_back();
    {
        Reader reader;
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
    }
    if (m_stopped)
        return result; // incomplete: the caller throws it away

    std::vector<Step> steps;
    qsizetype total = 0;
    plan(root, -1, steps, total);
    putAll(steps, total, listing);
    if (m_options.paths == PathForm::NameOnly && m_options.subfolders)
        sortByNameOnly(listing);
    std::stable_sort(m_unreadable.begin(), m_unreadable.end(),
                     [this](const FolderFailure &a, const FolderFailure &b) { return m_less(a.folder, b.folder); });
    listing.unreadable = std::move(m_unreadable);
    listing.unchecked = m_unchecked.failures();
    listing.withoutFacts = m_withoutFacts.failures();
    sortInItemOrder(listing.subfolders);
    result.error = root.failure;
    return result;
}

} // namespace

Result<FolderListing> readFolder(const QString &folder, const Pattern &pattern, ReadProgress *progress,
                                 ReadOptions options)
{
    return Walk(pattern, progress, std::move(options)).run(folder);
}

} // namespace corvane
