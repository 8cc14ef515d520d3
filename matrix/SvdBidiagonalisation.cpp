// First step of the least-squares SVD: Householder bidiagonalisation (Golub and Kahan, in the
// arrangement of Golub and Reinsch). Left reflections clear the columns below the diagonal and
// are applied to the right-hand sides at once; right reflections clear the rows beyond the
// superdiagonal and are kept (vector in row k of a, pivot value and factor in P and F) until
// V is accumulated from them in place of a.
#include "OstraPureMath/Matrix.h"

#include "matrix/ReflectionKernels.h"
#include "matrix/SvdWorkVectors.h"

namespace {

// A constructed reflection never has a zero pivot value (|up| >= |s| > 0, or NaN), so P[k] = 0
// marks a row reflection that was the identity.
constexpr double kIdentityReflection = 0.0;

} // namespace

bool Matrix::SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) const {
    using opm::detail::ColumnRun;
    const opm::detail::SvdWorkVectors work(3);
    double* const u = work[0]; // the vector a reflection is built from
    double* const P = work[1]; // pivot values of the row reflections
    double* const F = work[2]; // factors of the row reflections
    if (n < 1) {
        return false;
    }

    for (long k = 1; k <= n; ++k) {
        // Left reflection for column k, applied to columns k..n of a and to every column of b
        // (a column reflection reads nothing above its pivot, so rows above k are not copied);
        // a square matrix's last column needs none.
        if (k < n || m > n) {
            double up = 0.0;
            double f = 0.0;
            const double scale = opm::detail::CopyColumnWithScale(a, k, k, m, u);
            if (opm::detail::ReflectionFromScale(u, scale, up, f, m, k, k + 1)) {
                opm::detail::ReflectColumnRuns(u, up, f, m, k, k + 1, ColumnRun{a, k, n - k + 1},
                                               ColumnRun{b, 1, nb});
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
            opm::detail::ReflectRows(a, k, m, u, up, f, n, k + 1, k + 2);
            // Row k keeps the reflection vector where the reflection has just made zeros; V is
            // built from it below. (No other row reads row k: they use the copy in u.)
            for (long j = k + 2; j <= n; ++j) {
                a[k][j] = u[j];
            }
        }
    }

    d[1] = a[1][1];
    e[1] = 0.0;
    for (long i = 2; i <= n; ++i) {
        d[i] = a[i][i];
        e[i] = a[i - 1][i];
    }

    // V = H1 * H2 * ... * H(n-2), accumulated backwards in rows and columns 1..n of a. Row
    // reflection i changes rows i + 1..n only, and only of columns i..n.
    for (long i = n; i >= 1; --i) {
        if (i <= n - 1) {
            GetRowVector(a, u, m, n, i);
        }
        for (long j = 1; j <= n; ++j) {
            a[i][j] = 0.0;
        }
        a[i][i] = 1.0;
        if (i <= n - 2 && P[i] != kIdentityReflection) {
            opm::detail::ReflectColumnRuns(u, P[i], F[i], n, i + 1, i + 2,
                                           ColumnRun{a, i, n - i + 1}, ColumnRun{a, 1, 0});
        }
    }
    return true;
}
