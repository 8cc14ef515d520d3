// LU factorisation in Crout's form, A = L U with U unit upper triangular, row by row and in place,
// with no pivoting of any kind (rows keep their order), and the solve that goes with it.
#include "OstraPureMath/Matrix.h"

#include "frame/ModuleConstants.h"

#include <cmath>

namespace {

// Sum of a[i][k] * a[k][j] over k = 1..last, ascending from 0.
double RowTimesColumn(double** a, long i, long j, long last) {
    double sum = 0.0;
    for (long k = 1; k <= last; ++k) {
        sum += a[i][k] * a[k][j];
    }
    return sum;
}

} // namespace

bool Matrix::LUDecomposition(double** a, long n, long) const {
    for (long i = 1; i <= n; ++i) {
        // Column 1 is L(i, 1) = A(i, 1) as it stands.
        for (long j = 2; j <= n; ++j) {
            if (j <= i) {
                a[i][j] -= RowTimesColumn(a, i, j, j - 1);
            } else {
                const double sum = RowTimesColumn(a, i, j, i - 1);
                // Strict test: a pivot of exactly the tolerance is accepted; NaN passes.
                if (std::fabs(a[i][i]) < opm::kModuleTolerance) {
                    return false;
                }
                a[i][j] = (a[i][j] - sum) / a[i][i];
            }
        }
    }
    return true;
}

bool Matrix::LUSolve(double** a, double* b, long n, long) const {
    if (n < 1) {
        return true;
    }
    // Forward solution with L (its diagonal stored); no tolerance test on the divisors.
    b[1] /= a[1][1];
    for (long i = 2; i <= n; ++i) {
        double sum = 0.0;
        for (long k = 1; k < i; ++k) {
            sum += b[k] * a[i][k];
        }
        b[i] = (b[i] - sum) / a[i][i];
    }
    // Back solution with the unit upper triangle U: no division.
    for (long i = n - 1; i >= 1; --i) {
        double sum = 0.0;
        for (long k = i + 1; k <= n; ++k) {
            sum += a[i][k] * b[k];
        }
        b[i] -= sum;
    }
    return true;
}
