// Property: Solve recovers the roots of a product of well-separated linear factors.
#include "PolynomialTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// Coefficients (lowest power first) of (x - r1)(x - r2)...(x - rk).
std::vector<double> ProductOfLinearFactors(const std::vector<double>& roots) {
    std::vector<double> coefs{1.0};
    for (const double r : roots) {
        std::vector<double> next(coefs.size() + 1, 0.0);
        for (std::size_t i = 0; i < coefs.size(); ++i) {
            next[i + 1] += coefs[i];
            next[i] -= r * coefs[i];
        }
        coefs = next;
    }
    return coefs;
}

// k distinct roots in [-4, 4], pairwise at least 0.5 apart, ascending.
std::vector<double> WellSeparatedRoots(std::mt19937& rng, int k) {
    std::uniform_real_distribution<double> pick(-4.0, 4.0);
    for (;;) {
        std::vector<double> roots(k);
        for (double& r : roots) {
            r = pick(rng);
        }
        std::sort(roots.begin(), roots.end());
        if (std::adjacent_find(roots.begin(), roots.end(),
                               [](double a, double b) { return b - a < 0.5; }) == roots.end()) {
            return roots;
        }
    }
}

// Accuracy the closed forms allow: lines and quadratics are exact to rounding. The cubic's
// trigonometric form uses the angle offsets 6.28318 and 12.56636, 5.3e-6 and 1.1e-5 short of
// 2pi and 4pi, which moves two roots by up to |m| * 3.6e-6; for roots in [-4, 4],
// |m| = 2 sqrt(-Q) <= 2 sqrt(48 / 9), about 4.6, so about 1.7e-5. Ferrari's resolvent root
// carries the same kind of error into the quartic's roots, within the same bound.
double AllowedError(int degree) {
    return degree >= 3 ? 2e-5 : 1e-12;
}

TEST(PolynomialProperty, SolveRecoversWellSeparatedRealRoots) {
    std::mt19937 rng(20240611u);
    for (int trial = 0; trial < 400; ++trial) {
        const int k = 1 + trial % 4;
        const std::vector<double> expected = WellSeparatedRoots(rng, k);
        std::vector<double> coefs = ProductOfLinearFactors(expected);
        std::vector<double> roots;
        Polynomial(coefs).Solve(0.0, roots);
        SCOPED_TRACE(testing::Message() << "trial " << trial << ", degree " << k);
        ExpectRootsNear(roots, expected, AllowedError(k));
    }
}

} // namespace
