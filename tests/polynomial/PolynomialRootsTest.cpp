// Real roots and extrema of Polynomial: worked values, recorded bits, the solvers' unsorted
// orders, thresholds and the replacement of old out-vector contents.
#include "PolynomialTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct RootsCase {
    std::string name;
    std::vector<double> coefs;
    double y;
    std::vector<double> expected; // ascending
    double tolerance;
    bool extrema = false; // GetExtremaX instead of Solve(y)
};

// Documented results of Solve; ten-decimal values are checked to 1e-10.
const RootsCase kSolveCases[] = {
    // Trigonometric case with the offsets 6.28318 / 12.56636 (2pi / 4pi would give exactly 2, 3).
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
};

// Documented results of GetExtremaX.
const RootsCase kExtremaCases[] = {
    {"CubicTwoExtrema", {0, -3, 0, 1}, 0, {-1, 1}, 1e-15, true},
    {"CubicInflection", {0, 0, 0, 1}, 0, {0}, 0, true},
    {"QuinticZeroTwice", {0, 0, 0, 0, 0, 1}, 0, {0, 0}, 0, true},
    {"QuadraticVertex", {1, -4, 2}, 0, {1}, 0, true},
    // Derivative terms 5e-40 x^4 and 0 x^3 are below their bounds and trimmed.
    {"TinyTopTermTrimmed", {0, -3, 0, 1, 0, 1e-40}, 0, {-1, 1}, 1e-15, true},
    // 5e-30 x^4 stays (bound ~2.1e-36); the quartic solver loses both roots to cancellation.
    {"SmallTopTermKept", {0, -3, 0, 1, 0, 1e-30}, 0, {}, 0, true},
    {"Line", {3, 1}, 0, {}, 0, true},
    {"Constant", {3}, 0, {}, 0, true},
    {"DegreeSix", {0, 0, 0, 0, 0, 0, 1}, 0, {}, 0, true},
};

// Exact results recorded from this implementation on coefficients whose every operation rounds:
// they pin the documented order and grouping of each formula (a regrouped R, p, q or r, or a
// fused multiply-add, changes the last bits) and the signs of zero and of tiny roots.
// clang-format off
const RootsCase kBitsCases[] = {
    {"CardanoOneRoot", {0.3, -1.7, 2.9, 1.1}, 0, {-0x1.93b011840f1eap+1}, 0},
    {"Trigonometric", {-0.7, -1.3, 2.9, 1.1}, 0,
     {-0x1.7b3baf814c70ap+1, -0x1.50043539d025ap-2, 0x1.4f2001eae9387p-1}, 0},
    {"CardanoNegatesForZeroR", {0, 1, 0, 1}, 0, {-0x1p-52}, 0}, // x^3 + x, R = 0
    {"Ferrari", {-2.3, 0.7, -3.1, 0.9, 1.3}, 0, {-0x1.0f893013943c8p+1, 0x1.64e4451ce9eaap+0}, 0},
    {"FerrariFourRoots1", {-1.3, 2.3, 1.9, -3.7, 0.7}, 0,
     {-0x1.8acc0842c937p-1, 0x1.1db105d730eep-1, 0x1.e5aeb0c237f22p-1, 0x1.2336aec7752f8p+2}, 0},
    {"FerrariFourRoots2", {-1.3, -3.7, 0.83, 3.1, 0.7}, 0,
     {-0x1.e3ba5db52baabp+1, -0x1.53975d854f601p+0, -0x1.6e843f963c8a4p-2, 0x1.08f64d677efcap+0}, 0},
    {"QuarticZeroConstant", {0, 0, -1, 0, 1}, 0,
     {-1, 0, 0x1.122bd195d6ec2p-18, 0x1.ffffddba825c7p-1}, 0},
    // Resolvent roots 2.2e-15, 9, 1 in that order: Ferrari takes 9, the first above 1e-14.
    {"FerrariSkipsTinyResolventRoot", {4, 1e-7, -5, 0, 1}, 0,
     {-0x1.000001915b205p+1, -0x1.fffff40451338p-1, 0x1.fffff522a5f17p-1, 0x1.00000149c5f0dp+1}, 0},
    {"QuinticExtrema", {0.1, -2.2, 0.4, 1.6, -0.5, 0.07}, 0,
     {-0x1.51a9d4d4f5ea8p-1, 0x1.5b2fb1d0aca1bp-1}, 0, true},
};
// clang-format on

class RootsTable : public ::testing::TestWithParam<RootsCase> {};

TEST_P(RootsTable, ReplaceOldContentsWithExpectedRoots) {
    const RootsCase& c = GetParam();
    std::vector<double> coefs = c.coefs;
    std::vector<double> roots = StaleRoots();
    if (c.extrema) {
        Polynomial(coefs).GetExtremaX(roots);
    } else {
        Polynomial(coefs).Solve(c.y, roots);
    }
    ExpectRootsNear(roots, c.expected, c.tolerance);
}

std::string CaseName(const ::testing::TestParamInfo<RootsCase>& info) {
    return info.param.name;
}
INSTANTIATE_TEST_SUITE_P(Solve, RootsTable, ::testing::ValuesIn(kSolveCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Extrema, RootsTable, ::testing::ValuesIn(kExtremaCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Bits, RootsTable, ::testing::ValuesIn(kBitsCases), CaseName);

TEST(PolynomialSolve, TripleRootAtZeroIsPositiveZero) {
    std::vector<double> cube{0, 0, 0, 1};
    std::vector<double> roots;
    Polynomial(cube).Solve(0.0, roots);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_FALSE(std::signbit(roots[0])); // real cube root of -R taken as pow(-R) for R <= 0
}

TEST(PolynomialSolvers, RootsComeInTheFormulasOrder) {
    PolynomialSolvers solvers;
    std::vector<double> roots = StaleRoots();
    solvers.SolveQuadratic({2, -3, 1}, roots);
    ExpectRootsNear(roots, {1, 2}, 0);
    solvers.SolveQuadratic({4, 0, -1}, roots); // negative leading coefficient: larger root first
    ExpectRootsNear(roots, {2, -2}, 0);
    solvers.SolveQuadratic({1, -2, 1}, roots);
    ExpectRootsNear(roots, {1}, 0);
    solvers.SolveQuadratic({1, 0, 1}, roots);
    EXPECT_TRUE(roots.empty());

    roots = StaleRoots();
    solvers.SolveCubic({-6, 11, -6, 1}, roots);
    ExpectRootsNear(roots, {1, 2.9999989786, 2.0000040855}, 1e-10);
    roots = StaleRoots();
    solvers.SolveQuartic({0, 0, -1, 0, 1}, roots); // r = 0: the cubic's roots, then the zero
    ExpectRootsNear(roots, {-1, 0.9999989786, 4.0855e-06, 0}, 1e-10);
    roots = StaleRoots();
    solvers.SolveQuartic({4, 0, -5, 0, 1}, roots);
    ExpectRootsNear(roots, {-1, 1, -2, 2}, 1e-15);
    roots = StaleRoots();
    solvers.SolveQuartic({30, -19, -15, 3, 1}, roots); // Ferrari: first factor, then second
    ExpectRootsNear(roots, {-5, 3, -2, 1}, 1e-9);

    std::vector<double> line{3, -2};
    EXPECT_EQ(solvers.SolveLinear(line), 1.5);
}

TEST(PolynomialSolvers, QuadraticDoubleRootThresholdIsStrict) {
    PolynomialSolvers solvers;
    // c1 * c1 with c0 = 0 makes sqrt(disc) == |c1| exactly (sqrt(x*x) == |x| in IEEE double).
    const double exact = 1e-14;
    const double below = std::nextafter(exact, 0.0);
    ASSERT_EQ(std::sqrt(exact * exact), exact);
    ASSERT_EQ(std::sqrt(below * below), below);
    std::vector<double> roots = StaleRoots();
    solvers.SolveQuadratic({0, exact, 1}, roots);
    ExpectRootsNear(roots, {-exact, 0}, 0);
    solvers.SolveQuadratic({0, below, 1}, roots);
    ExpectRootsNear(roots, {-below}, 0);
    // disc = 0 - 4 * (-2.5e-31) = 1e-30: sqrt 1e-15, one root.
    solvers.SolveQuadratic({-2.5e-31, 0, 1}, roots);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_NEAR(roots[0], -5e-16, 1e-30);
}

TEST(PolynomialSolvers, QuarticWithoutUsableResolventRootIsSolvedAsBiquadratic) {
    // y^4 + 1e-7 y - 1: q is not negligible, but the resolvent's only real root (2.5e-15, computed
    // as about 2.7e-15) is not above 1e-14. The q y term is then dropped: exactly -1 and 1, while
    // the true roots lie 2.5e-8 away; Ferrari with that inaccurate root would give about -+0.985.
    PolynomialSolvers solvers;
    std::vector<double> resolvent;
    solvers.SolveCubic({-1e-7 * 1e-7, 4, 0, 1}, resolvent); // {-q^2, p^2 - 4r, 2p, 1}
    ASSERT_EQ(resolvent.size(), 1u);
    ASSERT_GT(resolvent[0], 0.0);
    ASSERT_LE(resolvent[0], 1e-14);
    std::vector<double> roots = StaleRoots();
    solvers.SolveQuartic({-1, 1e-7, 0, 0, 1}, roots);
    ExpectRootsNear(roots, {-1, 1}, 0);
}

} // namespace
