// opm: real polynomials given by their coefficients, lowest power first.
//
// coefficients[i] is the coefficient of x^i (0-based): {5, 3, 0, 2} is 5 + 3x + 2x^3, of degree
// coefficients.size() - 1. Every operation runs the library's exact routine, so values and roots
// are bit for bit those of the compatible Polynomial and Equation interfaces. NaN or infinite
// coefficients and arguments are refused with opm::InvalidArgument; nothing here writes to its
// inputs or ends the process, and every operation may be called from any number of threads.
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/opm/Span.h"

#include <vector>

namespace opm {

// P(x) by Horner's rule from the highest power down; 0 for no coefficients at all.
OPM_API double polynomial_value(Span<const double> coefficients, double x);

// Every real x with P(x) = y, ascending, for degree 1 to 4, in closed form (Cardano, Ferrari):
// no iteration and no polishing. Things a caller would not expect from the closed forms:
// - a cubic with three real roots is solved in trigonometric form with the angle offsets
//   6.28318 and 12.56636 rather than 2 pi and 4 pi, so its second and third roots are off by a
//   few parts per million (x^3 - 6x^2 + 11x - 6 gives 1, 2.0000040855, 2.9999989786);
// - a multiple root may come out once or several times, and a double root of a quartic may come
//   out as two nearby values (x^4 - x^2 gives -1, 0, 4.0855e-06, 0.9999989786);
// - a root may be missed where rounding turns a touching root into a near miss.
// polynomial_roots_polished below removes the first inaccuracy.
// The degree must be 1 to 4 and the leading coefficient non-zero (opm::InvalidArgument);
// roots that come out non-finite (a leading coefficient tiny against the others) throw
// opm::NotConverged.
OPM_API std::vector<double> polynomial_roots(Span<const double> coefficients, double y = 0.0);

// polynomial_roots, then each root refined by Newton steps on P(x) - y, as long as a step makes
// |P(x) - y| smaller (at most 8 steps per root), then sorted again. The closed forms'
// inaccuracies (the trigonometric cubic's few ppm) go; the number of roots stays the same.
OPM_API std::vector<double> polynomial_roots_polished(Span<const double> coefficients,
                                                      double y = 0.0);

// Abscissae where P'(x) = 0, ascending (maxima, minima and stationary inflection points, not
// classified), for degree up to 5. The derivative's leading coefficients are first dropped
// while negligible for their power k (|c| < 1e-14 / 262000^k); a constant, a line, or a
// derivative that is constant after that gives an empty result. A nearly-vanishing but kept
// leading coefficient can lose roots to cancellation (x^3 - 3x + 1e-30 x^5 gives none).
// Degree above 5 is refused (opm::InvalidArgument).
OPM_API std::vector<double> polynomial_extrema(Span<const double> coefficients);

// An x between x1 and x2 (either order) with P(x) close to y, by bisection with the absolute
// tolerance 5e-10 on both |P(x) - y| and the interval width. The exact routine does not check
// that the interval holds a solution, and without one returns a point near x2 as if it were a
// root; here P(x1) - y and P(x2) - y must have opposite signs (strictly), else
// opm::InvalidArgument. At least one coefficient.
OPM_API double polynomial_bisection(Span<const double> coefficients, double y, double x1,
                                    double x2);

} // namespace opm
