#include "common/ExactSum.h"

#include <cmath>
#include <utility>

namespace jadl {

// Shewchuk's algorithm, as in Python's math.fsum.
void ExactSum::add(double x)
{
    if (!std::isfinite(x)) {
        special_ += x;
        hasSpecial_ = true;
        return;
    }
    int kept = 0;
    for (int j = 0; j < count_; ++j) {
        double y = partials_[size_t(j)];
        if (std::fabs(x) < std::fabs(y))
            std::swap(x, y);
        const double hi = x + y;
        const double lo = y - (hi - x);
        if (lo != 0.0)
            partials_[size_t(kept++)] = lo;
        x = hi;
    }
    if (std::isfinite(x)) {
        partials_[size_t(kept++)] = x;
        count_ = kept;
    } else {
        // Only an overflow of the total itself gets here: it is infinite.
        special_ += x;
        hasSpecial_ = true;
        count_ = kept;
    }
}

double ExactSum::value() const
{
    if (hasSpecial_)
        return special_;
    int n = count_;
    if (n == 0)
        return 0.0;
    double hi = partials_[size_t(--n)];
    double lo = 0.0;
    while (n > 0) {
        const double x = hi;
        const double y = partials_[size_t(--n)];
        hi = x + y;
        lo = y - (hi - x);
        if (lo != 0.0)
            break;
    }
    // Round half to even correctly when the rest lies exactly on the half-way point.
    if (n > 0 && ((lo < 0.0 && partials_[size_t(n - 1)] < 0.0) || (lo > 0.0 && partials_[size_t(n - 1)] > 0.0))) {
        const double y = lo * 2.0;
        const double x = hi + y;
        if (y == x - hi)
            hi = x;
    }
    return hi;
}

} // namespace jadl
