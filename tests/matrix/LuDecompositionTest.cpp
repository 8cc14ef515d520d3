// LU without pivoting: worked factor and solve, the strict pivot test with the partly factored
// state it leaves, the untested pivots, and random diagonally dominant systems against dgesv.
#include "MatrixTestSupport.h"

namespace {

using mtest::OwnedMatrix;
using Values = std::vector<double>;

TEST(LuDecomposition, WorkedTwoByTwoFactorAndSolve) {
    OwnedMatrix a(2, 2, {4, 3, 6, 3});
    const Matrix mat;
    ASSERT_TRUE(mat.LUDecomposition(a.get(), 2, 0));
    EXPECT_EQ(a.Values(), (Values{4, 0.75, 6, -1.5}));
    Values b = {0, 10, 12};
    ASSERT_TRUE(mat.LUSolve(a.get(), b.data(), 2, 0));
    EXPECT_EQ(b, (Values{0, 1, 2}));
}

TEST(LuDecomposition, ZeroLeadingPivotFailsAtOnceWithoutRowExchange) {
    OwnedMatrix a(2, 2, {0, 1, 1, 0});
    EXPECT_FALSE(Matrix().LUDecomposition(a.get(), 2, 0));
    EXPECT_EQ(a.Values(), (Values{0, 1, 1, 0}));
}

// Only pivots with columns to their right are tested: the vanishing last pivot of ((1,1),(1,1))
// and a lone 1 x 1 pivot of 1e-300 pass (the solve then divides by them), as does a NaN pivot.
TEST(LuDecomposition, UntestedAndNaNPivotsPass) {
    const Matrix mat;
    OwnedMatrix ones(2, 2, 1.0), tiny(1, 1, 1e-300), nan(2, 2, {std::nan(""), 1, 1, 1});
    ASSERT_TRUE(mat.LUDecomposition(ones.get(), 2, 0));
    ASSERT_TRUE(mat.LUDecomposition(tiny.get(), 1, 0));
    EXPECT_TRUE(mat.LUDecomposition(nan.get(), 2, 0));
    EXPECT_EQ(tiny[1][1], 1e-300);
    Values b = {0, 1, 1}, c = {0, 3e-300};
    ASSERT_TRUE(mat.LUSolve(ones.get(), b.data(), 2, 0));
    EXPECT_FALSE(std::isfinite(b[1]));
    EXPECT_FALSE(std::isfinite(b[2]));
    ASSERT_TRUE(mat.LUSolve(tiny.get(), c.data(), 1, 0));
    EXPECT_EQ(c[1], 3e-300 / 1e-300);
}

// The pivot test is strict: exactly the tolerance passes, the next double below it fails.
// p sits in the second pivot, L(2,2) = 2p - p * 1 = p exactly, so the failure leaves row 1
// factored, row 2's L part computed (2p -> p) with column 3 as it was, and row 3 untouched.
TEST(LuDecomposition, PivotThresholdIsStrictAndFailureLeavesDocumentedRows) {
    const double tolerance = 1e-10, below = std::nextafter(tolerance, 0.0);
    for (double p : {tolerance, -tolerance, below, -below}) {
        SCOPED_TRACE(p);
        const bool passes = std::fabs(p) >= tolerance;
        OwnedMatrix first(3, 3, {p, 1, 2, 3, 4, 5, 6, 7, 9});
        OwnedMatrix second(3, 3, {2, 2, 6, p, 2 * p, 5, 1, 3, 7});
        EXPECT_EQ(Matrix().LUDecomposition(first.get(), 3, 0), passes);
        EXPECT_EQ(Matrix().LUDecomposition(second.get(), 3, 0), passes);
        if (!passes) {
            EXPECT_EQ(first.Values(), (Values{p, 1, 2, 3, 4, 5, 6, 7, 9}));
            EXPECT_EQ(second.Values(), (Values{2, 1, 3, p, p, 5, 1, 3, 7}));
        }
    }
}

TEST(LuDecomposition, DiagonallyDominantSystemsAgreeWithLapack) {
    const Matrix mat;
    for (long n : {2L, 3L, 10L, 50L, 120L}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng{static_cast<std::uint64_t>(100 + n)};
        OwnedMatrix a = mtest::RandomMatrix(n, n, rng);
        const OwnedMatrix rhs = mtest::RandomMatrix(n, 1, rng);
        Values b(n + 1);
        for (long i = 1; i <= n; ++i) {
            a[i][i] += (i % 2 ? 1.0 : -1.0) * double(n);
            b[i] = rhs[i][1];
        }
        const Values x = mtest::SolveWithDgesv(a.ColumnMajor(), b);
        ASSERT_TRUE(mat.LUDecomposition(a.get(), n, 0));
        ASSERT_TRUE(mat.LUSolve(a.get(), b.data(), n, 0));
        mtest::ExpectVectorsNear(b.data(), x.data(), n, 1e-12);
    }
}

} // namespace
