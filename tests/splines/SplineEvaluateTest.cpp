// Evaluation interval rules and the definite integral with its clipping rules.
#include "SplineFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using splines_test::Spline;

// Seven knots at 0..6 whose intervals are unrelated cubics (no continuity), so the value tells
// which interval was used: interval i is y[i] + i t + 0.5 t^2 - 0.25 i t^3.
Spline Discontinuous(long n) {
    std::vector<double> x, y;
    for (long k = 0; k < n; ++k) {
        x.push_back(double(k));
        y.push_back(10.0 * double(k + 1));
    }
    Spline s(x, y);
    for (long i = 1; i <= n - 1; ++i) {
        s.c1[i - 1] = double(i);
        s.c2[i - 1] = 0.5;
        s.c3[i - 1] = -0.25 * double(i);
    }
    return s;
}

double IntervalValue(const Spline& s, long i, double X) {
    const double t = X - s.X(i);
    return s.y[i - 1] + s.Lin(i) * t + s.Quad(i) * t * t + s.Cubic(i) * t * t * t;
}
double IntervalSlope(const Spline& s, long i, double X) {
    const double t = X - s.X(i);
    return s.Lin(i) + 2.0 * s.Quad(i) * t + 3.0 * s.Cubic(i) * t * t;
}

struct IntervalCase {
    double X;
    long interval;
};
class IntervalSelection : public testing::TestWithParam<IntervalCase> {};

TEST_P(IntervalSelection, UsesTheDocumentedCubic) {
    const Spline s = Discontinuous(7);
    const auto [X, i] = GetParam();
    EXPECT_NEAR(s.Eval(X), IntervalValue(s, i, X), 1e-12);
    EXPECT_NEAR(s.Der(X), IntervalSlope(s, i, X), 1e-12);
}
INSTANTIATE_TEST_SUITE_P(EndsAndKnots, IntervalSelection,
                         testing::Values(IntervalCase{-2.5, 1}, IntervalCase{0.0, 1},
                                         IntervalCase{0.5, 1}, IntervalCase{1.0, 1},
                                         IntervalCase{3.0, 3}, IntervalCase{3.25, 4},
                                         IntervalCase{5.0, 5}, IntervalCase{6.0, 6},
                                         IntervalCase{8.5, 6}));

TEST(SplineEvaluate, InnerKnotValuesAgreeOnBothSidesOfAContinuousSpline) {
    Spline s({0.0, 1.0, 2.5, 3.0, 4.5, 5.0, 6.0}, {0.0, 2.0, -1.0, 0.5, 3.0, 1.0, 0.0});
    s.Build(1);
    for (long k = 2; k <= s.n - 1; ++k) {
        EXPECT_NEAR(s.Eval(s.X(k)), s.y[k - 1], 1e-13);
        EXPECT_NEAR(s.Der(s.X(k)), s.Lin(k), 1e-12);
    }
}

TEST(SplineEvaluate, FiveKnotsGiveZeroValueButAWorkingDerivative) {
    const Spline s = Discontinuous(5);
    for (double X : {-1.0, 0.0, 1.5, 4.0, 9.0}) {
        EXPECT_EQ(s.Eval(X), 0.0) << X;
    }
    EXPECT_EQ(s.Der(1.5), IntervalSlope(s, 2, 1.5));
}

TEST(SplineEvaluate, NaNGivesZero) {
    const Spline s = Discontinuous(7);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(s.Eval(nan), 0.0);
    EXPECT_EQ(s.Der(nan), 0.0);
}

// Integral oracle: a clamped spline with exact end slopes reproduces the cubic p, whose
// antiderivative P is known in closed form.
double P(double t) {
    return (((0.125 * t - 1.25 / 3.0) * t + 0.375) * t + 2.0) * t;
}
double Poly(double t) {
    return ((0.5 * t - 1.25) * t + 0.75) * t + 2.0;
}
double PolySlope(double t) {
    return (1.5 * t - 2.5) * t + 0.75;
}

Spline ReproducedCubic() {
    std::vector<double> x = {-1.0, -0.4, 0.3, 0.5, 1.7, 2.0, 3.1};
    std::vector<double> y;
    for (double t : x) {
        y.push_back(Poly(t));
    }
    Spline s(x, y);
    s.m.front() = PolySlope(x.front());
    s.m.back() = PolySlope(x.back());
    s.Build(4);
    return s;
}

struct IntegralCase {
    const char* what;
    double from, to;         // limits passed
    double clipFrom, clipTo; // the interval actually integrated
};
class Integral : public testing::TestWithParam<IntegralCase> {};

TEST_P(Integral, MatchesTheClippedAntiderivative) {
    const Spline s = ReproducedCubic();
    const IntegralCase c = GetParam();
    const double expected = c.clipTo > c.clipFrom ? P(c.clipTo) - P(c.clipFrom) : 0.0;
    EXPECT_NEAR(s.Integral(c.from, c.to), expected, 1e-12) << c.what;
}
INSTANTIATE_TEST_SUITE_P(
    Limits, Integral,
    testing::Values(IntegralCase{"whole range", -1.0, 3.1, -1.0, 3.1},
                    IntegralCase{"inside one interval", 0.75, 1.5, 0.75, 1.5},
                    IntegralCase{"from an inner knot", 0.3, 2.5, 0.3, 2.5},
                    IntegralCase{"between inner knots", -0.4, 2.0, -0.4, 2.0},
                    IntegralCase{"beyond both knots", -5.0, 9.0, -1.0, 3.1},
                    IntegralCase{"from beyond the left knot", -3.0, 0.4, -1.0, 0.4},
                    IntegralCase{"to beyond the right knot", 1.0, 7.0, 1.0, 3.1},
                    IntegralCase{"to below the first knot", -4.0, -2.0, 0.0, 0.0},
                    IntegralCase{"from beyond the last knot", 4.0, 5.0, 0.0, 0.0}));

TEST(SplineIntegral, WholeRangeIsTheSumOfTheIntervals) {
    const Spline s = ReproducedCubic();
    double sum = 0.0;
    for (long i = 1; i <= s.n - 1; ++i) {
        sum += s.Integral(s.X(i), s.X(i + 1));
    }
    EXPECT_NEAR(s.Integral(s.X(1), s.X(s.n)), sum, 1e-13);
    EXPECT_EQ(s.Integral(-2.0, -1.5), 0.0);
}

TEST(SplineIntegral, ReversedLimitsNegateExactly) {
    const Spline s = ReproducedCubic();
    for (auto [a, b] : {std::pair{-0.7, 2.2}, std::pair{0.3, 0.5}, std::pair{-9.0, 9.0}}) {
        EXPECT_EQ(s.Integral(b, a), -s.Integral(a, b));
    }
}

} // namespace
