// Helpers shared by the spline operations: the interval search and the extra stopping rule of
// the bisections.
#pragma once

#include <cmath>

namespace opm::detail::splines {

// First interval i in 1..n-1 with x[i] <= X <= x[i+1], by a linear scan from the first
// interval; 0 when none qualifies (X NaN or knots out of order).
inline long ScanForInterval(double X, long n, const double* x) {
    for (long i = 1; i <= n - 1; ++i) {
        // Right end tested first: on the way to X it is the test that fails.
        if (X <= x[i + 1] && x[i] <= X) {
            return i;
        }
    }
    return 0;
}

// The intervals that one operation looks up on the knots x[1..n]. Every answer is the linear
// scan's (ScanForInterval); where the knots ascend it is found by halving, or at once when X
// lies in the interval of the previous answer. A halving answer i is accepted only when
// x[i] <= X <= x[i+1], x[i] < X unless i = 1, and x[1..i] does not descend, which together
// rule out every earlier interval; the knots are read for that check once per object, as far
// as the answers need. Where any of it fails (knots out of order, X NaN), the scan answers.
class IntervalFinder {
public:
    IntervalFinder(long n, const double* x) : n_(n), x_(x) {}

    // ScanForInterval(X, n, x).
    long Containing(double X);

    // The interval whose cubic represents the spline at X: 1 at and left of x[1], n-1 at and
    // right of x[n], else Containing(X) (so an inner knot x[k] belongs to interval k-1).
    long Representing(double X) {
        if (X <= x_[1]) {
            return 1;
        }
        if (X >= x_[n_]) {
            return n_ - 1;
        }
        return Containing(X);
    }

private:
    bool Holds(long i, double X) const;
    bool PrefixAscends(long through);

    long n_;
    const double* x_;
    long ascendsThrough_ = 1; // x[1..ascendsThrough_] is known not to descend
    bool descends_ = false;   // a descent was found: the scan answers from then on
    long last_ = 0;           // the previous answer found by halving (0: none)
};

// True when a bisection pass that halved [left, right] at mid cannot be followed by a useful
// one: mid equals an end (the bracket spans neighbouring doubles and can no longer shrink), or
// an end of the updated bracket is not a finite number (it then never becomes finite again, so
// the width test can never be met). Checked after the width and value tests: in both cases
// every later pass has this pass's midpoint and fails the same tests, so this ends only searches
// that would otherwise never end, with the same result.
// The target is deliberately not tested: a non-finite target with a finite bracket still ends
// through the width test, and stopping it earlier would change the result.
inline bool BisectionCannotProceed(double mid, double leftBefore, double rightBefore, double left,
                                   double right) {
    return mid == leftBefore || mid == rightBefore || !std::isfinite(left) || !std::isfinite(right);
}

} // namespace opm::detail::splines
