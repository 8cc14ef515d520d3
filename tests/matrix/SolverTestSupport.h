// Shared fixtures and checkers for the tests of the dense solvers: owned 1-based matrices and
// vectors, seeded random inputs, column-major copies for the LAPACK oracles, and property
// checkers whose bounds are stated where they are defined.
#pragma once

#include "OstraPureMath/Matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace solvertest {

// A 1-based rows x cols matrix from dMatrix, released on destruction.
class OwnedMatrix {
public:
    OwnedMatrix(long rows, long cols, double fill = 0.0)
        : rows_(rows), cols_(cols), a_(mat_.dMatrix(1, rows, 1, cols)) {
        for (long i = 1; i <= rows; ++i) {
            std::fill(a_[i] + 1, a_[i] + cols + 1, fill);
        }
    }
    OwnedMatrix(const OwnedMatrix&) = delete;
    OwnedMatrix& operator=(const OwnedMatrix&) = delete;
    ~OwnedMatrix() { mat_.dMatrixFree(a_, 1, rows_, 1, cols_); }
    double** get() const { return a_; }
    double* operator[](long i) const { return a_[i]; }
    long rows() const { return rows_; }
    long cols() const { return cols_; }
    void CopyFrom(const OwnedMatrix& other) {
        for (long i = 1; i <= rows_; ++i) {
            std::copy(other[i] + 1, other[i] + cols_ + 1, a_[i] + 1);
        }
    }

private:
    Matrix mat_;
    long rows_;
    long cols_;
    double** a_;
};

// A 1-based vector: element 0 is a spare never passed on as data.
using Vector1 = std::vector<double>;
inline Vector1 MakeVector1(long n, double fill = 0.0) {
    return Vector1(std::size_t(n) + 1, fill);
}

inline void FillUniform(const OwnedMatrix& a, std::mt19937_64& rng, double lo = -1.0,
                        double hi = 1.0) {
    std::uniform_real_distribution<double> dist(lo, hi);
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            a[i][j] = dist(rng);
        }
    }
}

// Column-major copy for LAPACK (leading dimension = rows).
inline std::vector<double> ColumnMajor(const OwnedMatrix& a) {
    std::vector<double> out(std::size_t(a.rows() * a.cols()));
    for (long j = 1; j <= a.cols(); ++j) {
        for (long i = 1; i <= a.rows(); ++i) {
            out[std::size_t((j - 1) * a.rows() + (i - 1))] = a[i][j];
        }
    }
    return out;
}

inline double MaxAbs(const OwnedMatrix& a) {
    double m = 0.0;
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            m = std::max(m, std::fabs(a[i][j]));
        }
    }
    return m;
}

// Every |u_i - v_i| <= tol * max_j |v_j| over i = 1..n (normwise relative agreement).
inline void ExpectVectorsNear(const double* u, const double* v, long n, double tol) {
    double scale = 0.0;
    for (long i = 1; i <= n; ++i) {
        scale = std::max(scale, std::fabs(v[i]));
    }
    for (long i = 1; i <= n; ++i) {
        EXPECT_NEAR(u[i], v[i], tol * scale) << "component " << i;
    }
}

// max |(Q^T Q - I)_ij| <= tol over the cols x cols Gram matrix of the columns of Q.
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

} // namespace solvertest
