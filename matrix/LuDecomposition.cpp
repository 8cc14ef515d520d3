// LU factorisation in Crout's form, A = L U with U unit upper triangular, row by row and in place,
// with no pivoting of any kind (rows keep their order), and the solve that goes with it.
#include "OstraPureMath/Matrix.h"

#include "common/ModuleConstants.h"

#include <algorithm>
#include <cmath>

namespace {

// Columns of one row handled together. Their running sums live in a stack buffer so that the
// rows above are walked contiguously (k outermost); each sum still runs over k ascending from 0.
constexpr long kColumnBlock = 64;

} // namespace

bool Matrix::LUDecomposition(double** a, long n, long) const {
    double sum[kColumnBlock];
    for (long i = 1; i <= n; ++i) {
        double* const row = a[i];
        // Column 1 is L(i, 1) = A(i, 1) as it stands.
        for (long j0 = 2; j0 <= n; j0 += kColumnBlock) {
            const long j1 = std::min(n, j0 + kColumnBlock - 1);
            std::fill(sum, sum + (j1 - j0 + 1), 0.0);
            // Column j sums over k = 1..min(j, i) - 1: L(i, j) for j <= i, U(i, j) for j > i.
            const long kLast = std::min(i - 1, j1 - 1);
            for (long k = 1; k <= kLast; ++k) {
                if (k >= j0) {
                    row[k] -= sum[k - j0]; // L(i, k) is complete before it is used
                }
                const double lik = row[k];
                for (long j = std::max(j0, k + 1); j <= j1; ++j) {
                    sum[j - j0] += lik * a[k][j];
                }
            }
            for (long j = std::max(j0, kLast + 1); j <= std::min(i, j1); ++j) {
                row[j] -= sum[j - j0];
            }
            if (j1 > i) {
                // Strict test before any division by the pivot: exactly the tolerance is
                // accepted and NaN passes. On failure no U element of row i has been written.
                if (std::fabs(row[i]) < opm::detail::kModuleTolerance) {
                    return false;
                }
                for (long j = std::max(j0, i + 1); j <= j1; ++j) {
                    row[j] = (row[j] - sum[j - j0]) / row[i];
                }
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
