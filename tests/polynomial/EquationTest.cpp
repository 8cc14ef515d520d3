// Equation: evaluation over a coefficient array and the bisection solver.
#include "OstraPureMath/Equation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

double Bisect(double y, double x1, double x2, const std::vector<double>& coefs) {
    return Equation::PolynomialBiSectionSolution(&y, &x1, &x2, coefs.data(),
                                                 unsigned(coefs.size() - 1));
}

TEST(Equation, HornerOverTheGivenDegree) {
    const double coefs[] = {1, 2, 3};
    const double x = 2.0;
    EXPECT_EQ(Equation::Polynomial(&x, coefs, 2), 17.0);
    EXPECT_EQ(Equation::Polynomial(&x, coefs, 0), 1.0);
    // A degree of 2^31 or more is negative as a 32-bit count: nothing is read (null coefficients).
    EXPECT_EQ(Equation::Polynomial(&x, nullptr, 0x80000000u), 0.0);
    EXPECT_EQ(Equation::Polynomial(&x, nullptr, 0xFFFFFFFFu), 0.0);
}

TEST(Equation, BisectionDocumentedValuesAndPassCounts) {
    const std::vector<double> square{-2, 0, 1};
    for (const double x : {Bisect(0.0, 0.0, 2.0, square), Bisect(0.0, 2.0, 0.0, square)}) {
        EXPECT_NEAR(x, 1.41421356238, 5e-12);
        // From width 2, the midpoint of pass j is an odd multiple of 2^(1-j): pass 30.
        const double scaled = std::ldexp(x, 29);
        EXPECT_EQ(scaled, std::floor(scaled));
        EXPECT_EQ(std::fmod(scaled, 2.0), 1.0);
    }
    EXPECT_EQ(Bisect(0.0, 1.0, 3.0, {-1, 1}), 1.0); // the first end meets the value test
    // No sign change: 32 passes, the last midpoint 2 - 2^-31; a value error of 5e-10 goes on.
    EXPECT_EQ(Bisect(0.0, 0.0, 2.0, {1.0}), 1.9999999995343387);
    EXPECT_EQ(Bisect(0.0, 0.0, 2.0, {5e-10}), 1.9999999995343387);
    // A width of exactly the tolerance goes on: pass 2 returns its midpoint.
    const double tolerance = 5e-10;
    EXPECT_EQ(Bisect(0.0, 0.0, 2.0 * tolerance, {1.0}), (2.0 * tolerance + tolerance) * 0.5);
}

TEST(Equation, BisectionTerminatesOnStalledBracketsAndNonFiniteInput) {
    const double big = std::ldexp(1.0, 30);
    const double ulp = std::ldexp(1.0, -22); // spacing of doubles at 2^30, far above 5e-10
    EXPECT_NEAR(Bisect(0.0, big, big + 1.0, {1.0}), big + 1.0, ulp);
    EXPECT_NEAR(Bisect(0.0, big + 1.0, big, {1.0}), big, ulp);
    // The root of x - 2^30 = 2^-23 lies between two neighbouring doubles.
    const double x = Bisect(ulp / 2, big - 1.0, big + 1.0, {-big, 1});
    EXPECT_TRUE(x == big || x == big + ulp) << x;

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> square{-2, 0, 1};
    EXPECT_TRUE(std::isnan(Bisect(0.0, nan, 2.0, square)));
    EXPECT_TRUE(std::isnan(Bisect(0.0, 0.0, nan, square)));
    EXPECT_FALSE(std::isfinite(Bisect(0.0, 3.0, inf, square)));
    EXPECT_FALSE(std::isfinite(Bisect(0.0, 1e308, 1.5e308, square))); // the ends' sum overflows
    // A non-finite target meets no value test: the classic loop runs on to the width test.
    EXPECT_EQ(Bisect(nan, 0.0, 2.0, square), 1.9999999995343387);
    EXPECT_EQ(Bisect(inf, 0.0, 2.0, square), 1.9999999995343387);
}

} // namespace
