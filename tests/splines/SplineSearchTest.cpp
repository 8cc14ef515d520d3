// Inverse evaluation, maximum and centroid: worked examples, every way out of the maximum
// search, and termination of the bisections on inputs where the bracket cannot shrink.
#include "SplineFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using splines_test::kSentinel;
using splines_test::Spline;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

Spline Natural(std::vector<double> x, std::vector<double> y) {
    Spline s(std::move(x), std::move(y));
    s.Build(1);
    return s;
}

const std::vector<double> kNine = {1, 2, 3, 4, 5, 6, 7, 8, 9};

// ---- Inverse --------------------------------------------------------------------------------

TEST(SplineSolve, ExactHitAtTheFirstMidpointStopsThere) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 8, 3, 1, 0});
    const double target = s.Eval(2.75); // the first midpoint of [1.5, 4]
    EXPECT_EQ(s.Solve(target, 1.5, 4.0), 2.75);
}

TEST(SplineSolve, FindsTheRootOfAStraightLine) {
    const Spline s = Natural(kNine, {3, 5, 7, 9, 11, 13, 15, 17, 19}); // 2x + 1
    const double root = s.Solve(8.2, 1.0, 9.0);
    EXPECT_NEAR(root, 3.6, 1e-10);
}

TEST(SplineSolve, WithoutSignChangeEndsNextToHi) {
    const Spline s = Natural(kNine, {3, 5, 7, 9, 11, 13, 15, 17, 19});
    const double root = s.Solve(100.0, 2.0, 7.0);
    EXPECT_LT(root, 7.0);
    EXPECT_LE(7.0 - root, 1e-10);
}

TEST(SplineSolve, StalledBracketAtLargeAbscissaeTerminates) {
    // Neighbouring doubles near 1e6 are 1.16e-10 apart: the width test can never be met.
    std::vector<double> x, y;
    for (int k = 0; k < 8; ++k) {
        x.push_back(1.0e6 + k);
        y.push_back(double(k));
    }
    const Spline s = Natural(x, y);
    const double hi = 1.0e6 + 6.0;
    const double noSignChange = s.Solve(50.0, 1.0e6 + 1.0, hi);
    EXPECT_LE(hi - noSignChange, 2.5e-10);
    const double root = s.Solve(std::nextafter(2.5, 0.0), 1.0e6 + 1.0, hi);
    EXPECT_NEAR(root, 1.0e6 + 2.5, 2.5e-10);
}

TEST(SplineSolve, NonFiniteLimitsTerminate) {
    const Spline s = Natural(kNine, {3, 5, 7, 9, 11, 13, 15, 17, 19});
    EXPECT_TRUE(std::isnan(s.Solve(8.0, kNaN, 9.0)));
    EXPECT_TRUE(std::isnan(s.Solve(8.0, 1.0, kNaN)));
    EXPECT_TRUE(std::isinf(s.Solve(8.0, 1.0, std::numeric_limits<double>::infinity())));
}

// ---- Maximum --------------------------------------------------------------------------------

struct MaxResult {
    bool found;
    double slope = kSentinel, xMax = kSentinel, yMax = kSentinel;
};

MaxResult Max(const Spline& s, double a, double b, long n) {
    MaxResult r;
    r.found =
        Splines().CubicSplineMax(a, b, n, Spline::One(s.x), Spline::One(s.y), Spline::One(s.c3),
                                 Spline::One(s.c2), Spline::One(s.c1), r.slope, r.xMax, r.yMax);
    return r;
}
MaxResult Max(const Spline& s, double a, double b) {
    return Max(s, a, b, s.n);
}

TEST(SplineMax, SymmetricPeakIsTheFlatKnot) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 9, 4, 1, 0});
    const MaxResult r = Max(s, 1.0, 9.0);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.xMax, 5.0);
    EXPECT_EQ(r.yMax, 10.0);
    EXPECT_EQ(r.slope, s.Lin(5));
    EXPECT_LT(std::fabs(r.slope), 1e-10);
}

TEST(SplineMax, SkewedPeakIsAStationaryPointOfIntervalFour) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 8, 3, 1, 0});
    const MaxResult r = Max(s, 1.0, 9.0);
    EXPECT_TRUE(r.found);
    EXPECT_NEAR(r.xMax, 4.7254, 5e-5);
    EXPECT_NEAR(r.yMax, 10.09, 5e-3);
    EXPECT_EQ(r.yMax, s.Eval(r.xMax));
    EXPECT_LT(std::fabs(r.slope), 1e-12);
}

struct Window {
    const char* what;
    double a, b;
    long n;
};
class RejectedWindow : public testing::TestWithParam<Window> {};

TEST_P(RejectedWindow, ReturnsFalseAndLeavesOutputsUntouched) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 8, 3, 1, 0});
    const Window w = GetParam();
    const MaxResult r = Max(s, w.a, w.b, w.n);
    EXPECT_FALSE(r.found) << w.what;
    EXPECT_EQ(r.slope, kSentinel);
    EXPECT_EQ(r.xMax, kSentinel);
    EXPECT_EQ(r.yMax, kSentinel);
}
INSTANTIATE_TEST_SUITE_P(WindowTest, RejectedWindow,
                         testing::Values(Window{"five knots", 1, 5, 5}, Window{"a = b", 4, 4, 9},
                                         Window{"b < a", 6, 4, 9},
                                         Window{"a left of x[1]", 0.5, 9, 9},
                                         Window{"b right of x[n]", 1, 9.5, 9},
                                         Window{"a NaN", kNaN, 9, 9}, Window{"b NaN", 1, kNaN, 9}));

TEST(SplineMax, LeftEndKnotIsLeftForTheNextRise) {
    // Knot 3 (y 10) is concave and sits on a; the search moves past the fall to the peak at 8.
    const Spline s = Natural(kNine, {5, 9, 10, 8, 4, 3, 5, 7, 6});
    const MaxResult r = Max(s, 3.0, 9.0);
    EXPECT_TRUE(r.found);
    EXPECT_GT(r.xMax, 7.5);
    EXPECT_LT(r.xMax, 8.5);
    EXPECT_GT(r.yMax, 7.0);
    EXPECT_LT(std::fabs(r.slope), 1e-12);
}

TEST(SplineMax, LeftEndWithoutRiseIsFalse) {
    const Spline s = Natural(kNine, {10, 8, 6, 4, 3, 2, 1.5, 1, 0.5});
    // Knot 3 is the first concave knot and lies on a; every later slope is negative.
    ASSERT_LT(s.Quad(3), 0.0);
    const MaxResult r = Max(s, 3.0, 9.0);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.slope, s.Lin(3));
    EXPECT_EQ(r.yMax, 6.0);
    EXPECT_EQ(r.xMax, kSentinel);
}

TEST(SplineMax, RightEndKnotIsLeftForTheLastFall) {
    // Two equal peaks (knots 2 and 6) below the right-end knot: scanning down, the higher
    // index wins.
    Spline s = Natural({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 10, 4, 3, 4, 10, 4, 2, 30, 31});
    const MaxResult r = Max(s, 1.0, 9.0);
    EXPECT_TRUE(r.found);
    EXPECT_NEAR(r.xMax, 6.0, 0.5);
    EXPECT_LT(std::fabs(r.slope), 1e-12);
}

TEST(SplineMax, RightEndWithoutFallIsFalse) {
    const Spline s = Natural(kNine, {0.5, 1, 1.5, 2, 3, 4, 6, 8, 10});
    const MaxResult r = Max(s, 1.0, 8.0);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.slope, s.Lin(8));
    EXPECT_EQ(r.yMax, 8.0);
    EXPECT_EQ(r.xMax, kSentinel);
}

TEST(SplineMax, EqualHighestKnotsUpwardFirstWins) {
    const Spline s = Natural(kNine, {0, 5, 10, 5, 0, 5, 10, 5, 0});
    const MaxResult r = Max(s, 1.0, 9.0);
    EXPECT_TRUE(r.found);
    EXPECT_NEAR(r.xMax, 3.0, 0.5);
}

TEST(SplineMax, NoCandidateIsFalseWithTheHighestKnot) {
    // Knot 3 is taken (first concave), its neighbouring cubics have no stationary point in
    // reach.
    const Spline s = Natural(kNine, {10, 8, 6, 4, 3, 2, 1.5, 1, 0.5});
    const MaxResult r = Max(s, 1.0, 9.0);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.slope, s.Lin(3));
    EXPECT_EQ(r.yMax, 6.0);
    EXPECT_EQ(r.xMax, kSentinel);
}

TEST(SplineMax, NegativeSplineIsTrueWithZeroHeight) {
    const Spline s = Natural(kNine, {-10, -9, -6, -5, -4, -4.5, -6, -9, -10});
    const MaxResult r = Max(s, 1.0, 9.0);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.yMax, 0.0);
    EXPECT_EQ(r.xMax, kSentinel);
    EXPECT_EQ(r.slope, s.Der(kSentinel));
}

TEST(SplineMax, KnotOneExaminesIntervalOneOnly) {
    // a lies inside interval 1 and knot 1 is the highest: there is no interval 0 to read
    // (AddressSanitizer would report it) and interval 1 offers no stationary point.
    const Spline s = Natural(kNine, {100, 50, 25, 12, 6, 3, 1.5, 0.7, 0.3});
    const MaxResult r = Max(s, 1.5, 9.0);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.slope, s.Lin(1));
    EXPECT_EQ(r.yMax, 100.0);
    EXPECT_EQ(r.xMax, kSentinel);
}

// Samples of the parabola top - (x - peak)^2 under parabolic run-out, so every interval is the
// same parabola and its stationary offset t = peak - x[j] is tested against [0, 1).
struct Spacing {
    double step, peak;
    bool found;
    double xMax;
};
class OffsetRange : public testing::TestWithParam<Spacing> {};

TEST_P(OffsetRange, ComparesTheOffsetWithOneAbscissaUnit) {
    const Spacing c = GetParam();
    std::vector<double> x, y;
    for (int k = 0; k < 9; ++k) {
        x.push_back(c.step * k);
        y.push_back(50.0 - (x.back() - c.peak) * (x.back() - c.peak));
    }
    Spline s(x, y);
    s.Build(2);
    const MaxResult r = Max(s, x.front(), x.back());
    EXPECT_EQ(r.found, c.found);
    EXPECT_NEAR(r.xMax, c.xMax, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(
    KnotSpacing, OffsetRange,
    testing::Values(
        // 0.1 apart: the vertex 0.13 beyond knot 0.3 lies outside [0.3, 0.4] but is accepted.
        Spacing{0.1, 0.43, true, 0.43},
        // 2.0 apart, vertex at t = 1.5 of [8, 10] (best knot 10): rejected, as is t = -0.5 of
        // [10, 12]; xMax keeps the parabola offset 1.5 of interval best-1.
        Spacing{2.0, 9.5, false, 1.5},
        // 2.0 apart, vertex at t = 0.6 of [8, 10]: accepted.
        Spacing{2.0, 8.6, true, 8.6}));

// ---- Centroid -------------------------------------------------------------------------------

struct CentroidResult {
    double area = kSentinel, xCentroid = kSentinel, yCentroid = kSentinel;
};

CentroidResult Centroid(const Spline& s, double a, double b) {
    CentroidResult r;
    Splines().CubicSplineCentroid(a, b, s.n, Spline::One(s.x), Spline::One(s.y), Spline::One(s.c3),
                                  Spline::One(s.c2), Spline::One(s.c1), r.area, r.xCentroid,
                                  r.yCentroid);
    return r;
}

TEST(SplineCentroid, ConstantOrdinatesHalveAtTheMiddle) {
    const Spline s = Natural({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(11, 1.0));
    const CentroidResult r = Centroid(s, 0.0, 10.0);
    EXPECT_EQ(r.area, 10.0);
    EXPECT_EQ(r.xCentroid, 5.0);
    EXPECT_EQ(r.yCentroid, 1.0);
}

TEST(SplineCentroid, SymmetricSplineHalvesExactlyAtTheMiddle) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 9, 4, 1, 0});
    const CentroidResult r = Centroid(s, 2.0, 8.0);
    EXPECT_EQ(r.xCentroid, 5.0);
    EXPECT_EQ(r.yCentroid, 10.0);
    EXPECT_NEAR(r.area, s.Integral(2.0, 8.0), 0.0);
}

TEST(SplineCentroid, SkewedSplineHalvesWithinTheBand) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 8, 3, 1, 0});
    const CentroidResult r = Centroid(s, 1.0, 9.0);
    EXPECT_LT(r.xCentroid, 5.0);
    const double half = 0.5 * r.area;
    EXPECT_NEAR(s.Integral(1.0, r.xCentroid), half, half * 1e-6);
    EXPECT_EQ(r.yCentroid, s.Eval(r.xCentroid));
}

// With a negative area the band is empty and the bisection runs away from the half-area point,
// to the end on the side the first comparison sends it.
TEST(SplineCentroid, NegativeAreaRunsToAnEndOfTheWindow) {
    // Constant: the first midpoint is the half point exactly, and equality moves right to mid.
    const Spline flat = Natural(kNine, std::vector<double>(9, -1.0));
    const CentroidResult f = Centroid(flat, 1.0, 9.0);
    EXPECT_EQ(f.area, -8.0);
    EXPECT_LT(f.xCentroid - 1.0, 1e-10);
    // Deeper on the left: the half point lies left of the first midpoint, so left moves on.
    const Spline skew = Natural(kNine, {-5, -4, -3, -2, -1, -1, -1, -1, -1});
    const CentroidResult k = Centroid(skew, 1.0, 9.0);
    EXPECT_LT(k.area, 0.0);
    EXPECT_LT(9.0 - k.xCentroid, 1e-10);
}

// A non-finite target (or area) is no reason to stop early: every comparison then sends the
// same end to the midpoint until the width test, 37 halvings of [1, 9], ends the search.
TEST(SplineBisection, NonFiniteTargetRunsUntilTheWidthTest) {
    const Spline line = Natural(kNine, {3, 5, 7, 9, 11, 13, 15, 17, 19});
    const double inf = std::numeric_limits<double>::infinity();
    for (const double target : {kNaN, inf, -inf}) {
        // The product of the two differences is NaN or +inf, never negative: lo follows mid.
        EXPECT_EQ(line.Solve(target, 1.0, 9.0), 9.0 - std::ldexp(1.0, -34)) << target;
    }
    // A NaN ordinate makes every coefficient and the area NaN; partial - half < 0 is then false
    // and right follows mid down to a.
    const CentroidResult r = Centroid(Natural(kNine, {0, 1, 4, 9, kNaN, 8, 3, 1, 0}), 1.0, 9.0);
    EXPECT_TRUE(std::isnan(r.area));
    EXPECT_EQ(r.xCentroid, 1.0 + std::ldexp(1.0, -34));
}

TEST(SplineCentroid, NonFiniteLimitsTerminate) {
    const Spline s = Natural(kNine, {0, 1, 4, 9, 10, 8, 3, 1, 0});
    EXPECT_TRUE(std::isnan(Centroid(s, kNaN, 9.0).xCentroid));
    std::vector<double> x, y(8, 1.0);
    for (int k = 0; k < 8; ++k) {
        x.push_back(1.0e6 + k);
    }
    y[3] = 5.0;
    const Spline far = Natural(x, y);
    const CentroidResult r = Centroid(far, 1.0e6, 1.0e6 + 7.0);
    EXPECT_NEAR(far.Integral(1.0e6, r.xCentroid), 0.5 * r.area, 1e-6 * r.area);
}

} // namespace
