// Polynomial and Equation: evaluation, derivative and copies; roots and extrema recovered from
// polynomials built out of known linear factors, each root also checked by P(root) ~ y; the
// documented special cases and unsorted solver orders; the bisection's documented results and
// its termination.
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Equation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using Values = std::vector<double>;

// Exposes the protected closed-form solvers; they never read the object's own coefficients.
class Solvers : public Polynomial {
public:
    using Polynomial::Polynomial;
    using Polynomial::SolveCubic;
    using Polynomial::SolveLinear;
    using Polynomial::SolveQuadratic;
    using Polynomial::SolveQuartic;
};

Polynomial Poly(Values coefs) {
    return Polynomial(coefs);
}

// Same length, and element i within tolerance of expected[i] (order matters).
void ExpectRoots(const Values& actual, const Values& expected, double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "root " << i;
    }
}

TEST(Polynomial, EvaluationDerivativeAndIndependentCopies) {
    EXPECT_EQ(Poly({5, 3, 0, 2}).GetY(-2.0), -17.0); // lowest power first
    EXPECT_EQ(Poly({}).GetY(3.0), 0.0);
    EXPECT_EQ(Poly({5, 3, 0, 2}).GetFirstDer(), (Values{3, 0, 6}));
    EXPECT_TRUE(Poly({7}).GetFirstDer().empty());
    Values coefs{1, 2, 3};
    Polynomial original(coefs);
    coefs[0] = 100.0; // the constructor copied
    Polynomial copy(original);
    copy = Values{0, 1};
    EXPECT_EQ(original.GetY(2.0), 17.0);
    EXPECT_EQ(copy.GetY(2.0), 2.0);
}

// Roots ascending in [-4, 4], one per bin of width 8 / k, so pairwise at least 0.5 apart. P is
// their product (Solve with y = 1.5 on P + 1.5), or for the extrema the antiderivative of it.
// Allowed error: lines and quadratics are exact to rounding; the cubic's angle offsets 6.28318
// and 12.56636 fall 5.3e-6 and 1.1e-5 short of 2pi and 4pi, moving roots by up to about 1.7e-5,
// and Ferrari's resolvent root carries the same error into the quartic's.
TEST(Polynomial, SolveAndExtremaRecoverKnownRoots) {
    std::mt19937 rng(20240611u);
    std::uniform_real_distribution<double> pick(0.125, 0.875);
    for (int trial = 0; trial < 400; ++trial) {
        const int k = 1 + trial % 4;
        Values expected, coefs{1.0}; // (x - r1)...(x - rk), lowest power first
        for (int i = 0; i < k; ++i) {
            expected.push_back(-4.0 + 8.0 / k * (i + pick(rng)));
            coefs.insert(coefs.begin(), 0.0);
            for (std::size_t j = 0; j + 1 < coefs.size(); ++j) {
                coefs[j] -= expected.back() * coefs[j + 1];
            }
        }
        SCOPED_TRACE(testing::Message() << "trial " << trial << ", degree " << k);
        const double tolerance = k >= 3 ? 2e-5 : 1e-12;
        Values shifted = coefs, antiderivative{0.0}, roots, extrema;
        shifted[0] += 1.5;
        for (std::size_t j = 0; j < coefs.size(); ++j) {
            antiderivative.push_back(coefs[j] / double(j + 1));
        }
        Polynomial p(shifted);
        p.Solve(1.5, roots);
        ExpectRoots(roots, expected, tolerance);
        for (const double r : roots) {
            double scale = 0.0; // sum |c_j| max(1, |r|)^j bounds |P| and |P'| / k near r
            for (std::size_t j = 0; j < coefs.size(); ++j) {
                scale += std::fabs(coefs[j]) * std::pow(std::max(1.0, std::fabs(r)), double(j));
            }
            EXPECT_NEAR(p.GetY(r), 1.5, (k >= 3 ? 1e-4 : 1e-14) * scale) << r;
        }
        Poly(antiderivative).GetExtremaX(extrema);
        ExpectRoots(extrema, expected, tolerance);
    }
}

// Documented results: Solve and GetExtremaX (ascending), and the closed forms' unsorted orders
// and thresholds (the solver chosen by the length); stale contents never survive.
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
        {kExtrema, {0, -3, 0, 1}, {-1, 1}},
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
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Values roots(5, 99.0);
        if (c.how == kSolve) {
            Poly(c.coefs).Solve(0.0, roots);
        } else if (c.how == kExtrema) {
            Poly(c.coefs).GetExtremaX(roots);
        } else if (c.coefs.size() == 3) {
            s.SolveQuadratic(c.coefs, roots);
        } else if (c.coefs.size() == 4) {
            s.SolveCubic(c.coefs, roots);
        } else {
            s.SolveQuartic(c.coefs, roots);
        }
        ExpectRoots(roots, c.expected, c.coefs[0] == -1 ? 0.0 : 2e-6);
    }
    Values line{3, -2};
    EXPECT_EQ(s.SolveLinear(line), 1.5);
}

double Bisect(double y, double x1, double x2, const Values& coefs) {
    return Equation::PolynomialBiSectionSolution(&y, &x1, &x2, coefs.data(),
                                                 unsigned(coefs.size() - 1));
}

// Horner over the given degree; the bisection's documented root and pass count, its first-end
// exit and its run without a sign change; its stops on a stalled bracket and non-finite ends.
TEST(Equation, HornerAndBisection) {
    const double coefs[] = {1, 2, 3}, x = 2.0;
    EXPECT_EQ(Equation::Polynomial(&x, coefs, 2), 17.0);
    EXPECT_EQ(Equation::Polynomial(&x, nullptr, 0x80000000u), 0.0); // negative as a 32-bit count
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
