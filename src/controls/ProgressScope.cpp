#include "controls/ProgressScope.h"

#include <algorithm>

namespace jadl {

ProgressScope::ProgressScope(QWidget* parent, const QString& text, int total)
    : dialog_(text, QString(), 0, std::max(total, 1), parent), pacer_(50, 50)
{
    dialog_.setObjectName(QStringLiteral("ProgressKorekta"));
    dialog_.setWindowTitle(QStringLiteral("PROSZĘ CZEKAĆ"));
    dialog_.setCancelButton(nullptr);
    dialog_.setMinimumDuration(400);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
}

void ProgressScope::step(int done)
{
    if (!pacer_.paintDue())
        return;
    dialog_.setValue(done);
    pacer_.keepAliveNow();
}

} // namespace jadl
