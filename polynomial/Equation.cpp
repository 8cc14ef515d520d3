// Polynomial evaluation over a plain coefficient array (Horner's rule) and the bisection solver
// of P(x) = y over an interval.
#include "OstraPureMath/Equation.h"

#include <climits>
#include <cmath>

namespace {

// Absolute bound on both the value error |P(x) - y| and the interval width.
constexpr double kBisectionTolerance = 5e-10;
constexpr double kHalving = 0.5;

} // namespace

double Equation::Polynomial(const double* x, const double* coefs, unsigned int degree) {
    double sum = 0.0;
    // The degree is a signed 32-bit count: 2^31 and above read as negative, an empty polynomial.
    if (degree > unsigned(INT_MAX)) {
        return sum;
    }
    for (long i = long(degree); i >= 0; --i) {
        sum = sum * *x + coefs[i];
    }
    return sum;
}

double Equation::PolynomialBiSectionSolution(const double* y, const double* x1, const double* x2,
                                             const double* coefs, unsigned int degree) {
    const double target = *y;
    double a = *x1;
    double b = *x2;
    for (;;) {
        const double mid = (b + a) * kHalving;
        const double fa = Equation::Polynomial(&a, coefs, degree) - target;
        if (std::fabs(fa) < kBisectionTolerance) {
            return a;
        }
        const double fm = Equation::Polynomial(&mid, coefs, degree) - target;
        if (std::fabs(fm) < kBisectionTolerance) {
            return mid;
        }
        // A sign change between a and mid moves b; otherwise (also a zero or NaN product) a moves.
        double& moved = fa * fm < 0.0 ? b : a;
        const double previous = moved;
        moved = mid;
        if (std::fabs(a - b) < kBisectionTolerance) {
            return mid;
        }
        // Guards beyond the classic loop. A midpoint that rounded onto the end it replaces
        // (ends of magnitude 2^22 and more, where neighbouring doubles lie 5e-10 or more apart)
        // would repeat this pass forever; a non-finite midpoint (a non-finite end, or ends whose
        // sum overflows) never narrows the bracket. A non-finite target needs no guard: its
        // bracket narrows like any other until the width test ends the search.
        if (mid == previous || !std::isfinite(mid)) {
            return mid;
        }
    }
}
