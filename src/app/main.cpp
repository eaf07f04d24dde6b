#include "app/exportcommand.h"
#include "app/form1.h"
#include "app/startup.h"
#include "app/translations.h"
#include "listing/filenames.h"
#include "platform/qtservices.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <optional>

int main(int argc, char *argv[])
{
    // The command line first: --help and --version need no display.
    // Arguments are bytes; decoded without loss, so a folder of any name can be
    // named back to the system.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(corvane::pathFromBytes(argv[i]));
    if (corvane::isExportCommand(arguments)) {
        // A document written with no window: no display is needed.
        int coreArgc = 1;
        const QCoreApplication core(coreArgc, argv);
        corvane::installTranslations();
        return corvane::runExport(arguments);
    }
    corvane::CommandLine command = corvane::readCommandLine(arguments);
    if (command.exitStatus) {
        // Said in the user's language: translations need an application
        // object, and this one needs no display.
        int coreArgc = 1;
        const QCoreApplication core(coreArgc, argv);
        corvane::installTranslations();
        command = corvane::readCommandLine(arguments);
        std::fputs(command.output.toLocal8Bit().constData(), stdout);
        std::fputs(command.error.toLocal8Bit().constData(), stderr);
        return *command.exitStatus;
    }
    // QApplication takes Qt's own options out of argv; when no platform can
    // open a window it says so in one line and ends with status 1.
    std::optional<corvane::DisplayCheck> displayCheck(std::in_place);
    QApplication app(argc, argv);
    displayCheck.reset();
    // Before any text is shown: the start folder's box is the first.
    corvane::installTranslations();
    if (!command.note.isEmpty()) // read again, now in the user's language
        std::fputs(corvane::readCommandLine(arguments).note.toLocal8Bit().constData(), stderr);
    QApplication::setApplicationName(QStringLiteral("Corvane+"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvane.Corvane"));
    // Fusion honours the window's colours on every desktop theme; a style the
    // user chose (-style, QT_STYLE_OVERRIDE) is kept.
    if (command.style.isEmpty() && qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE"))
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    if (!command.folder.isEmpty()) {
        corvane::QtDialogs dialogs;
        corvane::enterStartFolder(corvane::pathToBytes(command.folder), dialogs);
    }
    // Made after the start folder is entered: the drives take the working folder.
    corvane::Form1 window(corvane::Services::desktop(), nullptr, corvane::Form1::Start::ShowWhenSlow);
    window.show();
    // For the package check only: CORVANE_QUIT_AFTER_SHOW=1 ends the program with
    // status 0 as soon as the window system shows the window, 1 if it never does.
    // Before it ends it prints the folder of the file box and then the items of
    // the list, one a line, for the check to compare.
    if (qEnvironmentVariableIntValue("CORVANE_QUIT_AFTER_SHOW") == 1) {
        auto *poll = new QTimer(&app);
        QObject::connect(poll, &QTimer::timeout, &app, [&window, poll] {
            if (window.windowHandle() && window.windowHandle()->isExposed()) {
                poll->stop();
                const QStringList shown = QStringList{window.File1->path()} + window.items().texts();
                std::fputs((shown.join(u'\n') + u'\n').toLocal8Bit().constData(), stdout);
                QApplication::exit(0);
            }
        });
        poll->start(20);
        QTimer::singleShot(20000, &app, [] { QApplication::exit(1); });
    }
    return app.exec();
}
