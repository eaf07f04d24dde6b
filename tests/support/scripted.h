#pragma once
// Scripted stand-ins for the service layer: answers queued in advance, every
// box, print job, opened document and beep recorded for the test to check.

#include "app/form1.h"
#include "platform/services.h"
#include "support/files.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

namespace corvane::test {

struct InputRecord
{
    QString prompt, title, defaultText;
};

struct MessageRecord
{
    QString text, title;
    MessageIcon icon;
};

class ScriptedDialogs : public Dialogs
{
public:
    QStringList answers; // next answers of input boxes; none left means Cancel ("")
    QList<InputRecord> inputs;
    QList<MessageRecord> messages;
    // Runs while an input box is open, before its answer is given: the place
    // for a test to change the disk between a question and what follows it.
    std::function<void(const InputRecord &)> whileAsking;

    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    void messageBox(const QString &text, const QString &title, MessageIcon icon) override;
};

class RecordingPrinter : public Printer
{
public:
    QString failWith; // non-empty: every job fails with this description
    QList<QStringList> jobs;           // each job's first column: its lines
    QList<QList<QStringList>> columns; // each job's columns, all of them
    QList<int> pointSizes;

    Result<> printColumns(const QList<QStringList> &columns, int pointSize) override;
};

class RecordingShell : public Shell
{
public:
    QString failWith;
    QStringList opened;
    Result<> openDocument(const QString &absolutePath) override;
};

// Called on the window's worker threads, one call at a time; the test reads
// and changes its fields only while no command runs.
class ScriptedDrives : public Drives
{
public:
    QList<Volume> list;
    QHash<QString, QString> remembered; // root -> folder
    QHash<QString, QString> failing;    // root -> description of why it cannot be made current
    QHash<QString, QString> folderFailing; // root -> description of why its folder cannot be given
    QString current;                    // the volume that holds the working folder at start
    QStringList madeCurrent;

    QList<Volume> volumes() override { return list; }
    QString startRoot() override { return current; }
    Result<QString> makeCurrent(const QString &root) override;
    Result<QString> currentFolder(const QString &root) override;
};

class CountingBeep : public Beep
{
public:
    int count = 0;
    void beep() override { ++count; }
};

class FixedRandom : public Random
{
public:
    QList<double> values; // next draws; none left gives 0.0
    int seeded = 0;
    int draws = 0;
    void seedFromTimeOfDay() override { ++seeded; }
    double next() override;
};

// Builds Services from scripted parts and keeps pointers to them for the test.
// The working folder's volume is "/" remembering the working folder.
struct ScriptedServices
{
    ScriptedDialogs *dialogs;
    RecordingPrinter *printer;
    RecordingShell *shell;
    ScriptedDrives *drives;
    CountingBeep *beep;
    FixedRandom *random;
    Services services;
    Form1::Start start = Form1::Start::Quiet; // how the window is made

    ScriptedServices();
};

// The one box a failing command shows: the title "WARNING", icon, and text
// (with contains: a text that holds it). Nothing else was shown.
void verifyWarning(const QList<MessageRecord> &messages, const QString &text,
                   MessageIcon icon = MessageIcon::Critical, bool contains = false);

// Why the access letters of the window's menus fail: an entry of the menu bar,
// of a menu on it or of the pop-up without a letter, or two entries of one menu
// with the same letter; empty when none does.
QString accessLetterFault(Form1 &form);

// Gives the window a changed value, as a command ending would: for a test that
// needs an option set without the command that sets it.
void change(Form1 &form, const std::function<void(WindowState &)> &edit);

// A window on the scripted services; the working folder is set by the caller.
struct Window
{
    ScriptedServices scripted;
    std::unique_ptr<Form1> form;

    // setup runs on the scripted services before the window is created.
    explicit Window(const std::function<void(ScriptedServices &)> &setup = {});
    ScriptedDialogs &dialogs() { return *scripted.dialogs; }
    ItemList &items() { return form->items(); }
    QStringList texts() const { return form->items().texts(); }
};

} // namespace corvane::test
