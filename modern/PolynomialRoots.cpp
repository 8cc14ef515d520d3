// opm::polynomial_value, opm::polynomial_roots and opm::polynomial_extrema: Equation::Polynomial
// and the closed-form root finders of Polynomial over the caller's coefficients.
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/PolynomialArguments.h"

#include <string>

namespace opm {

namespace detail {

unsigned int CheckedDegree(const char* operation, Span<const double> coefficients) {
    RequireFiniteData(operation, "coefficients", coefficients);
    RequireAtLeast(operation, "coefficients", coefficients.size(), 1);
    // Equation::Polynomial reads its degree as a signed 32-bit count.
    const int degree = ToInt(operation, "the degree", coefficients.size() - 1);
    return static_cast<unsigned int>(degree);
}

std::vector<double> CheckedExactRoots(const char* operation, Span<const double> coefficients,
                                      double y) {
    RequireFiniteData(operation, "coefficients", coefficients);
    RequireFinite(operation, "y", y);
    if (coefficients.size() < 2 || coefficients.size() > 5) {
        Refuse(operation, detail::Text(coefficients.size()) +
                              " coefficients; roots are found for degree 1 to 4 (2 to 5 "
                              "coefficients)");
    }
    if (coefficients[coefficients.size() - 1] == 0.0) {
        Refuse(operation, "the leading coefficient is 0 (give the coefficients up to the highest "
                          "non-zero power)");
    }
    std::vector<double> copy(coefficients.begin(), coefficients.end());
    std::vector<double> roots;
    ::Polynomial(copy).Solve(y, roots);
    RequireFiniteResult(operation,
                        "a root is not finite (the leading coefficient is tiny against the "
                        "others)",
                        roots);
    return roots;
}

} // namespace detail

double polynomial_value(Span<const double> coefficients, double x) {
    constexpr const char* kOperation = "opm::polynomial_value";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinite(kOperation, "x", x);
        if (coefficients.empty()) {
            detail::RequireFiniteData(kOperation, "coefficients", coefficients);
            return 0.0; // the zero polynomial
        }
        const unsigned int degree = detail::CheckedDegree(kOperation, coefficients);
        return Equation::Polynomial(&x, coefficients.data(), degree);
    });
}

std::vector<double> polynomial_roots(Span<const double> coefficients, double y) {
    constexpr const char* kOperation = "opm::polynomial_roots";
    return detail::Guarded(kOperation,
                           [&] { return detail::CheckedExactRoots(kOperation, coefficients, y); });
}

std::vector<double> polynomial_extrema(Span<const double> coefficients) {
    constexpr const char* kOperation = "opm::polynomial_extrema";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFiniteData(kOperation, "coefficients", coefficients);
        if (coefficients.size() > 6) {
            detail::Refuse(kOperation, "the degree is " + detail::Text(coefficients.size() - 1) +
                                           "; extrema are found up to degree 5");
        }
        std::vector<double> copy(coefficients.begin(), coefficients.end());
        std::vector<double> extrema;
        ::Polynomial(copy).GetExtremaX(extrema);
        detail::RequireFiniteResult(kOperation, "an extremum is not finite", extrema);
        return extrema;
    });
}

} // namespace opm
