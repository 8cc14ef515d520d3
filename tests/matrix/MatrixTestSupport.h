// Shared helpers of the matrix tests: owned row-pointer matrices, seeded random inputs, LAPACK
// oracles on column-major copies, and checkers whose bound is stated where each is defined.
#pragma once

#include "OstraPureMath/Matrix.h"
#include "support/Lapack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

namespace mtest {

// dMatrix over [low..rows] x [low..cols], filled with one value or row by row from a list,
// deep-copied and released by dMatrixFree.
class OwnedMatrix {
public:
    OwnedMatrix(long rows, long cols, double fill = 0.0, long low = 1)
        : low_(low), rows_(rows), cols_(cols), a_(Matrix().dMatrix(low, rows, low, cols)) {
        std::fill_n(First(), Size(), fill);
    }
    OwnedMatrix(long rows, long cols, std::initializer_list<double> rowMajor)
        : OwnedMatrix(rows, cols) {
        std::copy(rowMajor.begin(), rowMajor.end(), First());
    }
    OwnedMatrix(const OwnedMatrix& o) : OwnedMatrix(o.rows_, o.cols_, 0.0, o.low_) {
        std::copy_n(o.First(), Size(), First());
    }
    OwnedMatrix& operator=(const OwnedMatrix&) = delete;
    ~OwnedMatrix() { Matrix().dMatrixFree(a_, low_, rows_, low_, cols_); }
    double** get() const { return a_; }
    double* operator[](long i) const { return a_[i]; }
    long rows() const { return rows_; }
    long cols() const { return cols_; }
    // Every element from (low, low) row by row, for exact comparisons.
    std::vector<double> Values() const { return {First(), First() + Size()}; }
    // [1..rows] x [1..cols] column-major, as LAPACK wants.
    std::vector<double> ColumnMajor() const {
        std::vector<double> out(rows_ * cols_);
        for (long i = 1; i <= rows_; ++i) {
            for (long j = 1; j <= cols_; ++j) {
                out[(j - 1) * rows_ + i - 1] = a_[i][j];
            }
        }
        return out;
    }

private:
    double* First() const { return &a_[low_][low_]; }
    long Size() const { return (rows_ - low_ + 1) * (cols_ - low_ + 1); }
    long low_, rows_, cols_;
    double** a_;
};

// Elements uniform in [-1, 1].
inline OwnedMatrix RandomMatrix(long rows, long cols, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    OwnedMatrix a(rows, cols);
    for (long i = 1; i <= rows; ++i) {
        std::generate_n(a[i] + 1, cols, [&] { return uniform(rng); });
    }
    return a;
}

inline double MaxAbs(const OwnedMatrix& a) {
    double m = 0.0;
    for (double x : a.Values()) {
        m = std::max(m, std::fabs(x));
    }
    return m;
}

// Every |x_i - ref_i| <= relTol * max_j |ref_j| over i = 1..n (normwise relative agreement).
inline void ExpectVectorsNear(const double* x, const double* ref, long n, double relTol) {
    double scale = 0.0;
    for (long i = 1; i <= n; ++i) {
        scale = std::max(scale, std::fabs(ref[i]));
    }
    for (long i = 1; i <= n; ++i) {
        EXPECT_NEAR(x[i], ref[i], relTol * scale) << "component " << i;
    }
}

// ExpectVectorsNear column by column.
inline void ExpectColumnsNear(const OwnedMatrix& x, const OwnedMatrix& ref, double relTol) {
    std::vector<double> xj(ref.rows() + 1), rj(ref.rows() + 1);
    for (long j = 1; j <= ref.cols(); ++j) {
        SCOPED_TRACE(testing::Message() << "column " << j);
        Matrix().GetColumnVector(x.get(), xj.data(), ref.rows(), 0, j);
        Matrix().GetColumnVector(ref.get(), rj.data(), ref.rows(), 0, j);
        ExpectVectorsNear(xj.data(), rj.data(), ref.rows(), relTol);
    }
}

// max |(Q^T Q - I)_ij| <= tol over the Gram matrix of the cols columns of the rows x cols Q.
inline void ExpectOrthonormalColumns(double** q, long rows, long cols, double tol) {
    for (long i = 1; i <= cols; ++i) {
        for (long j = 1; j <= cols; ++j) {
            double s = 0.0;
            for (long k = 1; k <= rows; ++k) {
                s += q[k][i] * q[k][j];
            }
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, tol) << "Gram element " << i << "," << j;
        }
    }
}

// LAPACK dgesvd: the singular values of a, descending; with u, also the min(m, n) left singular
// vectors (column-major, leading dimension m).
inline std::vector<double> DgesvdValues(const OwnedMatrix& a, std::vector<double>* u = nullptr) {
    int m = int(a.rows()), n = int(a.cols()), k = std::min(m, n), one = 1, info = 0;
    int lwork = 10 * (m + n);
    std::vector<double> col = a.ColumnMajor(), s(k), work(lwork);
    if (u != nullptr) {
        u->assign(m * k, 0.0);
    }
    dgesvd_(u ? "S" : "N", "N", &m, &n, col.data(), &m, s.data(), u ? u->data() : nullptr, &m,
            nullptr, &one, work.data(), &lwork, &info, 1, 1);
    EXPECT_EQ(info, 0);
    return s;
}

// U * diag(s) * V^T with U (rows x s.size()) and V (square) random with orthonormal columns.
inline OwnedMatrix MatrixWithSingularValues(long rows, const std::vector<double>& s,
                                            std::mt19937_64& rng) {
    const long n = long(s.size());
    std::vector<double> u, v;
    DgesvdValues(RandomMatrix(rows, n, rng), &u);
    DgesvdValues(RandomMatrix(n, n, rng), &v);
    OwnedMatrix a(rows, n);
    for (long i = 1; i <= rows; ++i) {
        for (long j = 1; j <= n; ++j) {
            for (long k = 0; k < n; ++k) {
                a[i][j] += u[k * rows + i - 1] * s[k] * v[k * n + j - 1];
            }
        }
    }
    return a;
}

// The solution of the n x n column-major system a x = b (b and x 1-based) by LAPACK dgesv.
inline std::vector<double> SolveWithDgesv(std::vector<double> a, std::vector<double> b) {
    int n = int(b.size()) - 1, one = 1, info = 0;
    std::vector<int> ipiv(n);
    dgesv_(&n, &one, a.data(), &n, ipiv.data(), b.data() + 1, &n, &info);
    EXPECT_EQ(info, 0);
    return b;
}

} // namespace mtest
