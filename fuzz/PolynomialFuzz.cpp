// Polynomial roots and extrema and the Equation bisection on any coefficients: every call ends,
// roots and extrema come sorted and no more of them than the degree allows, and the bisection
// answers inside the interval it was given.
#include "FuzzInput.h"
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/Polynomial.h"

#include <algorithm>
#include <cmath>

namespace {

using opm::fuzz::FuzzInput;

// Ascending by operator<, a NaN left where it is.
bool SortedIgnoringNaN(const std::vector<double>& v) {
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i] < v[i - 1]) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const long terms = in.Count(0, 7);
    std::vector<double> coefs = in.Doubles(std::size_t(terms));
    const double y = in.Double();
    const double x1 = in.Double();
    const double x2 = in.Double();

    Polynomial p(coefs);
    std::vector<double> roots(3, -1.0);
    p.Solve(y, roots);
    OPM_FUZZ_CHECK(terms >= 2 && terms <= 5 ? roots.size() <= std::size_t(terms - 1)
                                            : roots.empty(),
                   "up to degree roots for degree 1 to 4, none otherwise");
    OPM_FUZZ_CHECK(SortedIgnoringNaN(roots), "roots sorted ascending");
    std::vector<double> extrema(5, -1.0);
    p.GetExtremaX(extrema);
    OPM_FUZZ_CHECK(terms >= 3 && terms <= 6 ? extrema.size() <= std::size_t(terms - 2)
                                            : extrema.empty(),
                   "up to degree - 1 extrema for degree 2 to 5, none otherwise");
    OPM_FUZZ_CHECK(SortedIgnoringNaN(extrema), "extrema sorted ascending");
    OPM_FUZZ_CHECK(p.GetFirstDer().size() == std::size_t(terms > 0 ? terms - 1 : 0),
                   "the derivative has one coefficient fewer");

    const unsigned degree = terms > 0 ? unsigned(terms - 1) : 0U;
    const double* c = coefs.empty() ? &y : coefs.data();
    (void)Equation::Polynomial(&x1, c, degree);
    const double x = Equation::PolynomialBiSectionSolution(&y, &x1, &x2, c, degree);
    // (Ends whose midpoints can overflow end the search with that non-finite midpoint.)
    if (opm::fuzz::ModerateEnds(x1, x2)) {
        OPM_FUZZ_CHECK(std::min(x1, x2) <= x && x <= std::max(x1, x2),
                       "the bisection answers inside its interval");
    }
    return 0;
}
