// Splines against independent oracles: reproduction of the polynomials each end condition holds
// exactly, the textbook natural spline solved by LAPACK, the clipped integral against the
// antiderivative, the inverse of a line, the maximum against a dense scan and the centroid
// against the half area; the refusals and the termination of every search.
#include "OstraPureMath/Framework.h"
#include "SplineFixture.h"
#include "support/Lapack.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The cubic p = 0.5 t^3 - 1.25 t^2 + 0.75 t + 2 sampled at the first n of seven uneven knots,
// with its exact end slopes in m[1] and m[n] (read by the clamped code 4 only); not yet built.
double P(double t) {
    return ((0.5 * t - 1.25) * t + 0.75) * t + 2.0;
}
double PSlope(double t) {
    return (1.5 * t - 2.5) * t + 0.75;
}
Spline CubicSamples(long n) {
    const std::vector<double> all = {-1.0, -0.4, 0.3, 0.5, 1.7, 2.0, 3.1};
    Spline s(std::vector<double>(all.begin(), all.begin() + n), std::vector<double>(n));
    for (long k = 0; k < n; ++k) {
        s.y[k] = P(s.x[k]);
    }
    s.m.front() = PSlope(s.x.front());
    s.m.back() = PSlope(s.x.back());
    return s;
}

// Interval coefficients are the Taylor coefficients of the sampled cubic at x[i] under code 3
// (n >= 4) and code 4.
TEST(SplineBuild, ReproducesCubics) {
    for (const auto& [code, n] : {std::pair{3L, 4L}, {3L, 7L}, {4L, 2L}, {4L, 7L}}) {
        SCOPED_TRACE(testing::Message() << "cubic, code " << code << ", n " << n);
        const Spline s = CubicSamples(n).Build(code);
        for (long i = 1; i <= s.n - 1; ++i) {
            EXPECT_NEAR(s.Lin(i), PSlope(s.X(i)), 1e-12) << "interval " << i;
            EXPECT_NEAR(s.Quad(i), 0.5 * (3.0 * s.X(i) - 2.5), 1e-12) << "interval " << i;
            EXPECT_NEAR(s.Cubic(i), 0.5, 1e-12) << "interval " << i;
        }
        s.ExpectIndexNUntouched();
    }
}

// Textbook natural spline: M_1 = M_n = 0 and, for k = 2..n-1,
// h_{k-1} M_{k-1} + 2 (h_{k-1} + h_k) M_k + h_k M_{k+1} = 6 (s_k - s_{k-1}), s_k chord slopes,
// solved by LAPACK dgtsv (Gaussian elimination with partial pivoting); its value is
// M_i l^3 / 6h + M_{i+1} r^3 / 6h + (y_i / h - M_i h / 6) l + (y_{i+1} / h - M_{i+1} h / 6) r.
TEST(SplineBuild, NaturalSplineAgreesWithTextbookSolve) {
    std::mt19937 rng(20240601);
    std::uniform_real_distribution<double> step(0.2, 1.5), value(-2.0, 2.0);
    std::vector<double> x = {0.0}, y = {value(rng)};
    for (int k = 1; k < 24; ++k) {
        x.push_back(x.back() + step(rng));
        y.push_back(value(rng));
    }
    int inner = 22, one = 1, info = 0;
    std::vector<double> sub, diag, super, mo = {0.0};
    for (int k = 1; k <= inner; ++k) {
        const double hl = x[k] - x[k - 1], hr = x[k + 1] - x[k];
        sub.push_back(hl);
        diag.push_back(2.0 * (hl + hr));
        super.push_back(hr);
        mo.push_back(6.0 * ((y[k + 1] - y[k]) / hr - (y[k] - y[k - 1]) / hl));
    }
    dgtsv_(&inner, &one, sub.data() + 1, diag.data(), super.data(), mo.data() + 1, &inner, &info);
    ASSERT_EQ(info, 0);
    mo.push_back(0.0);
    const Spline s = Spline(x, y).Build(1);
    for (std::size_t i = 0; i + 1 < x.size(); ++i) {
        for (const double f : {0.1, 0.5, 0.9}) {
            const double h = x[i + 1] - x[i], l = (1.0 - f) * h, r = f * h;
            const double expected =
                mo[i] * l * l * l / (6.0 * h) + mo[i + 1] * r * r * r / (6.0 * h) +
                (y[i] / h - mo[i] * h / 6.0) * l + (y[i + 1] / h - mo[i + 1] * h / 6.0) * r;
            EXPECT_NEAR(s.Eval(x[i] + r), expected, 1e-12) << "interval " << i + 1;
        }
    }
}

// Fewer knots than the end condition needs: false, and no element of any array (each sized
// exactly n, so AddressSanitizer sees any access beyond it) is written. A knot count whose work
// matrix cannot be had raises before any output is written.
TEST(SplineBuild, RefusalsWriteNothing) {
    const struct { long code, n; } cases[] = {{3, 3}, {2, 2}, {1, 1}, {4, 1}, {5, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << ", n " << c.n);
        Spline s(CubicSamples(c.n).x, std::vector<double>(std::size_t(c.n)));
        EXPECT_FALSE(Splines().CubicSplines(Spline::One(s.x), Spline::One(s.y), c.code, c.n,
                                            Spline::One(s.c3), Spline::One(s.c2), Spline::One(s.c1),
                                            Spline::One(s.m)));
        EXPECT_EQ(s.m, std::vector<double>(std::size_t(c.n), kSentinel));
        EXPECT_EQ(s.c1, std::vector<double>(std::size_t(c.n), kSentinel));
    }
    Spline s = CubicSamples(4);
    EXPECT_THROW(Splines().CubicSplines(Spline::One(s.x), Spline::One(s.y), 1,
                                        std::numeric_limits<long>::max() - 4, Spline::One(s.c3),
                                        Spline::One(s.c2), Spline::One(s.c1), Spline::One(s.m)),
                 CMemoryException);
    EXPECT_EQ(s.c3, std::vector<double>(4, kSentinel));
}

// The clamped spline reproduces p, whose antiderivative is known; limits beyond the knots are
// clipped, and reversed limits negate exactly.
TEST(SplineIntegral, MatchesTheClippedAntiderivative) {
    const auto antiderivative = [](double t) {
        return (((0.125 * t - 1.25 / 3.0) * t + 0.375) * t + 2.0) * t;
    };
    const Spline s = CubicSamples(7).Build(4); // knots -1 .. 3.1
    const double cases[][4] = {
        // from, to, and the interval actually integrated
        {-1.0, 3.1, -1.0, 3.1}, {0.75, 1.5, 0.75, 1.5}, {0.3, 2.5, 0.3, 2.5},
        {-5.0, 9.0, -1.0, 3.1}, {-3.0, 0.4, -1.0, 0.4}, {1.0, 7.0, 1.0, 3.1},
        {-4.0, -2.0, 0.0, 0.0}, {4.0, 5.0, 0.0, 0.0},
    };
    for (const auto& [from, to, clipFrom, clipTo] : cases) {
        EXPECT_NEAR(s.Integral(from, to), antiderivative(clipTo) - antiderivative(clipFrom), 1e-12)
            << from << " " << to;
        EXPECT_EQ(s.Integral(to, from), -s.Integral(from, to));
    }
}

// Natural spline through (first + k, y[k]).
Spline AtUnitKnots(const std::vector<double>& y, double first = 1.0) {
    std::vector<double> x(y.size());
    std::iota(x.begin(), x.end(), first);
    return Spline(x, y).Build(1);
}

const std::vector<double> kSkewed = {0, 1, 4, 9, 10, 8, 3, 1, 0};
const std::vector<double> kLine = {3, 5, 7, 9, 11, 13, 15, 17, 19}; // 2x + 1

// The inverse of a line; without a sign change the bracket closes on hi; non-finite ends stop.
TEST(SplineSolve, InverseOfALineAndTermination) {
    const Spline line = AtUnitKnots(kLine);
    EXPECT_NEAR(line.Solve(8.2, 1.0, 9.0), 3.6, 1e-10);
    const double noSignChange = line.Solve(100.0, 2.0, 7.0);
    EXPECT_TRUE(noSignChange < 7.0 && 7.0 - noSignChange <= 1e-10) << noSignChange;
    EXPECT_TRUE(std::isnan(line.Solve(8.0, kNaN, 9.0)));
    EXPECT_TRUE(std::isinf(line.Solve(8.0, 1.0, std::numeric_limits<double>::infinity())));
}

// Found maxima against the highest value of a dense scan of the spline; the other ways out of
// the search with their documented outputs.
TEST(SplineMax, AgainstADenseScanAndEveryRefusal) {
    const struct {
        std::vector<double> y;
        double a, scanFrom; // a concave knot on a: the search moves past the fall after it
    } found[] = {{kSkewed, 1, 1}, {{5, 9, 10, 8, 4, 3, 5, 7, 6}, 3, 6}};
    for (const auto& c : found) {
        const Spline s = AtUnitKnots(c.y);
        const MaxResult r = s.Max(c.a, 9.0);
        ASSERT_TRUE(r.found);
        double best = -HUGE_VAL, at = 0.0;
        for (double X = c.scanFrom; X <= 9.0; X += 1e-4) {
            if (s.Eval(X) > best) {
                best = s.Eval(X), at = X;
            }
        }
        EXPECT_NEAR(r.xMax, at, 2e-4);
        EXPECT_NEAR(r.yMax, best, 1e-7);
        EXPECT_EQ(r.yMax, s.Eval(r.xMax));
        EXPECT_LT(std::fabs(r.slope), 1e-9);
    }
    const Spline symmetric = AtUnitKnots({0, 1, 4, 9, 10, 9, 4, 1, 0});
    const MaxResult flat = symmetric.Max(1, 9); // flat knot 5
    EXPECT_EQ(std::vector<double>({flat.slope, flat.xMax, flat.yMax}),
              std::vector<double>({symmetric.Lin(5), 5.0, 10.0}));
    const Spline s = AtUnitKnots(kSkewed);
    for (const auto& [a, b, n] : std::initializer_list<std::array<double, 3>>{
             {1, 5, 5}, {4, 4, 9}, {6, 4, 9}, {0.5, 9, 9}, {1, 9.5, 9}, {kNaN, 9, 9}}) {
        const MaxResult r = s.Max(a, b, long(n)); // rejected window: outputs untouched
        EXPECT_FALSE(r.found);
        EXPECT_EQ(std::vector<double>({r.slope, r.xMax, r.yMax}),
                  std::vector<double>(3, kSentinel));
    }
    const MaxResult knot1 = AtUnitKnots({100, 50, 25, 12, 6, 3, 1.5, 0.7, 0.3}).Max(1.5, 9);
    EXPECT_FALSE(knot1.found); // only interval 1 examined (AddressSanitizer: no interval 0)
    EXPECT_EQ(knot1.yMax, 100.0);
    const Spline negative = AtUnitKnots({-10, -9, -6, -5, -4, -4.5, -6, -9, -10});
    const MaxResult belowZero = negative.Max(1, 9);
    EXPECT_TRUE(belowZero.found);
    EXPECT_EQ(belowZero.yMax, 0.0); // the selection starts from 0
}

// The centroid halves the integral; a negative area runs the bisection to an end of the window.
TEST(SplineCentroid, HalvesTheAreaAndTerminates) {
    const CentroidResult flat = AtUnitKnots(std::vector<double>(11, 1.0), 0.0).Centroid(0.0, 10.0);
    EXPECT_EQ(std::vector<double>({flat.area, flat.xCentroid, flat.yCentroid}),
              std::vector<double>({10.0, 5.0, 1.0}));
    const Spline skewed = AtUnitKnots(kSkewed);
    const CentroidResult r = skewed.Centroid(1.0, 9.0);
    EXPECT_EQ(r.area, skewed.Integral(1.0, 9.0));
    EXPECT_LT(r.xCentroid, 5.0);
    EXPECT_NEAR(skewed.Integral(1.0, r.xCentroid), 0.5 * r.area, 0.5 * r.area * 1e-6);
    EXPECT_EQ(r.yCentroid, skewed.Eval(r.xCentroid));
    const CentroidResult k = AtUnitKnots({-5, -4, -3, -2, -1, -1, -1, -1, -1}).Centroid(1.0, 9.0);
    EXPECT_LT(9.0 - k.xCentroid, 1e-10);
    EXPECT_TRUE(std::isnan(skewed.Centroid(kNaN, 9.0).xCentroid));
}

} // namespace
