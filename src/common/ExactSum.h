#pragma once
// A sum of doubles without rounding errors along the way: the result is the
// exact sum rounded once to the nearest double, whatever the order of the
// terms. Totals computed by SQLite (in table order) and by a walk over a view
// (in view order) are therefore the same double.
#include <array>

namespace jadl {

class ExactSum {
public:
    void add(double x);
    double value() const;

private:
    // Non-overlapping partials in increasing magnitude. Finite doubles span
    // about 2100 bits, so at most 40 partials of 53 bits are ever needed.
    std::array<double, 48> partials_{};
    int count_ = 0;
    // Infinities and NaN do not take part in the exact sum; they decide it.
    double special_ = 0.0;
    bool hasSpecial_ = false;
};

} // namespace jadl
