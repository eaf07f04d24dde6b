#include "support/scripted.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace corvane::test {

QString ScriptedDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    inputs.append({prompt, title, defaultText});
    if (whileAsking)
        whileAsking(inputs.last());
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

QString accessLetterFault(Form1 &form)
{
    QList<QWidget *> menus = {form.menuBar(), form.SelectMenu};
    for (QAction *entry : form.menuBar()->actions())
        if (entry->menu())
            menus.append(entry->menu());
    for (QWidget *menu : std::as_const(menus)) {
        QStringList letters;
        for (QAction *entry : menu->actions()) {
            if (entry->isSeparator())
                continue;
            const QString letter = QKeySequence::mnemonic(entry->text()).toString().toCaseFolded();
            if (letter.isEmpty() || letters.contains(letter))
                return menu->objectName() + QStringLiteral(": ") + entry->text();
            letters.append(letter);
        }
    }
    return {};
}

void ScriptedDialogs::messageBox(const QString &text, const QString &title, MessageIcon icon)
{
    messages.append({text, title, icon});
}

Result<> RecordingPrinter::printColumns(const QList<QStringList> &printed, int pointSize)
{
    if (!failWith.isEmpty())
        return {{}, failWith};
    jobs.append(printed.value(0));
    columns.append(printed);
    pointSizes.append(pointSize);
    return {};
}

Result<> RecordingShell::openDocument(const QString &absolutePath)
{
    opened.append(absolutePath);
    return {{}, failWith};
}

Result<QString> ScriptedDrives::makeCurrent(const QString &root)
{
    madeCurrent.append(root);
    if (failing.contains(root))
        return {{}, failing.value(root)};
    return {remembered.value(root, root), {}};
}

Result<QString> ScriptedDrives::currentFolder(const QString &root)
{
    if (folderFailing.contains(root))
        return {{}, folderFailing.value(root)};
    return {remembered.value(root, root), {}};
}

double FixedRandom::next()
{
    ++draws;
    return values.isEmpty() ? 0.0 : values.takeFirst();
}

ScriptedServices::ScriptedServices()
{
    auto d = std::make_unique<ScriptedDialogs>();
    auto p = std::make_unique<RecordingPrinter>();
    auto s = std::make_unique<RecordingShell>();
    auto v = std::make_unique<ScriptedDrives>();
    auto b = std::make_unique<CountingBeep>();
    auto r = std::make_unique<FixedRandom>();
    dialogs = d.get();
    printer = p.get();
    shell = s.get();
    drives = v.get();
    beep = b.get();
    random = r.get();
    v->list = {{QStringLiteral("/"), {}}};
    v->current = QStringLiteral("/");
    v->remembered.insert(QStringLiteral("/"), QDir::currentPath());
    services.dialogs = std::move(d);
    services.printer = std::move(p);
    services.shell = std::move(s);
    services.drives = std::move(v);
    services.beep = std::move(b);
    services.random = std::move(r);
}

void verifyWarning(const QList<MessageRecord> &messages, const QString &text, MessageIcon icon, bool contains)
{
    QCOMPARE(messages.size(), 1);
    if (contains)
        QVERIFY2(messages[0].text.contains(text, Qt::CaseInsensitive), qPrintable(messages[0].text));
    else
        QCOMPARE(messages[0].text, text);
    QCOMPARE(messages[0].title, QStringLiteral("WARNING"));
    QCOMPARE(messages[0].icon, icon);
}

void change(Form1 &form, const std::function<void(WindowState &)> &edit)
{
    WindowState value = form.state();
    edit(value);
    form.setState(value);
}

Window::Window(const std::function<void(ScriptedServices &)> &setup)
{
    if (setup)
        setup(scripted);
    form = std::make_unique<Form1>(std::move(scripted.services), nullptr, scripted.start);
}

} // namespace corvane::test
