#include "app/exportcommand.h"

#include "app/listingsteps.h"
#include "base/answers.h"
#include "base/systemerror.h"
#include "listing/filenames.h"
#include "output/atomicwriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// What the command line asks for: the window's value as its commands would
// have set it, and the answers of the boxes a document asks.
struct ExportRequest
{
    WindowState state;
    QString title;
    QString output; // empty: standard output
};

// One option: its names, its value's name (none for a switch), what --help
// says of it (the window's command in brackets), and what it sets.
struct ExportOption
{
    const char *shortName; // null: none
    const char *longName;
    const char *valueName; // null: a switch
    const char *description;
    void (*apply)(ExportRequest &request, const QString &value);
};

// Answers are trimmed of spaces as the window's boxes trim them.
const ExportOption kOptions[] = {
    {"o", "output", "FILE",
     QT_TRANSLATE_NOOP("CommandLine", "write FILE, replacing it only once the new one is whole"),
     [](ExportRequest &r, const QString &value) { r.output = value; }},
    {"r", "subfolders", nullptr, QT_TRANSLATE_NOOP("CommandLine", "the files of every folder below too (Include subfolders)"),
     [](ExportRequest &r, const QString &) { r.state.includeSubfolders = true; }},
    {"s", "sizes-and-dates", nullptr, QT_TRANSLATE_NOOP("CommandLine", "each file's size and time (Sizes and dates)"),
     [](ExportRequest &r, const QString &) { r.state.sizesAndDates = true; }},
    {nullptr, "full-paths", nullptr, QT_TRANSLATE_NOOP("CommandLine", "each file by its whole path (Full paths)"),
     [](ExportRequest &r, const QString &) { r.state.pathForm = PathForm::Full; }},
    {nullptr, "names-only", nullptr, QT_TRANSLATE_NOOP("CommandLine", "each file by its name alone (Names only)"),
     [](ExportRequest &r, const QString &) { r.state.pathForm = PathForm::NameOnly; }},
    {nullptr, "natural", nullptr,
     QT_TRANSLATE_NOOP("CommandLine", "numbers in names by their value, \"2\" before \"10\" (Natural order)"),
     [](ExportRequest &r, const QString &) { r.state.naturalOrder = true; }},
    {nullptr, "leave-out", "FOLDERS",
     QT_TRANSLATE_NOOP("CommandLine",
                       "with --subfolders, not into folders of these names or patterns, such as \"node_modules "
                       "backup*\" (Leave out folders…)"),
     [](ExportRequest &r, const QString &value) { r.state.leftOutFolders = trimSpaces(value); }},
    {"t", "types", "TYPES", QT_TRANSLATE_NOOP("CommandLine", "only files of these types, such as \"MP3 DOC\" (Set File Types)"),
     [](ExportRequest &r, const QString &value) { r.state.FileTypes = trimSpaces(value); }},
    {nullptr, "only", "WORD", QT_TRANSLATE_NOOP("CommandLine", "only the items containing WORD (File Filter)"),
     [](ExportRequest &r, const QString &value) {
         r.state.FilterWord = trimSpaces(value);
         r.state.FilterMode = WordFilterMode::ListOnly;
     }},
    {nullptr, "exclude", "WORD", QT_TRANSLATE_NOOP("CommandLine", "no item containing WORD (File Filter)"),
     [](ExportRequest &r, const QString &value) {
         r.state.FilterWord = trimSpaces(value);
         r.state.FilterMode = WordFilterMode::Exclude;
     }},
    {"x", "no-extensions", nullptr, QT_TRANSLATE_NOOP("CommandLine", "names without their extensions (Extensions OFF)"),
     [](ExportRequest &r, const QString &) { r.state.ShowExtensions = false; }},
    {"n", "numbered", nullptr, QT_TRANSLATE_NOOP("CommandLine", "number the items (Enumerate items)"),
     [](ExportRequest &r, const QString &) { r.state.enumerate = true; }},
    {nullptr, "title", "TITLE", QT_TRANSLATE_NOOP("CommandLine", "the web page's title (Corvane when not given)"),
     [](ExportRequest &r, const QString &value) { r.title = trimSpaces(value); }},
};

QString translated(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

QCommandLineOption optionOf(const ExportOption &row)
{
    QStringList names;
    if (row.shortName)
        names.append(QString::fromLatin1(row.shortName));
    names.append(QString::fromLatin1(row.longName));
    return row.valueName ? QCommandLineOption(names, translated(row.description), QString::fromLatin1(row.valueName))
                         : QCommandLineOption(names, translated(row.description));
}

void say(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

// The formats' names, for --help and the message on a wrong one.
QString formatNames()
{
    QStringList names;
    for (const DocumentFormat &format : documentFormats())
        names.append(QString::fromLatin1(format.name));
    return names.join(QStringLiteral(", "));
}

// The folder an argument names: itself, or a file's folder, as the window
// starts in it.
QString folderOf(const QString &argument)
{
    struct stat info;
    if (::stat(pathToBytes(argument).constData(), &info) != 0 || S_ISDIR(info.st_mode))
        return argument;
    const qsizetype slash = argument.lastIndexOf(u'/');
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : argument.left(slash);
}

// While standard error is a terminal: one line, rewritten a few times a
// second, with the count of names read so far; gone once the read ends.
class ProgressLine
{
public:
    ProgressLine(const QString &folder, const ReadProgress &progress)
    {
        if (!::isatty(STDERR_FILENO))
            return;
        const QString reading = QCoreApplication::translate("corvane::Form1", "Reading %1").arg(displayPath(folder));
        m_thread = std::thread([this, reading, &progress] {
            std::unique_lock lock(m_mutex);
            while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_done; })) {
                const int names = int(progress.names.load(std::memory_order_relaxed));
                say(QStringLiteral("\r") + reading + QStringLiteral(" … ")
                    + QCoreApplication::translate("ProgressBox", "%n names read", nullptr, names)
                    + QStringLiteral("\x1b[K"));
                m_shown = true;
            }
            if (m_shown)
                say(QStringLiteral("\r\x1b[K"));
        });
    }
    ~ProgressLine()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    bool m_shown = false;
};

} // namespace

bool isExportCommand(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1StringView("--"))
            return false;
        if (argument == QLatin1StringView("--export") || argument.startsWith(QLatin1StringView("--export=")))
            return true;
    }
    return false;
}

QString exportHelp()
{
    QCommandLineParser parser;
    for (const ExportOption &row : kOptions)
        parser.addOption(optionOf(row));
    // Qt's own help lists the options; the lines before them are its usage.
    QString options = parser.helpText();
    options = options.mid(options.indexOf(u'\n', options.indexOf(QLatin1StringView("Options:"))) + 1);
    return QCoreApplication::translate("CommandLine",
                                       "\nUsage: corvane --export FORMAT [OPTIONS] [FOLDER]\n"
                                       "Write the document the window would write for FOLDER (the working folder\n"
                                       "when none is given) to standard output, with no display. FORMAT is one of\n"
                                       "%1. The options set what the window's commands set:\n")
               .arg(formatNames())
        + options;
}

int runExport(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption exportOption(QStringLiteral("export"), QString(), QStringLiteral("FORMAT"));
    parser.addOption(exportOption);
    for (const ExportOption &row : kOptions)
        parser.addOption(optionOf(row));
    const auto usage = [](const QString &problem) {
        say(QStringLiteral("corvane: ") + problem + u'\n'
            + translated(QT_TRANSLATE_NOOP("CommandLine", "Try 'corvane --help' for more information.")) + u'\n');
        return 1;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    const DocumentFormat *format = findDocumentFormat(parser.value(exportOption));
    if (!format)
        return usage(translated(QT_TRANSLATE_NOOP("CommandLine", "unknown format '%1': one of %2"))
                         .arg(parser.value(exportOption), formatNames()));
    if (parser.positionalArguments().size() > 1)
        return usage(translated(QT_TRANSLATE_NOOP("CommandLine", "one folder at most")));

    // The window as it starts (extensions shown, the list cleared for each
    // folder), then what each option's command sets.
    ExportRequest request;
    request.state.ShowExtensions = true;
    request.title = format->defaultTitle ? QString::fromUtf8(format->defaultTitle) : QString();
    for (const ExportOption &row : kOptions) {
        const QCommandLineOption option = optionOf(row);
        if (parser.isSet(option))
            row.apply(request, parser.value(option));
    }
    if (parser.isSet(QStringLiteral("only")) && parser.isSet(QStringLiteral("exclude")))
        return usage(translated(QT_TRANSLATE_NOOP("CommandLine", "--only and --exclude do not go together")));
    if (parser.isSet(QStringLiteral("full-paths")) && parser.isSet(QStringLiteral("names-only")))
        return usage(translated(QT_TRANSLATE_NOOP("CommandLine", "--full-paths and --names-only do not go together")));
    WindowState &s = request.state;
    const QString folder = folderOf(parser.positionalArguments().value(0, QStringLiteral(".")));

    // The read of File1 with the file types' pattern, RefreshList's merge and
    // word filter, the document's content: the window's steps.
    ReadProgress progress;
    Result<FolderListing> read;
    {
        const ProgressLine line(folder, progress);
        read = readFolder(folder, Pattern(filePattern(s.FileTypes)), &progress, readOptions(s));
    }
    if (!read.ok()) {
        say(QStringLiteral("corvane: ") + displayPath(folder) + QStringLiteral(": ") + read.error + u'\n');
        return 1;
    }
    Items items(itemOrder(s));
    mergeFolder(items, read.value.names, read.value.facts, refreshSettings(s));
    QList<FileFacts> facts;
    const DocumentContent content = documentContent(s, items, facts, request.title);
    const auto produce = [&](const ByteSink &write) { streamDocument(*format, content, write); };

    if (!request.output.isEmpty()) {
        const Result<QString> written = writeFileAtomically(QString(), request.output, produce);
        if (!written.ok()) {
            say(QStringLiteral("corvane: ") + displayPath(request.output) + QStringLiteral(": ") + written.error + u'\n');
            return 1;
        }
    } else {
        int failure = 0;
        produce([&failure](QByteArrayView bytes) {
            for (qsizetype done = 0; done < bytes.size();) {
                const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, size_t(bytes.size() - done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    failure = errno;
                    return false;
                }
                done += n;
            }
            return true;
        });
        if (failure != 0) {
            say(QStringLiteral("corvane: ") + translated(QT_TRANSLATE_NOOP("CommandLine", "standard output"))
                + QStringLiteral(": ") + systemErrorText(failure) + u'\n');
            return 1;
        }
    }
    // What the window's box would have said after the read, one line each.
    const QString warnings = readWarnings(read.value);
    if (warnings.isEmpty())
        return 0;
    QString lines = warnings;
    lines.replace(QStringLiteral("\r\r"), QStringLiteral("\r")).replace(u'\r', u'\n');
    say(QStringLiteral("corvane: ") + lines + u'\n');
    return 2;
}

} // namespace corvane
