// Construction: end conditions, polynomial reproduction, untouched elements, and agreement with
// an independent natural spline (the textbook second-derivative system solved by LAPACK dgesv,
// evaluated in the symmetric two-moment form).
#include "OstraPureMath/Framework.h"
#include "SplineFixture.h"
#include "support/Lapack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using splines_test::kSentinel;
using splines_test::Spline;

const std::vector<double> kUneven = {-1.0, -0.4, 0.3, 0.5, 1.7, 2.0, 3.1};

std::vector<double> Sample(const std::vector<double>& x, double (*f)(double)) {
    std::vector<double> y;
    for (double xi : x) {
        y.push_back(f(xi));
    }
    return y;
}

double Line(double t) {
    return 2.0 * t - 3.0;
}
double Cubic(double t) {
    return ((0.5 * t - 1.25) * t + 0.75) * t + 2.0;
}
double CubicSlope(double t) {
    return (1.5 * t - 2.5) * t + 0.75;
}

// The coefficients of interval i are the Taylor coefficients of the cubic at x[i].
void ExpectReproducesCubic(const Spline& s, double tol) {
    for (long i = 1; i <= s.n - 1; ++i) {
        const double t = s.X(i);
        EXPECT_NEAR(s.Lin(i), CubicSlope(t), tol) << "interval " << i;
        EXPECT_NEAR(s.Quad(i), 0.5 * (3.0 * t - 2.5), tol) << "interval " << i;
        EXPECT_NEAR(s.Cubic(i), 0.5, tol) << "interval " << i;
    }
}

// Index n of the coefficient arrays is never written, whatever the code.
void ExpectIndexNUntouched(const Spline& s) {
    EXPECT_EQ(s.Cubic(s.n), kSentinel);
    EXPECT_EQ(s.Quad(s.n), kSentinel);
    EXPECT_EQ(s.Lin(s.n), kSentinel);
}

class StraightLine : public testing::TestWithParam<long> {};

TEST_P(StraightLine, HasZeroSecondDerivativesAndChordSlopes) {
    Spline s(kUneven, Sample(kUneven, Line));
    s.Build(GetParam());
    for (long k = 1; k <= s.n; ++k) {
        EXPECT_NEAR(s.M(k), 0.0, 1e-13) << "knot " << k;
    }
    for (long i = 1; i <= s.n - 1; ++i) {
        EXPECT_NEAR(s.Lin(i), 2.0, 1e-13);
    }
    ExpectIndexNUntouched(s);
}
INSTANTIATE_TEST_SUITE_P(Codes1To3, StraightLine, testing::Values(1L, 2L, 3L));

struct CubicCase {
    long code;
    long n;
};
class CubicReproduction : public testing::TestWithParam<CubicCase> {};

TEST_P(CubicReproduction, RecoversTheTaylorCoefficients) {
    const std::vector<double> x(kUneven.begin(), kUneven.begin() + GetParam().n);
    Spline s(x, Sample(x, Cubic));
    s.m.front() = CubicSlope(x.front()); // read as end slopes by code 4 only
    s.m.back() = CubicSlope(x.back());
    s.Build(GetParam().code);
    ExpectReproducesCubic(s, 1e-12);
    ExpectIndexNUntouched(s);
}
INSTANTIATE_TEST_SUITE_P(ExtrapolatedAndClamped, CubicReproduction,
                         testing::Values(CubicCase{3, 4}, CubicCase{3, 7}, CubicCase{4, 2},
                                         CubicCase{4, 7}));

TEST(SplineBuild, ThreeKnotsParabolicRunoutIsOneParabola) {
    // y = 1 + 2x - 0.5x^2: second derivative -1 everywhere.
    Spline s({0.0, 1.0, 3.0}, {1.0, 2.5, 2.5});
    s.Build(2);
    for (long k = 1; k <= 3; ++k) {
        EXPECT_NEAR(s.M(k), -1.0, 1e-14);
    }
    EXPECT_NEAR(s.Cubic(1), 0.0, 1e-14);
    EXPECT_NEAR(s.Cubic(2), 0.0, 1e-14);
    EXPECT_NEAR(s.Lin(1), 2.0, 1e-14);
    EXPECT_NEAR(s.Lin(2), 1.0, 1e-14);
    ExpectIndexNUntouched(s);
}

TEST(SplineBuild, TwoKnotsNaturalIsTheChord) {
    Spline s({1.0, 3.0}, {2.0, 5.0});
    s.Build(1);
    EXPECT_EQ(s.M(1), 0.0);
    EXPECT_EQ(s.M(2), 0.0);
    EXPECT_EQ(s.Cubic(1), 0.0);
    EXPECT_EQ(s.Quad(1), 0.0);
    EXPECT_EQ(s.Lin(1), 1.5);
    ExpectIndexNUntouched(s);
}

TEST(SplineBuild, EquallySpacedExtrapolatedEndsAreLinear) {
    const std::vector<double> x = {0.0, 0.5, 1.0, 1.5, 2.0, 2.5};
    Spline s(x, {0.0, 1.0, 0.2, 3.0, -1.0, 0.5});
    s.Build(3);
    const long n = s.n;
    EXPECT_NEAR(s.M(1), 2.0 * s.M(2) - s.M(3), 1e-12);
    EXPECT_NEAR(s.M(n), 2.0 * s.M(n - 1) - s.M(n - 2), 1e-12);
}

class UnknownCode : public testing::TestWithParam<long> {};

TEST_P(UnknownCode, KeepsCallerEndValuesAndNaturalInterior) {
    const std::vector<double> y = {0.0, 1.0, 0.2, 3.0, -1.0, 0.5, 0.25};
    Spline natural(kUneven, y);
    natural.Build(1);
    Spline s(kUneven, y);
    s.m.front() = 0.7;
    s.m.back() = -0.4;
    s.Build(GetParam());
    EXPECT_EQ(s.M(1), 0.7);
    EXPECT_EQ(s.M(s.n), -0.4);
    for (long k = 2; k <= s.n - 1; ++k) {
        EXPECT_EQ(s.M(k), natural.M(k));
    }
    EXPECT_EQ(s.Quad(1), 0.35); // the caller's end value enters the first interval
    EXPECT_NE(s.Lin(s.n - 1), natural.Lin(s.n - 1));
    ExpectIndexNUntouched(s);
}
INSTANTIATE_TEST_SUITE_P(ZeroAndFive, UnknownCode, testing::Values(0L, 5L));

// Textbook natural spline: M_1 = M_n = 0 and, for k = 2..n-1,
// h_{k-1} M_{k-1} + 2 (h_{k-1} + h_k) M_k + h_k M_{k+1} = 6 (s_k - s_{k-1}), s_k the chord
// slopes; evaluated as M_i (x_{i+1}-X)^3/(6h) + M_{i+1} (X-x_i)^3/(6h) + linear terms.
std::vector<double> TextbookMoments(const std::vector<double>& x, const std::vector<double>& y) {
    const int n = int(x.size());
    const int m = n - 2;
    std::vector<double> a(std::size_t(m) * m, 0.0);
    std::vector<double> rhs(m);
    for (int r = 0; r < m; ++r) {
        const int k = r + 1; // 0-based knot of this equation
        const double hl = x[k] - x[k - 1];
        const double hr = x[k + 1] - x[k];
        a[r + r * m] = 2.0 * (hl + hr);
        if (r > 0) {
            a[r + (r - 1) * m] = hl;
        }
        if (r + 1 < m) {
            a[r + (r + 1) * m] = hr;
        }
        rhs[r] = 6.0 * ((y[k + 1] - y[k]) / hr - (y[k] - y[k - 1]) / hl);
    }
    std::vector<int> pivots(m);
    const int one = 1;
    int info = 0;
    dgesv_(&m, &one, a.data(), &m, pivots.data(), rhs.data(), &m, &info);
    EXPECT_EQ(info, 0);
    std::vector<double> moments(n, 0.0);
    std::copy(rhs.begin(), rhs.end(), moments.begin() + 1);
    return moments;
}

double TextbookValue(const std::vector<double>& x, const std::vector<double>& y,
                     const std::vector<double>& mo, double X) {
    std::size_t i = 0;
    while (i + 2 < x.size() && X > x[i + 1]) {
        ++i;
    }
    const double h = x[i + 1] - x[i];
    const double l = x[i + 1] - X;
    const double r = X - x[i];
    return mo[i] * l * l * l / (6.0 * h) + mo[i + 1] * r * r * r / (6.0 * h) +
           (y[i] / h - mo[i] * h / 6.0) * l + (y[i + 1] / h - mo[i + 1] * h / 6.0) * r;
}

TEST(SplineBuild, NaturalSplineAgreesWithTextbookSolve) {
    std::mt19937 rng(20240601);
    std::uniform_real_distribution<double> step(0.2, 1.5);
    std::uniform_real_distribution<double> value(-2.0, 2.0);
    std::vector<double> x = {0.0};
    std::vector<double> y = {value(rng)};
    for (int k = 1; k < 24; ++k) {
        x.push_back(x.back() + step(rng));
        y.push_back(value(rng));
    }
    Spline s(x, y);
    s.Build(1);
    const std::vector<double> moments = TextbookMoments(x, y);
    std::uniform_real_distribution<double> where(x.front(), x.back());
    for (int p = 0; p < 300; ++p) {
        const double X = where(rng);
        EXPECT_NEAR(s.Eval(X), TextbookValue(x, y, moments, X), 1e-12) << "at " << X;
    }
    ExpectIndexNUntouched(s);
}

} // namespace

namespace {

TEST(SplineBuild, WorkStorageFailureRaisesAndWritesNothing) {
    // A knot count whose work matrix cannot be sized: the allocation fails before any output.
    Spline s({0.0, 1.0, 2.0, 3.0}, {1.0, 2.0, 0.0, 1.0});
    const long hugeN = std::numeric_limits<long>::max() - 4;
    EXPECT_THROW(Splines().CubicSplines(Spline::One(s.x), Spline::One(s.y), 1, hugeN,
                                        Spline::One(s.c3), Spline::One(s.c2), Spline::One(s.c1),
                                        Spline::One(s.m)),
                 CMemoryException);
    for (long k = 1; k <= s.n; ++k) {
        EXPECT_EQ(s.M(k), kSentinel);
        EXPECT_EQ(s.Cubic(k), kSentinel);
    }
}

} // namespace
