// Cholesky factorisation A = U^T U (row-oriented, upper factor) and the inverse of A from U by
// forward and back substitution, computing the upper triangle only and mirroring it. The root is
// taken of |t|, so matrices that are not positive definite are factored without complaint.
#include "OstraPureMath/Matrix.h"

#include <cmath>

bool Matrix::CholeskyDecomposition(double** a, double** u, long n) const {
    ZeroMatrix(u, n, n);
    for (long i = 1; i <= n; ++i) {
        for (long j = i; j <= n; ++j) {
            double sum = 0.0;
            for (long k = 1; k < i; ++k) {
                sum += u[k][i] * u[k][j];
            }
            // Only the upper triangle of a is read.
            const double t = a[i][j] - sum;
            u[i][j] = t;
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

// Solves U^T w = e_i for the components w[i..n]; the components below i are not touched.
void ForwardSolveUnitColumn(double** u, double* w, long i, long n) {
    w[i] = 1.0 / u[i][i];
    for (long j = i + 1; j <= n; ++j) {
        w[j] = 0.0;
        for (long k = i; k < j; ++k) {
            w[j] -= u[k][j] * w[k];
        }
        w[j] /= u[j][j];
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
