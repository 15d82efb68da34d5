#include "controls/WheelToArrowFilter.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>

namespace jadl {

namespace {
constexpr int notch = 120; // angle delta of one wheel notch (1/8 degree units)
}

WheelToArrowFilter::WheelToArrowFilter(QObject* parent) : QObject(parent) { }

WheelToArrowFilter* WheelToArrowFilter::installOnApplication()
{
    static QPointer<WheelToArrowFilter> installed;
    if (!installed) {
        installed = new WheelToArrowFilter(qApp);
        qApp->installEventFilter(installed);
    }
    return installed;
}

bool WheelToArrowFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    auto* target = static_cast<QWidget*>(watched);
    // A scroll area's viewport gets the wheel; the keys belong to the area itself.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target->parentWidget()); area && area->viewport() == target)
        target = area;

    const int delta = wheel->angleDelta().y();
    if (target != lastTarget_ || (pending_ > 0 && delta < 0) || (pending_ < 0 && delta > 0))
        pending_ = 0;
    lastTarget_ = target;
    pending_ += delta;
    QPointer<QWidget> guard(target);
    while (guard && std::abs(pending_) >= notch) {
        const bool away = pending_ > 0; // wheel turned away from the user
        pending_ += away ? -notch : notch;
        press(guard, away ? Qt::Key_Up : Qt::Key_Down);
    }
    return true;
}

void WheelToArrowFilter::press(QWidget* target, int key)
{
    if (!target)
        return;
    QPointer<QWidget> guard(target);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &down);
    if (!guard)
        return;
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &up);
}

} // namespace jadl
