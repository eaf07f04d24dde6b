#include "app/startup.h"

#include "listing/filenames.h"
#include "base/systemerror.h"

#include <QCommandLineParser>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

CommandLine readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("show this help and exit"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("show the version and exit"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(help);
    parser.addOption(version);

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.exitStatus = 1;
        line.error = QStringLiteral("corvane: ") + parser.errorText()
            + QStringLiteral("\nTry 'corvane --help' for more information.\n");
        return line;
    }
    if (parser.isSet(help)) {
        line.exitStatus = 0;
        line.output = QStringLiteral(
            "Usage: corvane [FOLDER]\n"
            "List the files of a folder and turn the list into a text document, a web page\n"
            "or a printout. Corvane+ starts in FOLDER (a file: its folder), or else in the\n"
            "folder it is started from.\n"
            "\n"
            "  -h, --help     show this help and exit\n"
            "  -v, --version  show the version and exit\n");
        return line;
    }
    if (parser.isSet(version)) {
        line.exitStatus = 0;
        line.output = QStringLiteral("Corvane+ " CORVANE_VERSION "\n");
        return line;
    }
    line.folder = parser.positionalArguments().value(0);
    return line;
}

bool enterStartFolder(const QByteArray &argument, Dialogs &dialogs)
{
    auto fail = [&](int err) {
        dialogs.messageBox(systemErrorText(err) + QStringLiteral(" :\r\r") + displayName(argument),
                           QStringLiteral("WARNING"), MessageIcon::Critical);
        return false;
    };
    struct stat info;
    if (argument.isEmpty())
        return fail(ENOENT);
    if (::stat(argument.constData(), &info) != 0)
        return fail(errno);
    QByteArray folder = argument;
    if (!S_ISDIR(info.st_mode)) {
        const qsizetype slash = argument.lastIndexOf('/');
        folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : argument.left(slash);
    }
    if (::chdir(folder.constData()) != 0)
        return fail(errno);
    return true;
}

} // namespace corvane
