// Equation: evaluation over a coefficient array and the bisection solver.
#include "OstraPureMath/Equation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {

double Bisect(double y, double x1, double x2, const double* coefs, unsigned degree) {
    return Equation::PolynomialBiSectionSolution(&y, &x1, &x2, coefs, degree);
}

TEST(EquationPolynomial, HornerOverTheGivenDegree) {
    const double coefs[] = {1, 2, 3};
    const double x = 2.0;
    EXPECT_EQ(Equation::Polynomial(&x, coefs, 2), 17.0);
    EXPECT_EQ(Equation::Polynomial(&x, coefs, 0), 1.0);
    // A degree of 2^31 or more is negative as a 32-bit count: nothing is read (null coefficients).
    EXPECT_EQ(Equation::Polynomial(&x, nullptr, 0x80000000u), 0.0);
    EXPECT_EQ(Equation::Polynomial(&x, nullptr, 0xFFFFFFFFu), 0.0);
}

TEST(EquationBisection, SquareRootOfTwoInThirtiethPassForEitherOrder) {
    const double coefs[] = {-2, 0, 1};
    for (const auto& ends : {std::pair{0.0, 2.0}, std::pair{2.0, 0.0}}) {
        const double x = Bisect(0.0, ends.first, ends.second, coefs, 2);
        EXPECT_NEAR(x, 1.41421356238, 5e-12);
        // Starting from width 2, the midpoint of pass j is an odd multiple of 2^(1-j).
        const double scaled = std::ldexp(x, 29);
        EXPECT_EQ(scaled, std::floor(scaled));
        EXPECT_EQ(std::fmod(scaled, 2.0), 1.0);
    }
}

TEST(EquationBisection, FirstEndMeetingTheValueTestIsReturned) {
    const double line[] = {-1, 1};
    EXPECT_EQ(Bisect(0.0, 1.0, 3.0, line, 1), 1.0);
}

TEST(EquationBisection, NoSignChangeEndsNearSecondEnd) {
    // 32 passes: the last midpoint is 2 - 2^-31. A value error of exactly 5e-10 does not stop.
    for (const double constant : {1.0, 5e-10}) {
        EXPECT_EQ(Bisect(0.0, 0.0, 2.0, &constant, 0), 1.9999999995343387) << constant;
    }
}

TEST(EquationBisection, WidthOfExactlyTheToleranceGoesOn) {
    const double tolerance = 5e-10;
    const double constant[] = {1};
    // Pass 1 leaves [tolerance, 2 tolerance]; only pass 2 returns, with its midpoint.
    EXPECT_EQ(Bisect(0.0, 0.0, 2.0 * tolerance, constant, 0), (2.0 * tolerance + tolerance) * 0.5);
}

TEST(EquationBisection, StalledBracketNearTwoToThirtyTerminates) {
    const double big = std::ldexp(1.0, 30);
    const double ulp = std::ldexp(1.0, -22); // spacing of doubles at 2^30, far above 5e-10
    const double constant[] = {1};
    EXPECT_NEAR(Bisect(0.0, big, big + 1.0, constant, 0), big + 1.0, ulp);
    EXPECT_NEAR(Bisect(0.0, big + 1.0, big, constant, 0), big, ulp);
    // x - 2^30 = 2^-23 has its root between two neighbouring doubles: no point meets the value
    // test and the width never drops below 5e-10.
    const double shifted[] = {-big, 1};
    const double x = Bisect(ulp / 2, big - 1.0, big + 1.0, shifted, 1);
    EXPECT_TRUE(x == big || x == big + ulp) << x;
}

TEST(EquationBisection, NonFiniteEndsOrTargetTerminate) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double coefs[] = {-2, 0, 1};
    EXPECT_TRUE(std::isnan(Bisect(0.0, nan, 2.0, coefs, 2)));
    EXPECT_TRUE(std::isnan(Bisect(0.0, 0.0, nan, coefs, 2)));
    EXPECT_FALSE(std::isfinite(Bisect(0.0, 3.0, inf, coefs, 2)));
    EXPECT_FALSE(std::isfinite(Bisect(0.0, 1e308, 1.5e308, coefs, 2))); // the ends' sum overflows
    // A non-finite target meets no value test: the classic loop runs on to the width test.
    EXPECT_EQ(Bisect(nan, 0.0, 2.0, coefs, 2), 1.9999999995343387);
    EXPECT_EQ(Bisect(inf, 0.0, 2.0, coefs, 2), 1.9999999995343387);
}

} // namespace
