// Interval search by halving on ascending knots, checked against the linear scan's definition.
#include "splines/SplineSearch.h"

#include "common/Simd.h"

namespace opm::detail::splines {

namespace {

// True when x[first..last] does not descend (a NaN knot counts as a descent). No early exit
// inside, and two running masks eight pairs at a time, so that the loop is bound by its loads
// rather than by one chain of mask updates.
OPM_SIMD_CLONES bool Ascends(const double* x, long first, long last) {
    using namespace opm::detail::simd;
    Mask4 ascend0 = {-1, -1, -1, -1};
    Mask4 ascend1 = {-1, -1, -1, -1};
    long j = first;
    for (; j + 8 <= last; j += 8) {
        ascend0 &= OPM_LOAD4(x + j) <= OPM_LOAD4(x + j + 1);
        ascend1 &= OPM_LOAD4(x + j + 4) <= OPM_LOAD4(x + j + 5);
    }
    for (; j + 4 <= last; j += 4) {
        ascend0 &= OPM_LOAD4(x + j) <= OPM_LOAD4(x + j + 1);
    }
    const Mask4 descent = ~(ascend0 & ascend1);
    bool ascends = !Any4(descent);
    for (; j < last; ++j) {
        ascends = ascends && x[j] <= x[j + 1];
    }
    return ascends;
}

} // namespace

bool IntervalFinder::Holds(long i, double X) const {
    return x_[i] <= X && X <= x_[i + 1] && (i == 1 || x_[i] < X);
}

bool IntervalFinder::PrefixAscends(long through) {
    if (through > ascendsThrough_) {
        if (!Ascends(x_, ascendsThrough_, through)) {
            descends_ = true;
            return false;
        }
        ascendsThrough_ = through;
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
