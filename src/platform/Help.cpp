#include "platform/Help.h"

namespace jadl::platform {

namespace {

struct HelpState {
    std::function<void(int)> handler;
    int last = -1;
};

HelpState& state()
{
    static HelpState s;
    return s;
}

} // namespace

void showHelpTopic(int topic)
{
    HelpState& s = state();
    s.last = topic;
    if (s.handler)
        s.handler(topic);
}

void setHelpHandler(std::function<void(int)> handler)
{
    state().handler = std::move(handler);
}

int lastHelpTopic()
{
    return state().last;
}

void clearLastHelpTopic()
{
    state().last = -1;
}

} // namespace jadl::platform
