// LU without pivoting: worked factor and solve, the strict pivot test with the partly factored
// state it leaves, and random diagonally dominant systems against LAPACK dgesv.
#include "SolverTestSupport.h"
#include "support/Lapack.h"

namespace {

using solvertest::MakeVector1;
using solvertest::OwnedMatrix;

OwnedMatrix& Fill(OwnedMatrix& a, std::initializer_list<double> rowMajor) {
    auto it = rowMajor.begin();
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            a[i][j] = *it++;
        }
    }
    return a;
}

void ExpectMatrixEq(const OwnedMatrix& a, std::initializer_list<double> rowMajor) {
    auto it = rowMajor.begin();
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            EXPECT_EQ(a[i][j], *it++) << "element " << i << "," << j;
        }
    }
}

TEST(LuDecomposition, WorkedTwoByTwoFactorAndSolve) {
    OwnedMatrix a(2, 2);
    Fill(a, {4, 3, 6, 3});
    const Matrix mat;
    ASSERT_TRUE(mat.LUDecomposition(a.get(), 2, 0));
    ExpectMatrixEq(a, {4, 0.75, 6, -1.5});
    auto b = MakeVector1(2);
    b[1] = 10;
    b[2] = 12;
    ASSERT_TRUE(mat.LUSolve(a.get(), b.data(), 2, 0));
    EXPECT_EQ(b[1], 1.0);
    EXPECT_EQ(b[2], 2.0);
}

TEST(LuDecomposition, ZeroLeadingPivotFailsAtOnceWithoutRowExchange) {
    OwnedMatrix a(2, 2);
    Fill(a, {0, 1, 1, 0});
    EXPECT_FALSE(Matrix().LUDecomposition(a.get(), 2, 0));
    ExpectMatrixEq(a, {0, 1, 1, 0});
}

TEST(LuDecomposition, VanishingLastPivotIsNotTestedAndSolveGoesNonFinite) {
    OwnedMatrix a(2, 2, 1.0);
    const Matrix mat;
    ASSERT_TRUE(mat.LUDecomposition(a.get(), 2, 0));
    auto b = MakeVector1(2, 1.0);
    ASSERT_TRUE(mat.LUSolve(a.get(), b.data(), 2, 0));
    EXPECT_FALSE(std::isfinite(b[1]));
    EXPECT_FALSE(std::isfinite(b[2]));
}

TEST(LuDecomposition, OneByOneChangesNothingAndSolveDivides) {
    OwnedMatrix a(1, 1, 1e-300); // below the tolerance, but a lone pivot is never a divisor
    const Matrix mat;
    ASSERT_TRUE(mat.LUDecomposition(a.get(), 1, 0));
    EXPECT_EQ(a[1][1], 1e-300);
    auto b = MakeVector1(1, 3e-300);
    ASSERT_TRUE(mat.LUSolve(a.get(), b.data(), 1, 0));
    EXPECT_EQ(b[1], 3e-300 / 1e-300);
}

// The pivot test is strict: exactly the tolerance passes, the next double below it fails.
// p sits in the second pivot, L(2,2) = 2p - p * 1 = p exactly, so the failure leaves row 1
// factored, row 2's L part computed (2p -> p) with column 3 as it was, and row 3 untouched.
TEST(LuDecomposition, PivotThresholdIsStrictAndFailureLeavesDocumentedRows) {
    const double tolerance = 1e-10;
    const double below = std::nextafter(tolerance, 0.0);
    const Matrix mat;
    for (double p : {tolerance, -tolerance, below, -below}) {
        SCOPED_TRACE(p);
        const bool passes = std::fabs(p) >= tolerance;
        OwnedMatrix first(3, 3), second(3, 3);
        Fill(first, {p, 1, 2, 3, 4, 5, 6, 7, 9});
        EXPECT_EQ(mat.LUDecomposition(first.get(), 3, 0), passes);
        Fill(second, {2, 2, 6, p, 2 * p, 5, 1, 3, 7});
        EXPECT_EQ(mat.LUDecomposition(second.get(), 3, 0), passes);
        if (!passes) {
            ExpectMatrixEq(first, {p, 1, 2, 3, 4, 5, 6, 7, 9});
            ExpectMatrixEq(second, {2, 1, 3, p, p, 5, 1, 3, 7});
        }
    }
}

TEST(LuDecomposition, NaNPivotPassesTheTest) {
    OwnedMatrix a(2, 2, 1.0);
    a[1][1] = std::nan("");
    EXPECT_TRUE(Matrix().LUDecomposition(a.get(), 2, 0));
}

class LuRandom : public testing::TestWithParam<long> {};

TEST_P(LuRandom, DiagonallyDominantSystemsAgreeWithLapack) {
    const long n = GetParam();
    std::mt19937_64 rng{static_cast<std::uint64_t>(100 + n)};
    OwnedMatrix a(n, n);
    solvertest::FillUniform(a, rng);
    for (long i = 1; i <= n; ++i) {
        a[i][i] += (i % 2 ? 1.0 : -1.0) * double(n);
    }
    auto b = MakeVector1(n);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (long i = 1; i <= n; ++i) {
        b[i] = dist(rng);
    }
    std::vector<double> col = solvertest::ColumnMajor(a), x(b.begin() + 1, b.end());
    std::vector<int> ipiv(static_cast<std::size_t>(n));
    const int ni = int(n), one = 1;
    int info = 0;
    dgesv_(&ni, &one, col.data(), &ni, ipiv.data(), x.data(), &ni, &info);
    ASSERT_EQ(info, 0);
    x.insert(x.begin(), 0.0);

    const Matrix mat;
    ASSERT_TRUE(mat.LUDecomposition(a.get(), n, 0));
    ASSERT_TRUE(mat.LUSolve(a.get(), b.data(), n, 0));
    solvertest::ExpectVectorsNear(b.data(), x.data(), n, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LuRandom, testing::Values(2L, 3L, 10L, 50L, 120L));

} // namespace
