// The private steps of the least-squares SVD on crafted input: the bidiagonalisation of diagonal
// and two-column matrices, the sweeps on a bidiagonal that cannot converge, the ordering rule.
#include "MatrixTestAccess.h"
#include "SvdTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using svdtest::OwnedMatrix;

OwnedMatrix Identity(long n) {
    OwnedMatrix v(n, n);
    for (long i = 1; i <= n; ++i) {
        v(i, i) = 1.0;
    }
    return v;
}

// Row i of b holds (i, 10 i): a tag that shows where every row went.
OwnedMatrix TaggedRows(long m) {
    OwnedMatrix b(m, 2);
    for (long i = 1; i <= m; ++i) {
        b(i, 1) = double(i);
        b(i, 2) = 10.0 * i;
    }
    return b;
}

// diag(3, -2, 5), square or with a zero row below: every row reflection is the identity, each
// left reflection only flips the sign of its diagonal element and of its row of b; the last
// column of a square matrix gets no left reflection at all.
TEST(SVDStep1, DiagonalInputSquareAndWithOneMoreRow) {
    const double diagonal[] = {0.0, 3.0, -2.0, 5.0};
    for (long m : {3L, 4L}) {
        OwnedMatrix a(m, 3), b = TaggedRows(m);
        for (long k = 1; k <= 3; ++k) {
            a(k, k) = diagonal[k];
        }
        std::vector<double> d(1001, -1.0), e(1001, -1.0);
        ASSERT_TRUE(MatrixTestAccess::SVDStep1(a.get(), b.get(), d.data(), e.data(), m, 3, 2));
        for (long k = 1; k <= 3; ++k) {
            const bool reflected = k < 3 || m > 3;
            EXPECT_DOUBLE_EQ(d[std::size_t(k)], reflected ? -diagonal[k] : diagonal[k]) << m;
            EXPECT_EQ(e[std::size_t(k)], 0.0);
            EXPECT_DOUBLE_EQ(b(k, 1), reflected ? -double(k) : double(k));
            EXPECT_DOUBLE_EQ(b(k, 2), reflected ? -10.0 * k : 10.0 * k);
        }
        for (long i = 1; i <= 3; ++i) {
            for (long j = 1; j <= 3; ++j) {
                EXPECT_EQ(a(i, j), i == j ? 1.0 : 0.0) << "V at " << i << ", " << j;
            }
        }
    }
}

TEST(SVDStep1, TwoColumnsNeedNoRowReflection) {
    std::mt19937_64 rng(21);
    OwnedMatrix a = svdtest::RandomMatrix(4, 2, rng), b = svdtest::RandomMatrix(4, 1, rng);
    std::vector<double> d(1001), e(1001);
    ASSERT_TRUE(MatrixTestAccess::SVDStep1(a.get(), b.get(), d.data(), e.data(), 4, 2, 1));
    EXPECT_EQ(a(1, 1), 1.0);
    EXPECT_EQ(a(1, 2), 0.0);
    EXPECT_EQ(a(2, 1), 0.0);
    EXPECT_EQ(a(2, 2), 1.0);
}

TEST(SVDStep1, NoColumnsReturnsFalseAndWritesNothing) {
    OwnedMatrix a(2, 2), b(2, 1);
    std::vector<double> d(1001, -1.0), e(1001, -1.0);
    EXPECT_FALSE(MatrixTestAccess::SVDStep1(a.get(), b.get(), d.data(), e.data(), 2, 0, 1));
    EXPECT_EQ(d, std::vector<double>(1001, -1.0));
    EXPECT_EQ(e, std::vector<double>(1001, -1.0));
}

// A NaN in the superdiagonal of the block 2..4 defeats every split test there, so the sweeps
// run into their limit; the block 1 above the zero e[2] is still finished: its negative d[1]
// is made positive together with column 1 of V, which no rotation of the block touches.
TEST(SVDStep2, SweepLimitReportsNonConvergenceAndCompletes) {
    OwnedMatrix v = Identity(4), b = TaggedRows(4);
    std::vector<double> d = {0.0, -1.0, 2.0, 3.0, 4.0};
    std::vector<double> e = {0.0, 0.0, 0.0, std::numeric_limits<double>::quiet_NaN(), 1.0};
    bool converged = true;
    ASSERT_TRUE(
        MatrixTestAccess::SVDStep2(v.get(), b.get(), d.data(), e.data(), 4, 4, 2, converged));
    EXPECT_FALSE(converged);
    EXPECT_EQ(d[1], 1.0);
    for (long r = 1; r <= 4; ++r) {
        EXPECT_EQ(v(r, 1), r == 1 ? -1.0 : 0.0);
        EXPECT_FALSE(d[std::size_t(r)] < 0.0);
    }
    EXPECT_EQ(b(1, 1), 1.0);
    EXPECT_EQ(b(1, 2), 10.0);
}

TEST(SVDStep2, DiagonalInputOnlyChangesSigns) {
    OwnedMatrix v = Identity(3), b = TaggedRows(3);
    std::vector<double> d = {0.0, 2.0, -3.0, 1.0}, e(4, 0.0);
    bool converged = false;
    ASSERT_TRUE(
        MatrixTestAccess::SVDStep2(v.get(), b.get(), d.data(), e.data(), 3, 3, 2, converged));
    EXPECT_TRUE(converged);
    EXPECT_EQ(d, (std::vector<double>{0.0, 2.0, 3.0, 1.0}));
    EXPECT_EQ(v(2, 2), -1.0);
    EXPECT_EQ(v(1, 1), 1.0);
    EXPECT_EQ(b.Values(), TaggedRows(3).Values());
}

// B0 = Q * diag(d) * V^T after the sweeps, with Q^T found in b (which started as the identity):
// each rotation must reach V and b on the right side and in the right order. Each bidiagonal
// (d, e) is 1-based with e[i] at (i - 1, i).
struct Bidiagonal {
    std::vector<double> d, e;
};

class SVDStep2Reconstruction : public ::testing::TestWithParam<Bidiagonal> {};

TEST_P(SVDStep2Reconstruction, RotationsKeepTheFactorisation) {
    const long n = long(GetParam().d.size()) - 1;
    std::vector<double> d = GetParam().d, e = GetParam().e;
    OwnedMatrix v = Identity(n), qt = Identity(n);
    bool converged = false;
    ASSERT_TRUE(
        MatrixTestAccess::SVDStep2(v.get(), qt.get(), d.data(), e.data(), n, n, n, converged));
    EXPECT_TRUE(converged);
    svdtest::ExpectOrthogonal(v, n, 1e-14);
    svdtest::ExpectOrthogonal(qt, n, 1e-14);
    for (long i = 1; i <= n; ++i) {
        EXPECT_GE(d[std::size_t(i)], 0.0);
        for (long j = 1; j <= n; ++j) {
            double sum = 0.0;
            for (long t = 1; t <= n; ++t) {
                sum += qt(t, i) * d[std::size_t(t)] * v(j, t);
            }
            const double expected = i == j       ? GetParam().d[std::size_t(i)]
                                    : j == i + 1 ? GetParam().e[std::size_t(j)]
                                                 : 0.0;
            EXPECT_NEAR(sum, expected, 1e-13) << i << ", " << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bidiagonals, SVDStep2Reconstruction,
    ::testing::Values(Bidiagonal{{0, 3, 4, 0}, {0, 0, 1, 2}}, // negligible bottom d[k]
                      Bidiagonal{{0, 3, 0, 4}, {0, 0, 1, 2}}, // negligible interior d
                      Bidiagonal{{0, 1, -2, 3, 0.5}, {0, 0, 0.7, -1.5, 2}}, // plain sweeps
                      Bidiagonal{{0, 2, 1, -3}, {0, 0, 1, 0}})); // e[n] = 0 splits at once

struct OrderingCase {
    std::vector<double> d;  // 1-based, d[0] unused
    std::vector<long> from; // from[i]: original position of the value now at i
};

class SVDStep3Ordering : public ::testing::TestWithParam<OrderingCase> {};

TEST_P(SVDStep3Ordering, PermutesVColumnsAndBRowsAlong) {
    const OrderingCase& c = GetParam();
    const long n = long(c.d.size()) - 1;
    OwnedMatrix v(n, n), b = TaggedRows(n);
    for (long r = 1; r <= n; ++r) {
        for (long j = 1; j <= n; ++j) {
            v(r, j) = 100.0 * r + j; // column j tagged by j
        }
    }
    std::vector<double> d = c.d;
    ASSERT_TRUE(MatrixTestAccess::SVDStep3(v.get(), b.get(), d.data(), n, n, 2));
    for (long i = 1; i <= n; ++i) {
        const long from = c.from[std::size_t(i - 1)];
        EXPECT_EQ(d[std::size_t(i)], c.d[std::size_t(from)]);
        EXPECT_EQ(v(1, i), 100.0 + from);
        EXPECT_EQ(b(i, 1), double(from));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SVDStep3Ordering,
    ::testing::Values(OrderingCase{{0, 1, 5, 2, 5}, {2, 4, 3, 1}}, // first of equal largest
                      OrderingCase{{0, 5, 3, 3, 1}, {1, 2, 3, 4}}, // already descending
                      OrderingCase{{0, 1, 2, 3}, {3, 2, 1}}));

} // namespace
