// Helpers of the least-squares SVD tests: owned 1-based matrices, random problems with chosen
// singular values, the LAPACK dgelss oracle and the checkers the tests share.
#pragma once

#include "OstraPureMath/Matrix.h"

#include <random>
#include <vector>

namespace svdtest {

// An m x n row-pointer matrix from Matrix::dMatrix (addressed from (1, 1)), zero-filled,
// deep-copied on copy and released on destruction.
class OwnedMatrix {
public:
    OwnedMatrix(long rows, long cols);
    OwnedMatrix(const OwnedMatrix& other);
    OwnedMatrix& operator=(const OwnedMatrix&) = delete;
    ~OwnedMatrix();

    double** get() const { return m_; }
    double& operator()(long i, long j) const { return m_[i][j]; }
    long rows() const { return rows_; }
    long cols() const { return cols_; }
    // The elements row by row, for bitwise comparison.
    std::vector<double> Values() const;
    // Column-major copy with leading dimension ld >= rows (extra rows zero), as LAPACK wants.
    std::vector<double> ColumnMajor(long ld) const;

private:
    long rows_;
    long cols_;
    double** m_;
};

// Elements uniform in [-1, 1].
OwnedMatrix RandomMatrix(long rows, long cols, std::mt19937_64& rng);
// U * diag(s) * V^T with U (rows x s.size()) and V (square) random with orthonormal columns.
OwnedMatrix MatrixWithSingularValues(long rows, const std::vector<double>& s, std::mt19937_64& rng);

// The minimum-norm least-squares solution (n x nb) and singular values of LAPACK dgelss, with
// its rank rule s[i] > rcond * s[1].
struct DgelssResult {
    OwnedMatrix x;
    std::vector<double> s;
    int rank;
};
DgelssResult SolveWithDgelss(const OwnedMatrix& a, const OwnedMatrix& b, double rcond);

// |(V^T V - I)[i][j]| <= tol for every element of the leading n x n block of v.
void ExpectOrthogonal(const OwnedMatrix& v, long n, double tol);
// Per column j: max_i |x - expected| <= relTol * max_i |expected|.
void ExpectColumnsAgree(const OwnedMatrix& x, const OwnedMatrix& expected, double relTol);
// ||b_j - a * x_j||^2 in long double from the original a and b.
double ResidualSumOfSquares(const OwnedMatrix& a, const OwnedMatrix& b, const OwnedMatrix& x,
                            long j);

} // namespace svdtest
