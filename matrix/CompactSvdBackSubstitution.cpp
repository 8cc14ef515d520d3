// Back-substitution with a compact SVD, Numerical Recipes svbksb: x = V diag(1/w) U^T b, where a
// singular value of exactly 0 drops its component instead of dividing by it.
#include "OstraPureMath/Matrix.h"

#include "common/ThreadScratch.h"

#include <cstddef>

bool Matrix::SingularValueBackSubNRC(double** u, double* const w, double** v, long m, long n,
                                     double* const b, double* const x) const {
    if (n < 1) {
        return true;
    }
    const opm::detail::ScratchDoubles work(static_cast<std::size_t>(n));
    double* const t = work.data() - 1;
    for (long j = 1; j <= n; ++j) {
        double s = 0.0;
        // Only an exact zero is skipped: callers zero the singular values they want ignored.
        if (w[j] != 0.0) {
            for (long i = 1; i <= m; ++i) {
                s += u[i][j] * b[i];
            }
            s /= w[j];
        }
        t[j] = s;
    }
    for (long j = 1; j <= n; ++j) {
        double s = 0.0;
        for (long jj = 1; jj <= n; ++jj) {
            s += v[j][jj] * t[jj];
        }
        x[j] = s;
    }
    return true;
}
