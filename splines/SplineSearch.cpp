// Interval search by halving on ascending knots, checked against the linear scan's definition.
#include "splines/SplineSearch.h"

#include <algorithm>

namespace opm::detail::splines {

namespace {

// Knots checked per step of the ascent test: no early exit inside a block, so that it vectorises.
constexpr long kAscentBlock = 64;

} // namespace

bool IntervalFinder::Holds(long i, double X) const {
    return x_[i] <= X && X <= x_[i + 1] && (i == 1 || x_[i] < X);
}

bool IntervalFinder::PrefixAscends(long through) {
    for (long k = ascendsThrough_; k < through; k += kAscentBlock) {
        const long last = std::min(through, k + kAscentBlock);
        int descent = 0;
        for (long j = k; j < last; ++j) {
            descent |= !(x_[j] <= x_[j + 1]); // a NaN knot counts as a descent
        }
        if (descent != 0) {
            descends_ = true;
            return false;
        }
        ascendsThrough_ = last;
    }
    return true;
}

long IntervalFinder::Containing(double X) {
    if (descends_) {
        return ScanForInterval(X, n_, x_);
    }
    if (last_ != 0 && Holds(last_, X)) {
        return last_;
    }
    if (n_ >= 2 && X <= x_[n_]) {
        // The smallest i with X <= x[i+1], were the knots ascending.
        long lo = 1;
        long hi = n_ - 1;
        while (lo < hi) {
            const long mid = lo + (hi - lo) / 2;
            if (X <= x_[mid + 1]) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        if (Holds(lo, X) && PrefixAscends(lo)) {
            last_ = lo;
            return lo;
        }
    }
    return ScanForInterval(X, n_, x_);
}

} // namespace opm::detail::splines
