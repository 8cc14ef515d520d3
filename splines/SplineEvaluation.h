// Value and slope of a spline at one abscissa through an operation's interval finder, so that
// an operation that evaluates many times reads the knots for its ascent check only once.
#pragma once

#include "splines/SplineSearch.h"

namespace opm::detail::splines {

// S(X) as documented for Splines::CubicSplineEval: 0 below six knots and where no interval
// qualifies. `finder` works on the same n and x.
double ValueAt(IntervalFinder& finder, double X, long n, const double* x, const double* y,
               const double* cubicCoef, const double* quadCoef, const double* linCoef);

// S'(X) as documented for Splines::CubicSplineDer.
double SlopeAt(IntervalFinder& finder, double X, const double* x, const double* cubicCoef,
               const double* quadCoef, const double* linCoef);

} // namespace opm::detail::splines
