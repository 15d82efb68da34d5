#pragma once
// Handlers run guarded: an error they raise is shown in the default error box
// and the program goes on; a silent Abort shows nothing. One helper for every
// window's connections.
#include <functional>

namespace jadl {

// Runs a handler; false when it failed (the error has been shown).
bool runGuarded(const std::function<void()>& handler);
// Shows the text of the exception in flight in the default error box.
void reportCurrentException();

// A slot for connect(): the member handler of `window`, run guarded.
template <class Window>
auto guardedSlot(Window* window, void (Window::*handler)())
{
    return [window, handler] { runGuarded([window, handler] { (window->*handler)(); }); };
}

} // namespace jadl
