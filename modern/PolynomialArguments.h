// Checks and exact calls shared by the polynomial operations of the modern interface.
#pragma once

#include "OstraPureMath/opm/Span.h"

#include <vector>

namespace opm::detail {

// At least one finite coefficient and a degree that Equation's signed 32-bit count can carry;
// returns the degree.
unsigned int CheckedDegree(const char* operation, Span<const double> coefficients);

// Polynomial::Solve(y) over a copy of the coefficients: the real roots, ascending. Requires
// finite coefficients of degree 1 to 4 with a non-zero leading one and a finite target
// (InvalidArgument), and throws NotConverged when a root comes out non-finite.
std::vector<double> CheckedExactRoots(const char* operation, Span<const double> coefficients,
                                      double y);

} // namespace opm::detail
