// The spline family on any samples: construction writes only the documented indices and
// refuses too few knots without touching anything; the integral flips its sign exactly with
// its limits; every search (inverse, maximum, centroid) ends, and the centroid stays inside its
// window. Arrays are sized exactly n, so AddressSanitizer sees any access beyond the contract.
#include "FuzzInput.h"
#include "OstraPureMath/Splines.h"

#include <algorithm>
#include <cmath>

namespace {

using opm::fuzz::FuzzInput;

constexpr double kSentinel = -7.25e33;

// 1-based view of an array of at least one element (so that no null pointer is offset).
double* One(std::vector<double>& v) {
    return v.data() - 1;
}

long FewestKnots(long code) {
    return code == 3 ? 4 : code == 2 ? 3 : 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const long code = in.Count(0, 5);
    const long n = in.Count(0, 40);
    const std::size_t cells = std::size_t(std::max(n, 1L));
    // Knots: a start and positive gaps, kept only while they increase strictly.
    std::vector<double> x(cells, 0.0), y(cells, 0.0);
    double knot = in.Double();
    for (long k = 0; k < n; ++k) {
        x[std::size_t(k)] = knot;
        y[std::size_t(k)] = in.Double();
        const double next = knot + std::fabs(in.Double());
        if (!(next > knot)) {
            return 0; // not strictly increasing: outside the contract
        }
        knot = next;
    }
    std::vector<double> c3(cells, kSentinel), c2(cells, kSentinel), c1(cells, kSentinel);
    std::vector<double> m(cells, kSentinel);
    m[0] = in.Double();
    m[cells - 1] = in.Double(); // the clamped slopes
    const std::vector<double> mBefore = m;

    const Splines s;
    const bool built = s.CubicSplines(One(x), One(y), code, n, One(c3), One(c2), One(c1), One(m));
    OPM_FUZZ_CHECK(built == (n >= FewestKnots(code)), "false exactly for too few knots");
    if (!built) {
        OPM_FUZZ_CHECK(std::memcmp(m.data(), mBefore.data(), cells * sizeof(double)) == 0 &&
                           c1 == std::vector<double>(cells, kSentinel),
                       "a refused construction writes nothing");
        return 0;
    }
    OPM_FUZZ_CHECK(c3[cells - 1] == kSentinel && c2[cells - 1] == kSentinel &&
                       c1[cells - 1] == kSentinel,
                   "index n of the coefficients is never written");

    const double a = in.Double();
    const double b = in.Double();
    double forward = 0.0, backward = 0.0;
    s.CubicSplineIntegrate(a, b, n, One(x), One(y), One(c3), One(c2), One(c1), forward);
    s.CubicSplineIntegrate(b, a, n, One(x), One(y), One(c3), One(c2), One(c1), backward);
    if (!std::isnan(a) && !std::isnan(b)) {
        OPM_FUZZ_CHECK(std::isnan(forward) ? std::isnan(backward) : forward == -backward,
                       "swapped limits flip the sign");
    }

    double root = 0.0;
    s.CubicSplineSolve(in.Double(), a, b, n, One(x), One(y), One(c3), One(c2), One(c1), root);
    double slope = 0.0, xMax = 0.0, yMax = 0.0;
    s.CubicSplineMax(a, b, n, One(x), One(y), One(c3), One(c2), One(c1), slope, xMax, yMax);
    double area = 0.0, xCentroid = kSentinel, yCentroid = 0.0;
    s.CubicSplineCentroid(a, b, n, One(x), One(y), One(c3), One(c2), One(c1), area, xCentroid,
                          yCentroid);
    if (opm::fuzz::ModerateEnds(a, b)) {
        OPM_FUZZ_CHECK(std::min(a, b) <= xCentroid && xCentroid <= std::max(a, b),
                       "the centroid lies inside its window");
    }
    return 0;
}
