#pragma once
// The command line, `corvane [FOLDER]`, and the folder the program starts in.

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
};

// Reads the arguments, the program's name first. Only --help (-h) and
// --version (-v) are options; every further argument after the first is ignored.
CommandLine readCommandLine(const QStringList &arguments);

// Makes the folder that argument names (a file: the file's folder) the working
// folder, before the window and the drives are made, so that the drive, the
// folder tree and the list all start there. When it cannot be entered the
// "WARNING" box gives the system's reason and the working folder stays as it
// was. The argument is kept as the bytes given, so that any name works.
bool enterStartFolder(const QByteArray &argument, Dialogs &dialogs);

} // namespace corvane
