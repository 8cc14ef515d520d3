// Polynomial: evaluation, copies, documented roots and extrema, recorded bits, the solvers'
// unsorted orders and thresholds, and root recovery on random products of linear factors.
#include "OstraPureMath/Polynomial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Exposes the protected closed-form solvers; they never read the object's own coefficients.
class Solvers : public Polynomial {
public:
    using Polynomial::Polynomial;
    using Polynomial::SolveCubic;
    using Polynomial::SolveLinear;
    using Polynomial::SolveQuadratic;
    using Polynomial::SolveQuartic;
};

Polynomial Poly(std::vector<double> coefs) {
    return Polynomial(coefs);
}

// Five stale values: a result keeping any of them did not replace the out-vector's contents.
const std::vector<double> kStale(5, 99.0);

// Same length, and element i within tolerance of expected[i] (order matters). Recorded bits
// (tolerance 0) are glibc's pow, acos and cos at work; the Windows runtime's may round a result a
// unit otherwise, which cancellation carries into a root's last bits: there they hold to 1e-12.
void ExpectRoots(const std::vector<double>& actual, const std::vector<double>& expected,
                 double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
#if defined(_WIN32)
        const double bound = tolerance == 0.0 ? 1e-12 * std::fabs(expected[i]) : tolerance;
#else
        const double bound = tolerance;
#endif
        EXPECT_NEAR(actual[i], expected[i], bound) << "root " << i;
    }
}

TEST(Polynomial, EvaluationDerivativeAndIndependentCopies) {
    EXPECT_EQ(Poly({1, 2, 3}).GetY(2.0), 17.0); // lowest power first
    EXPECT_EQ(Poly({5, 3, 0, 2}).GetY(-2.0), -17.0);
    EXPECT_EQ(Poly({7}).GetY(1e300), 7.0);
    EXPECT_EQ(Poly({}).GetY(3.0), 0.0);
    EXPECT_EQ(Poly({5, 3, 0, 2}).GetFirstDer(), (std::vector<double>{3, 0, 6}));
    EXPECT_TRUE(Poly({7}).GetFirstDer().empty());
    EXPECT_TRUE(Poly({}).GetFirstDer().empty());

    std::vector<double> coefs{1, 2, 3};
    Polynomial original(coefs);
    coefs[0] = 100.0; // the constructor copied
    Polynomial copy(original);
    copy = std::vector<double>{0, 1};
    EXPECT_EQ(original.GetY(2.0), 17.0);
    EXPECT_EQ(copy.GetY(2.0), 2.0);
    copy = original;
    original = std::vector<double>{4};
    const Polynomial& alias = copy;
    copy = alias; // self-assignment changes nothing
    EXPECT_EQ(copy.GetY(2.0), 17.0);
}

struct RootsCase {
    const char* name;
    std::vector<double> coefs;
    double y;
    std::vector<double> expected; // ascending
    double tolerance;
};

// Documented results of Solve; ten-decimal values are checked to 1e-10.
const RootsCase kSolveCases[] = {
    // Offsets 6.28318 / 12.56636 (2pi / 4pi would give exactly 2, 3).
    {"ThreeRealRoots", {-6, 11, -6, 1}, 0, {1, 2.0000040855, 2.9999989786}, 1e-10},
    {"CubicDoubleRootOnce", {2, -3, 0, 1}, 0, {-2, 1}, 1e-15},
    {"CubicOneRealRoot", {-1, 0, 0, 1}, 0, {1}, 1e-15},
    {"CubicOneNegativeRoot", {1, 0, 0, 1}, 0, {-1}, 1e-15},
    {"TripleRootOnce", {0, 0, 0, 1}, 0, {0}, 0},
    {"QuarticZeroTwice", {0, 0, 0, 0, 1}, 0, {0, 0}, 0},
    // r = 0: the depressed cubic's double root at 0 comes out as 0 and 4.0855e-06.
    {"QuarticZeroConstant", {0, 0, -1, 0, 1}, 0, {-1, 0, 4.0855e-06, 0.9999989786}, 1e-10},
    {"Biquadratic", {4, 0, -5, 0, 1}, 0, {-2, -1, 1, 2}, 1e-15},
    {"BiquadraticDoublePair", {1, 0, -2, 0, 1}, 0, {-1, 1}, 1e-15},
    {"NoRealRoot", {1, 0, 0, 0, 1}, 0, {}, 0},
    {"Ferrari", {30, -19, -15, 3, 1}, 0, {-5, -2, 1, 3}, 1e-9},
    {"QuadraticShiftedByY", {0, 0, 1}, 4, {-2, 2}, 1e-15},
    {"LineShiftedByY", {2, 1}, 5, {3}, 0},
    {"DegreeFive", {1, 1, 1, 1, 1, 1}, 0, {}, 0},
    {"Constant", {3}, 3, {}, 0},
    {"Empty", {}, 0, {}, 0},

    // Exact bits recorded from this implementation on coefficients whose every operation
    // rounds: they pin the order and grouping of each formula (a regrouped R, p, q or r, or a
    // fused multiply-add, changes the last bits) and the signs of zero and of tiny roots.
    // clang-format off
    {"CardanoOneRoot", {0.3, -1.7, 2.9, 1.1}, 0, {-0x1.93b011840f1eap+1}, 0},
    {"Trigonometric", {-0.7, -1.3, 2.9, 1.1}, 0,
     {-0x1.7b3baf814c70ap+1, -0x1.50043539d025ap-2, 0x1.4f2001eae9387p-1}, 0},
    {"CardanoNegatesForZeroR", {0, 1, 0, 1}, 0, {-0x1p-52}, 0}, // x^3 + x, R = 0
    {"FerrariBits", {-2.3, 0.7, -3.1, 0.9, 1.3}, 0,
     {-0x1.0f893013943c8p+1, 0x1.64e4451ce9eaap+0}, 0},
    {"FerrariFourRoots1", {-1.3, 2.3, 1.9, -3.7, 0.7}, 0,
     {-0x1.8acc0842c937p-1, 0x1.1db105d730eep-1, 0x1.e5aeb0c237f22p-1, 0x1.2336aec7752f8p+2}, 0},
    {"FerrariFourRoots2", {-1.3, -3.7, 0.83, 3.1, 0.7}, 0,
     {-0x1.e3ba5db52baabp+1, -0x1.53975d854f601p+0, -0x1.6e843f963c8a4p-2,
      0x1.08f64d677efcap+0}, 0},
    {"QuarticZeroConstantBits", {0, 0, -1, 0, 1}, 0,
     {-1, 0, 0x1.122bd195d6ec2p-18, 0x1.ffffddba825c7p-1}, 0},
    // Resolvent roots 2.2e-15, 9, 1 in that order: Ferrari takes 9, the first above 1e-14.
    {"FerrariSkipsTinyResolventRoot", {4, 1e-7, -5, 0, 1}, 0,
     {-0x1.000001915b205p+1, -0x1.fffff40451338p-1, 0x1.fffff522a5f17p-1, 0x1.00000149c5f0dp+1}, 0},
    // clang-format on
};

// Documented results of GetExtremaX (y unused).
const RootsCase kExtremaCases[] = {
    {"CubicTwoExtrema", {0, -3, 0, 1}, 0, {-1, 1}, 1e-15},
    {"CubicInflection", {0, 0, 0, 1}, 0, {0}, 0},
    {"QuinticZeroTwice", {0, 0, 0, 0, 0, 1}, 0, {0, 0}, 0},
    {"QuadraticVertex", {1, -4, 2}, 0, {1}, 0},
    // Derivative terms 5e-40 x^4 and 0 x^3 are below their bounds and trimmed.
    {"TinyTopTermTrimmed", {0, -3, 0, 1, 0, 1e-40}, 0, {-1, 1}, 1e-15},
    // 5e-30 x^4 stays (bound ~2.1e-36); the quartic solver loses both roots to cancellation.
    {"SmallTopTermKept", {0, -3, 0, 1, 0, 1e-30}, 0, {}, 0},
    {"Line", {3, 1}, 0, {}, 0},
    {"Constant", {3}, 0, {}, 0},
    {"DegreeSix", {0, 0, 0, 0, 0, 0, 1}, 0, {}, 0},
    // Recorded bits, as for Solve.
    // clang-format off
    {"QuinticBits", {0.1, -2.2, 0.4, 1.6, -0.5, 0.07}, 0,
     {-0x1.51a9d4d4f5ea8p-1, 0x1.5b2fb1d0aca1bp-1}, 0},
    // clang-format on
};

TEST(Polynomial, SolveAndExtremaReplaceOldContentsWithTheDocumentedRoots) {
    const auto check = [](const RootsCase& c, bool extrema) {
        SCOPED_TRACE(c.name);
        std::vector<double> roots = kStale;
        if (extrema) {
            Poly(c.coefs).GetExtremaX(roots);
        } else {
            Poly(c.coefs).Solve(c.y, roots);
        }
        ExpectRoots(roots, c.expected, c.tolerance);
    };
    for (const RootsCase& c : kSolveCases) {
        check(c, false);
    }
    for (const RootsCase& c : kExtremaCases) {
        check(c, true);
    }
    check({"QuinticExtremaBits",
           {0.1, -2.2, 0.4, 1.6, -0.5, 0.07},
           0,
           {-0x1.51a9d4d4f5ea8p-1, 0x1.5b2fb1d0aca1bp-1},
           0},
          true);
    std::vector<double> cube;
    Poly({0, 0, 0, 1}).Solve(0.0, cube);
    EXPECT_FALSE(std::signbit(cube.at(0))); // cube root of -R taken as pow(-R) for R <= 0
}

TEST(PolynomialSolvers, UnsortedFormulaOrdersAndThresholds) {
    // With c0 = 0, sqrt(disc) == |c1| exactly (sqrt(x*x) == |x| in IEEE double).
    const double exact = 1e-14, below = std::nextafter(exact, 0.0);
    ASSERT_EQ(std::sqrt(exact * exact), exact);
    ASSERT_EQ(std::sqrt(below * below), below);
    // y^4 + 1e-7 y - 1: the resolvent's only real root (~2.7e-15) is not above 1e-14, so the q y
    // term is dropped: exactly -1 and 1 (true roots 2.5e-8 away; Ferrari would give ~-+0.985).
    std::vector<double> resolvent, none;
    Solvers s(none);
    s.SolveCubic({-1e-7 * 1e-7, 4, 0, 1}, resolvent); // {-q^2, p^2 - 4r, 2p, 1}
    ASSERT_EQ(resolvent.size(), 1u);
    ASSERT_GT(resolvent[0], 0.0);
    ASSERT_LE(resolvent[0], 1e-14);
    const struct {
        std::vector<double> coefs, expected; // the solver is chosen by the length
        double tolerance;
    } cases[] = {
        {{2, -3, 1}, {1, 2}, 0},
        {{4, 0, -1}, {2, -2}, 0}, // negative leading coefficient: larger root first
        {{1, -2, 1}, {1}, 0},
        {{1, 0, 1}, {}, 0},
        {{0, exact, 1}, {-exact, 0}, 0}, // sqrt(disc) of exactly 1e-14: two roots
        {{0, below, 1}, {-below}, 0},
        {{-2.5e-31, 0, 1}, {-5e-16}, 1e-30}, // disc 1e-30, sqrt 1e-15: one root
        {{-6, 11, -6, 1}, {1, 2.9999989786, 2.0000040855}, 1e-10},
        {{0, 0, -1, 0, 1}, {-1, 0.9999989786, 4.0855e-06, 0}, 1e-10}, // the cubic's, then 0
        {{4, 0, -5, 0, 1}, {-1, 1, -2, 2}, 1e-15},
        {{30, -19, -15, 3, 1}, {-5, 3, -2, 1}, 1e-9}, // Ferrari: first factor, then second
        {{-1, 1e-7, 0, 0, 1}, {-1, 1}, 0},            // no usable resolvent root: biquadratic
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "degree " << c.coefs.size() - 1 << ", c0 " << c.coefs[0]);
        std::vector<double> roots = kStale;
        if (c.coefs.size() == 3) {
            s.SolveQuadratic(c.coefs, roots);
        } else if (c.coefs.size() == 4) {
            s.SolveCubic(c.coefs, roots);
        } else {
            s.SolveQuartic(c.coefs, roots);
        }
        ExpectRoots(roots, c.expected, c.tolerance);
    }
    std::vector<double> line{3, -2};
    EXPECT_EQ(s.SolveLinear(line), 1.5);
}

// Allowed error: lines and quadratics are exact to rounding. The cubic's offsets 6.28318 and
// 12.56636 fall 5.3e-6 and 1.1e-5 short of 2pi and 4pi, moving roots by up to |m| * 3.6e-6 with
// |m| = 2 sqrt(-Q) <= 4.6 for roots in [-4, 4], about 1.7e-5; Ferrari's resolvent root carries
// the same kind of error into the quartic's roots.
TEST(PolynomialProperty, SolveRecoversWellSeparatedRealRoots) {
    std::mt19937 rng(20240611u);
    std::uniform_real_distribution<double> pick(0.125, 0.875);
    for (int trial = 0; trial < 400; ++trial) {
        const int k = 1 + trial % 4;
        std::vector<double> expected; // ascending, in [-4, 4], one per bin of width 8 / k >= 2,
        for (int i = 0; i < k; ++i) { // so pairwise at least 0.5 apart
            expected.push_back(-4.0 + 8.0 / k * (i + pick(rng)));
        }
        std::vector<double> coefs{1.0}; // (x - r1)...(x - rk), lowest power first
        for (const double r : expected) {
            coefs.insert(coefs.begin(), 0.0);
            for (std::size_t i = 0; i + 1 < coefs.size(); ++i) {
                coefs[i] -= r * coefs[i + 1];
            }
        }
        std::vector<double> roots;
        Poly(coefs).Solve(0.0, roots);
        SCOPED_TRACE(testing::Message() << "trial " << trial << ", degree " << k);
        ExpectRoots(roots, expected, k >= 3 ? 2e-5 : 1e-12);
    }
}

} // namespace
