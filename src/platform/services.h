#pragma once
// The service layer: the few things the window needs from the desktop that a
// test cannot touch for real (modal answers, the printer, the browser, the
// beep, the random colour, the machine's volumes). Each is a small interface;
// qtservices.cpp holds the real implementations.

#include "base/result.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

enum class MessageIcon { Critical, Exclamation, Information };

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Modal input box; Cancel gives the empty text. Line breaks in prompt are CR.
    virtual QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) = 0;
    // Modal message box with one OK button.
    virtual void messageBox(const QString &text, const QString &title, MessageIcon icon) = 0;
};

class Printer
{
public:
    virtual ~Printer() = default;
    // Prints rows on the default printer in the given point size and ends the
    // document; new pages as needed. columns[0] holds each row's text, which
    // wraps when it is too long for its column; each further column holds one
    // text per row (the same number of rows), printed beside it on the row's
    // first line in a column as wide as its widest text, aligned right, so
    // that sizes line up by their last digit and times one under the other.
    // Called on a worker thread: preparing and sending a long document takes
    // a while.
    virtual Result<> printColumns(const QList<QStringList> &columns, int pointSize) = 0;
    // Each line as one row: the printout of a single column.
    Result<> printLines(const QStringList &lines, int pointSize) { return printColumns({lines}, pointSize); }
};

class Shell
{
public:
    virtual ~Shell() = default;
    // Hands the document at absolutePath to the desktop's viewer, without waiting.
    virtual Result<> openDocument(const QString &absolutePath) = 0;
};

struct Volume
{
    QString root;  // mount point; the drive's identity
    QString label; // volume name, may be empty
    friend bool operator==(const Volume &, const Volume &) = default;
};

// The machine's volumes, each remembering one folder: the volume that holds the
// working folder at start remembers that folder, every other volume its root.
// Browsing never changes what a volume remembers. Every call may wait on a slow
// or dead volume, so the window makes them on a worker thread, one at a time.
class Drives
{
public:
    virtual ~Drives() = default;
    virtual QList<Volume> volumes() = 0;
    // The root of the volume that holds the working folder at start.
    virtual QString startRoot() = 0;
    // Checks that the volume at root can be made current: it is still mounted
    // and its remembered folder can be entered. The value is that folder, where
    // documents named without a folder then go.
    virtual Result<QString> makeCurrent(const QString &root) = 0;
    // The remembered folder of the volume at root; a failure when it can no
    // longer be used as a folder (removed, replaced by a file, ...).
    virtual Result<QString> currentFolder(const QString &root) = 0;
};

class Beep
{
public:
    virtual ~Beep() = default;
    virtual void beep() = 0;
};

class Random
{
public:
    virtual ~Random() = default;
    virtual void seedFromTimeOfDay() = 0;
    virtual double next() = 0; // uniform in [0, 1)
};

struct Services
{
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<Drives> drives;
    std::unique_ptr<Beep> beep;
    std::unique_ptr<Random> random;

    // The real desktop services.
    static Services desktop();
};

} // namespace corvane
