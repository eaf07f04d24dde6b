#include "app/startup.h"

#include "app/exportcommand.h"
#include "app/translations.h"
#include "listing/filenames.h"
#include "base/systemerror.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QMessageLogContext>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// The options QApplication takes out of argv on Linux (QCoreApplication,
// QGuiApplication, QApplication and the X11 platform's own), with or without a
// value, besides -style, which the program reads too. Qt accepts each with one
// dash or two, as the parser below does.
constexpr const char *kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "stylesheet", "qmljsdebugger",
    "display", "geometry", "title", "icon", "name", "visual"};
constexpr const char *kQtFlags[] = {"reverse", "testability", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

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
    const QCommandLineOption style(QStringLiteral("style"), QString(), QStringLiteral("style"));
    parser.addOption(style);
    for (const char *name : kQtOptionsWithValue)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : kQtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString()));

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.exitStatus = 1;
        // Qt's translation says what is wrong, this one what to do.
        line.error = QStringLiteral("corvane: ") + parser.errorText() + u'\n'
            + QCoreApplication::translate("CommandLine", "Try 'corvane --help' for more information.") + u'\n';
        return line;
    }
    if (parser.isSet(help)) {
        line.exitStatus = 0;
        line.output = QCoreApplication::translate(
            "CommandLine",
            "Usage: corvane [FOLDER]\n"
            "List the files of a folder, and with Options of every folder below it, in a\n"
            "sorted item list, with their sizes and dates if asked. Narrow the list by file\n"
            "types and by a word, hide extensions, number the items, edit the list by hand,\n"
            "and write it out as a text document, a web page, CSV, JSON, a Markdown table\n"
            "or a printout. Corvane+ starts in FOLDER (a file: its folder), or else in the\n"
            "folder it is started from.\n"
            "\n"
            "  -h, --help     show this help and exit\n"
            "  -v, --version  show the version and exit\n"
            "\n"
            "Keys: Alt and a menu's underlined letter, F1 Info, F5 read the folder again,\n"
            "Ctrl+Q quit, Esc cancel a slow read; in the item list Ctrl+A select all,\n"
            "Delete erase the marked items, F2 rename, Ctrl+C copy.\n"
            "\n"
            "Qt's standard options are accepted too, such as -platform NAME (wayland, xcb),\n"
            "-style NAME, -reverse and -session ID.\n")
            + exportHelp();
        return line;
    }
    if (parser.isSet(version)) {
        line.exitStatus = 0;
        line.output = QStringLiteral("Corvane+ " CORVANE_VERSION "\n");
        return line;
    }
    const QStringList folders = parser.positionalArguments();
    line.folder = folders.value(0);
    if (folders.size() > 1) {
        QStringList ignored;
        for (const QString &folder : folders.sliced(1))
            ignored.append(displayPath(folder));
        line.note = QStringLiteral("corvane: ")
            + QCoreApplication::translate("CommandLine", "only %1 is opened; ignored: %2")
                  .arg(displayPath(line.folder), ignored.join(u' '))
            + u'\n';
    }
    line.style = parser.value(style);
    return line;
}

namespace {

// What Qt said while the QApplication was being made.
struct HeldMessage
{
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

QList<HeldMessage> g_held;
QtMessageHandler g_previous = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg && text.contains(QLatin1StringView("platform plugin"))) {
        // Said in the user's language: the application being made is already
        // the one that takes translators.
        installTranslations();
        QStringList said;
        for (const HeldMessage &message : std::as_const(g_held))
            said.append(message.text);
        said.append(text);
        std::fputs(noDisplayLine(said).toLocal8Bit().constData(), stderr);
        std::fflush(stdout);
        // Qt's fatal path is on its way to abort() from inside the QApplication
        // constructor, where neither returning nor throwing is possible and
        // exit() would run destructors over a half-made application: the
        // process ends here, having printed all it has to say.
        std::_Exit(1);
    }
    if (type == QtFatalMsg) {
        if (g_previous)
            g_previous(type, context, text);
        else {
            qInstallMessageHandler(nullptr);
            qt_message_output(type, context, text);
        }
        return;
    }
    g_held.append({type, QByteArray(context.file), QByteArray(context.function), QByteArray(context.category),
                   context.line, text});
}

} // namespace

DisplayCheck::DisplayCheck()
{
    g_held.clear();
    g_previous = qInstallMessageHandler(holdMessage);
}

DisplayCheck::~DisplayCheck()
{
    qInstallMessageHandler(g_previous);
    const QList<HeldMessage> held = std::exchange(g_held, {});
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(message.file.isEmpty() ? nullptr : message.file.constData(), message.line,
                                         message.function.isEmpty() ? nullptr : message.function.constData(),
                                         message.category.isEmpty() ? nullptr : message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
}

QString noDisplayLine(const QStringList &qtMessages)
{
    const QString said = qtMessages.join(u'\n');
    const auto shown = [](const char *name) -> QString {
        const QString value = qEnvironmentVariable(name);
        return value.isEmpty() ? QCoreApplication::translate("CommandLine", "%1 unset").arg(QString::fromLatin1(name))
                               : QString::fromLatin1(name) + u'=' + value;
    };
    const QString start = QStringLiteral("corvane: ")
        + QCoreApplication::translate("CommandLine", "cannot open a window: ");
    // Qt names each platform it tried but does not have as: Could not find the
    // Qt platform plugin "NAME".
    QStringList missing;
    static const QRegularExpression notFound(QStringLiteral("Could not find the Qt platform plugin \"([^\"]*)\""));
    for (auto match = notFound.globalMatch(said); match.hasNext();)
        missing.append(match.next().captured(1));
    if (missing.contains(QLatin1StringView("wayland")))
        return start
            + QCoreApplication::translate("CommandLine",
                                          "Qt's Wayland platform is missing: install the package qt6-wayland "
                                          "(sudo apt-get install qt6-wayland), or set DISPLAY to an X11 display")
            + u'\n';
    missing.removeAll(QLatin1StringView("xcb"));
    if (!missing.isEmpty())
        return start
            + QCoreApplication::translate("CommandLine", "Qt has no platform \"%1\": name one of wayland, xcb or "
                                                         "offscreen with -platform or QT_QPA_PLATFORM")
                  .arg(missing.first())
            + u'\n';
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return start
            + QCoreApplication::translate("CommandLine",
                                          "no display found (DISPLAY and WAYLAND_DISPLAY unset); start it on a "
                                          "desktop or set one of them to its display, or start it under a virtual "
                                          "one: xvfb-run -a corvane")
            + u'\n';
    return start
        + QCoreApplication::translate("CommandLine", "no display answers (%1, %2); set them to a running desktop's "
                                                     "display, or start it under a virtual one: xvfb-run -a corvane")
              .arg(shown("WAYLAND_DISPLAY"), shown("DISPLAY"))
        + u'\n';
}

bool enterStartFolder(const QByteArray &argument, Dialogs &dialogs)
{
    auto fail = [&](int err) {
        dialogs.messageBox(systemErrorText(err) + QStringLiteral(" :\r\r") + displayName(argument),
                           QCoreApplication::translate("CommandLine", "WARNING"), MessageIcon::Critical);
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
