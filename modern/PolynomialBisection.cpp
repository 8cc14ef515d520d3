// opm::polynomial_bisection: Equation::PolynomialBiSectionSolution on an interval that is
// checked to hold a change of sign first.
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/PolynomialArguments.h"

namespace opm {

double polynomial_bisection(Span<const double> coefficients, double y, double x1, double x2) {
    constexpr const char* kOperation = "opm::polynomial_bisection";
    return detail::Guarded(kOperation, [&] {
        const unsigned int degree = detail::CheckedDegree(kOperation, coefficients);
        detail::RequireFinite(kOperation, "y", y);
        detail::RequireFinite(kOperation, "x1", x1);
        detail::RequireFinite(kOperation, "x2", x2);
        const double at1 = Equation::Polynomial(&x1, coefficients.data(), degree) - y;
        const double at2 = Equation::Polynomial(&x2, coefficients.data(), degree) - y;
        if (!((at1 < 0.0 && at2 > 0.0) || (at1 > 0.0 && at2 < 0.0))) {
            detail::Refuse(kOperation, "P(x1) - y and P(x2) - y do not have opposite signs, so "
                                       "[x1, x2] is not known to hold a solution");
        }
        return Equation::PolynomialBiSectionSolution(&y, &x1, &x2, coefficients.data(), degree);
    });
}

} // namespace opm
