// Helpers shared by the spline operations: the linear interval scan and the extra stopping
// rule of the bisections.
#pragma once

#include <cmath>

namespace opm::detail::splines {

// First interval i in 1..n-1 with x[i] <= X <= x[i+1], by a linear scan from the first
// interval; 0 when none qualifies (X NaN or knots out of order).
inline long FindContainingInterval(double X, long n, const double* x) {
    for (long i = 1; i <= n - 1; ++i) {
        // Right end tested first: on the way to X it is the test that fails.
        if (X <= x[i + 1] && x[i] <= X) {
            return i;
        }
    }
    return 0;
}

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
