// Value and first derivative of a spline at one abscissa, in Horner form on the interval that
// the documented linear scan selects (the end cubics are extended beyond the knots).
#include "OstraPureMath/Splines.h"
#include "splines/SplineEvaluation.h"

namespace opm::detail::splines {

namespace {

// Smallest spline that CubicSplineEval evaluates.
constexpr long kMinimumEvaluatedKnots = 6;

} // namespace

double ValueAt(IntervalFinder& finder, double X, long n, const double* x, const double* y,
               const double* cubicCoef, const double* quadCoef, const double* linCoef) {
    if (n < kMinimumEvaluatedKnots) {
        return 0.0;
    }
    const long i = finder.Representing(X);
    if (i == 0) {
        return 0.0;
    }
    const double t = X - x[i];
    return ((cubicCoef[i] * t + quadCoef[i]) * t + linCoef[i]) * t + y[i];
}

double SlopeAt(IntervalFinder& finder, double X, const double* x, const double* cubicCoef,
               const double* quadCoef, const double* linCoef) {
    const long i = finder.Representing(X);
    if (i == 0) {
        return 0.0;
    }
    const double t = X - x[i];
    return (3.0 * t * cubicCoef[i] + 2.0 * quadCoef[i]) * t + linCoef[i];
}

} // namespace opm::detail::splines

double Splines::CubicSplineEval(double X, long n, const double* x, const double* y,
                                const double* cubicCoef, const double* quadCoef,
                                const double* linCoef) const {
    opm::detail::splines::IntervalFinder finder(n, x);
    return opm::detail::splines::ValueAt(finder, X, n, x, y, cubicCoef, quadCoef, linCoef);
}

double Splines::CubicSplineDer(double X, long n, const double* x, const double* cubicCoef,
                               const double* quadCoef, const double* linCoef) const {
    opm::detail::splines::IntervalFinder finder(n, x);
    return opm::detail::splines::SlopeAt(finder, X, x, cubicCoef, quadCoef, linCoef);
}
