#pragma once
// The real desktop implementations of the service layer.

#include "platform/services.h"

#include <QHash>

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
    Result<> printLines(const QStringList &lines, int pointSize) override;
};

class QtShell : public Shell
{
public:
    Result<> openDocument(const QString &absolutePath) override;
};

class QtDrives : public Drives
{
public:
    QtDrives();
    QList<Volume> volumes() override;
    Result<> makeCurrent(const QString &root) override;
    QString currentRoot() override { return m_current; }
    Result<QString> currentFolder() override;

private:
    QHash<QString, QString> m_remembered; // volume root -> remembered folder
    QString m_current;                    // root of the current volume
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
