#pragma once
// Widget side of the platform stand-ins: real message boxes and the help viewer.

namespace jadl::platform {

// Installs the message-box sink and the help viewer as the handlers of Messages.h and
// Help.h. Call once after the QApplication exists.
void installGuiPlatform();

} // namespace jadl::platform
