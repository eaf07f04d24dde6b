#include "support/hostilefolder.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane::test {

namespace {

QString failure(const char *what, const QByteArray &name)
{
    return QStringLiteral("%1 %2: %3")
        .arg(QLatin1StringView(what), QString::fromLatin1(name.toPercentEncoding()),
             QString::fromLocal8Bit(std::strerror(errno)));
}

QByteArray at(const QString &folder, const QByteArray &name)
{
    return QFile::encodeName(folder) + '/' + name;
}

} // namespace

QList<QByteArray> hostileFileNames()
{
    return {
        // Control characters: C0, an escape sequence, DEL, C1, the line separator.
        "c-lf-a\nb.txt", "c-cr-a\rb.txt", "c-tab-a\tb.txt", "c-esc-\x1b[31mred\x1b[0m.txt", "c-del-\x7f.txt",
        "c-nel-\xc2\x85.txt", "c-csi-\xc2\x9b" "2J.txt", "c-ls-a\xe2\x80\xa8" "b.txt", "\nlead.txt",
        // Not UTF-8: a lone byte, a cut sequence, an overlong "/", Latin-1, a lone
        // C1 byte, an encoded surrogate.
        "u-ff-\xff.txt", "u-trunc-\xe6\x9d.txt", "u-overlong-\xc0\xaf.txt", "u-latin1-caf\xe9.txt",
        "u-c1-\x9b.txt", "u-surrogate-\xed\xa0\x80.txt",
        // Valid non-ASCII: NFC and NFD twins, CJK, a ZWJ emoji, stacked combining
        // marks, right-to-left override, zero-width and no-break spaces.
        "v-nfc-caf\xc3\xa9.txt", "v-nfd-cafe\xcc\x81.txt", "v-cjk-\xe6\x9d\xb1\xe4\xba\xac.txt",
        "v-emoji-\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7.txt",
        "v-comb-a\xcc\x88\xcc\xa3.txt", "v-rlo-\xe2\x80\xaetxt.exe", "v-zwsp-a\xe2\x80\x8b" "b.txt",
        "v-nbsp-a\xc2\xa0" "b.txt",
        // Markup.
        "<svg onload=alert(1)>.txt", "<img src=x onerror=alert(2)>.txt", "&amp;.txt", "h-quotes-\"'.txt",
        "<!--.txt", "<plaintext>.txt",
        // Shell.
        "$(touch pwned).txt", "`id`.txt", "s-a;b.txt", "s-a|b.txt", "s-a&b.txt", "-rf.txt", "--help",
        // Wildcard characters.
        "w-star*.txt", "w-what?.txt", "w-[ab].txt", "w-a.txt", "w-b.txt", "q.[ab]", "q.a", "q.b",
        // Spaces and dots.
        "  lead.txt", "trail.txt  ", "...", ". a", ".profile", "archive.",
        // 255 bytes: ASCII, and three-byte characters.
        "l-" + QByteArray(249, 'x') + ".txt", "m-" + QByteArray("\xe6\x9d\xb1").repeated(83) + ".txt",
        // Equal ignoring case, and not.
        "README.TXT", "readme.txt", "Stra\xc3\x9f" "e.txt", "STRASSE.txt", "turk-\xc4\xb0.txt", "turk-i.txt",
        "turk-I.txt", "turk-\xc4\xb1.txt", "kelvin-\xe2\x84\xaa.txt", "kelvin-k.txt", "sigma-\xce\xa3.txt",
        "sigma-\xcf\x83.txt", "sigma-\xcf\x82.txt",
        // Looking like addresses.
        "http:evil.htm", "javascript:x",
        // Bytes shown as escapes, beside names that really hold those texts.
        "dup\xff.txt", "dup\\xFF.txt", "nl\n.txt", "nl\\n.txt",
        // What a spreadsheet takes for a formula, the guard itself, a comma.
        "=quoted.txt", "'=quoted.txt", "+plus.txt", "@at.txt", "'apostrophe.txt", "comma,a.txt",
        // A file, a hard link to it and a symbolic link to it.
        "plain.txt", "hard.txt", "link-file.txt",
    };
}

bool removeTree(const QString &folder)
{
    auto remove = [](const char *path, const struct stat *, int, FTW *) { return ::remove(path) == 0 ? 0 : -1; };
    return ::nftw(QFile::encodeName(folder).constData(), remove, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

QString makeRawFile(const QString &folder, const QByteArray &name, const QByteArray &content)
{
    const int fd = ::open(at(folder, name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return failure("create", name);
    const bool written = content.isEmpty() || ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return written ? QString() : failure("write", name);
}

QString makeHostileFolder(const QString &folder)
{
    for (const QByteArray &name : hostileFileNames()) {
        if (name == "hard.txt" || name == "link-file.txt")
            continue;
        if (QString error = makeRawFile(folder, name, name == "plain.txt" ? "plain\n" : QByteArray()); !error.isEmpty())
            return error;
    }
    if (::link(at(folder, "plain.txt").constData(), at(folder, "hard.txt").constData()) != 0)
        return failure("link", "hard.txt");
    if (::mkdir(at(folder, "folder.txt").constData(), 0755) != 0)
        return failure("mkdir", "folder.txt");
    if (QString error = makeRawFile(folder + QStringLiteral("/folder.txt"), "inner.txt"); !error.isEmpty())
        return error;

    const QList<QPair<QByteArray, QByteArray>> links{
        {"link-file.txt", "plain.txt"},     {"link-dir.txt", "folder.txt"}, {"loop.txt", "loop.txt"},
        {"broken.txt", "missing-target.txt"}, {"zero.txt", "/dev/zero"},
    };
    for (const auto &[name, target] : links)
        if (::symlink(target.constData(), at(folder, name).constData()) != 0)
            return failure("symlink", name);

    if (::mkfifo(at(folder, "fifo.txt").constData(), 0644) != 0)
        return failure("mkfifo", "fifo.txt");

    const QByteArray socketPath = at(folder, "sock.txt");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(socketPath.size()) >= sizeof address.sun_path)
        return QStringLiteral("socket path too long: ") + folder;
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return failure("socket", "sock.txt");
    const int bound = ::bind(sock, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    ::close(sock); // the socket file stays
    if (bound != 0)
        return failure("bind", "sock.txt");

    // A character device where the system lets us make one (root outside a
    // restricted container); the link to /dev/zero stands in for it elsewhere.
    ::mknod(at(folder, "null.txt").constData(), S_IFCHR | 0666, makedev(1, 3));
    return {};
}

} // namespace corvane::test
