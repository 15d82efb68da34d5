#include "shell/Application.h"
#include "shell/StartUp.h"
#include "platform/gui/GuiPlatform.h"

int main(int argc, char** argv)
{
    jadl::Application app(argc, argv);
    app.setApplicationName(QStringLiteral("jadlonia"));
    jadl::installGuiPlatform();
    if (!jadl::runGuarded([] { StartUp(); }))
        return 1;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { ShutDown(); });
    return app.exec();
}
