#pragma once
#include <QIcon>
#include <QString>
// Widget side of the platform stand-ins: real message boxes and the help viewer.

namespace jadl {

// Installs the message-box sink and the help viewer as the handlers of Messages.h and
// Help.h, and registers the program's resources (help page). Call once after the
// QApplication exists.
void installGuiPlatform();
// A glyph of the program's own (":/icons/<name>.svg"), scalable to any size.
QIcon programIcon(const QString& name);

namespace platform {
using jadl::installGuiPlatform;
} // namespace platform

} // namespace jadl
