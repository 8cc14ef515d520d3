// The least-squares SVD driver against LAPACK dgelss and against the properties a caller relies
// on: orthogonal V sorted by singular value, the rank rule, residuals, edge sizes, refusals.
#include "MatrixTestSupport.h"

#include <limits>

namespace {

using mtest::OwnedMatrix;

// Minimum-norm least-squares solution (n x nb), singular values and rank of LAPACK dgelss with
// its rank rule s[i] > rcond * s[1].
struct DgelssResult {
    OwnedMatrix x;
    std::vector<double> s;
    int rank;
};
DgelssResult SolveWithDgelss(const OwnedMatrix& a, const OwnedMatrix& b, double rcond) {
    int m = int(a.rows()), n = int(a.cols()), nb = int(b.cols()), lwork = 10 * (m + n + nb);
    int info = 0;
    std::vector<double> ac = a.ColumnMajor(), bc = b.ColumnMajor(), work(lwork);
    DgelssResult r{OwnedMatrix(n, nb), std::vector<double>(n), 0};
    dgelss_(&m, &n, &nb, ac.data(), &m, bc.data(), &m, r.s.data(), &rcond, &r.rank, work.data(),
            &lwork, &info);
    EXPECT_EQ(info, 0);
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= nb; ++j) {
            r.x[i][j] = bc[(j - 1) * m + i - 1];
        }
    }
    return r;
}

// One driver call on copies of a and b: all their rows, columns and right-hand sides, or those
// given.
struct SvdRun {
    SvdRun(const OwnedMatrix& a0, const OwnedMatrix& b0, double tolerance)
        : SvdRun(a0, b0, tolerance, b0.cols(), a0.rows(), a0.cols()) {}
    SvdRun(const OwnedMatrix& a0, const OwnedMatrix& b0, double tolerance, long nb, long m, long n)
        : v(a0), b(b0), x(a0.cols(), b0.cols()), residual(b0.cols() + 1, -1.0), rank(n) {
        result = Matrix().SingularValueDecomposition(v.get(), b.get(), x.get(), residual.data(), m,
                                                     rank, nb, tolerance, converged);
    }
    OwnedMatrix v, b, x;
    std::vector<double> residual;
    long rank;
    bool converged = false, result = false;
};

double ColumnSumOfSquares(const OwnedMatrix& b, long j) {
    double sum = 0.0;
    for (long i = 1; i <= b.rows(); ++i) {
        sum = sum + b[i][j] * b[i][j];
    }
    return sum;
}

// residual[j] = ||b_j - a x_j||^2, the latter in long double, to 1e-10 of ||b_j||^2.
void ExpectResidualsAreMisfits(const SvdRun& run, const OwnedMatrix& a, const OwnedMatrix& b) {
    for (long j = 1; j <= b.cols(); ++j) {
        long double sum = 0.0L;
        for (long i = 1; i <= a.rows(); ++i) {
            long double r = b[i][j];
            for (long k = 1; k <= a.cols(); ++k) {
                r -= static_cast<long double>(a[i][k]) * run.x[k][j];
            }
            sum += r * r;
        }
        EXPECT_NEAR(run.residual[j], double(sum), 1e-10 * ColumnSumOfSquares(b, j)) << j;
    }
}

struct Shape {
    long m, n, nb;
};

class AgainstDgelss : public ::testing::TestWithParam<Shape> {};

TEST_P(AgainstDgelss, SolutionResidualsAndSortedOrthogonalV) {
    const auto [m, n, nb] = GetParam();
    std::mt19937_64 rng(std::uint64_t(m * 1000 + n));
    const OwnedMatrix a = mtest::RandomMatrix(m, n, rng), b = mtest::RandomMatrix(m, nb, rng);
    const SvdRun run(a, b, 1e-12), again(a, b, 1e-12);
    const DgelssResult lapack = SolveWithDgelss(a, b, 1e-12);
    ASSERT_TRUE(run.result);
    EXPECT_TRUE(run.converged);
    EXPECT_EQ(run.rank, n);
    mtest::ExpectColumnsNear(run.x, lapack.x, 1e-10);
    ExpectResidualsAreMisfits(run, a, b);
    for (long j = 1; j <= nb && m == n; ++j) {
        EXPECT_EQ(run.residual[j], 0.0);
    }
    mtest::ExpectOrthonormalColumns(run.v.get(), n, n, 1e-12);
    // ||a v_i|| is the i-th singular value: checks V column by column and the ordering.
    for (long i = 1; i <= n; ++i) {
        double norm2 = 0.0;
        for (long r = 1; r <= m; ++r) {
            double dot = 0.0;
            for (long k = 1; k <= n; ++k) {
                dot += a[r][k] * run.v[k][i];
            }
            norm2 += dot * dot;
        }
        EXPECT_NEAR(std::sqrt(norm2), lapack.s[i - 1], 1e-10 * lapack.s[0]);
    }
    // The same input gives the same bits on every call.
    EXPECT_EQ(run.v.Values(), again.v.Values());
    EXPECT_EQ(run.b.Values(), again.b.Values());
    EXPECT_EQ(run.x.Values(), again.x.Values());
    EXPECT_EQ(run.residual, again.residual);
}

INSTANTIATE_TEST_SUITE_P(RandomFullRank, AgainstDgelss,
                         ::testing::Values(Shape{8, 8, 3}, Shape{12, 5, 2}, Shape{40, 10, 4},
                                           Shape{30, 1, 2}, Shape{7, 6, 1}, Shape{2, 2, 2},
                                           Shape{1000, 3, 1}));

// Singular values 10, 4, 1, 1e-3, 1e-6 with thresholds below, between and above them; the
// solution tolerance grows with the condition of the kept singular values.
TEST(SingularValueDecomposition, RankRuleAgainstDgelss) {
    const double cases[][3] = {// tolerance, rank, relative solution tolerance
                               {1e-9, 5, 1e-7},   {1e-5, 4, 1e-10}, {1e-2, 3, 1e-10},
                               {-1e-2, 3, 1e-10}, {0.5, 1, 1e-10},  {1.0, 0, 0},
                               {3.0, 0, 0}};
    std::mt19937_64 rng(7);
    const OwnedMatrix a = mtest::MatrixWithSingularValues(9, {10, 4, 1, 1e-3, 1e-6}, rng);
    const OwnedMatrix b = mtest::RandomMatrix(9, 2, rng);
    for (const auto& [tolerance, rank, solutionTolerance] : cases) {
        SCOPED_TRACE(tolerance);
        const SvdRun run(a, b, tolerance);
        ASSERT_TRUE(run.result);
        EXPECT_EQ(run.rank, long(rank));
        const DgelssResult lapack = SolveWithDgelss(a, b, std::fabs(tolerance));
        EXPECT_EQ(lapack.rank, int(rank));
        ExpectResidualsAreMisfits(run, a, b);
        if (rank > 0) {
            mtest::ExpectColumnsNear(run.x, lapack.x, solutionTolerance);
            continue;
        }
        EXPECT_EQ(run.x.Values(), OwnedMatrix(5, 2).Values());
        for (long j = 1; j <= 2; ++j) {
            EXPECT_NEAR(run.residual[j], ColumnSumOfSquares(b, j), 1e-12);
        }
    }
}

// diag(1, 1e-16): the relative tolerance is never taken below 1e-15, so the second singular
// value is dropped whatever smaller tolerance is asked for.
TEST(SingularValueDecomposition, ToleranceBelowTheFloorActsAsTheFloor) {
    const OwnedMatrix a(2, 2, {1.0, 0.0, 0.0, 1e-16}), b(2, 1, 1.0);
    for (double tolerance : {0.0, 1e-17, -1e-16, 1e-300}) {
        const SvdRun run(a, b, tolerance);
        EXPECT_EQ(run.rank, 1) << tolerance;
        EXPECT_DOUBLE_EQ(run.residual[1], 1.0);
    }
}

// Whatever the tolerance, an infinite or NaN one included (whose product with the largest
// singular value 0 is NaN).
TEST(SingularValueDecomposition, ZeroMatrixHasRankZero) {
    std::mt19937_64 rng(3);
    const OwnedMatrix a(5, 3), b = mtest::RandomMatrix(5, 2, rng);
    for (const double tolerance : {1e-12, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        SCOPED_TRACE(tolerance);
        const SvdRun run(a, b, tolerance);
        ASSERT_TRUE(run.result);
        EXPECT_TRUE(run.converged);
        EXPECT_EQ(run.rank, 0);
        EXPECT_EQ(run.x.Values(), OwnedMatrix(3, 2).Values());
        for (long j = 1; j <= 2; ++j) {
            EXPECT_EQ(run.residual[j], ColumnSumOfSquares(b, j));
        }
        const std::vector<double> v = run.v.Values(); // rows 1..3 hold V
        EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 9), mtest::Identity(3).Values());
    }
}

// A well-conditioned matrix moved by 2^k far out of the range whose squares a double holds
// gives the same V, rank and residuals bit for bit, and the solution and the scaled rows of b
// multiplied by exactly 2^-k (the scaling is by powers of two, which the method commutes with).
TEST(SingularValueDecomposition, MatricesBeyondTheSquaredRangeAreScaledExactly) {
    std::mt19937_64 rng(23);
    const OwnedMatrix a = mtest::MatrixWithSingularValues(7, {2.0, 1.0, 0.5, 0.25}, rng);
    const OwnedMatrix b = mtest::RandomMatrix(7, 2, rng);
    const SvdRun reference(a, b, 1e-12);
    ASSERT_TRUE(reference.converged);
    for (const int k : {1020, 600, 510, -512, -700, -1000}) {
        SCOPED_TRACE(k);
        OwnedMatrix scaled(a);
        for (long i = 1; i <= 7; ++i) {
            for (long j = 1; j <= 4; ++j) {
                scaled[i][j] = std::ldexp(a[i][j], k);
            }
        }
        const SvdRun run(scaled, b, 1e-12);
        EXPECT_TRUE(run.converged);
        EXPECT_EQ(run.rank, 4);
        EXPECT_EQ(run.residual, reference.residual);
        for (long i = 1; i <= 4; ++i) {
            for (long j = 1; j <= 4; ++j) {
                EXPECT_EQ(run.v[i][j], reference.v[i][j]);
            }
            for (long j = 1; j <= 2; ++j) {
                EXPECT_EQ(run.x[i][j], std::ldexp(reference.x[i][j], -k));
                EXPECT_EQ(run.b[i][j], std::ldexp(reference.b[i][j], -k));
            }
        }
    }
}

TEST(SingularValueDecomposition, OneByOneOfBothSigns) {
    for (double value : {-4.0, 4.0}) {
        const SvdRun run(OwnedMatrix(1, 1, value), OwnedMatrix(1, 2, {2.0, -6.0}), 1e-12);
        EXPECT_EQ(run.v[1][1], value < 0 ? -1.0 : 1.0);
        EXPECT_EQ(run.rank, 1);
        EXPECT_DOUBLE_EQ(run.x[1][1], 2.0 / value);
        EXPECT_DOUBLE_EQ(run.x[1][2], -6.0 / value);
        EXPECT_EQ(run.residual, (std::vector<double>{-1.0, 0.0, 0.0}));
    }
}

TEST(SingularValueDecomposition, ZeroFirstColumn) {
    std::mt19937_64 rng(11);
    OwnedMatrix a = mtest::RandomMatrix(6, 3, rng);
    for (long i = 1; i <= 6; ++i) {
        a[i][1] = 0.0;
    }
    const OwnedMatrix b = mtest::RandomMatrix(6, 2, rng);
    const SvdRun run(a, b, 1e-12);
    EXPECT_EQ(run.rank, 2);
    mtest::ExpectColumnsNear(run.x, SolveWithDgelss(a, b, 1e-12).x, 1e-10);
    // The first left reflection is the identity: the first diagonal element is exactly 0.
    OwnedMatrix a1(a), b1(b);
    std::vector<double> d(1001, -1.0), e(1001, -1.0);
    ASSERT_TRUE(MatrixTestAccess::SVDStep1(a1.get(), b1.get(), d.data(), e.data(), 6, 3, 2));
    EXPECT_EQ(d[1], 0.0);
    EXPECT_EQ(e[1], 0.0);
}

TEST(SingularValueDecomposition, NoRightHandSidesLeavesBXAndResidualAlone) {
    std::mt19937_64 rng(5);
    const OwnedMatrix a = mtest::MatrixWithSingularValues(6, {3, 2, 1e-9}, rng), b(6, 2, 42.0);
    const SvdRun run(a, b, 1e-6, 0, 6, 3);
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.rank, 2);
    EXPECT_EQ(run.b.Values(), b.Values());
    EXPECT_EQ(run.x.Values(), OwnedMatrix(3, 2).Values());
    EXPECT_EQ(run.residual, std::vector<double>(3, -1.0));
    mtest::ExpectOrthonormalColumns(run.v.get(), 3, 3, 1e-12);
}

TEST(SingularValueDecomposition, RefusedSizesTouchNothing) {
    std::mt19937_64 rng(9);
    const OwnedMatrix a = mtest::RandomMatrix(4, 4, rng), b = mtest::RandomMatrix(4, 2, rng);
    for (const auto& [m, n, nb] :
         {Shape{4, 0, 1}, Shape{4, -1, 1}, Shape{3, 4, 1}, Shape{1001, 2, 1}, Shape{4, 2, -1}}) {
        const SvdRun run(a, b, 1e-12, nb, m, n);
        EXPECT_FALSE(run.result);
        EXPECT_EQ(run.rank, n);
        EXPECT_FALSE(run.converged);
        EXPECT_EQ(run.v.Values(), a.Values());
        EXPECT_EQ(run.b.Values(), b.Values());
        EXPECT_EQ(run.x.Values(), OwnedMatrix(4, 2).Values());
        EXPECT_EQ(run.residual, std::vector<double>(3, -1.0));
    }
}

TEST(SingularValueDecomposition, NaNInputReportsNonConvergenceAndCompletes) {
    std::mt19937_64 rng(17);
    OwnedMatrix a = mtest::RandomMatrix(6, 4, rng);
    a[3][2] = std::numeric_limits<double>::quiet_NaN();
    const SvdRun run(a, mtest::RandomMatrix(6, 1, rng), 1e-12);
    EXPECT_TRUE(run.result);
    EXPECT_FALSE(run.converged);
    EXPECT_LE(run.rank, 4);
}

} // namespace
