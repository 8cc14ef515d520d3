// Equation: a polynomial given as a plain coefficient array, evaluated and solved by bisection.
#pragma once

#include "OstraPureMath/Export.h"

namespace Equation {

OPM_API double Polynomial(const double* x, const double* coefs, unsigned int degree);

OPM_API double PolynomialBiSectionSolution(const double* y, const double* x1, const double* x2,
                                           const double* coefs, unsigned int degree);

} // namespace Equation
