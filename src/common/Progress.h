#pragma once
// The pace of a long job's display. The job runs inside a button handler and
// does not return to the event loop until it ends, so its window is repainted
// from within: at most every `paintMs` it may show its progress, and at most
// every `eventsMs` pending events are processed (timers, window-system
// repaints, never user input, so the job cannot be started again meanwhile).
#include <QElapsedTimer>

namespace jadl {

class ProgressPacer {
public:
    explicit ProgressPacer(int paintMs = 40, int eventsMs = 150);
    bool paintDue(); // true at most once per paint interval; restarts it
    void keepAlive(); // processes pending events when due
    void keepAliveNow(); // processes pending events at once (the job's own steps)

private:
    QElapsedTimer paint_;
    QElapsedTimer events_;
    int paintMs_;
    int eventsMs_;
};

} // namespace jadl
