// Value and first derivative of a spline at one abscissa, in Horner form on the interval that
// the documented linear scan selects (the end cubics are extended beyond the knots).
#include "OstraPureMath/Splines.h"
#include "splines/SplineEvaluation.h"

namespace opm::detail::splines {

double ValueOnSelectedInterval(IntervalFinder& finder, double X, const double* x, const double* y,
                               const double* cubicCoef, const double* quadCoef,
                               const double* linCoef) {
    const long i = finder.Representing(X);
    if (i == 0) {
        return 0.0;
    }
    const double t = X - x[i];
    return ((cubicCoef[i] * t + quadCoef[i]) * t + linCoef[i]) * t + y[i];
}

double ValueAt(IntervalFinder& finder, double X, long n, const double* x, const double* y,
               const double* cubicCoef, const double* quadCoef, const double* linCoef) {
    if (n < kMinimumEvaluatedKnots) {
        return 0.0;
    }
    return ValueOnSelectedInterval(finder, X, x, y, cubicCoef, quadCoef, linCoef);
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

double ValueOnSelectedInterval(double X, long n, const double* x, const double* y,
                               const double* cubicCoef, const double* quadCoef,
                               const double* linCoef) {
    IntervalFinder finder(n, x);
    return ValueOnSelectedInterval(finder, X, x, y, cubicCoef, quadCoef, linCoef);
}

double Value(double X, long n, const double* x, const double* y, const double* cubicCoef,
             const double* quadCoef, const double* linCoef) {
    IntervalFinder finder(n, x);
    return ValueAt(finder, X, n, x, y, cubicCoef, quadCoef, linCoef);
}

double Slope(double X, long n, const double* x, const double* cubicCoef, const double* quadCoef,
             const double* linCoef) {
    IntervalFinder finder(n, x);
    return SlopeAt(finder, X, x, cubicCoef, quadCoef, linCoef);
}

} // namespace opm::detail::splines

double Splines::CubicSplineEval(double X, long n, const double* x, const double* y,
                                const double* cubicCoef, const double* quadCoef,
                                const double* linCoef) const {
    return opm::detail::splines::Value(X, n, x, y, cubicCoef, quadCoef, linCoef);
}

double Splines::CubicSplineDer(double X, long n, const double* x, const double* cubicCoef,
                               const double* quadCoef, const double* linCoef) const {
    return opm::detail::splines::Slope(X, n, x, cubicCoef, quadCoef, linCoef);
}
