// Construction (end conditions, polynomial reproduction, untouched elements, allocation failure,
// agreement with the textbook natural spline solved by LAPACK), evaluation interval rules and
// the definite integral with its clipping rules.
#include "OstraPureMath/Framework.h"
#include "SplineFixture.h"
#include "support/Lapack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

// Interval coefficients are the Taylor coefficients of the sampled polynomial at x[i]: a line
// under codes 1 to 3 (second derivatives 0), the cubic under code 3 (n >= 4) and code 4.
TEST(SplineBuild, ReproducesLinesAndCubics) {
    for (const long code : {1L, 2L, 3L}) {
        SCOPED_TRACE(testing::Message() << "line, code " << code);
        Spline s = CubicSamples(7);
        for (long k = 0; k < s.n; ++k) {
            s.y[k] = 2.0 * s.x[k] - 3.0;
        }
        s.Build(code);
        for (long i = 1; i <= s.n - 1; ++i) {
            EXPECT_NEAR(s.M(i), 0.0, 1e-13);
            EXPECT_NEAR(s.Lin(i), 2.0, 1e-13);
        }
        EXPECT_NEAR(s.M(s.n), 0.0, 1e-13);
        s.ExpectIndexNUntouched();
    }
    for (const auto& [code, n] : {std::pair{3L, 4L}, {3L, 7L}, {4L, 2L}, {4L, 7L}}) {
        SCOPED_TRACE(testing::Message() << "cubic, code " << code << ", n " << n);
        const Spline s = CubicSamples(n).Build(code);
        for (long i = 1; i <= s.n - 1; ++i) {
            const double t = s.X(i);
            EXPECT_NEAR(s.Lin(i), P::Slope(t), 1e-12) << "interval " << i;
            EXPECT_NEAR(s.Quad(i), 0.5 * (3.0 * t - 2.5), 1e-12) << "interval " << i;
            EXPECT_NEAR(s.Cubic(i), 0.5, 1e-12) << "interval " << i;
        }
        s.ExpectIndexNUntouched();
    }
}

TEST(SplineBuild, SmallKnotCountsAndEquallySpacedExtrapolatedEnds) {
    // n = 3, parabolic run-out: y = 1 + 2x - 0.5x^2, second derivative -1 everywhere.
    const Spline p = Spline({0.0, 1.0, 3.0}, {1.0, 2.5, 2.5}).Build(2);
    for (long k = 1; k <= 3; ++k) {
        EXPECT_NEAR(p.M(k), -1.0, 1e-14);
    }
    EXPECT_NEAR(p.Cubic(1), 0.0, 1e-14);
    EXPECT_NEAR(p.Cubic(2), 0.0, 1e-14);
    EXPECT_NEAR(p.Lin(1), 2.0, 1e-14);
    EXPECT_NEAR(p.Lin(2), 1.0, 1e-14);
    p.ExpectIndexNUntouched();
    // n = 2, natural: the chord.
    const Spline c = Spline({1.0, 3.0}, {2.0, 5.0}).Build(1);
    EXPECT_EQ(c.m, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(c.Cubic(1), 0.0);
    EXPECT_EQ(c.Quad(1), 0.0);
    EXPECT_EQ(c.Lin(1), 1.5);
    c.ExpectIndexNUntouched();
    // Equally spaced, code 3: the end values continue the neighbouring second derivatives.
    const Spline e =
        Spline({0.0, 0.5, 1.0, 1.5, 2.0, 2.5}, {0.0, 1.0, 0.2, 3.0, -1.0, 0.5}).Build(3);
    EXPECT_NEAR(e.M(1), 2.0 * e.M(2) - e.M(3), 1e-12);
    EXPECT_NEAR(e.M(6), 2.0 * e.M(5) - e.M(4), 1e-12);
}

// Fewer knots than the end condition needs: false, and no element of any array (each sized
// exactly n, so AddressSanitizer sees any access beyond it) is written.
TEST(SplineBuild, TooFewKnotsForTheEndConditionReturnFalseAndWriteNothing) {
    const struct { long code, n; } cases[] = {{3, 3}, {3, 2}, {2, 2}, {1, 1}, {4, 1}, {5, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << ", n " << c.n);
        Spline s(std::vector<double>(std::size_t(c.n), 1.0), std::vector<double>(std::size_t(c.n)));
        for (long k = 1; k <= c.n; ++k) {
            s.x[std::size_t(k - 1)] = double(k * k);
        }
        EXPECT_FALSE(Splines().CubicSplines(Spline::One(s.x), Spline::One(s.y), c.code, c.n,
                                            Spline::One(s.c3), Spline::One(s.c2), Spline::One(s.c1),
                                            Spline::One(s.m)));
        for (const std::vector<double>* out : {&s.c3, &s.c2, &s.c1, &s.m}) {
            EXPECT_EQ(*out, std::vector<double>(std::size_t(c.n), kSentinel));
        }
    }
}

TEST(SplineBuild, UnknownCodesKeepCallerEndValuesAndTheNaturalInterior) {
    const std::vector<double> y = {0.0, 1.0, 0.2, 3.0, -1.0, 0.5, 0.25};
    const Spline natural = Spline(CubicSamples(7).x, y).Build(1);
    for (const long code : {0L, 5L}) {
        SCOPED_TRACE(code);
        Spline s(natural.x, y);
        s.m.front() = 0.7;
        s.m.back() = -0.4;
        s.Build(code);
        EXPECT_EQ(s.M(1), 0.7);
        EXPECT_EQ(s.M(s.n), -0.4);
        for (long k = 2; k <= s.n - 1; ++k) {
            EXPECT_EQ(s.M(k), natural.M(k));
        }
        EXPECT_EQ(s.Quad(1), 0.35); // the caller's end value enters the first interval
        EXPECT_NE(s.Lin(s.n - 1), natural.Lin(s.n - 1));
        s.ExpectIndexNUntouched();
    }
}

// Textbook natural spline: M_1 = M_n = 0 and, for k = 2..n-1,
// h_{k-1} M_{k-1} + 2 (h_{k-1} + h_k) M_k + h_k M_{k+1} = 6 (s_k - s_{k-1}), s_k chord slopes,
// solved by LAPACK dgtsv (Gaussian elimination with partial pivoting).
std::vector<double> TextbookMoments(const std::vector<double>& x, const std::vector<double>& y) {
    const int m = int(x.size()) - 2, one = 1;
    std::vector<double> sub, diag, super, rhs = {0.0};
    for (int k = 1; k <= m; ++k) { // 0-based inner knot
        const double hl = x[k] - x[k - 1], hr = x[k + 1] - x[k];
        sub.push_back(hl);
        diag.push_back(2.0 * (hl + hr));
        super.push_back(hr);
        rhs.push_back(6.0 * ((y[k + 1] - y[k]) / hr - (y[k] - y[k - 1]) / hl));
    }
    int info = 0;
    dgtsv_(&m, &one, sub.data() + 1, diag.data(), super.data(), rhs.data() + 1, &m, &info);
    EXPECT_EQ(info, 0);
    rhs.push_back(0.0);
    return rhs;
}

// M_i (x_{i+1}-X)^3/(6h) + M_{i+1} (X-x_i)^3/(6h) + the linear terms.
double TextbookValue(const std::vector<double>& x, const std::vector<double>& y,
                     const std::vector<double>& mo, double X) {
    std::size_t i = 0;
    while (i + 2 < x.size() && X > x[i + 1]) {
        ++i;
    }
    const double h = x[i + 1] - x[i], l = x[i + 1] - X, r = X - x[i];
    return mo[i] * l * l * l / (6.0 * h) + mo[i + 1] * r * r * r / (6.0 * h) +
           (y[i] / h - mo[i] * h / 6.0) * l + (y[i + 1] / h - mo[i + 1] * h / 6.0) * r;
}

TEST(SplineBuild, NaturalSplineAgreesWithTextbookSolve) {
    std::mt19937 rng(20240601);
    std::uniform_real_distribution<double> step(0.2, 1.5), value(-2.0, 2.0);
    std::vector<double> x = {0.0}, y = {value(rng)};
    for (int k = 1; k < 24; ++k) {
        x.push_back(x.back() + step(rng));
        y.push_back(value(rng));
    }
    const Spline s = Spline(x, y).Build(1);
    const std::vector<double> moments = TextbookMoments(x, y);
    std::uniform_real_distribution<double> where(x.front(), x.back());
    for (int p = 0; p < 300; ++p) {
        const double X = where(rng);
        EXPECT_NEAR(s.Eval(X), TextbookValue(x, y, moments, X), 1e-12) << "at " << X;
    }
    s.ExpectIndexNUntouched();
}

TEST(SplineBuild, WorkStorageFailureRaisesAndWritesNothing) {
    // A knot count whose work matrix cannot be sized: the allocation fails before any output.
    Spline s({0.0, 1.0, 2.0, 3.0}, {1.0, 2.0, 0.0, 1.0});
    const long hugeN = std::numeric_limits<long>::max() - 4;
    EXPECT_THROW(Splines().CubicSplines(Spline::One(s.x), Spline::One(s.y), 1, hugeN,
                                        Spline::One(s.c3), Spline::One(s.c2), Spline::One(s.c1),
                                        Spline::One(s.m)),
                 CMemoryException);
    EXPECT_EQ(s.m, std::vector<double>(4, kSentinel));
    EXPECT_EQ(s.c3, std::vector<double>(4, kSentinel));
}

// Knots 0..n-1 whose intervals are unrelated cubics (no continuity), so the value tells which
// interval was used: interval i is y[i] + i t + 0.5 t^2 - 0.25 i t^3.
Spline Discontinuous(long n) {
    Spline s{std::vector<double>(n), std::vector<double>(n)};
    for (long k = 0; k < n; ++k) {
        s.x[k] = double(k);
        s.y[k] = 10.0 * double(k + 1);
        if (k + 1 < n) { // index n stays a sentinel
            s.c1[k] = double(k + 1), s.c2[k] = 0.5, s.c3[k] = -0.25 * double(k + 1);
        }
    }
    return s;
}

// Value (derivative 0) or slope (derivative 1) of interval i's own cubic at X.
double OnInterval(const Spline& s, long i, double X, int derivative) {
    const double t = X - s.X(i);
    if (derivative == 1) {
        return s.Lin(i) + 2.0 * s.Quad(i) * t + 3.0 * s.Cubic(i) * t * t;
    }
    return s.y[i - 1] + s.Lin(i) * t + s.Quad(i) * t * t + s.Cubic(i) * t * t * t;
}

TEST(SplineEvaluate, IntervalRulesAtAndBeyondTheEnds) {
    const Spline s = Discontinuous(7);
    const struct {
        double X;
        long interval;
    } cases[] = {{-2.5, 1}, {0.0, 1}, {0.5, 1}, {1.0, 1}, {3.0, 3},
                 {3.25, 4}, {5.0, 5}, {6.0, 6}, {8.5, 6}};
    for (const auto& c : cases) {
        EXPECT_NEAR(s.Eval(c.X), OnInterval(s, c.interval, c.X, 0), 1e-12) << c.X;
        EXPECT_NEAR(s.Der(c.X), OnInterval(s, c.interval, c.X, 1), 1e-12) << c.X;
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(s.Eval(nan), 0.0);
    EXPECT_EQ(s.Der(nan), 0.0);
    // Five knots: the value is 0 everywhere, the derivative still works.
    const Spline five = Discontinuous(5);
    for (const double X : {-1.0, 0.0, 1.5, 4.0, 9.0}) {
        EXPECT_EQ(five.Eval(X), 0.0) << X;
    }
    EXPECT_EQ(five.Der(1.5), OnInterval(five, 2, 1.5, 1));
}

// Oracle: the clamped spline reproduces the cubic p, whose antiderivative is known.
TEST(SplineIntegral, MatchesTheClippedAntiderivative) {
    const Spline s = CubicSamples(7).Build(4); // knots -1 .. 3.1
    const struct {
        const char* what;
        double from, to;         // limits passed
        double clipFrom, clipTo; // the interval actually integrated
    } cases[] = {
        {"whole range", -1.0, 3.1, -1.0, 3.1},
        {"inside one interval", 0.75, 1.5, 0.75, 1.5},
        {"from an inner knot", 0.3, 2.5, 0.3, 2.5},
        {"between inner knots", -0.4, 2.0, -0.4, 2.0},
        {"beyond both knots", -5.0, 9.0, -1.0, 3.1},
        {"from beyond the left knot", -3.0, 0.4, -1.0, 0.4},
        {"to beyond the right knot", 1.0, 7.0, 1.0, 3.1},
        {"to below the first knot", -4.0, -2.0, 0.0, 0.0},
        {"from beyond the last knot", 4.0, 5.0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        const double expected = c.clipTo > c.clipFrom
                                    ? P::Antiderivative(c.clipTo) - P::Antiderivative(c.clipFrom)
                                    : 0.0;
        EXPECT_NEAR(s.Integral(c.from, c.to), expected, 1e-12) << c.what;
    }
    for (const auto& [a, b] : {std::pair{-0.7, 2.2}, {0.3, 0.5}, {-9.0, 9.0}}) {
        EXPECT_EQ(s.Integral(b, a), -s.Integral(a, b)); // reversed limits negate exactly
    }
}

} // namespace
