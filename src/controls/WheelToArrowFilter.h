#pragma once
// Application-wide: one notch of the mouse wheel acts as one press of the Up arrow
// (wheel turned away from the user) or the Down arrow, sent to the widget under
// the mouse; the wheel event itself goes nowhere. Install on qApp.
#include <QObject>
#include <QPointer>

class QWidget;

namespace jadl {

class WheelToArrowFilter : public QObject {
    Q_OBJECT
public:
    explicit WheelToArrowFilter(QObject* parent = nullptr);
    // Installs one filter on the application for the rest of the run (again: no-op).
    static WheelToArrowFilter* installOnApplication();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void press(QWidget* target, int key);

    // High-resolution wheels send parts of a notch: they add up per widget.
    QPointer<QWidget> lastTarget_;
    int pending_ = 0;
};

} // namespace jadl
