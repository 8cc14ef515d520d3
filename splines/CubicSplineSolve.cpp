// Inverse evaluation of a spline: bisection for S(X) = target on a caller-given bracket.
#include "OstraPureMath/Splines.h"
#include "common/ModuleConstants.h"
#include "splines/SplineEvaluation.h"

#include <cmath>

void Splines::CubicSplineSolve(double target, double lo, double hi, long n, const double* x,
                               const double* y, const double* cubicCoef, const double* quadCoef,
                               const double* linCoef, double& root) const {
    using namespace opm::detail::splines;
    IntervalFinder finder(n, x);
    for (;;) {
        const double mid = (lo + hi) * 0.5;
        root = mid;
        const double fMid = ValueAt(finder, mid, n, x, y, cubicCoef, quadCoef, linCoef) - target;
        // The value at lo is evaluated afresh on every pass, as the method is defined.
        const double fLo = ValueAt(finder, lo, n, x, y, cubicCoef, quadCoef, linCoef) - target;
        const double loBefore = lo;
        const double hiBefore = hi;
        // A zero or NaN product moves lo, so without a sign change the bracket closes on hi.
        if (fLo * fMid < 0.0) {
            hi = mid;
        } else {
            lo = mid;
        }
        if (std::fabs(lo - hi) < opm::detail::kModuleTolerance) {
            return;
        }
        if (std::fabs(fMid) < opm::detail::kModuleTolerance) {
            return;
        }
        if (BisectionCannotProceed(mid, loBefore, hiBefore, lo, hi)) {
            return;
        }
    }
}
