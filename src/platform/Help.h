#pragma once
// Help topics: a local help page shown in a help viewer window.
#include <QString>

#include <functional>

namespace jadl::platform {

// Shows a topic of the program's help page. The GUI installs the viewer; until then
// (and in tests) the request is recorded.
void showHelpTopic(int topic);
void setHelpHandler(std::function<void(int)> handler);
int lastHelpTopic(); // -1 when none was asked
void clearLastHelpTopic();

} // namespace jadl::platform
