// The public root finders: real solutions of P(x) = y up to degree four, and the abscissae of
// the extrema (real zeros of P') up to degree five. Both dispatch to the closed forms by degree
// and sort the result ascending.
#include "OstraPureMath/Polynomial.h"
#include "polynomial/PolynomialNumerics.h"

#include <cstddef>

using namespace opm::detail::poly;

namespace {

// Roots of the polynomial of the given degree (1 to 4) held in coefs, ascending; any other
// degree gives no root. The leading coefficient is used as it stands.
void SortedRoots(const double* coefs, std::ptrdiff_t degree, std::vector<double>& roots) {
    RootList list;
    switch (degree) {
    case 1:
        list.Push(LinearRoot(coefs[0], coefs[1]));
        break;
    case 2:
        QuadraticRoots(coefs, list);
        break;
    case 3:
        CubicRoots(coefs, list);
        break;
    case 4:
        QuarticRoots(coefs, list);
        break;
    default:
        break;
    }
    list.SortAscending();
    list.CopyTo(roots);
}

} // namespace

void Polynomial::Solve(double y, std::vector<double>& roots) {
    const std::ptrdiff_t degree = std::ptrdiff_t(m_coefficients.size()) - 1;
    if (degree > 4 || degree < 1) {
        roots.clear();
        return;
    }
    double shifted[5];
    for (std::ptrdiff_t i = 0; i <= degree; ++i) {
        shifted[i] = m_coefficients[std::size_t(i)];
    }
    shifted[0] -= y;
    SortedRoots(shifted, degree, roots);
}

void Polynomial::GetExtremaX(std::vector<double>& extremaX) {
    std::ptrdiff_t degree = std::ptrdiff_t(m_coefficients.size()) - 1;
    if (degree > 5) {
        extremaX.clear();
        return;
    }
    double derivative[5];
    if (degree >= 1) {
        Differentiate(m_coefficients.data(), m_coefficients.size(), derivative);
    }
    // Drop negligible leading coefficients, each tested against the bound of its own power, so a
    // vanishing top term does not blow up the normalising divisions. The derivative holds
    // `degree` coefficients on every entry to the loop; afterwards degree is its trimmed degree.
    while (degree > 0) {
        --degree;
        if (!IsNegligible(derivative[degree], unsigned(degree))) {
            break;
        }
    }
    // A constant derivative (or none) gives no stationary point.
    SortedRoots(derivative, degree, extremaX);
}
