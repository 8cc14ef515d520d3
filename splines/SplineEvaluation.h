// Value and slope of a spline at one abscissa, shared by the Splines members that evaluate and
// by the modern interface (which reaches the same code instead of a private member). An
// operation that evaluates many times passes its interval finder, so that it reads the knots
// for the finder's ascent check only once. Arrays are 1-based, as every Splines operation
// addresses them.
#pragma once

#include "splines/SplineSearch.h"

namespace opm::detail::splines {

// Smallest spline that Splines::CubicSplineEval evaluates: below it the value is 0 everywhere.
constexpr long kMinimumEvaluatedKnots = 6;

// S(X) on the interval that the linear scan selects (IntervalFinder::Representing: 1 at and left
// of x[1], n-1 at and right of x[n], else the first interval containing X, so an inner knot
// belongs to the interval on its left); 0 when none qualifies. No minimum on n. `finder` works on
// the same n and x.
double ValueOnSelectedInterval(IntervalFinder& finder, double X, const double* x, const double* y,
                               const double* cubicCoef, const double* quadCoef,
                               const double* linCoef);

// S(X) as Splines::CubicSplineEval gives it: 0 for every X below six knots, else
// ValueOnSelectedInterval.
double ValueAt(IntervalFinder& finder, double X, long n, const double* x, const double* y,
               const double* cubicCoef, const double* quadCoef, const double* linCoef);

// S'(X) on the same interval as ValueOnSelectedInterval; 0 when none qualifies.
double SlopeAt(IntervalFinder& finder, double X, const double* x, const double* cubicCoef,
               const double* quadCoef, const double* linCoef);

// The same for one abscissa, each with a finder of its own.
double ValueOnSelectedInterval(double X, long n, const double* x, const double* y,
                               const double* cubicCoef, const double* quadCoef,
                               const double* linCoef);
double Value(double X, long n, const double* x, const double* y, const double* cubicCoef,
             const double* quadCoef, const double* linCoef);
double Slope(double X, long n, const double* x, const double* cubicCoef, const double* quadCoef,
             const double* linCoef);

} // namespace opm::detail::splines
