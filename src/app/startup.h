#pragma once
// The command line, `corvane [FOLDER]` with Qt's standard options, the folder
// the program starts in, and the one line said when no window can be opened.

#include "platform/services.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

struct CommandLine
{
    // Set when the program ends at once (--help, --version, a wrong option):
    // its exit status, with the text for standard output or standard error.
    std::optional<int> exitStatus;
    QString output;
    QString error;
    // The first argument that is no option; empty when none was given.
    QString folder;
    // One line for standard error when the program goes on but ignores some
    // of what it was given (the arguments after the folder); empty otherwise.
    QString note;
    // The widget style chosen with Qt's -style option; empty when none was.
    QString style;
};

// Reads the arguments, the program's name first. Its own options are --help
// (-h) and --version (-v); Qt's standard options (-platform NAME, -style NAME,
// -reverse, -session ID, ...) are accepted with their values and left to
// QApplication, which takes them out of argv; none of them is the folder.
// Every argument after the first that is no option is ignored, and note says
// so. Nothing here needs a display.
CommandLine readCommandLine(const QStringList &arguments);

// Watches the construction of the QApplication: when Qt finds no platform it
// can open a window on, its fatal message would abort the program with advice
// that does not fit; instead the program prints noDisplayLine() on standard
// error and exits with status 1. Qt's other messages of the construction are
// held back and, once it has succeeded, passed on as they were.
class DisplayCheck
{
public:
    DisplayCheck();
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck &) = delete;
    DisplayCheck &operator=(const DisplayCheck &) = delete;
};

// The one line, ending in a newline, that says why no window could be opened
// and what to install or set, from Qt's messages while it tried its platforms
// and from DISPLAY, WAYLAND_DISPLAY and XDG_SESSION_TYPE.
QString noDisplayLine(const QStringList &qtMessages);

// Makes the folder that argument names (a file: the file's folder) the working
// folder, before the window and the drives are made, so that the drive, the
// folder tree and the list all start there. When it cannot be entered the
// "WARNING" box gives the system's reason and the working folder stays as it
// was. The argument is kept as the bytes given, so that any name works.
bool enterStartFolder(const QByteArray &argument, Dialogs &dialogs);

} // namespace corvane
