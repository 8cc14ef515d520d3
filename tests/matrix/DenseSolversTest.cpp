// Cholesky, LU and Vandermonde against LAPACK on random well-conditioned systems, and the strict
// pivot test of the LU with the partly factored state it documents.
#include "MatrixTestSupport.h"

#include <limits>

namespace {

using mtest::OwnedMatrix;
using Values = std::vector<double>;

// B^T B + n I: A * inv(A) = I, the factor and the upper triangle of the inverse against
// dpotrf/dpotri, the factor zero below its diagonal and the inverse symmetric. The lower
// triangle of the input holds NaN: it must never be read.
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
        const std::vector<double> factor = col;
        dpotri_("U", &ni, col.data(), &ni, &info, 1);
        ASSERT_EQ(info, 0);
        for (long i = 1; i <= n; ++i) {
            for (long j = i; j <= n; ++j) {
                EXPECT_NEAR(u[i][j], factor[(j - 1) * n + i - 1], 1e-12 * mtest::MaxAbs(u));
                EXPECT_NEAR(inv[i][j], col[(j - 1) * n + i - 1], 1e-12 * mtest::MaxAbs(inv));
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

// Exactly the tolerance passes, the next double below it fails, in the first pivot and in the
// second (L(2,2) = 2p - p * 1 = p exactly): the failure leaves row 1 factored, row 2's L part
// computed with its column 3 as it was, and row 3 untouched.
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
