// Polynomial and Equation against known roots and the documented cases (exact bits: the identity).
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Equation.h"
#include "PolynomialSolvers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using Values = std::vector<double>;

Polynomial Poly(Values coefs) {
    return Polynomial(coefs);
}

void ExpectRoots(const Values& actual, const Values& expected, double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "root " << i;
    }
}

// Roots ascending in [-4, 4], at least 0.5 apart, of P + 1.5 = 1.5 and as extrema of P's integral;
// degrees 3 and 4 miss by up to 1.7e-5 (the cubic's 6.28318 and 12.56636 are not 2pi and 4pi).
TEST(Polynomial, SolveAndExtremaRecoverKnownRoots) {
    std::mt19937 rng(20240611u);
    std::uniform_real_distribution<double> pick(0.125, 0.875);
    for (int trial = 0; trial < 400; ++trial) {
        const int k = 1 + trial % 4;
        Values expected, coefs{1.0}; // (x - r1)...(x - rk), lowest power first
        for (int i = 0; i < k; ++i) {
            expected.push_back(-4.0 + 8.0 / k * (i + pick(rng)));
            Multiply(coefs, {-expected.back(), 1.0});
        }
        SCOPED_TRACE(testing::Message() << "trial " << trial << ", degree " << k);
        const double tolerance = k >= 3 ? 2e-5 : 1e-12;
        Values shifted = coefs, antiderivative{0.0}, roots, extrema;
        shifted[0] += 1.5;
        for (std::size_t j = 0; j < coefs.size(); ++j) {
            antiderivative.push_back(coefs[j] / double(j + 1));
        }
        Poly(shifted).Solve(1.5, roots);
        ExpectRoots(roots, expected, tolerance);
        Poly(antiderivative).GetExtremaX(extrema);
        ExpectRoots(extrema, expected, tolerance);
    }
}

// Solve, GetExtremaX (ascending), the closed forms' unsorted orders and thresholds; no stale
// roots survive; the constructor and copies take their own coefficients.
TEST(Polynomial, DocumentedCases) {
    enum How { kSolve, kExtrema, kClosedForm };
    const double exact = 1e-14, below = std::nextafter(exact, 0.0); // sqrt(disc) == |c1| here
    const struct {
        How how;
        Values coefs, expected;
    } cases[] = {
        {kSolve, {2, -3, 0, 1}, {-2, 1}},                   // double root once
        {kSolve, {0, 0, 0, 1}, {0}},                        // triple root once
        {kSolve, {0, 0, -1, 0, 1}, {-1, 0, 4.0855e-06, 1}}, // r = 0: the cubic's, then 0
        {kSolve, {1, 0, 0, 0, 1}, {}},
        {kExtrema, {0, -3, 0, 1, 0, 1e-40}, {-1, 1}}, // tiny top term trimmed
        {kClosedForm, {4, 0, -1}, {2, -2}}, // negative leading coefficient: larger root first
        {kClosedForm, {0, exact, 1}, {-exact, 0}},
        {kClosedForm, {0, below, 1}, {-below}},
        {kClosedForm, {-6, 11, -6, 1}, {1, 2.9999989786, 2.0000040855}},
        {kClosedForm, {4, 0, -5, 0, 1}, {-1, 1, -2, 2}},
        {kClosedForm, {30, -19, -15, 3, 1}, {-5, 3, -2, 1}}, // Ferrari: first factor first
        // y^4 + 1e-7 y - 1: no resolvent root above 1e-14, so the biquadratic, exactly -1, 1.
        {kClosedForm, {-1, 1e-7, 0, 0, 1}, {-1, 1}},
    };
    Values none;
    Solvers s(none);
    void (Polynomial::*const closedForm[])(const Values&, Values&) = {
        &Solvers::SolveQuadratic, &Solvers::SolveCubic, &Solvers::SolveQuartic};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Values roots(5, 99.0);
        if (c.how == kSolve) {
            Poly(c.coefs).Solve(0.0, roots);
        } else if (c.how == kExtrema) {
            Poly(c.coefs).GetExtremaX(roots);
        } else {
            (s.*closedForm[c.coefs.size() - 3])(c.coefs, roots);
        }
        ExpectRoots(roots, c.expected, c.coefs[0] == -1 ? 0.0 : 2e-6);
    }
    Values line{3, -2};
    EXPECT_EQ(s.SolveLinear(line), 1.5);
    Polynomial original(line);
    line[0] = 100.0;
    Polynomial copy(original);
    copy = Values{0, 1};
    EXPECT_EQ(original.GetY(2.0), -1.0);
    EXPECT_EQ(copy.GetY(2.0), 2.0);
}

double Bisect(double y, double a, double b, const Values& c) {
    return Equation::PolynomialBiSectionSolution(&y, &a, &b, c.data(), unsigned(c.size() - 1));
}

// The bisection's root and pass count, its first-end exit, its run without a sign change, and its
// stops on a stalled bracket and non-finite ends.
TEST(Equation, Bisection) {
    const Values square{-2, 0, 1};
    for (const double root : {Bisect(0.0, 0.0, 2.0, square), Bisect(0.0, 2.0, 0.0, square)}) {
        EXPECT_NEAR(root, 1.41421356238, 5e-12);
        EXPECT_EQ(std::fmod(std::ldexp(root, 29), 2.0), 1.0); // the midpoint of pass 30
    }
    EXPECT_EQ(Bisect(0.0, 1.0, 3.0, {-1, 1}), 1.0);
    EXPECT_EQ(Bisect(0.0, 0.0, 2.0, {1.0}), 1.9999999995343387);        // 32 passes
    const double big = std::ldexp(1.0, 30), ulp = std::ldexp(1.0, -22); // spacing at 2^30
    EXPECT_NEAR(Bisect(0.0, big, big + 1.0, {1.0}), big + 1.0, ulp);
    EXPECT_NEAR(Bisect(0.0, big + 1.0, big, {1.0}), big, ulp);
    const double between = Bisect(ulp / 2, big - 1.0, big + 1.0, {-big, 1}); // no double hits it
    EXPECT_TRUE(between == big || between == big + ulp) << between;
    EXPECT_TRUE(std::isnan(Bisect(0.0, std::nan(""), 2.0, square)));
    EXPECT_FALSE(std::isfinite(Bisect(0.0, 1e308, 1.5e308, square))); // the ends' sum overflows
    EXPECT_EQ(Bisect(std::nan(""), 0.0, 2.0, square), 1.9999999995343387); // to the width test
}

} // namespace
