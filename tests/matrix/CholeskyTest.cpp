// Cholesky factor and inverse: worked values, the triangles that are and are not read or
// written, and random SPD matrices against A * inv(A) = I and LAPACK dpotrf/dpotri.
#include "SolverTestSupport.h"
#include "support/Lapack.h"

#include <limits>

namespace {

using solvertest::OwnedMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Cholesky, WorkedTwoByTwoWithNaNBelowDiagonal) {
    // The NaN in the lower triangle of a and the junk in u must not reach either result.
    OwnedMatrix a(2, 2), u(2, 2, -7.0);
    a[1][1] = 4.0;
    a[1][2] = 2.0;
    a[2][1] = kNaN;
    a[2][2] = 3.0;
    const Matrix mat;
    ASSERT_TRUE(mat.CholeskyDecomposition(a.get(), u.get(), 2));
    EXPECT_EQ(u[1][1], 2.0);
    EXPECT_EQ(u[1][2], 1.0);
    EXPECT_EQ(u[2][1], 0.0);
    EXPECT_DOUBLE_EQ(u[2][2], std::sqrt(2.0));
    EXPECT_EQ(a[1][1], 4.0);
    EXPECT_TRUE(std::isnan(a[2][1])); // a itself is not changed by the factorisation

    u[2][1] = -7.0;
    ASSERT_TRUE(mat.CholeskyInvert(a.get(), u.get(), 2));
    EXPECT_EQ(u[2][1], 0.0);
    EXPECT_DOUBLE_EQ(a[1][1], 3.0 / 8.0);
    EXPECT_DOUBLE_EQ(a[1][2], -0.25);
    EXPECT_DOUBLE_EQ(a[2][1], -0.25);
    EXPECT_DOUBLE_EQ(a[2][2], 0.5);
}

TEST(Cholesky, OneByOneNegativeUsesMagnitudeUnderTheRoot) {
    OwnedMatrix a(1, 1, -4.0), u(1, 1);
    ASSERT_TRUE(Matrix().CholeskyInvert(a.get(), u.get(), 1));
    EXPECT_EQ(u[1][1], 2.0);
    EXPECT_EQ(a[1][1], 0.25);
}

class CholeskyRandom : public testing::TestWithParam<long> {};

TEST_P(CholeskyRandom, InverseAgreesWithIdentityAndLapack) {
    const long n = GetParam();
    std::mt19937_64 rng{static_cast<std::uint64_t>(n)};
    OwnedMatrix b(n, n), a(n, n), u(n, n, 5.0), inv(n, n);
    solvertest::FillUniform(b, rng);
    for (long i = 1; i <= n; ++i) { // a = b^T b + n I: symmetric, well conditioned
        for (long j = 1; j <= n; ++j) {
            a[i][j] = i == j ? double(n) : 0.0;
            for (long k = 1; k <= n; ++k) {
                a[i][j] += b[k][i] * b[k][j];
            }
        }
    }
    inv.CopyFrom(a);
    for (long i = 2; i <= n; ++i) {
        for (long j = 1; j < i; ++j) {
            inv[i][j] = kNaN; // the lower triangle is never read
        }
    }
    ASSERT_TRUE(Matrix().CholeskyInvert(inv.get(), u.get(), n));

    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            double s = 0.0;
            for (long k = 1; k <= n; ++k) {
                s += a[i][k] * inv[k][j];
            }
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-12) << i << "," << j;
        }
    }

    // LAPACK's upper factor is ours (column-major (i, j) is our u[i][j]); dpotri then gives the
    // upper triangle of the inverse.
    std::vector<double> col = solvertest::ColumnMajor(a);
    const int ni = int(n);
    int info = 0;
    dpotrf_("U", &ni, col.data(), &ni, &info, 1);
    ASSERT_EQ(info, 0);
    const double uScale = solvertest::MaxAbs(u), invScale = solvertest::MaxAbs(inv);
    for (long i = 1; i <= n; ++i) {
        for (long j = i; j <= n; ++j) {
            EXPECT_NEAR(u[i][j], col[std::size_t((j - 1) * n + i - 1)], 1e-12 * uScale);
        }
    }
    dpotri_("U", &ni, col.data(), &ni, &info, 1);
    ASSERT_EQ(info, 0);
    for (long i = 1; i <= n; ++i) {
        for (long j = i; j <= n; ++j) {
            EXPECT_NEAR(inv[i][j], col[std::size_t((j - 1) * n + i - 1)], 1e-12 * invScale);
            EXPECT_EQ(inv[j][i], inv[i][j]);
            EXPECT_EQ(u[j][i], i == j ? u[i][i] : 0.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, CholeskyRandom, testing::Values(1L, 2L, 3L, 7L, 20L, 50L));

} // namespace
