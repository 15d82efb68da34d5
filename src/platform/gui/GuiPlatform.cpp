#include "platform/gui/GuiPlatform.h"

#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/gui/GuiMessages.h"
#include "platform/gui/HelpViewer.h"

#include <QtGlobal>

#include <memory>

// The program's resources live in a static library, whose registration the linker
// would drop unless something refers to it. Q_INIT_RESOURCE must be called outside
// any namespace.
static void initProgramResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(jadlonia);
        done = true;
    }
}

namespace jadl {

void installGuiPlatform()
{
    initProgramResources();
    platform::setMessageSink(std::make_shared<platform::GuiMessages>());
    platform::setHelpHandler([](int topic) { platform::HelpViewer::ensureInstance()->showTopic(topic); });
}

QIcon programIcon(const QString& name)
{
    initProgramResources();
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

} // namespace jadl
