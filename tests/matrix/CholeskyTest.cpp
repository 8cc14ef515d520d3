// Cholesky factor and inverse: worked values, the triangles that are and are not read or
// written, and random SPD matrices against A * inv(A) = I and LAPACK dpotrf/dpotri.
#include "MatrixTestSupport.h"

#include <limits>

namespace {

using mtest::OwnedMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The NaN in the lower triangle of a and the junk in u reach neither result.
TEST(Cholesky, WorkedTwoByTwoWithNaNBelowDiagonal) {
    OwnedMatrix a(2, 2, {4.0, 2.0, kNaN, 3.0}), u(2, 2, -7.0);
    const Matrix mat;
    ASSERT_TRUE(mat.CholeskyDecomposition(a.get(), u.get(), 2));
    EXPECT_EQ((std::vector<double>{u[1][1], u[1][2], u[2][1]}), (std::vector<double>{2, 1, 0}));
    EXPECT_DOUBLE_EQ(u[2][2], std::sqrt(2.0));
    EXPECT_EQ(a[1][1], 4.0);
    EXPECT_TRUE(std::isnan(a[2][1])); // the factorisation leaves a as it was
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

TEST(Cholesky, RandomInverseAgreesWithIdentityAndLapack) {
    const Matrix mat;
    for (long n : {1L, 2L, 3L, 7L, 20L, 50L}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng{static_cast<std::uint64_t>(n)};
        const OwnedMatrix b = mtest::RandomMatrix(n, n, rng);
        OwnedMatrix a(n, n), u(n, n, 5.0);
        mat.MultiplyByATranspose(b.get(), b.get(), a.get(), n, n, n);
        for (long i = 1; i <= n; ++i) {
            a[i][i] += double(n); // b^T b + n I: symmetric, well conditioned
        }
        OwnedMatrix inv(a);
        for (long i = 2; i <= n; ++i) {
            std::fill(inv[i] + 1, inv[i] + i, kNaN); // the lower triangle is never read
        }
        ASSERT_TRUE(mat.CholeskyInvert(inv.get(), u.get(), n));
        for (long i = 1; i <= n; ++i) {
            for (long j = 1; j <= n; ++j) {
                double s = 0.0;
                for (long k = 1; k <= n; ++k) {
                    s += a[i][k] * inv[k][j];
                }
                EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-12) << i << "," << j;
            }
        }
        // LAPACK's upper factor (column-major (i, j)) is our u[i][j]; dpotri then gives the
        // upper triangle of the inverse.
        std::vector<double> col = a.ColumnMajor();
        const int ni = int(n);
        int info = 0;
        dpotrf_("U", &ni, col.data(), &ni, &info, 1);
        ASSERT_EQ(info, 0);
        std::vector<double> factor = col;
        dpotri_("U", &ni, col.data(), &ni, &info, 1);
        ASSERT_EQ(info, 0);
        const double uScale = mtest::MaxAbs(u), invScale = mtest::MaxAbs(inv);
        for (long i = 1; i <= n; ++i) {
            for (long j = i; j <= n; ++j) {
                EXPECT_NEAR(u[i][j], factor[(j - 1) * n + i - 1], 1e-12 * uScale);
                EXPECT_NEAR(inv[i][j], col[(j - 1) * n + i - 1], 1e-12 * invScale);
                EXPECT_EQ(inv[j][i], inv[i][j]);
                EXPECT_EQ(u[j][i], i == j ? u[i][i] : 0.0);
            }
        }
    }
}

} // namespace
