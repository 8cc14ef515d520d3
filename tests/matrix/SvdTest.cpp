// Both SVDs against LAPACK: the least-squares driver's solution, rank rule, residuals and V
// against dgelss (this also exercises the Householder and Givens kernels); the compact SVD against
// reconstruction, orthogonality and dgesvd, with its back-substitution recovering a known solution.
#include "MatrixTestSupport.h"

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

// One driver call on copies of a and b.
struct SvdRun {
    SvdRun(const OwnedMatrix& a0, const OwnedMatrix& b0, double tolerance)
        : v(a0), b(b0), x(a0.cols(), b0.cols()), residual(b0.cols() + 1, -1.0), rank(a0.cols()) {
        result =
            Matrix().SingularValueDecomposition(v.get(), b.get(), x.get(), residual.data(),
                                                a0.rows(), rank, b0.cols(), tolerance, converged);
    }
    OwnedMatrix v, b, x;
    std::vector<double> residual;
    long rank;
    bool converged = false, result = false;
};

// residual[j] = ||b_j - a x_j||^2, the latter in long double, to 1e-10 of ||b_j||^2.
void ExpectResidualsAreMisfits(const SvdRun& run, const OwnedMatrix& a, const OwnedMatrix& b) {
    for (long j = 1; j <= b.cols(); ++j) {
        long double misfit = 0.0L, norm = 0.0L;
        for (long i = 1; i <= a.rows(); ++i) {
            long double r = b[i][j];
            for (long k = 1; k <= a.cols(); ++k) {
                r -= static_cast<long double>(a[i][k]) * run.x[k][j];
            }
            misfit += r * r;
            norm += static_cast<long double>(b[i][j]) * b[i][j];
        }
        EXPECT_NEAR(run.residual[j], double(misfit), 1e-10 * double(norm)) << "column " << j;
    }
}

// Full rank: x against dgelss, the residuals against the misfits, V orthonormal.
TEST(SingularValueDecomposition, FullRankAgainstDgelss) {
    const long shapes[][3] = {{8, 8, 3}, {12, 5, 2}, {40, 10, 4}, {30, 1, 2}, {1000, 3, 1}};
    for (const auto& [m, n, nb] : shapes) {
        SCOPED_TRACE(testing::Message() << m << "x" << n);
        std::mt19937_64 rng(std::uint64_t(m * 1000 + n));
        const OwnedMatrix a = mtest::RandomMatrix(m, n, rng), b = mtest::RandomMatrix(m, nb, rng);
        const SvdRun run(a, b, 1e-12);
        const DgelssResult lapack = SolveWithDgelss(a, b, 1e-12);
        ASSERT_TRUE(run.result);
        EXPECT_TRUE(run.converged);
        EXPECT_EQ(run.rank, n);
        mtest::ExpectColumnsNear(run.x, lapack.x, 1e-10);
        ExpectResidualsAreMisfits(run, a, b);
        mtest::ExpectOrthonormalColumns(run.v.get(), n, n, 1e-12);
    }
}

// Singular values 10, 4, 1, 1e-3, 1e-6 with thresholds below, between and above them (a
// negative one acting as its magnitude); the solution tolerance grows with the condition of the
// kept singular values. Rank 0 leaves x zero and the residual the whole of ||b||^2.
TEST(SingularValueDecomposition, RankRuleAgainstDgelss) {
    const double cases[][3] = {// tolerance, rank, relative solution tolerance
                               {1e-9, 5, 1e-7},   {1e-5, 4, 1e-10}, {1e-2, 3, 1e-10},
                               {-1e-2, 3, 1e-10}, {0.5, 1, 1e-10},  {1.0, 0, 0}};
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
        } else {
            EXPECT_EQ(run.x.Values(), OwnedMatrix(5, 2).Values());
        }
    }
    // The relative tolerance is never taken below 1e-15: with 0, 1e-14 is kept and 1e-16 dropped.
    for (const double tiny : {1e-14, 1e-16}) {
        const SvdRun run(OwnedMatrix(2, 2, {1.0, 0.0, 0.0, tiny}), OwnedMatrix(2, 1, 1.0), 0.0);
        EXPECT_EQ(run.rank, tiny > 1e-15 ? 2 : 1) << tiny;
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

// Tall, square and wide shapes; LAPACK gives min(m, n) values, the remaining n - m are zero.
// Square ones: the back-substitution solves a x = b for a known x.
TEST(CompactSvd, FactorsAgainstReconstructionOrthogonalityAndLapack) {
    const long shapes[][2] = {{2, 2}, {5, 3}, {12, 12}, {40, 25}, {3, 5}, {1, 4}, {6, 1}};
    for (const auto& [m, n] : shapes) {
        SCOPED_TRACE(testing::Message() << m << "x" << n);
        std::mt19937_64 rng{std::uint64_t(1000 * m + n)};
        const OwnedMatrix a = mtest::RandomMatrix(m, n, rng);
        OwnedMatrix u(a), v(n, n);
        std::vector<double> w(n + 1);
        ASSERT_TRUE(Matrix().SingularValueDecompNRC(u.get(), m, n, w.data(), v.get()));
        ExpectReconstructs(a, u, w.data(), v, 1e-12);
        mtest::ExpectOrthonormalColumns(v.get(), n, n, 1e-12);
        if (m >= n) {
            mtest::ExpectOrthonormalColumns(u.get(), m, n, 1e-12);
        }
        std::vector<double> s = mtest::DgesvdValues(a), ours(w.begin() + 1, w.end());
        s.resize(n, 0.0);
        EXPECT_GE(*std::min_element(ours.begin(), ours.end()), 0.0);
        std::sort(ours.rbegin(), ours.rend());
        for (long i = 0; i < n; ++i) {
            EXPECT_NEAR(ours[i], s[i], 1e-12 * s[0]) << "singular value " << i;
        }
        if (m == n) {
            std::vector<double> xTrue(n + 1), b(n + 1), x(n + 1);
            for (long i = 1; i <= n; ++i) {
                xTrue[i] = double(i) - 2.5;
                for (long j = 1; j <= n; ++j) {
                    b[i] += a[i][j] * (double(j) - 2.5);
                }
            }
            Matrix().SingularValueBackSubNRC(u.get(), w.data(), v.get(), m, n, b.data(), x.data());
            mtest::ExpectVectorsNear(x.data(), xTrue.data(), n, 1e-12);
        }
    }
}

// Hostile magnitudes: matrices scaled by 2^k far beyond the range whose squares a double holds
// give the same factors and solutions, their singular values and residuals scaled exactly; a
// subnormal superdiagonal makes the compact SVD fail instead of converging to infinities; an
// infinite tolerance on the zero matrix gives rank 0.
TEST(SvdMagnitudes, ScaledMatricesGiveScaledBitsAndNonFiniteResultsFail) {
    std::mt19937_64 rng(29);
    const OwnedMatrix a = mtest::RandomMatrix(8, 5, rng), b = mtest::RandomMatrix(8, 2, rng);
    const SvdRun plain(a, b, 1e-12);
    OwnedMatrix u(a), v(5, 5);
    std::vector<double> w(6);
    ASSERT_TRUE(Matrix().SingularValueDecompNRC(u.get(), 8, 5, w.data(), v.get()));
    for (const int k : {1020, 512, -512, -1000}) {
        SCOPED_TRACE(k);
        OwnedMatrix ak(a), vk(5, 5);
        std::transform(ak[1] + 1, ak[8] + 6, ak[1] + 1, [k](double e) { return std::ldexp(e, k); });
        const SvdRun scaled(ak, b, 1e-12);
        EXPECT_TRUE(scaled.converged);
        EXPECT_EQ(scaled.rank, 5);
        for (long i = 1; i <= 5; ++i) {
            EXPECT_EQ(scaled.x[i][1], std::ldexp(plain.x[i][1], -k));
        }
        EXPECT_EQ(scaled.residual[1], plain.residual[1]);
        std::vector<double> wk(6);
        ASSERT_TRUE(Matrix().SingularValueDecompNRC(ak.get(), 8, 5, wk.data(), vk.get()));
        EXPECT_EQ(ak.Values(), u.Values());
        EXPECT_EQ(vk.Values(), v.Values());
        EXPECT_EQ(wk[3], std::ldexp(w[3], k));
    }
    OwnedMatrix subnormal(2, 2, {1.0, 5e-324, 0.0, 1.0}), v2(2, 2);
    EXPECT_FALSE(Matrix().SingularValueDecompNRC(subnormal.get(), 2, 2, w.data(), v2.get()));
    const SvdRun zero(OwnedMatrix(4, 3), OwnedMatrix(4, 1, 1.0),
                      std::numeric_limits<double>::infinity());
    EXPECT_EQ(zero.rank, 0);
    EXPECT_EQ(zero.x.Values(), std::vector<double>(3, 0.0));
}

} // namespace
