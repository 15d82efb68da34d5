#include "platform/gui/GuiPlatform.h"

#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/gui/GuiMessages.h"
#include "platform/gui/HelpViewer.h"

#include <memory>

namespace jadl::platform {

void installGuiPlatform()
{
    setMessageSink(std::make_shared<GuiMessages>());
    setHelpHandler([](int topic) { HelpViewer::ensureInstance()->showTopic(topic); });
}

} // namespace jadl::platform
