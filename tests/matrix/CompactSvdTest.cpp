// Compact SVD, its back-substitution and the safe hypotenuse: worked values, reconstruction,
// orthogonality, agreement with LAPACK dgesvd, and the zero-singular-value and failure paths.
#include "MatrixTestSupport.h"

#include <cfloat>
#include <limits>

namespace {

using mtest::OwnedMatrix;

TEST(Pythag, WorkedValuesAndEqualArgumentsNearLargestDouble) {
    const Matrix mat;
    EXPECT_EQ(mat.Pythag(3.0, 4.0), 5.0);
    EXPECT_EQ(mat.Pythag(4.0, -3.0), 5.0);
    EXPECT_EQ(mat.Pythag(-3.0, 4.0), 5.0);
    EXPECT_EQ(mat.Pythag(0.0, 0.0), 0.0);
    const double big = DBL_MAX / 2.0; // big * big overflows, big * sqrt(2) does not
    const double r = mat.Pythag(big, -big);
    ASSERT_TRUE(std::isfinite(r));
    EXPECT_NEAR(r / big, std::sqrt(2.0), 4 * DBL_EPSILON);
}

TEST(CompactSvd, OneByOneGivesTheDocumentedFactors) {
    const double cases[][4] = {// a11, w, u, v
                               {3.0, 3.0, -1.0, -1.0},
                               {0.25, 0.25, -1.0, -1.0},
                               {-3.0, 3.0, -1.0, 1.0},
                               {-0.25, 0.25, -1.0, 1.0},
                               {0.0, 0.0, 1.0, 1.0}};
    for (const auto& [a11, w1, u1, v1] : cases) {
        OwnedMatrix a(1, 1, a11), v(1, 1, 99.0);
        std::vector<double> w(2, 99.0);
        ASSERT_TRUE(Matrix().SingularValueDecompNRC(a.get(), 1, 1, w.data(), v.get()));
        EXPECT_EQ((std::vector<double>{w[1], a[1][1], v[1][1]}), (std::vector<double>{w1, u1, v1}))
            << "a11 = " << a11;
    }
}

// |A - U diag(w) V^T|_max <= tol * |A|_max.
void ExpectReconstructs(const OwnedMatrix& a, const OwnedMatrix& u, const double* w,
                        const OwnedMatrix& v, double tol) {
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            double s = 0.0;
            for (long k = 1; k <= a.cols(); ++k) {
                s += u[i][k] * w[k] * v[j][k];
            }
            EXPECT_NEAR(s, a[i][j], tol * mtest::MaxAbs(a)) << "element " << i << "," << j;
        }
    }
}

class CompactSvdRandom : public testing::TestWithParam<std::pair<long, long>> {};

TEST_P(CompactSvdRandom, FactorsAgainstReconstructionOrthogonalityAndLapack) {
    const auto [m, n] = GetParam();
    std::mt19937_64 rng{static_cast<std::uint64_t>(1000 * m + n)};
    const OwnedMatrix a = mtest::RandomMatrix(m, n, rng);
    OwnedMatrix u(a), v(n, n);
    std::vector<double> w(n + 1);
    ASSERT_TRUE(Matrix().SingularValueDecompNRC(u.get(), m, n, w.data(), v.get()));
    ExpectReconstructs(a, u, w.data(), v, 1e-12);
    mtest::ExpectOrthonormalColumns(v.get(), n, n, 1e-12);
    if (m >= n) {
        mtest::ExpectOrthonormalColumns(u.get(), m, n, 1e-12);
    }

    // LAPACK gives min(m, n) values; for m < n the remaining n - m of ours are zero.
    std::vector<double> s = mtest::DgesvdValues(a), ours(w.begin() + 1, w.end());
    s.resize(n, 0.0);
    EXPECT_GE(*std::min_element(ours.begin(), ours.end()), 0.0);
    std::sort(ours.rbegin(), ours.rend());
    for (long i = 0; i < n; ++i) {
        EXPECT_NEAR(ours[i], s[i], 1e-12 * s[0]) << "singular value " << i;
    }

    if (m == n) { // full rank: the back-substitution reproduces the solution of a x = b
        std::vector<double> xTrue(n + 1), b(n + 1), x(n + 1);
        for (long i = 1; i <= n; ++i) {
            xTrue[i] = double(i) - 2.5;
            for (long j = 1; j <= n; ++j) {
                b[i] += a[i][j] * (double(j) - 2.5);
            }
        }
        ASSERT_TRUE(
            Matrix().SingularValueBackSubNRC(u.get(), w.data(), v.get(), m, n, b.data(), x.data()));
        mtest::ExpectVectorsNear(x.data(), xTrue.data(), n, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CompactSvdRandom,
                         testing::Values(std::pair(2L, 2L), std::pair(5L, 3L), std::pair(12L, 12L),
                                         std::pair(40L, 25L), std::pair(3L, 5L), std::pair(1L, 4L),
                                         std::pair(6L, 1L), std::pair(17L, 30L)));

TEST(CompactSvd, ZeroColumnGivesZeroSingularValueLeftOutByBackSubstitution) {
    std::mt19937_64 rng(7);
    OwnedMatrix a = mtest::RandomMatrix(5, 3, rng), v(3, 3);
    std::vector<double> w(4), b(6), x(4, 99.0);
    const double xTrue[] = {0.0, 0.0, 1.5, -2.0};
    for (long i = 1; i <= 5; ++i) { // b in the range of a: no minimum-norm component along e1
        a[i][1] = 0.0;
        b[i] = a[i][2] * xTrue[2] + a[i][3] * xTrue[3];
    }
    const Matrix mat;
    ASSERT_TRUE(mat.SingularValueDecompNRC(a.get(), 5, 3, w.data(), v.get()));
    EXPECT_EQ(std::count(w.begin() + 1, w.end(), 0.0), 1);
    ASSERT_TRUE(mat.SingularValueBackSubNRC(a.get(), w.data(), v.get(), 5, 3, b.data(), x.data()));
    mtest::ExpectVectorsNear(x.data(), xTrue, 3, 1e-12);
}

// Scaled far beyond the range whose squares a double holds, a matrix decomposes into the same
// U and V bit for bit and its singular values multiplied by exactly 2^k.
TEST(CompactSvd, MatricesBeyondTheSquaredRangeAreScaledExactly) {
    std::mt19937_64 rng(29);
    const OwnedMatrix a = mtest::RandomMatrix(8, 8, rng);
    OwnedMatrix u(a), v(8, 8);
    std::vector<double> w(9);
    ASSERT_TRUE(Matrix().SingularValueDecompNRC(u.get(), 8, 8, w.data(), v.get()));
    for (const int k : {1020, 512, -512, -1000}) {
        SCOPED_TRACE(k);
        OwnedMatrix uk(a), vk(8, 8);
        for (long i = 1; i <= 8; ++i) {
            for (long j = 1; j <= 8; ++j) {
                uk[i][j] = std::ldexp(a[i][j], k);
            }
        }
        std::vector<double> wk(9);
        ASSERT_TRUE(Matrix().SingularValueDecompNRC(uk.get(), 8, 8, wk.data(), vk.get()));
        EXPECT_EQ(uk.Values(), u.Values());
        EXPECT_EQ(vk.Values(), v.Values());
        for (long i = 1; i <= 8; ++i) {
            EXPECT_EQ(wk[std::size_t(i)], std::ldexp(w[std::size_t(i)], k));
        }
    }
}

// Finite input from which the method itself reaches infinities or NaNs (here a division by a
// subnormal superdiagonal) reports failure instead of convergence.
TEST(CompactSvd, NonFiniteFactorsFromFiniteInputReturnFalse) {
    OwnedMatrix a(2, 2, {1.0, 5e-324, 0.0, 1.0}), v(2, 2);
    std::vector<double> w(3);
    EXPECT_FALSE(Matrix().SingularValueDecompNRC(a.get(), 2, 2, w.data(), v.get()));
}

// A NaN never splits off, so the 30th pass ends the call; the leak checker of the sanitised
// build sees that the work vector was released on this path too.
TEST(CompactSvd, NaNInputReturnsFalseAfterThePassLimit) {
    OwnedMatrix a(3, 3, 1.0), v(3, 3);
    a[2][2] = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> w(4);
    EXPECT_FALSE(Matrix().SingularValueDecompNRC(a.get(), 3, 3, w.data(), v.get()));
}

} // namespace
