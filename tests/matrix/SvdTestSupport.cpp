// Helpers of the least-squares SVD tests.
#include "SvdTestSupport.h"

#include "support/Lapack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace svdtest {

OwnedMatrix::OwnedMatrix(long rows, long cols)
    : rows_(rows), cols_(cols), m_(Matrix().dMatrix(1, rows, 1, cols)) {
    Matrix().ZeroMatrix(m_, rows, cols);
}

OwnedMatrix::OwnedMatrix(const OwnedMatrix& other) : OwnedMatrix(other.rows_, other.cols_) {
    std::copy_n(&other.m_[1][1], rows_ * cols_, &m_[1][1]);
}

OwnedMatrix::~OwnedMatrix() {
    Matrix().dMatrixFree(m_, 1, rows_, 1, cols_);
}

std::vector<double> OwnedMatrix::Values() const {
    return std::vector<double>(&m_[1][1], &m_[1][1] + rows_ * cols_);
}

std::vector<double> OwnedMatrix::ColumnMajor(long ld) const {
    std::vector<double> out(std::size_t(ld * cols_), 0.0);
    for (long j = 1; j <= cols_; ++j) {
        for (long i = 1; i <= rows_; ++i) {
            out[std::size_t((j - 1) * ld + i - 1)] = m_[i][j];
        }
    }
    return out;
}

OwnedMatrix RandomMatrix(long rows, long cols, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    OwnedMatrix a(rows, cols);
    for (long i = 1; i <= rows; ++i) {
        for (long j = 1; j <= cols; ++j) {
            a(i, j) = uniform(rng);
        }
    }
    return a;
}

namespace {

// Orthonormal columns: the left singular vectors of a random matrix, from LAPACK dgesvd.
std::vector<double> RandomOrthonormalColumns(int rows, int cols, std::mt19937_64& rng) {
    std::vector<double> a = RandomMatrix(rows, cols, rng).ColumnMajor(rows);
    std::vector<double> s(static_cast<std::size_t>(cols)), u(static_cast<std::size_t>(rows * cols));
    double vt = 0.0, query = 0.0;
    int one = 1, lwork = -1, info = 0;
    dgesvd_("S", "N", &rows, &cols, a.data(), &rows, s.data(), u.data(), &rows, &vt, &one, &query,
            &lwork, &info, 1, 1);
    lwork = int(query);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    dgesvd_("S", "N", &rows, &cols, a.data(), &rows, s.data(), u.data(), &rows, &vt, &one,
            work.data(), &lwork, &info, 1, 1);
    EXPECT_EQ(info, 0);
    return u;
}

} // namespace

OwnedMatrix MatrixWithSingularValues(long rows, const std::vector<double>& s,
                                     std::mt19937_64& rng) {
    const long n = long(s.size());
    const std::vector<double> u = RandomOrthonormalColumns(int(rows), int(n), rng);
    const std::vector<double> v = RandomOrthonormalColumns(int(n), int(n), rng);
    OwnedMatrix a(rows, n);
    for (long i = 0; i < rows; ++i) {
        for (long j = 0; j < n; ++j) {
            for (long k = 0; k < n; ++k) {
                a(i + 1, j + 1) +=
                    u[std::size_t(k * rows + i)] * s[std::size_t(k)] * v[std::size_t(k * n + j)];
            }
        }
    }
    return a;
}

DgelssResult SolveWithDgelss(const OwnedMatrix& a, const OwnedMatrix& b, double rcond) {
    int m = int(a.rows()), n = int(a.cols()), nb = int(b.cols()), ldb = std::max(m, n);
    std::vector<double> ac = a.ColumnMajor(m), bc = b.ColumnMajor(ldb);
    DgelssResult result{OwnedMatrix(n, nb), std::vector<double>(std::size_t(n)), 0};
    double query = 0.0;
    int lwork = -1, info = 0;
    dgelss_(&m, &n, &nb, ac.data(), &m, bc.data(), &ldb, result.s.data(), &rcond, &result.rank,
            &query, &lwork, &info);
    lwork = int(query);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    dgelss_(&m, &n, &nb, ac.data(), &m, bc.data(), &ldb, result.s.data(), &rcond, &result.rank,
            work.data(), &lwork, &info);
    EXPECT_EQ(info, 0);
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= nb; ++j) {
            result.x(i, j) = bc[std::size_t((j - 1) * ldb + i - 1)];
        }
    }
    return result;
}

void ExpectOrthogonal(const OwnedMatrix& v, long n, double tol) {
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            double dot = 0.0;
            for (long r = 1; r <= n; ++r) {
                dot += v(r, i) * v(r, j);
            }
            EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, tol) << "columns " << i << ", " << j;
        }
    }
}

void ExpectColumnsAgree(const OwnedMatrix& x, const OwnedMatrix& expected, double relTol) {
    for (long j = 1; j <= expected.cols(); ++j) {
        double scale = 0.0, diff = 0.0;
        for (long i = 1; i <= expected.rows(); ++i) {
            scale = std::max(scale, std::fabs(expected(i, j)));
            diff = std::max(diff, std::fabs(x(i, j) - expected(i, j)));
        }
        EXPECT_LE(diff, relTol * scale) << "column " << j;
    }
}

double ResidualSumOfSquares(const OwnedMatrix& a, const OwnedMatrix& b, const OwnedMatrix& x,
                            long j) {
    long double sum = 0.0L;
    for (long i = 1; i <= a.rows(); ++i) {
        long double r = b(i, j);
        for (long k = 1; k <= a.cols(); ++k) {
            r -= static_cast<long double>(a(i, k)) * x(k, j);
        }
        sum += r * r;
    }
    return double(sum);
}

} // namespace svdtest
