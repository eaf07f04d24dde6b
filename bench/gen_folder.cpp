// Makes a folder of N empty files, the same for the same seed: mixed case,
// names that differ only in case, hidden files, names without an extension,
// non-ASCII names and a few subfolders. Names are about 26 bytes long.
//
//   corvane_gen_folder FOLDER N [SEED]
//   corvane_gen_folder --tree FOLDERS FOLDER N [SEED]
//
// With --tree the N files are spread evenly over a tree of FOLDERS folders
// below FOLDER, two levels deep (about the square root of FOLDERS at the top,
// the rest below them), named like a music and photo collection: mixed case,
// some non-ASCII, two top folders whose names differ only in case. Each top
// folder also holds a hidden ".thumbnails" folder of ten files, which a walk
// skips: they are not among the N.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char *words[] = {"song", "Report", "holiday", "INVOICE", "notes", "Track", "photo",
                       "draft", "Budget", "letter", "scan", "Backup", "readme", "Minutes"};
const char *exts[] = {"mp3", "txt", "doc", "jpg", "png", "pdf", "md", "MP3", "TXT", "zip"};
const char *accents[] = {"\xC3\xA9t\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "na\xC3\xAFve", "\xCE\xA3\xCE\xAF\xCF\x83"};

bool makeFolder(const std::string &path)
{
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(path.c_str());
        return false;
    }
    return true;
}

bool makeFile(const std::string &path)
{
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        return false;
    }
    close(fd);
    return true;
}

// The names of the files, in the mix described above.
class Names
{
public:
    explicit Names(unsigned long seed) : m_rng(seed) {}

    std::string next(long i)
    {
        char name[256];
        const int kind = m_percent(m_rng);
        const char *word = words[m_rng() % (sizeof words / sizeof *words)];
        const char *ext = exts[m_rng() % (sizeof exts / sizeof *exts)];
        if (kind < 4 && !m_previous.empty()) {
            // The previous name again in another case: a duplicate ignoring case.
            std::string upper = m_previous;
            for (char &c : upper)
                if (c >= 'a' && c <= 'z')
                    c = char(c - 'a' + 'A');
            std::snprintf(name, sizeof name, "%s", upper.c_str());
            if (upper == m_previous)
                std::snprintf(name, sizeof name, "x%s", m_previous.c_str());
        } else if (kind < 7) {
            std::snprintf(name, sizeof name, ".%s_%08ld.cfg", word, i);
        } else if (kind < 12) {
            std::snprintf(name, sizeof name, "%s_%08ld_final", word, i);
        } else if (kind < 15) {
            std::snprintf(name, sizeof name, "%s_%s_%08ld.%s", accents[m_rng() % 4], word, i, ext);
        } else {
            std::snprintf(name, sizeof name, "%s_%08ld_v%d.%s", word, i, int(m_rng() % 10), ext);
        }
        m_previous = name;
        return m_previous;
    }

private:
    std::mt19937_64 m_rng;
    std::uniform_int_distribution<int> m_percent{0, 99};
    std::string m_previous;
};

// The folders of the tree, top ones first, each as its path below the root.
std::vector<std::string> treeFolders(long count)
{
    static const char *tops[] = {"Music", "photos", "Live", "live", "Archiv", "\xC3\x89t\xC3\xA9", "Projects",
                                 "scans", "Mail", "Vid\xC3\xA9os"};
    static const char *subs[] = {"Album", "2019-", "Roll", "disc", "Session", "week"};
    const long top = std::max(1L, long(std::lround(std::sqrt(double(count)))));
    std::vector<std::string> folders;
    char name[64];
    for (long t = 0; t < top && long(folders.size()) < count; ++t) {
        std::snprintf(name, sizeof name, "%s %02ld", tops[t % 10], t / 10);
        folders.emplace_back(name);
    }
    const long made = long(folders.size());
    for (long k = 0; long(folders.size()) < count; ++k) {
        std::snprintf(name, sizeof name, "/%s%03ld", subs[k % 6], k / made);
        folders.push_back(folders[size_t(k % made)] + name);
    }
    return folders;
}

} // namespace

int main(int argc, char **argv)
{
    long folderCount = 0;
    if (argc > 2 && std::strcmp(argv[1], "--tree") == 0) {
        folderCount = std::strtol(argv[2], nullptr, 10);
        argc -= 2;
        argv += 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s [--tree FOLDERS] FOLDER N [SEED]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const long n = std::strtol(argv[2], nullptr, 10);
    const unsigned long seed = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1;
    if (!makeFolder(folder))
        return 1;
    Names names(seed);

    if (folderCount > 0) {
        const std::vector<std::string> folders = treeFolders(folderCount);
        const long top = long(std::lround(std::sqrt(double(folderCount))));
        for (size_t f = 0; f < folders.size(); ++f) {
            const std::string path = folder + "/" + folders[f];
            if (!makeFolder(path))
                return 1;
            if (long(f) < top) {
                if (!makeFolder(path + "/.thumbnails"))
                    return 1;
                for (int i = 0; i < 10; ++i)
                    if (!makeFile(path + "/.thumbnails/" + std::to_string(i) + ".png"))
                        return 1;
            }
        }
        const long count = long(folders.size());
        for (long i = 0; i < n; ++i) {
            // Folder by folder, so that each folder's names go in together.
            const long f = i * count / n;
            if (!makeFile(folder + "/" + folders[size_t(f)] + "/" + names.next(i)))
                return 1;
        }
        return 0;
    }

    for (int d = 0; d < 5; ++d)
        mkdir((folder + "/subfolder-" + std::to_string(d)).c_str(), 0755);
    for (long i = 0; i < n; ++i)
        if (!makeFile(folder + "/" + names.next(i)))
            return 1;
    return 0;
}
