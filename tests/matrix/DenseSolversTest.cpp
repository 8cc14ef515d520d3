// Cholesky, LU and Vandermonde against LAPACK on random well-conditioned systems.
#include "MatrixTestSupport.h"

#include <limits>

namespace {

using mtest::OwnedMatrix;
using Values = std::vector<double>;

// B^T B + n I: A * inv(A) = I, the factor against dpotrf and zero below its diagonal, the
// inverse symmetric. The lower triangle of the input holds NaN: it must never be read.
TEST(Cholesky, InverseAndFactorAgainstIdentityAndLapack) {
    for (long n : {1L, 2L, 7L, 50L}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng{std::uint64_t(n)};
        const OwnedMatrix b = mtest::RandomMatrix(n, n, rng);
        OwnedMatrix a(n, n), u(n, n, 5.0);
        Matrix().MultiplyByATranspose(b.get(), b.get(), a.get(), n, n, n);
        for (long i = 1; i <= n; ++i) {
            a[i][i] += double(n);
        }
        OwnedMatrix inv(a);
        for (long i = 2; i <= n; ++i) {
            std::fill(inv[i] + 1, inv[i] + i, std::numeric_limits<double>::quiet_NaN());
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
        std::vector<double> col = a.ColumnMajor();
        const int ni = int(n);
        int info = 0;
        dpotrf_("U", &ni, col.data(), &ni, &info, 1);
        ASSERT_EQ(info, 0);
        for (long i = 1; i <= n; ++i) {
            for (long j = i; j <= n; ++j) {
                EXPECT_NEAR(u[i][j], col[(j - 1) * n + i - 1], 1e-12 * mtest::MaxAbs(u));
                EXPECT_EQ(inv[j][i], inv[i][j]);
                EXPECT_EQ(u[j][i], i == j ? u[i][i] : 0.0);
            }
        }
    }
}

// Diagonally dominant (no pivoting needed) against dgesv.
TEST(LuDecomposition, DiagonallyDominantSystemsAgainstLapack) {
    for (long n : {2L, 3L, 10L, 120L}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng{std::uint64_t(100 + n)};
        OwnedMatrix a = mtest::RandomMatrix(n, n, rng);
        const OwnedMatrix rhs = mtest::RandomMatrix(n, 1, rng);
        Values b(n + 1);
        for (long i = 1; i <= n; ++i) {
            a[i][i] += (i % 2 ? 1.0 : -1.0) * double(n);
            b[i] = rhs[i][1];
        }
        const Values x = mtest::SolveWithDgesv(a.ColumnMajor(), b);
        ASSERT_TRUE(Matrix().LUDecomposition(a.get(), n, 0));
        ASSERT_TRUE(Matrix().LUSolve(a.get(), b.data(), n, 0));
        mtest::ExpectVectorsNear(b.data(), x.data(), n, 1e-12);
    }
}

// Well-separated random abscissae against a dense solve of the explicit transposed system.
TEST(Vandermonde, AgreesWithDenseSolveOfTheExplicitSystem) {
    for (long n : {1L, 2L, 5L, 12L}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng{std::uint64_t(300 + n)};
        std::uniform_real_distribution<double> jitter(-0.2, 0.2), value(-1.0, 1.0);
        Values x(n + 1), q(n + 1), w(n + 1), v(n * n);
        for (long i = 1; i <= n; ++i) { // spacing 2/n, shuffled by at most a fifth of it
            x[i] = -1.0 + (double(i) - 0.5 + jitter(rng)) * 2.0 / double(n);
            q[i] = value(rng);
            double power = 1.0;
            for (long k = 1; k <= n; ++k, power *= x[i]) {
                v[(i - 1) * n + k - 1] = power; // column-major (k, i) of the explicit matrix
            }
        }
        ASSERT_TRUE(Matrix().VanderMondeSolution(x.data(), w.data(), q.data(), n));
        mtest::ExpectVectorsNear(w.data(), mtest::SolveWithDgesv(v, q).data(), n, 1e-9);
    }
}

} // namespace
