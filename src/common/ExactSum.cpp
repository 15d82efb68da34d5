#include "common/ExactSum.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace jadl {

namespace {

constexpr unsigned char kUp = 1; // overflowed upwards
constexpr unsigned char kDown = 2; // overflowed downwards
constexpr unsigned char kSpecials = 4; // infinities or NaN counted

void putWord(QByteArray& out, quint64 w)
{
    const quint64 le = qToLittleEndian(w);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

std::optional<quint64> takeWord(std::string_view& in)
{
    if (in.size() < sizeof(quint64))
        return std::nullopt;
    quint64 le = 0;
    std::memcpy(&le, in.data(), sizeof le);
    in.remove_prefix(sizeof le);
    return qFromLittleEndian(le);
}

} // namespace

void ExactSum::add(double x)
{
    if (std::isnan(x))
        ++nans_;
    else if (std::isinf(x))
        ++(x > 0 ? positiveInfinities_ : negativeInfinities_);
    else
        addFinite(x);
}

void ExactSum::remove(double x)
{
    if (std::isnan(x))
        --nans_;
    else if (std::isinf(x))
        --(x > 0 ? positiveInfinities_ : negativeInfinities_);
    else
        addFinite(-x);
}

void ExactSum::merge(const ExactSum& other)
{
    for (int j = 0; j < other.count_; ++j)
        addFinite(other.partials_[size_t(j)]);
    positiveInfinities_ += other.positiveInfinities_;
    negativeInfinities_ += other.negativeInfinities_;
    nans_ += other.nans_;
    overflow_ |= other.overflow_;
}

// Shewchuk's algorithm, as in Python's math.fsum.
void ExactSum::addFinite(double x)
{
    if (overflow_)
        return; // the total is infinite whatever follows
    int kept = 0;
    for (int j = 0; j < count_; ++j) {
        double y = partials_[size_t(j)];
        if (std::fabs(x) < std::fabs(y))
            std::swap(x, y);
        const double hi = x + y;
        if (!std::isfinite(hi)) {
            overflow_ |= hi > 0 ? kUp : kDown;
            return;
        }
        const double lo = y - (hi - x);
        if (lo != 0.0)
            partials_[size_t(kept++)] = lo;
        x = hi;
    }
    partials_[size_t(kept++)] = x;
    count_ = kept;
}

double ExactSum::value() const
{
    const bool up = positiveInfinities_ > 0 || (overflow_ & kUp);
    const bool down = negativeInfinities_ > 0 || (overflow_ & kDown);
    if (nans_ > 0 || (up && down))
        return std::numeric_limits<double>::quiet_NaN();
    if (up)
        return std::numeric_limits<double>::infinity();
    if (down)
        return -std::numeric_limits<double>::infinity();
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
    // However the terms came and went, an exact zero is one value.
    return hi == 0.0 ? 0.0 : hi;
}

void ExactSum::serialize(QByteArray& out) const
{
    const bool specials = positiveInfinities_ || negativeInfinities_ || nans_;
    out.append(char(count_));
    out.append(char(overflow_ | (specials ? kSpecials : 0)));
    if (specials) {
        putWord(out, quint64(positiveInfinities_));
        putWord(out, quint64(negativeInfinities_));
        putWord(out, quint64(nans_));
    }
    for (int j = 0; j < count_; ++j) {
        quint64 bits = 0;
        std::memcpy(&bits, &partials_[size_t(j)], sizeof bits);
        putWord(out, bits);
    }
}

std::optional<ExactSum> ExactSum::deserialize(std::string_view& in)
{
    if (in.size() < 2)
        return std::nullopt;
    ExactSum s;
    const auto count = static_cast<unsigned char>(in[0]);
    const auto flags = static_cast<unsigned char>(in[1]);
    in.remove_prefix(2);
    if (count > s.partials_.size() || (flags & ~(kUp | kDown | kSpecials)) != 0)
        return std::nullopt;
    s.overflow_ = flags & (kUp | kDown);
    if (flags & kSpecials) {
        for (qint64* c : {&s.positiveInfinities_, &s.negativeInfinities_, &s.nans_}) {
            const auto w = takeWord(in);
            if (!w)
                return std::nullopt;
            *c = qint64(*w);
        }
    }
    for (int j = 0; j < count; ++j) {
        const auto w = takeWord(in);
        if (!w)
            return std::nullopt;
        double d = 0;
        std::memcpy(&d, &*w, sizeof d);
        if (!std::isfinite(d))
            return std::nullopt;
        s.partials_[size_t(j)] = d;
    }
    s.count_ = count;
    return s;
}

} // namespace jadl
