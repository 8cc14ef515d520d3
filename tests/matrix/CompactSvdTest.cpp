// Compact SVD, its back-substitution and the safe hypotenuse: worked values, reconstruction,
// orthogonality, agreement with LAPACK dgesvd, and the zero-singular-value and failure paths.
#include "SolverTestSupport.h"
#include "support/Lapack.h"

#include <cfloat>
#include <limits>

namespace {

using solvertest::MakeVector1;
using solvertest::OwnedMatrix;

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

// |A - U diag(w) V^T|_max <= tol * |A|_max.
void ExpectReconstructs(const OwnedMatrix& a, const OwnedMatrix& u, const double* w,
                        const OwnedMatrix& v, double tol) {
    const double scale = solvertest::MaxAbs(a);
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            double s = 0.0;
            for (long k = 1; k <= a.cols(); ++k) {
                s += u[i][k] * w[k] * v[j][k];
            }
            EXPECT_NEAR(s, a[i][j], tol * scale) << "element " << i << "," << j;
        }
    }
}

struct OneByOneCase {
    double a11, w, u, v;
};

class CompactSvdOneByOne : public testing::TestWithParam<OneByOneCase> {};

TEST_P(CompactSvdOneByOne, GivesTheDocumentedFactors) {
    const OneByOneCase c = GetParam();
    OwnedMatrix a(1, 1, c.a11), v(1, 1, 99.0);
    auto w = MakeVector1(1, 99.0);
    ASSERT_TRUE(Matrix().SingularValueDecompNRC(a.get(), 1, 1, w.data(), v.get()));
    EXPECT_EQ(w[1], c.w);
    EXPECT_EQ(a[1][1], c.u);
    EXPECT_EQ(v[1][1], c.v);
}

INSTANTIATE_TEST_SUITE_P(Signs, CompactSvdOneByOne,
                         testing::Values(OneByOneCase{3.0, 3.0, -1.0, -1.0},
                                         OneByOneCase{0.25, 0.25, -1.0, -1.0},
                                         OneByOneCase{-3.0, 3.0, -1.0, 1.0},
                                         OneByOneCase{-0.25, 0.25, -1.0, 1.0},
                                         OneByOneCase{0.0, 0.0, 1.0, 1.0}));

struct Shape {
    long m, n;
};

class CompactSvdRandom : public testing::TestWithParam<Shape> {};

TEST_P(CompactSvdRandom, FactorsAgainstReconstructionOrthogonalityAndLapack) {
    const auto [m, n] = GetParam();
    std::mt19937_64 rng{static_cast<std::uint64_t>(1000 * m + n)};
    OwnedMatrix a(m, n), u(m, n), v(n, n);
    solvertest::FillUniform(a, rng);
    u.CopyFrom(a);
    auto w = MakeVector1(n);
    ASSERT_TRUE(Matrix().SingularValueDecompNRC(u.get(), m, n, w.data(), v.get()));

    ExpectReconstructs(a, u, w.data(), v, 1e-12);
    solvertest::ExpectOrthonormalColumns(v.get(), n, n, 1e-12);
    if (m >= n) {
        solvertest::ExpectOrthonormalColumns(u.get(), m, n, 1e-12);
    }

    // LAPACK returns min(m, n) values; for m < n the remaining n - m of ours are zero.
    std::vector<double> col = solvertest::ColumnMajor(a);
    const int mi = int(m), ni = int(n), one = 1, lwork = 10 * int(m + n);
    std::vector<double> s(std::size_t(std::min(m, n)));
    std::vector<double> work(static_cast<std::size_t>(lwork));
    int info = 0;
    dgesvd_("N", "N", &mi, &ni, col.data(), &mi, s.data(), nullptr, &one, nullptr, &one,
            work.data(), &lwork, &info, 1, 1);
    ASSERT_EQ(info, 0);
    s.resize(std::size_t(n), 0.0);
    std::vector<double> ours(w.begin() + 1, w.end());
    for (double x : ours) {
        EXPECT_GE(x, 0.0);
    }
    std::sort(ours.begin(), ours.end());
    std::sort(s.begin(), s.end());
    for (std::size_t i = 0; i < s.size(); ++i) {
        EXPECT_NEAR(ours[i], s[i], 1e-12 * s.back()) << "singular value " << i;
    }

    if (m == n) { // full rank: the back-substitution reproduces the solution of a x = b
        auto xTrue = MakeVector1(n), b = MakeVector1(n), x = MakeVector1(n);
        for (long i = 1; i <= n; ++i) {
            xTrue[i] = double(i) - 2.5;
            for (long j = 1; j <= n; ++j) {
                b[i] += a[i][j] * (double(j) - 2.5);
            }
        }
        ASSERT_TRUE(
            Matrix().SingularValueBackSubNRC(u.get(), w.data(), v.get(), m, n, b.data(), x.data()));
        solvertest::ExpectVectorsNear(x.data(), xTrue.data(), n, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CompactSvdRandom,
                         testing::Values(Shape{2, 2}, Shape{5, 3}, Shape{12, 12}, Shape{40, 25},
                                         Shape{3, 5}, Shape{1, 4}, Shape{6, 1}, Shape{17, 30}));

TEST(CompactSvd, ZeroColumnGivesZeroSingularValueLeftOutByBackSubstitution) {
    std::mt19937_64 rng(7);
    OwnedMatrix a(5, 3), u(5, 3), v(3, 3);
    solvertest::FillUniform(a, rng);
    for (long i = 1; i <= 5; ++i) {
        a[i][1] = 0.0;
    }
    u.CopyFrom(a);
    auto w = MakeVector1(3);
    const Matrix mat;
    ASSERT_TRUE(mat.SingularValueDecompNRC(u.get(), 5, 3, w.data(), v.get()));
    EXPECT_EQ(std::count(w.begin() + 1, w.end(), 0.0), 1);

    // b lies in the range of a; the minimum-norm solution has no component along e1.
    const double xTrue[] = {0.0, 0.0, 1.5, -2.0};
    auto b = MakeVector1(5);
    for (long i = 1; i <= 5; ++i) {
        b[i] = a[i][2] * xTrue[2] + a[i][3] * xTrue[3];
    }
    auto x = MakeVector1(3, 99.0);
    ASSERT_TRUE(mat.SingularValueBackSubNRC(u.get(), w.data(), v.get(), 5, 3, b.data(), x.data()));
    solvertest::ExpectVectorsNear(x.data(), xTrue, 3, 1e-12);
}

// A NaN never splits off, so the 30th pass ends the call; the leak checker of the sanitised
// build sees that the work vector was released on this path too.
TEST(CompactSvd, NaNInputReturnsFalseAfterThePassLimit) {
    OwnedMatrix a(3, 3, 1.0), v(3, 3);
    a[2][2] = std::numeric_limits<double>::quiet_NaN();
    auto w = MakeVector1(3);
    EXPECT_FALSE(Matrix().SingularValueDecompNRC(a.get(), 3, 3, w.data(), v.get()));
}

} // namespace
