#pragma once
// A whole-number spin box with the classic names for its range and step.
#include <QSpinBox>

namespace jadl {

class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);
    int minValue() const { return minimum(); }
    void setMinValue(int v) { setMinimum(v); }
    int maxValue() const { return maximum(); }
    void setMaxValue(int v) { setMaximum(v); }
    int increment() const { return singleStep(); }
    void setIncrement(int v) { setSingleStep(v); }
};

} // namespace jadl
