// The private steps of the least-squares SVD on crafted input: the bidiagonalisation of diagonal
// and two-column matrices, the sweeps on bidiagonals (one that cannot converge), the ordering.
#include "MatrixTestSupport.h"

#include <limits>
#include <numeric>

namespace {

using mtest::Identity;
using mtest::OwnedMatrix;

// Row i of b holds (i, 10 i): a tag that shows where every row went.
OwnedMatrix TaggedRows(long m) {
    OwnedMatrix b(m, 2);
    for (long i = 1; i <= m; ++i) {
        b[i][1] = double(i);
        b[i][2] = 10.0 * i;
    }
    return b;
}

// diag(3, -2, 5), square (m = n) or with a zero row below (m = n + 1): every row reflection is
// the identity, each left reflection flips the sign of its diagonal element and of its row of
// b; the last column of a square matrix gets no left reflection at all.
TEST(SVDStep1, DiagonalInputSquareAndWithOneMoreRow) {
    const double diagonal[] = {0.0, 3.0, -2.0, 5.0};
    for (long m : {3L, 4L}) {
        SCOPED_TRACE(m);
        OwnedMatrix a(m, 3, {3, 0, 0, 0, -2, 0, 0, 0, 5}), b = TaggedRows(m); // row 4 zero
        std::vector<double> d(1001, -1.0), e(1001, -1.0);
        ASSERT_TRUE(MatrixTestAccess::SVDStep1(a.get(), b.get(), d.data(), e.data(), m, 3, 2));
        for (long k = 1; k <= 3; ++k) {
            const double sign = k < 3 || m > 3 ? -1.0 : 1.0;
            EXPECT_DOUBLE_EQ(d[k], sign * diagonal[k]);
            EXPECT_EQ(e[k], 0.0);
            EXPECT_DOUBLE_EQ(b[k][1], sign * k);
            EXPECT_DOUBLE_EQ(b[k][2], sign * 10.0 * k);
        }
        const std::vector<double> v = a.Values();
        EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 9), Identity(3).Values()); // V = I
    }
}

TEST(SVDStep1, TwoColumnsNeedNoRowReflection) {
    std::mt19937_64 rng(21);
    OwnedMatrix a = mtest::RandomMatrix(4, 2, rng), b = mtest::RandomMatrix(4, 1, rng);
    std::vector<double> d(1001), e(1001);
    ASSERT_TRUE(MatrixTestAccess::SVDStep1(a.get(), b.get(), d.data(), e.data(), 4, 2, 1));
    EXPECT_EQ((std::vector<double>{a[1][1], a[1][2], a[2][1], a[2][2]}),
              (std::vector<double>{1, 0, 0, 1}));
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
        EXPECT_EQ(v[r][1], r == 1 ? -1.0 : 0.0);
        EXPECT_FALSE(d[r] < 0.0);
    }
    EXPECT_EQ(b[1][1], 1.0);
    EXPECT_EQ(b[1][2], 10.0);
}

// B0 = Q diag(d) V^T after the sweeps, with Q^T found in b (started as the identity): each
// rotation must reach V and b on the right side and in the right order. Bidiagonals (d, e)
// are 1-based with e[i] at (i - 1, i).
TEST(SVDStep2, RotationsKeepTheFactorisation) {
    const std::vector<double> cases[][2] = {
        {{0, 3, 4, 0}, {0, 0, 1, 2}},               // negligible bottom d[k]
        {{0, 3, 0, 4}, {0, 0, 1, 2}},               // negligible interior d
        {{0, 1, -2, 3, 0.5}, {0, 0, 0.7, -1.5, 2}}, // plain sweeps
        {{0, 2, 1, -3}, {0, 0, 1, 0}},              // e[n] = 0 splits at once
        {{0, 2, -3, 1}, {0, 0, 0, 0}},              // diagonal: only signs change
    };
    for (const auto& [d0, e0] : cases) {
        const long n = long(d0.size()) - 1;
        SCOPED_TRACE(testing::Message() << "d[1] = " << d0[1] << ", n = " << n);
        std::vector<double> d = d0, e = e0;
        OwnedMatrix v = Identity(n), qt = Identity(n);
        bool converged = false;
        ASSERT_TRUE(
            MatrixTestAccess::SVDStep2(v.get(), qt.get(), d.data(), e.data(), n, n, n, converged));
        EXPECT_TRUE(converged);
        mtest::ExpectOrthonormalColumns(v.get(), n, n, 1e-14);
        mtest::ExpectOrthonormalColumns(qt.get(), n, n, 1e-14);
        for (long i = 1; i <= n; ++i) {
            EXPECT_GE(d[i], 0.0);
            for (long j = 1; j <= n; ++j) {
                double sum = 0.0;
                for (long t = 1; t <= n; ++t) {
                    sum += qt[t][i] * d[t] * v[j][t];
                }
                EXPECT_NEAR(sum, i == j ? d0[i] : j == i + 1 ? e0[j] : 0.0, 1e-13) << i << "," << j;
            }
        }
    }
}

// Sorting d descending moves V's columns and b's rows along; ties keep the first largest.
TEST(SVDStep3, PermutesVColumnsAndBRowsAlong) {
    const std::vector<double> cases[][2] = {// d (1-based), from[i]: where the value at i came from
                                            {{0, 1, 5, 2, 5}, {2, 4, 3, 1}},
                                            {{0, 5, 3, 3, 1}, {1, 2, 3, 4}},
                                            {{0, 1, 2, 3}, {3, 2, 1}}};
    for (const auto& [d0, from] : cases) {
        const long n = long(d0.size()) - 1;
        OwnedMatrix v(n, n), b = TaggedRows(n);
        for (long r = 1; r <= n; ++r) {
            std::iota(v[r] + 1, v[r] + n + 1, 100.0 * r + 1); // column j tagged by j
        }
        std::vector<double> d = d0;
        ASSERT_TRUE(MatrixTestAccess::SVDStep3(v.get(), b.get(), d.data(), n, n, 2));
        for (long i = 1; i <= n; ++i) {
            const long k = long(from[i - 1]);
            EXPECT_EQ(d[i], d0[k]) << i;
            EXPECT_EQ(v[1][i], 100.0 + k) << i;
            EXPECT_EQ(b[i][1], double(k)) << i;
        }
    }
}

} // namespace
