#pragma once
// A sum of doubles without rounding errors along the way: the result is the
// exact sum rounded once to the nearest double, whatever the order of the
// terms. Totals computed by SQLite (in table order) and by a walk over a view
// (in view order) are therefore the same double. A sum can also take a term
// back out (remove) and take in another sum (merge), both exactly, so sums
// kept per month and brought up to date row by row still equal a fresh sum of
// the rows; and it can be stored as bytes and read back unchanged.
#include <QByteArray>

#include <array>
#include <optional>
#include <string_view>

namespace jadl {

class ExactSum {
public:
    void add(double x);
    // The exact inverse of add(x).
    void remove(double x);
    void merge(const ExactSum& other);
    // The exact sum rounded once; an exact zero is +0, as a numeric sum shows it.
    double value() const;
    // A total beyond the range of doubles: value() is infinite and removing
    // terms no longer brings it back, so a kept total must be added afresh.
    bool overflowed() const { return overflow_ != 0; }

    // Appends the sum in a fixed little-endian form (deserialize reads it back).
    void serialize(QByteArray& out) const;
    // Reads one sum from the front of `in` and moves past it; nullopt when the
    // bytes are not a sum this class wrote.
    static std::optional<ExactSum> deserialize(std::string_view& in);

private:
    void addFinite(double x);

    // Non-overlapping partials in increasing magnitude. Finite doubles span
    // about 2100 bits, so at most 40 partials of 53 bits are ever needed.
    std::array<double, 48> partials_{};
    int count_ = 0;
    // Infinities and NaN do not take part in the exact sum; they decide it.
    // Counted, so that removing one is exact.
    qint64 positiveInfinities_ = 0;
    qint64 negativeInfinities_ = 0;
    qint64 nans_ = 0;
    int overflow_ = 0; // +1 or -1: the finite terms overflowed that way
};

} // namespace jadl
