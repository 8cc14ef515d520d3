// Closed-form roots of lines and quadratics (the textbook quadratic formula, no cancellation
// guard: the documented roots depend on this exact evaluation).
#include "OstraPureMath/Polynomial.h"
#include "polynomial/PolynomialNumerics.h"

#include <cmath>

using namespace opm::detail::poly;

void opm::detail::poly::QuadraticRoots(const double* coefs, RootList& roots) {
    const double c0 = coefs[0];
    const double c1 = coefs[1];
    const double c2 = coefs[2];
    const double disc = c1 * c1 - (c2 * kFour) * c0;
    roots.count = 0;
    // disc == 0 and a NaN discriminant both go on and yield at least one root.
    if (disc < 0.0) {
        return;
    }
    const double s = std::sqrt(disc);
    const double twiceLeading = c2 + c2;
    roots.Push((kMinusOne * c1 - s) / twiceLeading);
    // A square root of the discriminant below the zero tolerance is a double root, reported once.
    if (!IsNegligible(s, 0)) {
        roots.Push((s - c1) / twiceLeading);
    }
}

double Polynomial::SolveLinear(std::vector<double>& coefs) {
    return LinearRoot(coefs[0], coefs[1]);
}

void Polynomial::SolveQuadratic(const std::vector<double>& coefs, std::vector<double>& roots) {
    RootList list;
    QuadraticRoots(coefs.data(), list);
    list.CopyTo(roots);
}
