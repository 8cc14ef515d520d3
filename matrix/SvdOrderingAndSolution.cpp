// Last steps of the least-squares SVD: order the singular values (selection sort, permuting V
// and Q^T * b along), then choose the numerical rank and form the minimum-norm solution
// x = V * diag(1 / d[1..r], 0, ..., 0) * Q^T * b and the residual sums of squares.
#include "OstraPureMath/Matrix.h"

#include <cmath>
#include <utility>

namespace {

// Smallest relative tolerance used for the rank.
constexpr double kSmallestRankTolerance = 1e-15;

// A comparison that involves a NaN counts as in order.
bool DescendingOrder(const double* d, long n) {
    for (long i = 2; i <= n; ++i) {
        if (d[i - 1] < d[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

bool Matrix::SVDStep3(double** a, double** b, double* d, long, long n, long nb) const {
    if (n <= 1) {
        return true;
    }
    // One selection pass leaves d in order; the test is repeated all the same.
    while (!DescendingOrder(d, n)) {
        for (long i = 2; i <= n; ++i) {
            // The first of equal largest values is taken (strict comparison).
            long p = i - 1;
            for (long j = i; j <= n; ++j) {
                if (d[j] > d[p]) {
                    p = j;
                }
            }
            if (p != i - 1) {
                std::swap(d[p], d[i - 1]);
                for (long r = 1; r <= n; ++r) {
                    std::swap(a[r][p], a[r][i - 1]);
                }
                for (long j = 1; j <= nb; ++j) {
                    std::swap(b[p][j], b[i - 1][j]);
                }
            }
        }
    }
    return true;
}

bool Matrix::SVDStep4(double** a, double** b, double* d, double** x, double* residual, long m,
                      long& n, long nb, double tolerance) const {
    double tau = std::fabs(tolerance);
    if (tau < kSmallestRankTolerance) {
        tau = kSmallestRankTolerance;
    }
    double dmax = 0.0;
    for (long i = 1; i <= n; ++i) {
        if (d[i] > dmax) {
            dmax = d[i];
        }
    }
    // A zero matrix has rank 0 whatever the tolerance (an infinite or NaN one times 0 is NaN).
    const double threshold = dmax == 0.0 ? 0.0 : tau * dmax;
    long rank = n;
    for (long i = 1; i <= n; ++i) {
        if (d[i] <= threshold) {
            rank = i - 1;
            break;
        }
    }

    // Rows 1..rank of Q^T * b are divided by their singular value; the others are what the
    // rank-r solution cannot reach: they make the residual and, within 1..n, are cleared.
    for (long j = 1; j <= nb; ++j) {
        residual[j] = 0.0;
    }
    for (long i = 1; i <= m; ++i) {
        if (i <= rank) {
            const double inverse = 1.0 / d[i];
            for (long j = 1; j <= nb; ++j) {
                b[i][j] = b[i][j] * inverse;
            }
        } else {
            for (long j = 1; j <= nb; ++j) {
                residual[j] = residual[j] + b[i][j] * b[i][j];
                if (i <= n) {
                    b[i][j] = 0.0;
                }
            }
        }
    }

    // x = V * b, each element accumulated from 0 over t = 1..n in place.
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= nb; ++j) {
            x[i][j] = 0.0;
        }
        for (long t = 1; t <= n; ++t) {
            const double vit = a[i][t];
            for (long j = 1; j <= nb; ++j) {
                x[i][j] = x[i][j] + vit * b[t][j];
            }
        }
    }
    n = rank;
    return true;
}
