#include "common/Progress.h"

#include <QCoreApplication>

namespace jadl {

ProgressPacer::ProgressPacer(int paintMs, int eventsMs) : paintMs_(paintMs), eventsMs_(eventsMs)
{
    paint_.start();
    events_.start();
}

bool ProgressPacer::paintDue()
{
    if (paint_.elapsed() < paintMs_)
        return false;
    paint_.restart();
    return true;
}

void ProgressPacer::keepAlive()
{
    if (events_.elapsed() < eventsMs_)
        return;
    keepAliveNow();
}

void ProgressPacer::keepAliveNow()
{
    events_.restart();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace jadl
