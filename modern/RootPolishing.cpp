// opm::polynomial_roots_polished: the closed-form roots refined by Newton's method.
//
// Each root x of P(x) = y is replaced by x - (P(x) - y) / P'(x) as long as that makes
// |P(x) - y| strictly smaller, at most kMaxNewtonSteps times. Accepting only improvements keeps a
// root where it is when rounding dominates (near a multiple root, where P' vanishes and Newton
// converges slowly or not at all) and can never move it away from where the closed form put it
// by more than the improvements justify.
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/PolynomialArguments.h"

#include <algorithm>
#include <cmath>

namespace opm {

namespace {

constexpr int kMaxNewtonSteps = 8;

double Evaluate(const std::vector<double>& coefficients, double x) {
    return Equation::Polynomial(&x, coefficients.data(),
                                static_cast<unsigned int>(coefficients.size() - 1));
}

double Polish(double root, double y, const std::vector<double>& coefficients,
              const std::vector<double>& derivative) {
    double error = Evaluate(coefficients, root) - y;
    for (int step = 0; step < kMaxNewtonSteps && error != 0.0; ++step) {
        const double slope = Evaluate(derivative, root);
        if (slope == 0.0) {
            break;
        }
        const double next = root - error / slope;
        const double nextError = Evaluate(coefficients, next) - y;
        if (!(std::fabs(nextError) < std::fabs(error))) {
            break;
        }
        root = next;
        error = nextError;
    }
    return root;
}

} // namespace

std::vector<double> polynomial_roots_polished(Span<const double> coefficients, double y) {
    constexpr const char* kOperation = "opm::polynomial_roots_polished";
    return detail::Guarded(kOperation, [&] {
        std::vector<double> roots = detail::CheckedExactRoots(kOperation, coefficients, y);
        std::vector<double> copy(coefficients.begin(), coefficients.end());
        const std::vector<double> derivative = ::Polynomial(copy).GetFirstDer();
        for (double& root : roots) {
            root = Polish(root, y, copy, derivative);
        }
        std::sort(roots.begin(), roots.end());
        return roots;
    });
}

} // namespace opm
