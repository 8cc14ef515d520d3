// Inverse evaluation, maximum and centroid: worked examples, every way out of the maximum
// search, and termination of the bisections where the bracket cannot shrink.
#include "SplineFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::vector<double> kSkewed = {0, 1, 4, 9, 10, 8, 3, 1, 0};
const std::vector<double> kSymmetric = {0, 1, 4, 9, 10, 9, 4, 1, 0};
const std::vector<double> kLine = {3, 5, 7, 9, 11, 13, 15, 17, 19}; // 2x + 1
const std::vector<double> kFalling = {10, 8, 6, 4, 3, 2, 1.5, 1, 0.5};

// Natural spline through (first + k, y[k]).
Spline AtUnitKnots(const std::vector<double>& y, double first = 1.0) {
    std::vector<double> x(y.size());
    std::iota(x.begin(), x.end(), first);
    return Spline(x, y).Build(1);
}

// Near 1e6 neighbouring doubles are 1.16e-10 apart: a width test against 1e-10 can never be met.
Spline FarFromZero(const std::vector<double>& y) {
    return AtUnitKnots(y, 1.0e6);
}

TEST(SplineSolve, DocumentedCasesAndTermination) {
    const Spline peak = AtUnitKnots(kSkewed);
    EXPECT_EQ(peak.Solve(peak.Eval(2.75), 1.5, 4.0), 2.75); // exact hit at the first midpoint
    const Spline line = AtUnitKnots(kLine);
    EXPECT_NEAR(line.Solve(8.2, 1.0, 9.0), 3.6, 1e-10);
    const double noSignChange = line.Solve(100.0, 2.0, 7.0);
    EXPECT_LT(noSignChange, 7.0);
    EXPECT_LE(7.0 - noSignChange, 1e-10);
    EXPECT_TRUE(std::isnan(line.Solve(8.0, kNaN, 9.0)));
    EXPECT_TRUE(std::isnan(line.Solve(8.0, 1.0, kNaN)));
    EXPECT_TRUE(std::isinf(line.Solve(8.0, 1.0, std::numeric_limits<double>::infinity())));

    const Spline far = FarFromZero({0, 1, 2, 3, 4, 5, 6, 7});
    const double hi = 1.0e6 + 6.0;
    EXPECT_LE(hi - far.Solve(50.0, 1.0e6 + 1.0, hi), 2.5e-10);
    EXPECT_NEAR(far.Solve(std::nextafter(2.5, 0.0), 1.0e6 + 1.0, hi), 1.0e6 + 2.5, 2.5e-10);
}

TEST(SplineMax, RejectedWindowsLeaveOutputsUntouched) {
    const Spline s = AtUnitKnots(kSkewed);
    // Five knots, a = b, b < a, a left of x[1], b right of x[n], a or b NaN.
    const struct {
        double a, b;
        long n;
    } windows[] = {{1, 5, 5},   {4, 4, 9},    {6, 4, 9},   {0.5, 9, 9},
                   {1, 9.5, 9}, {kNaN, 9, 9}, {1, kNaN, 9}};
    for (const auto& w : windows) {
        const MaxResult r = s.Max(w.a, w.b, w.n);
        EXPECT_FALSE(r.found) << w.a << " " << w.b << " " << w.n;
        EXPECT_EQ(r.slope, kSentinel);
        EXPECT_EQ(r.xMax, kSentinel);
        EXPECT_EQ(r.yMax, kSentinel);
    }
}

// Expected slope output: the linear coefficient of a knot (> 0), or:
constexpr long kFlat = 0, kDer = -1; // slope 0 to rounding; S'(kSentinel)

struct MaxCase {
    const char* what;
    std::vector<double> y; // at knots 1, 2, ...
    double a, b;
    bool found;
    double xMax, xTol, yMax, yTol; // yMax NaN: not checked
    long slope;
};

// clang-format off
const MaxCase kMaxCases[] = {
    {"symmetric: flat knot 5", kSymmetric, 1, 9, true, 5, 0, 10, 0, 5},
    {"skewed: in interval 4", kSkewed, 1, 9, true, 4.7254, 5e-5, 10.09, 5e-3, kFlat},
    // Concave knot 3 (y 10) sits on a: the search moves past the fall to the peak near 8.
    {"left end: rise", {5, 9, 10, 8, 4, 3, 5, 7, 6}, 3, 9, true, 8, 0.5, 7.5, 0.5, kFlat},
    {"left end, no rise", kFalling, 3, 9, false, kSentinel, 0, 6, 0, 3},
    // Equal peaks at knots 2 and 6 below the right-end knot: scanning down, the higher index wins.
    {"right end: fall", {1, 10, 4, 3, 4, 10, 4, 2, 30, 31}, 1, 9, true, 6, 0.5, kNaN, 0, kFlat},
    {"right end, no fall", {0.5, 1, 1.5, 2, 3, 4, 6, 8, 10}, 1, 8, false, kSentinel, 0, 8, 0, 8},
    {"ties: first wins", {0, 5, 10, 5, 0, 5, 10, 5, 0}, 1, 9, true, 3, 0.5, kNaN, 0, kFlat},
    // First concave knot 3 is taken; its neighbouring cubics have no stationary point in reach.
    {"no candidate", kFalling, 1, 9, false, kSentinel, 0, 6, 0, 3},
    {"negative: height 0", {-10, -9, -6, -5, -4, -4.5, -6, -9, -10}, 1, 9, true,
     kSentinel, 0, 0, 0, kDer},
    // Highest knot 1 with a inside interval 1: no interval 0 is read (AddressSanitizer).
    {"knot 1: interval 1", {100, 50, 25, 12, 6, 3, 1.5, 0.7, 0.3}, 1.5, 9, false,
     kSentinel, 0, 100, 0, 1},
};
// clang-format on

TEST(SplineMax, EveryWayOutOfTheSearch) {
    for (const MaxCase& c : kMaxCases) {
        SCOPED_TRACE(c.what);
        const Spline s = AtUnitKnots(c.y);
        const MaxResult r = s.Max(c.a, c.b);
        EXPECT_EQ(r.found, c.found);
        EXPECT_NEAR(r.xMax, c.xMax, c.xTol); // an untouched sentinel compares exactly
        if (!std::isnan(c.yMax)) {
            EXPECT_NEAR(r.yMax, c.yMax, c.yTol);
        }
        if (c.slope == kFlat) {
            EXPECT_LT(std::fabs(r.slope), 1e-12);
            EXPECT_EQ(r.yMax, s.Eval(r.xMax));
        } else {
            EXPECT_EQ(r.slope, c.slope == kDer ? s.Der(kSentinel) : s.Lin(c.slope));
        }
    }
}

// Samples of 50 - (x - peak)^2 under parabolic run-out: every interval is the same parabola, and
// its stationary offset t = peak - x[j] is tested against [0, 1) in abscissa units.
TEST(SplineMax, StationaryOffsetIsComparedWithOneAbscissaUnit) {
    const struct {
        double step, peak;
        bool found;
        double xMax;
    } cases[] = {
        {0.1, 0.43, true, 0.43}, // t = 0.13 beyond knot 0.3, outside [0.3, 0.4], accepted
        // Best knot 10: t = 1.5 of [8, 10] and t = -0.5 of [10, 12] are rejected; xMax keeps
        // the parabola offset of interval best - 1.
        {2.0, 9.5, false, 1.5},
        {2.0, 8.6, true, 8.6},  // t = 0.6 of [8, 10]
        {2.0, 9.0, false, 3.0}, // best knot 8 (the first of two equal): t = 1 of [8, 10] rejected
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.peak);
        std::vector<double> x, y;
        for (int k = 0; k < 9; ++k) {
            x.push_back(c.step * k);
            y.push_back(50.0 - (x.back() - c.peak) * (x.back() - c.peak));
        }
        const MaxResult r = Spline(x, y).Build(2).Max(x.front(), x.back());
        EXPECT_EQ(r.found, c.found);
        EXPECT_NEAR(r.xMax, c.xMax, 1e-9);
    }
}

TEST(SplineCentroid, DocumentedCases) {
    const CentroidResult flat = AtUnitKnots(std::vector<double>(11, 1.0), 0.0).Centroid(0.0, 10.0);
    EXPECT_EQ(flat.area, 10.0);
    EXPECT_EQ(flat.xCentroid, 5.0);
    EXPECT_EQ(flat.yCentroid, 1.0);
    const Spline symmetric = AtUnitKnots(kSymmetric);
    const CentroidResult sym = symmetric.Centroid(2.0, 8.0);
    EXPECT_EQ(sym.xCentroid, 5.0);
    EXPECT_EQ(sym.yCentroid, 10.0);
    EXPECT_EQ(sym.area, symmetric.Integral(2.0, 8.0));
    const Spline skewed = AtUnitKnots(kSkewed);
    const CentroidResult r = skewed.Centroid(1.0, 9.0);
    EXPECT_LT(r.xCentroid, 5.0);
    EXPECT_NEAR(skewed.Integral(1.0, r.xCentroid), 0.5 * r.area, 0.5 * r.area * 1e-6);
    EXPECT_EQ(r.yCentroid, skewed.Eval(r.xCentroid));
}

// A negative area empties the band: the bisection runs to the end of the window the first
// comparison sends it to.
TEST(SplineCentroid, NegativeAreaAndStalledOrNonFiniteLimitsTerminate) {
    // Constant: the first midpoint is the half point exactly, and equality moves right to mid.
    const CentroidResult f = AtUnitKnots(std::vector<double>(9, -1.0)).Centroid(1.0, 9.0);
    EXPECT_EQ(f.area, -8.0);
    EXPECT_LT(f.xCentroid - 1.0, 1e-10);
    // Deeper on the left: the half point lies left of the first midpoint, so left moves on.
    const CentroidResult k = AtUnitKnots({-5, -4, -3, -2, -1, -1, -1, -1, -1}).Centroid(1.0, 9.0);
    EXPECT_LT(k.area, 0.0);
    EXPECT_LT(9.0 - k.xCentroid, 1e-10);

    EXPECT_TRUE(std::isnan(AtUnitKnots(kSkewed).Centroid(kNaN, 9.0).xCentroid));
    const Spline far = FarFromZero({1, 1, 1, 5, 1, 1, 1, 1});
    const CentroidResult r = far.Centroid(1.0e6, 1.0e6 + 7.0);
    EXPECT_NEAR(far.Integral(1.0e6, r.xCentroid), 0.5 * r.area, 1e-6 * r.area);
}

// A non-finite target (or area) is no reason to stop early: every comparison then sends the
// same end to the midpoint until the width test, 37 halvings of [1, 9], ends the search.
TEST(SplineBisection, NonFiniteTargetRunsUntilTheWidthTest) {
    const Spline line = AtUnitKnots(kLine);
    const double inf = std::numeric_limits<double>::infinity();
    for (const double target : {kNaN, inf, -inf}) {
        // The product of the two differences is NaN or +inf, never negative: lo follows mid.
        EXPECT_EQ(line.Solve(target, 1.0, 9.0), 9.0 - std::ldexp(1.0, -34)) << target;
    }
    // A NaN ordinate makes every coefficient and the area NaN; partial - half < 0 is then false
    // and right follows mid down to a.
    const CentroidResult r = AtUnitKnots({0, 1, 4, 9, kNaN, 8, 3, 1, 0}).Centroid(1.0, 9.0);
    EXPECT_TRUE(std::isnan(r.area));
    EXPECT_EQ(r.xCentroid, 1.0 + std::ldexp(1.0, -34));
}

} // namespace
