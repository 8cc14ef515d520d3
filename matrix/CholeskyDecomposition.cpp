// Cholesky factorisation A = U^T U (row-oriented, upper factor) and the inverse of A from U by
// forward and back substitution, computing the upper triangle only and mirroring it. The root is
// taken of |t|, so matrices that are not positive definite are factored without complaint.
#include "OstraPureMath/Matrix.h"

#include <algorithm>
#include <cmath>

bool Matrix::CholeskyDecomposition(double** a, double** u, long n) const {
    ZeroMatrix(u, n, n);
    for (long i = 1; i <= n; ++i) {
        // The sums over k = 1..i-1 of u[k][i] u[k][j] for j = i..n are accumulated in row i of
        // u itself, still 0, with k outermost so that rows of u are walked contiguously.
        double* const sum = u[i];
        for (long k = 1; k < i; ++k) {
            const double uki = u[k][i];
            for (long j = i; j <= n; ++j) {
                sum[j] += uki * u[k][j];
            }
        }
        for (long j = i; j <= n; ++j) {
            // Only the upper triangle of a is read.
            const double t = a[i][j] - sum[j];
            if (j == i) {
                u[i][i] = std::sqrt(std::fabs(t));
            } else {
                u[i][j] = t / u[i][i];
            }
        }
    }
    return true;
}

namespace {

// Substitution order for short columns; past this many components the blocked order, which
// reads u along its rows, is faster. Both give the same bits.
constexpr long kForwardBlock = 32;

// Solves U^T w = e_i for the components w[i..n]; the components below i are not touched. Each
// w[j] starts from 0, loses u[k][j] w[k] for k = i..j-1 in ascending order and is then divided
// by u[j][j].
void ForwardSolveUnitColumn(double** u, double* w, long i, long n) {
    w[i] = 1.0 / u[i][i];
    if (n - i < kForwardBlock) {
        for (long j = i + 1; j <= n; ++j) {
            w[j] = 0.0;
            for (long k = i; k < j; ++k) {
                w[j] -= u[k][j] * w[k];
            }
            w[j] /= u[j][j];
        }
        return;
    }
    // Blocks of components: first the terms of the components finished before the block
    // (k outermost, rows of u), then the rest of each sum in substitution order.
    for (long j0 = i + 1; j0 <= n; j0 += kForwardBlock) {
        const long j1 = std::min(n, j0 + kForwardBlock - 1);
        for (long j = j0; j <= j1; ++j) {
            w[j] = 0.0;
        }
        for (long k = i; k < j0; ++k) {
            const double wk = w[k];
            for (long j = j0; j <= j1; ++j) {
                w[j] -= u[k][j] * wk;
            }
        }
        for (long j = j0; j <= j1; ++j) {
            for (long k = j0; k < j; ++k) {
                w[j] -= u[k][j] * w[k];
            }
            w[j] /= u[j][j];
        }
    }
}

// Solves U x = w for the components x[i..n], from n down to i; x may be w itself (i == n).
void BackSolveUpper(double** u, const double* w, double* x, long i, long n) {
    x[n] = w[n] / u[n][n];
    for (long j = n - 1; j >= i; --j) {
        x[j] = w[j];
        for (long k = n; k > j; --k) {
            x[j] -= x[k] * u[j][k];
        }
        x[j] /= u[j][j];
    }
}

} // namespace

bool Matrix::CholeskyInvert(double** a, double** u, long n) const {
    if (!CholeskyDecomposition(a, u, n)) {
        return false;
    }
    if (n < 1) {
        return true;
    }
    // The last row of a is the work vector: no storage of its own.
    double* w = a[n];
    for (long i = 1; i <= n; ++i) {
        ForwardSolveUnitColumn(u, w, i, n);
        BackSolveUpper(u, w, a[i], i, n);
    }
    for (long i = 2; i <= n; ++i) {
        for (long j = 1; j < i; ++j) {
            a[i][j] = a[j][i];
        }
    }
    return true;
}
