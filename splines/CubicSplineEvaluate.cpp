// Value and first derivative of a spline at one abscissa, in Horner form on the interval that a
// linear scan selects (the end cubics are extended beyond the knots).
#include "OstraPureMath/Splines.h"
#include "splines/SplineEvaluation.h"
#include "splines/SplineSearch.h"

namespace {

// Interval whose cubic represents the spline at X: 1 at and left of x[1], n-1 at and right of
// x[n], else the first interval containing X (an inner knot belongs to the interval on its
// left); 0 when none qualifies.
long SelectInterval(double X, long n, const double* x) {
    if (X <= x[1]) {
        return 1;
    }
    if (X >= x[n]) {
        return n - 1;
    }
    return opm::detail::splines::FindContainingInterval(X, n, x);
}

} // namespace

namespace opm::detail::splines {

double ValueOnSelectedInterval(double X, long n, const double* x, const double* y,
                               const double* cubicCoef, const double* quadCoef,
                               const double* linCoef) {
    const long i = SelectInterval(X, n, x);
    if (i == 0) {
        return 0.0;
    }
    const double t = X - x[i];
    return ((cubicCoef[i] * t + quadCoef[i]) * t + linCoef[i]) * t + y[i];
}

double Value(double X, long n, const double* x, const double* y, const double* cubicCoef,
             const double* quadCoef, const double* linCoef) {
    if (n < opm::detail::splines::kMinimumEvaluatedKnots) {
        return 0.0;
    }
    return ValueOnSelectedInterval(X, n, x, y, cubicCoef, quadCoef, linCoef);
}

double Slope(double X, long n, const double* x, const double* cubicCoef, const double* quadCoef,
             const double* linCoef) {
    const long i = SelectInterval(X, n, x);
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
    return opm::detail::splines::Value(X, n, x, y, cubicCoef, quadCoef, linCoef);
}

double Splines::CubicSplineDer(double X, long n, const double* x, const double* cubicCoef,
                               const double* quadCoef, const double* linCoef) const {
    return opm::detail::splines::Slope(X, n, x, cubicCoef, quadCoef, linCoef);
}
