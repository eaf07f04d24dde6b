// Makes a folder of N empty files, the same for the same seed: mixed case,
// names that differ only in case, hidden files, names without an extension,
// non-ASCII names and a few subfolders. Names are about 26 bytes long.
//
//   corvane_gen_folder FOLDER N [SEED]

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER N [SEED]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const long n = std::strtol(argv[2], nullptr, 10);
    const unsigned long seed = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1;
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(folder.c_str());
        return 1;
    }

    static const char *words[] = {"song", "Report", "holiday", "INVOICE", "notes", "Track", "photo",
                                  "draft", "Budget", "letter", "scan", "Backup", "readme", "Minutes"};
    static const char *exts[] = {"mp3", "txt", "doc", "jpg", "png", "pdf", "md", "MP3", "TXT", "zip"};
    static const char *accents[] = {"\xC3\xA9t\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "na\xC3\xAFve",
                                    "\xCE\xA3\xCE\xAF\xCF\x83"};
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> percent(0, 99);

    for (int d = 0; d < 5; ++d)
        mkdir((folder + "/subfolder-" + std::to_string(d)).c_str(), 0755);

    char name[256];
    std::string previous;
    for (long i = 0; i < n; ++i) {
        const int kind = percent(rng);
        const char *word = words[rng() % (sizeof words / sizeof *words)];
        const char *ext = exts[rng() % (sizeof exts / sizeof *exts)];
        if (kind < 4 && !previous.empty()) {
            // The previous name again in another case: a duplicate ignoring case.
            std::string upper = previous;
            for (char &c : upper)
                if (c >= 'a' && c <= 'z')
                    c = char(c - 'a' + 'A');
            std::snprintf(name, sizeof name, "%s", upper.c_str());
            if (upper == previous)
                std::snprintf(name, sizeof name, "x%s", previous.c_str());
        } else if (kind < 7) {
            std::snprintf(name, sizeof name, ".%s_%08ld.cfg", word, i);
        } else if (kind < 12) {
            std::snprintf(name, sizeof name, "%s_%08ld_final", word, i);
        } else if (kind < 15) {
            std::snprintf(name, sizeof name, "%s_%s_%08ld.%s", accents[rng() % 4], word, i, ext);
        } else {
            std::snprintf(name, sizeof name, "%s_%08ld_v%d.%s", word, i, int(rng() % 10), ext);
        }
        previous = name;
        const std::string path = folder + "/" + name;
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            return 1;
        }
        close(fd);
    }
    return 0;
}
