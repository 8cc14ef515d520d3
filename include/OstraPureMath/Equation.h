// Equation: a polynomial given as a plain coefficient array, evaluated and solved by bisection.
//
// coefs holds degree + 1 elements, coefs[i] the coefficient of x^i (0-based, lowest power
// first). Every scalar is passed by pointer to const; nothing is ever written through a pointer.
// No errors are reported: NaN or infinite coefficients pass into the arithmetic. Both functions
// are pure and safe to call from any number of threads.
#pragma once

#include "OstraPureMath/Export.h"

namespace Equation {

// P(*x) by Horner's rule from coefs[degree] down to coefs[0]. The degree counts as a signed
// 32-bit value: a degree of 2^31 or more is an empty polynomial, returns 0.0 and reads no
// coefficient (coefs may then be null).
OPM_API double Polynomial(const double* x, const double* coefs, unsigned int degree);

// An abscissa x between *x1 and *x2 (either order) with P(x) close to *y, by bisection with the
// absolute tolerance 5e-10 on both the value error and the interval width. Each pass, with
// a = the end given first and b the other (both copied on entry):
//   mid = (b + a) * 0.5; return a if |P(a) - y| < 5e-10; return mid if |P(mid) - y| < 5e-10;
//   b = mid if (P(a) - y)(P(mid) - y) < 0, else a = mid (also for a zero or NaN product);
//   return mid if |a - b| < 5e-10.
// Comparisons are strict. Example: y = 0, ends 0 and 2, P = x^2 - 2 returns 1.41421356238 (the
// midpoint of the 30th pass) for either order of the ends.
// Without a sign change in the interval every pass moves a towards b, and the result lies within
// 5e-10 of *x2 (P = 1, y = 0, ends 0 and 2: 1.9999999995343387 after 32 passes); the caller can
// tell this from a root only by evaluating P there.
// Termination, a choice of this library (the classic loop above has no pass limit): the search
// also returns the midpoint of the current pass when that midpoint equals the end it replaced
// (the bracket cannot shrink: ends of magnitude 2^22 and more, where adjacent doubles lie 5e-10
// or more apart), or when the midpoint is not finite (a NaN or infinite end, or ends whose sum
// overflows). These tests come after the three classic tests of the pass, so every search that
// the classic loop ends gives exactly its result and pass count; a non-finite target with finite
// ends, for one, meets no value test and ends through the width test within 5e-10 of *x2.
OPM_API double PolynomialBiSectionSolution(const double* y, const double* x1, const double* x2,
                                           const double* coefs, unsigned int degree);

} // namespace Equation
