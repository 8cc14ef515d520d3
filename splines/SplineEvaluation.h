// Value and slope of a spline at one abscissa, shared by the Splines members that evaluate and
// by the modern interface (which reaches the same code instead of a private member).
// Arrays are 1-based, as every Splines operation addresses them.
#pragma once

namespace opm::detail::splines {

// Smallest spline that Splines::CubicSplineEval evaluates: below it the value is 0 everywhere.
constexpr long kMinimumEvaluatedKnots = 6;

// S(X) on the interval that the linear scan selects: 1 at and left of x[1], n-1 at and right of
// x[n], else the first interval containing X (an inner knot belongs to the interval on its
// left); 0 when none qualifies. No minimum on n.
double ValueOnSelectedInterval(double X, long n, const double* x, const double* y,
                               const double* cubicCoef, const double* quadCoef,
                               const double* linCoef);

// S(X) as Splines::CubicSplineEval gives it: 0 for every X below six knots, else
// ValueOnSelectedInterval.
double Value(double X, long n, const double* x, const double* y, const double* cubicCoef,
             const double* quadCoef, const double* linCoef);

// S'(X) on the same interval as ValueOnSelectedInterval; 0 when none qualifies.
double Slope(double X, long n, const double* x, const double* cubicCoef, const double* quadCoef,
             const double* linCoef);

} // namespace opm::detail::splines
