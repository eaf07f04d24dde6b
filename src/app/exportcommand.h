#pragma once
// `corvane --export FORMAT [OPTIONS] [FOLDER]`: the document the window would
// write for FOLDER (the working folder when none is given), to standard output
// or to a file, with no display. Its options stand for what the window's
// commands set; each is one row of a table. It reads, merges, filters and
// writes through the same steps as the window's commands (listingsteps.h).

#include <QString>
#include <QStringList>

namespace corvane {

// True when the arguments (the program's name first) ask for an export.
bool isExportCommand(const QStringList &arguments);

// Runs the export; a QCoreApplication must exist. Returns the exit status:
// 0 written; 1 nothing written (a wrong option, a folder that cannot be read,
// a document that cannot be written), its reason on standard error; 2 written,
// but folders below or files' sizes and dates could not be read, said on
// standard error as the window's box says it.
int runExport(const QStringList &arguments);

// The lines --help gives for the export and its options.
QString exportHelp();

} // namespace corvane
