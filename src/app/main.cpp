#include "app/form1.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("corvane: no display found. Start it on a desktop, or without one under a\n"
                   "virtual display: xvfb-run -a corvane\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane+"));
    // Fusion honours the window's colours on every desktop theme.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    corvane::Form1 window(corvane::Services::desktop());
    window.show();
    return app.exec();
}
