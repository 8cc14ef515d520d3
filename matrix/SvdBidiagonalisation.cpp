// First step of the least-squares SVD: Householder bidiagonalisation (Golub and Kahan, in the
// arrangement of Golub and Reinsch). Left reflections clear the columns below the diagonal and
// are applied to the right-hand sides at once; right reflections clear the rows beyond the
// superdiagonal and are kept (vector in row k of a, pivot value and factor in P and F) until
// V is accumulated from them in place of a.
#include "OstraPureMath/Matrix.h"

#include "matrix/SvdWorkVectors.h"

namespace {

// A constructed reflection never has a zero pivot value (|up| >= |s| > 0, or NaN), so P[k] = 0
// marks a row reflection that was the identity.
constexpr double kIdentityReflection = 0.0;

} // namespace

bool Matrix::SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) const {
    const opm::SvdWorkVectors work(4);
    double* const u = work[0]; // the vector a reflection is built from
    double* const t = work[1]; // the row or column a reflection is being applied to
    double* const P = work[2]; // pivot values of the row reflections
    double* const F = work[3]; // factors of the row reflections
    if (n < 1) {
        return false;
    }

    for (long k = 1; k <= n; ++k) {
        // Left reflection for column k; a square matrix's last column needs none.
        if (k < n || m > n) {
            double up = 0.0;
            double f = 0.0;
            GetColumnVector(a, u, m, n, k);
            if (HouseHolderTransform(u, up, f, m, k, k + 1)) {
                for (long j = k; j <= n; ++j) {
                    GetColumnVector(a, t, m, n, j);
                    HouseHolderTransformVector(u, up, f, t, m, k, k + 1);
                    ReplaceIthColumnVector(a, t, m, n, j);
                }
                for (long j = 1; j <= nb; ++j) {
                    GetColumnVector(b, t, m, nb, j);
                    HouseHolderTransformVector(u, up, f, t, m, k, k + 1);
                    ReplaceIthColumnVector(b, t, m, nb, j);
                }
            }
        }
        // Right reflection for row k, clearing columns k + 2..n.
        if (k <= n - 2) {
            double up = 0.0;
            double f = 0.0;
            GetRowVector(a, u, m, n, k);
            if (!HouseHolderTransform(u, up, f, n, k + 1, k + 2)) {
                P[k] = kIdentityReflection;
                continue;
            }
            P[k] = up;
            F[k] = f;
            for (long i = k; i <= m; ++i) {
                GetRowVector(a, t, m, n, i);
                HouseHolderTransformVector(u, up, f, t, n, k + 1, k + 2);
                if (i == k) {
                    // Row k keeps the reflection vector where the reflection has just made
                    // zeros; V is built from it below.
                    for (long j = k + 2; j <= n; ++j) {
                        t[j] = u[j];
                    }
                }
                ReplaceIthRowVector(a, t, m, n, i);
            }
        }
    }

    d[1] = a[1][1];
    e[1] = 0.0;
    for (long i = 2; i <= n; ++i) {
        d[i] = a[i][i];
        e[i] = a[i - 1][i];
    }

    // V = H1 * H2 * ... * H(n-2), accumulated backwards in rows and columns 1..n of a.
    for (long i = n; i >= 1; --i) {
        if (i <= n - 1) {
            GetRowVector(a, u, m, n, i);
        }
        for (long j = 1; j <= n; ++j) {
            a[i][j] = 0.0;
        }
        a[i][i] = 1.0;
        if (i <= n - 2 && P[i] != kIdentityReflection) {
            for (long j = i; j <= n; ++j) {
                GetColumnVector(a, t, m, n, j);
                HouseHolderTransformVector(u, P[i], F[i], t, n, i + 1, i + 2);
                ReplaceIthColumnVector(a, t, m, n, j);
            }
        }
    }
    return true;
}
