// The least-squares SVD driver against LAPACK dgelss and against the properties a caller relies
// on: orthogonal V sorted by singular value, the rank rule, residuals, edge sizes, refusals.
#include "MatrixTestAccess.h"
#include "SvdTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using svdtest::OwnedMatrix;

// One driver call on copies of a and b (nb columns of b used).
struct SvdRun {
    SvdRun(const OwnedMatrix& a0, const OwnedMatrix& b0, double tolerance, long nb)
        : v(a0), b(b0), x(a0.cols(), b0.cols()), residual(std::size_t(b0.cols() + 1), -1.0),
          rank(a0.cols()) {
        result = Matrix().SingularValueDecomposition(v.get(), b.get(), x.get(), residual.data(),
                                                     a0.rows(), rank, nb, tolerance, converged);
    }
    SvdRun(const OwnedMatrix& a0, const OwnedMatrix& b0, double tolerance)
        : SvdRun(a0, b0, tolerance, b0.cols()) {}
    OwnedMatrix v, b, x;
    std::vector<double> residual;
    long rank;
    bool converged = false;
    bool result = false;
};

double ColumnSumOfSquares(const OwnedMatrix& b, long j) {
    double sum = 0.0;
    for (long i = 1; i <= b.rows(); ++i) {
        sum = sum + b(i, j) * b(i, j);
    }
    return sum;
}

struct Shape {
    long m, n, nb;
};

class AgainstDgelss : public ::testing::TestWithParam<Shape> {};

TEST_P(AgainstDgelss, SolutionResidualsAndSortedOrthogonalV) {
    const Shape shape = GetParam();
    std::mt19937_64 rng(std::uint64_t(shape.m * 1000 + shape.n));
    const OwnedMatrix a = svdtest::RandomMatrix(shape.m, shape.n, rng);
    const OwnedMatrix b = svdtest::RandomMatrix(shape.m, shape.nb, rng);
    const SvdRun run(a, b, 1e-12);
    const svdtest::DgelssResult lapack = svdtest::SolveWithDgelss(a, b, 1e-12);

    ASSERT_TRUE(run.result);
    EXPECT_TRUE(run.converged);
    EXPECT_EQ(run.rank, shape.n);
    svdtest::ExpectColumnsAgree(run.x, lapack.x, 1e-10);
    for (long j = 1; j <= shape.nb; ++j) {
        const double direct = svdtest::ResidualSumOfSquares(a, b, run.x, j);
        EXPECT_NEAR(run.residual[std::size_t(j)], direct, 1e-10 * ColumnSumOfSquares(b, j));
        if (shape.m == shape.n) {
            EXPECT_EQ(run.residual[std::size_t(j)], 0.0);
        }
    }
    svdtest::ExpectOrthogonal(run.v, shape.n, 1e-12);
    // ||a * v_i|| is the i-th singular value: checks V column by column and the ordering.
    for (long i = 1; i <= shape.n; ++i) {
        double norm2 = 0.0;
        for (long r = 1; r <= shape.m; ++r) {
            double dot = 0.0;
            for (long k = 1; k <= shape.n; ++k) {
                dot += a(r, k) * run.v(k, i);
            }
            norm2 += dot * dot;
        }
        EXPECT_NEAR(std::sqrt(norm2), lapack.s[std::size_t(i - 1)], 1e-10 * lapack.s[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(RandomFullRank, AgainstDgelss,
                         ::testing::Values(Shape{8, 8, 3}, Shape{12, 5, 2}, Shape{40, 10, 4},
                                           Shape{30, 1, 2}, Shape{7, 6, 1}, Shape{2, 2, 2},
                                           Shape{1000, 3, 1}));

struct RankCase {
    double tolerance;
    long rank;
    double solutionTolerance; // relative; grows with the condition of the kept singular values
};

class RankRule : public ::testing::TestWithParam<RankCase> {};

// Singular values 10, 4, 1, 1e-3, 1e-6: thresholds below, between and above them.
TEST_P(RankRule, CountsSingularValuesAboveTheThreshold) {
    const RankCase c = GetParam();
    std::mt19937_64 rng(7);
    const OwnedMatrix a = svdtest::MatrixWithSingularValues(9, {10, 4, 1, 1e-3, 1e-6}, rng);
    const OwnedMatrix b = svdtest::RandomMatrix(9, 2, rng);
    const SvdRun run(a, b, c.tolerance);
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.rank, c.rank);
    const svdtest::DgelssResult lapack = svdtest::SolveWithDgelss(a, b, std::fabs(c.tolerance));
    EXPECT_EQ(lapack.rank, c.rank);
    for (long j = 1; j <= 2; ++j) {
        const double direct = svdtest::ResidualSumOfSquares(a, b, run.x, j);
        EXPECT_NEAR(run.residual[std::size_t(j)], direct, 1e-10 * ColumnSumOfSquares(b, j));
    }
    if (c.rank == 0) {
        for (long j = 1; j <= 2; ++j) {
            EXPECT_NEAR(run.residual[std::size_t(j)], ColumnSumOfSquares(b, j), 1e-12);
            for (long i = 1; i <= 5; ++i) {
                EXPECT_EQ(run.x(i, j), 0.0);
            }
        }
    } else {
        svdtest::ExpectColumnsAgree(run.x, lapack.x, c.solutionTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Tolerances, RankRule,
                         ::testing::Values(RankCase{1e-9, 5, 1e-7}, RankCase{1e-5, 4, 1e-10},
                                           RankCase{1e-2, 3, 1e-10}, RankCase{-1e-2, 3, 1e-10},
                                           RankCase{0.5, 1, 1e-10}, RankCase{1.0, 0, 1e-10},
                                           RankCase{3.0, 0, 1e-10}));

// diag(1, 1e-16): the relative tolerance is never taken below 1e-15, so the second singular
// value is dropped whatever smaller tolerance is asked for.
TEST(SingularValueDecomposition, ToleranceBelowTheFloorActsAsTheFloor) {
    OwnedMatrix a(2, 2), b(2, 1);
    a(1, 1) = 1.0;
    a(2, 2) = 1e-16;
    b(1, 1) = b(2, 1) = 1.0;
    for (double tolerance : {0.0, 1e-17, -1e-16, 1e-300}) {
        const SvdRun run(a, b, tolerance);
        EXPECT_EQ(run.rank, 1) << tolerance;
        EXPECT_DOUBLE_EQ(run.residual[1], 1.0);
    }
}

TEST(SingularValueDecomposition, ZeroMatrixHasRankZero) {
    std::mt19937_64 rng(3);
    const OwnedMatrix a(5, 3), b = svdtest::RandomMatrix(5, 2, rng);
    const SvdRun run(a, b, 1e-12);
    ASSERT_TRUE(run.result);
    EXPECT_TRUE(run.converged);
    EXPECT_EQ(run.rank, 0);
    for (long j = 1; j <= 2; ++j) {
        EXPECT_EQ(run.residual[std::size_t(j)], ColumnSumOfSquares(b, j));
        for (long i = 1; i <= 3; ++i) {
            EXPECT_EQ(run.x(i, j), 0.0);
            EXPECT_EQ(run.v(i, j), i == j ? 1.0 : 0.0);
        }
    }
}

TEST(SingularValueDecomposition, OneByOneOfBothSigns) {
    for (double value : {-4.0, 4.0}) {
        OwnedMatrix a(1, 1), b(1, 2);
        a(1, 1) = value;
        b(1, 1) = 2.0;
        b(1, 2) = -6.0;
        const SvdRun run(a, b, 1e-12);
        EXPECT_EQ(run.v(1, 1), value < 0 ? -1.0 : 1.0);
        EXPECT_EQ(run.rank, 1);
        EXPECT_DOUBLE_EQ(run.x(1, 1), 2.0 / value);
        EXPECT_DOUBLE_EQ(run.x(1, 2), -6.0 / value);
        EXPECT_EQ(run.residual[1], 0.0);
        EXPECT_EQ(run.residual[2], 0.0);
    }
}

TEST(SingularValueDecomposition, ZeroFirstColumn) {
    std::mt19937_64 rng(11);
    OwnedMatrix a = svdtest::RandomMatrix(6, 3, rng);
    for (long i = 1; i <= 6; ++i) {
        a(i, 1) = 0.0;
    }
    const OwnedMatrix b = svdtest::RandomMatrix(6, 2, rng);
    const SvdRun run(a, b, 1e-12);
    EXPECT_EQ(run.rank, 2);
    svdtest::ExpectColumnsAgree(run.x, svdtest::SolveWithDgelss(a, b, 1e-12).x, 1e-10);
    // The first left reflection is the identity: the first diagonal element is exactly 0.
    OwnedMatrix a1(a), b1(b);
    std::vector<double> d(1001, -1.0), e(1001, -1.0);
    ASSERT_TRUE(MatrixTestAccess::SVDStep1(a1.get(), b1.get(), d.data(), e.data(), 6, 3, 2));
    EXPECT_EQ(d[1], 0.0);
    EXPECT_EQ(e[1], 0.0);
}

TEST(SingularValueDecomposition, NoRightHandSidesLeavesBXAndResidualAlone) {
    std::mt19937_64 rng(5);
    const OwnedMatrix a = svdtest::MatrixWithSingularValues(6, {3, 2, 1e-9}, rng);
    OwnedMatrix b(6, 2);
    for (long i = 1; i <= 6; ++i) {
        b(i, 1) = b(i, 2) = 42.0;
    }
    const SvdRun run(a, b, 1e-6, 0);
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.rank, 2);
    EXPECT_EQ(run.b.Values(), b.Values());
    EXPECT_EQ(run.x.Values(), OwnedMatrix(3, 2).Values());
    EXPECT_EQ(run.residual, std::vector<double>(3, -1.0));
    svdtest::ExpectOrthogonal(run.v, 3, 1e-12);
}

TEST(SingularValueDecomposition, RefusedSizesTouchNothing) {
    std::mt19937_64 rng(9);
    const OwnedMatrix a = svdtest::RandomMatrix(4, 4, rng), b = svdtest::RandomMatrix(4, 2, rng);
    for (const Shape s :
         {Shape{4, 0, 1}, Shape{4, -1, 1}, Shape{3, 4, 1}, Shape{1001, 2, 1}, Shape{4, 2, -1}}) {
        OwnedMatrix a1(a), b1(b), x(4, 2);
        std::vector<double> residual(3, -1.0);
        long n = s.n;
        bool converged = false;
        EXPECT_FALSE(Matrix().SingularValueDecomposition(
            a1.get(), b1.get(), x.get(), residual.data(), s.m, n, s.nb, 1e-12, converged));
        EXPECT_EQ(n, s.n);
        EXPECT_FALSE(converged);
        EXPECT_EQ(a1.Values(), a.Values());
        EXPECT_EQ(b1.Values(), b.Values());
        EXPECT_EQ(x.Values(), OwnedMatrix(4, 2).Values());
        EXPECT_EQ(residual, std::vector<double>(3, -1.0));
    }
}

TEST(SingularValueDecomposition, RepeatedCallsAreBitIdentical) {
    std::mt19937_64 rng(13);
    const OwnedMatrix a = svdtest::RandomMatrix(25, 9, rng), b = svdtest::RandomMatrix(25, 3, rng);
    const SvdRun first(a, b, 1e-12), second(a, b, 1e-12);
    EXPECT_EQ(first.v.Values(), second.v.Values());
    EXPECT_EQ(first.b.Values(), second.b.Values());
    EXPECT_EQ(first.x.Values(), second.x.Values());
    EXPECT_EQ(first.residual, second.residual);
}

TEST(SingularValueDecomposition, NaNInputReportsNonConvergenceAndCompletes) {
    std::mt19937_64 rng(17);
    OwnedMatrix a = svdtest::RandomMatrix(6, 4, rng);
    a(3, 2) = std::numeric_limits<double>::quiet_NaN();
    const SvdRun run(a, svdtest::RandomMatrix(6, 1, rng), 1e-12);
    EXPECT_TRUE(run.result);
    EXPECT_FALSE(run.converged);
    EXPECT_LE(run.rank, 4);
}

} // namespace
