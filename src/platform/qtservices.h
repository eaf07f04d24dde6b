#pragma once
// The real desktop implementations of the service layer.

#include "platform/services.h"

#include <QByteArray>
#include <QHash>

#include <functional>
#include <mutex>
#include <random>

namespace corvane {

class QtDialogs : public Dialogs
{
public:
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    void messageBox(const QString &text, const QString &title, MessageIcon icon) override;
};

class QtPrinter : public Printer
{
public:
    Result<> printColumns(const QList<QStringList> &columns, int pointSize) override;
};

class QtShell : public Shell
{
public:
    Result<> openDocument(const QString &absolutePath) override;
};

// One entry of the mount table.
struct MountEntry
{
    QString root;    // mount point
    QString label;   // volume name, may be empty
    QByteArray type; // file system type ("ext4", "proc", ...)
    bool ready = true;
};
// The machine's mount table as it is now; asked afresh whenever it matters.
using MountTable = std::function<QList<MountEntry>()>;
// The system's mount table.
QList<MountEntry> systemMountTable();

// The volumes of the mount table. Made on the window's thread, used on workers
// one call at a time; what it remembers is guarded all the same.
class QtDrives : public Drives
{
public:
    explicit QtDrives(MountTable mountTable = systemMountTable);
    QList<Volume> volumes() override;
    QString startRoot() override;
    Result<QString> makeCurrent(const QString &root) override;
    Result<QString> currentFolder(const QString &root) override;

private:
    QString rememberedFolder(const QString &root);

    MountTable m_mountTable;
    std::mutex m_lock;
    QString m_startRoot;   // set by the first startRoot()
    QString m_startFolder; // the working folder then: what that volume remembers
};

class QtBeep : public Beep
{
public:
    void beep() override;
};

class QtRandom : public Random
{
public:
    void seedFromTimeOfDay() override;
    double next() override;

private:
    std::mt19937_64 m_engine{0};
};

// Message texts keep CR-only line breaks; a box shows each CR as a new line.
QString displayLines(const QString &text);

} // namespace corvane
