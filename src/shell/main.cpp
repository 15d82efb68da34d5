#include "shell/Application.h"
#include "shell/StartUp.h"
#include "controls/Guarded.h"
#include "platform/gui/GuiPlatform.h"

int main(int argc, char** argv)
{
    jadl::Application app(argc, argv);
    app.setApplicationName(QStringLiteral("jadlonia"));
    jadl::installGuiPlatform();
    bool started = false;
    if (!jadl::runGuarded([&started] { started = StartUp(); }) || !started) {
        ShutDown();
        return 1;
    }
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { ShutDown(); });
    return app.exec();
}
