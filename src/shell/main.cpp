#include "controls/Guarded.h"
#include "platform/gui/GuiPlatform.h"
#include "shell/Application.h"
#include "shell/KsefCommand.h"
#include "shell/ServerCommand.h"
#include "shell/StartUp.h"

#include <QIcon>

int main(int argc, char** argv)
{
    // The command-line modes need no display.
    if (jadl::isKsefCommand(argc, argv))
        return jadl::runKsefCommand(argc, argv);
    if (jadl::isServerCommand(argc, argv))
        return jadl::runServerCommand(argc, argv);
    jadl::Application app(argc, argv);
    app.setApplicationName(QStringLiteral("jadlonia"));
    // The menu entry and the window manager know the program by these.
    app.setDesktopFileName(QStringLiteral("jadlonia"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/jadlonia.png")));
    jadl::installGuiPlatform();
    bool started = false;
    if (!jadl::runGuarded([&started] { started = StartUp(); }) || !started) {
        ShutDown();
        return 1;
    }
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { jadl::runGuarded(ShutDown); });
    return app.exec();
}
