// Compact singular value decomposition a = U diag(w) V^T: the Golub-Reinsch algorithm in the
// formulation of Numerical Recipes svdcmp (Householder bidiagonalisation, accumulation of the
// right and left transformations, implicit-shift QR diagonalisation), 1-based, in place, with
// one malloc work vector. Also the overflow-safe hypotenuse it uses. Where a transformation acts
// on independent columns, the loops are interchanged so that the row-major storage is walked
// along rows; every element still receives the same operations in the same order.
#include "OstraPureMath/Matrix.h"
#include "matrix/MagnitudeScaling.h"

#include "common/ThreadScratch.h"
#include "matrix/PlaneRotation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// Passes allowed for one singular value before the decomposition gives up.
constexpr int kMaxPasses = 30;

// Largest order whose work storage (5 n doubles) can be addressed.
constexpr std::size_t kLargestOrder = SIZE_MAX / (5 * sizeof(double));

// |p| carrying the sign of f (f == 0 counts as positive).
double TransferSign(double p, double f) {
    return f >= 0.0 ? std::fabs(p) : -std::fabs(p);
}

// Negligible against the scale anorm, compared in double precision. An exact zero counts even
// when anorm is NaN, so the split scan always stops at rv1[1] == 0 and never reaches index 0.
bool IsNegligible(double x, double anorm) {
    return x == 0.0 || std::fabs(x) + anorm == anorm;
}

// Plane rotation of columns p and q of rows 1..rows: (p, q) <- (p c + q s, q c - p s).
void RotateColumns(double** a, long rows, long p, long q, double cs, double sn) {
    for (long j = 1; j <= rows; ++j) {
        const double y = a[j][p];
        const double z = a[j][q];
        a[j][p] = y * cs + z * sn;
        a[j][q] = z * cs - y * sn;
    }
}

// Phase 1: Householder reduction to upper bidiagonal form. The diagonal goes to w, the
// superdiagonal to rv1 (rv1[i] is element (i - 1, i), rv1[1] = 0); the reflection vectors stay
// in a. Returns anorm, the largest |w[i]| + |rv1[i]|.
double Bidiagonalise(double** a, long m, long n, double* w, double* rv1) {
    double g = 0.0;
    double scale = 0.0;
    double anorm = 0.0;
    for (long i = 1; i <= n; ++i) {
        const long l = i + 1;
        rv1[i] = scale * g;
        g = 0.0;
        double s = 0.0;
        scale = 0.0;
        if (i <= m) {
            for (long k = i; k <= m; ++k) {
                scale += std::fabs(a[k][i]);
            }
            if (scale != 0.0) {
                for (long k = i; k <= m; ++k) {
                    a[k][i] /= scale;
                    s += a[k][i] * a[k][i];
                }
                const double f = a[i][i];
                g = -TransferSign(std::sqrt(s), f);
                const double h = f * g - s;
                a[i][i] = f - g;
                // Columns j = l..n are transformed independently; their sums s and factors
                // f = s / h are kept in rv1[l..n] (not yet in use) so that a is walked by rows.
                double* const fj = rv1;
                for (long j = l; j <= n; ++j) {
                    fj[j] = 0.0;
                }
                for (long k = i; k <= m; ++k) {
                    const double aki = a[k][i];
                    for (long j = l; j <= n; ++j) {
                        fj[j] += aki * a[k][j];
                    }
                }
                for (long j = l; j <= n; ++j) {
                    fj[j] = fj[j] / h;
                }
                for (long k = i; k <= m; ++k) {
                    const double aki = a[k][i];
                    for (long j = l; j <= n; ++j) {
                        a[k][j] += fj[j] * aki;
                    }
                }
                for (long k = i; k <= m; ++k) {
                    a[k][i] *= scale;
                }
            }
        }
        w[i] = scale * g;
        g = 0.0;
        s = 0.0;
        scale = 0.0;
        if (i <= m && i != n) {
            for (long k = l; k <= n; ++k) {
                scale += std::fabs(a[i][k]);
            }
            if (scale != 0.0) {
                for (long k = l; k <= n; ++k) {
                    a[i][k] /= scale;
                    s += a[i][k] * a[i][k];
                }
                const double f = a[i][l];
                g = -TransferSign(std::sqrt(s), f);
                const double h = f * g - s;
                a[i][l] = f - g;
                for (long k = l; k <= n; ++k) {
                    rv1[k] = a[i][k] / h;
                }
                for (long j = l; j <= m; ++j) {
                    s = 0.0;
                    for (long k = l; k <= n; ++k) {
                        s += a[j][k] * a[i][k];
                    }
                    for (long k = l; k <= n; ++k) {
                        a[j][k] += s * rv1[k];
                    }
                }
                for (long k = l; k <= n; ++k) {
                    a[i][k] *= scale;
                }
            }
        }
        // Written as NR's FMAX so that a NaN element propagates into anorm.
        const double size = std::fabs(w[i]) + std::fabs(rv1[i]);
        anorm = anorm > size ? anorm : size;
    }
    return anorm;
}

// Phase 2: accumulate the right-hand transformations into v (V itself, not its transpose).
void AccumulateRight(double** a, long n, double** v, const double* rv1) {
    double g = 0.0; // carried over from the last row reflection of phase 1
    long l = n + 1;
    for (long i = n; i >= 1; --i) {
        if (i < n) {
            if (g != 0.0) {
                // Two divisions, in this order, to avoid possible underflow.
                for (long j = l; j <= n; ++j) {
                    v[j][i] = (a[i][j] / a[i][l]) / g;
                }
                // Columns j = l..n of v are transformed independently; their sums are kept in
                // row i of v (zeroed just below) so that v is walked by rows.
                double* const sj = v[i];
                for (long j = l; j <= n; ++j) {
                    sj[j] = 0.0;
                }
                for (long k = l; k <= n; ++k) {
                    const double aik = a[i][k];
                    for (long j = l; j <= n; ++j) {
                        sj[j] += aik * v[k][j];
                    }
                }
                for (long k = l; k <= n; ++k) {
                    const double vki = v[k][i];
                    for (long j = l; j <= n; ++j) {
                        v[k][j] += sj[j] * vki;
                    }
                }
            }
            for (long j = l; j <= n; ++j) {
                v[i][j] = 0.0;
                v[j][i] = 0.0;
            }
        }
        v[i][i] = 1.0;
        g = rv1[i];
        l = i;
    }
}

// Phase 3: accumulate the left-hand transformations into a, which becomes U (m x n).
void AccumulateLeft(double** a, long m, long n, const double* w) {
    for (long i = std::min(m, n); i >= 1; --i) {
        const long l = i + 1;
        double g = w[i];
        for (long j = l; j <= n; ++j) {
            a[i][j] = 0.0;
        }
        if (g != 0.0) {
            g = 1.0 / g;
            // Columns j = l..n are transformed independently; their sums and factors
            // f = (s / a[i][i]) g are kept in row i (just zeroed) so that a is walked by rows.
            double* const fj = a[i];
            for (long k = l; k <= m; ++k) {
                const double aki = a[k][i];
                for (long j = l; j <= n; ++j) {
                    fj[j] += aki * a[k][j];
                }
            }
            for (long j = l; j <= n; ++j) {
                fj[j] = (fj[j] / a[i][i]) * g;
            }
            for (long k = l; k <= m; ++k) {
                const double aki = a[k][i];
                for (long j = l; j <= n; ++j) {
                    a[k][j] += fj[j] * aki;
                }
            }
            // Row i's own update, from the 0 it held.
            for (long j = l; j <= n; ++j) {
                fj[j] = 0.0 + fj[j] * a[i][i];
            }
            for (long j = i; j <= m; ++j) {
                a[j][i] *= g;
            }
        } else {
            for (long j = i; j <= m; ++j) {
                a[j][i] = 0.0;
            }
        }
        a[i][i] += 1.0;
    }
}

// The rotations of one QR sweep, kept until the sweep is done: neither U nor V is read during
// the sweep, and applied afterwards row by row they give every element the same operations in
// the same order. Each array has room for n rotations, indexed by the first column of the pair.
struct SweepRotations {
    double* vCs;
    double* vSn;
    double* uCs;
    double* uSn;
};

// Phase 4: diagonalise the bidiagonal form by implicit-shift QR, rotating U (in a) and V.
// Returns false when a singular value has not split off after kMaxPasses passes.
bool Diagonalise(const Matrix& mat, double** a, long m, long n, double* w, double** v, double* rv1,
                 double anorm, const SweepRotations& sweep) {
    for (long k = n; k >= 1; --k) {
        for (int pass = 1; pass <= kMaxPasses; ++pass) {
            // Split test: find the top l of the unreduced block ending at k.
            bool flag = true;
            long l = k;
            long nm = 0;
            for (; l >= 1; --l) {
                nm = l - 1;
                if (IsNegligible(rv1[l], anorm)) {
                    flag = false;
                    break;
                }
                if (IsNegligible(w[nm], anorm)) {
                    break;
                }
            }
            if (flag) {
                // w[nm] is negligible: cancel rv1[l] by rotations from the left.
                double cs = 0.0;
                double sn = 1.0;
                for (long i = l; i <= k; ++i) {
                    const double f = sn * rv1[i];
                    rv1[i] = cs * rv1[i];
                    if (IsNegligible(f, anorm)) {
                        break;
                    }
                    const double g = w[i];
                    double h = mat.Pythag(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    cs = g * h;
                    sn = -f * h;
                    RotateColumns(a, m, nm, i, cs, sn);
                }
            }
            double z = w[k];
            if (l == k) {
                // Converged; make the singular value non-negative.
                if (z < 0.0) {
                    w[k] = -z;
                    for (long j = 1; j <= n; ++j) {
                        v[j][k] = -v[j][k];
                    }
                }
                break;
            }
            if (pass == kMaxPasses) {
                return false;
            }
            // Shift from the bottom 2 x 2 minor.
            double x = w[l];
            nm = k - 1;
            double y = w[nm];
            double g = rv1[nm];
            double h = rv1[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = mat.Pythag(f, 1.0);
            f = ((x - z) * (x + z) + h * (y / (f + TransferSign(g, f)) - h)) / x;
            // QR sweep: chase the bulge from l down to k.
            double cs = 1.0;
            double sn = 1.0;
            for (long j = l; j <= nm; ++j) {
                const long i = j + 1;
                g = rv1[i];
                y = w[i];
                h = sn * g;
                g = cs * g;
                z = mat.Pythag(f, h);
                rv1[j] = z;
                cs = f / z;
                sn = h / z;
                f = x * cs + g * sn;
                g = g * cs - x * sn;
                h = y * sn;
                y = y * cs;
                sweep.vCs[j] = cs;
                sweep.vSn[j] = sn;
                z = mat.Pythag(f, h);
                w[j] = z;
                // When z is 0 the rotation angle is arbitrary: cs and sn keep their values.
                if (z != 0.0) {
                    z = 1.0 / z;
                    cs = f * z;
                    sn = h * z;
                }
                f = cs * g + sn * y;
                x = cs * y - sn * g;
                sweep.uCs[j] = cs;
                sweep.uSn[j] = sn;
            }
            opm::detail::RotateAdjacentColumns(v, 1, n, l, k, sweep.vCs, sweep.vSn);
            opm::detail::RotateAdjacentColumns(a, 1, m, l, k, sweep.uCs, sweep.uSn);
            rv1[l] = 0.0;
            rv1[k] = f;
            w[k] = x;
        }
    }
    return true;
}

// Every element of U (a[1..m][1..n]), w[1..n] and V (v[1..n][1..n]) is finite.
bool FiniteFactors(double** a, long m, long n, const double* w, double** v) {
    const auto finite = [](const double* row, long count) {
        for (long j = 1; j <= count; ++j) {
            if (!std::isfinite(row[j])) {
                return false;
            }
        }
        return true;
    };
    for (long i = 1; i <= m; ++i) {
        if (!finite(a[i], n)) {
            return false;
        }
    }
    for (long i = 1; i <= n; ++i) {
        if (!finite(v[i], n)) {
            return false;
        }
    }
    return finite(w, n);
}

} // namespace

double Matrix::Pythag(double a, double b) const {
    const double p = std::fabs(a);
    const double q = std::fabs(b);
    if (p > q) {
        const double r = q / p;
        return p * std::sqrt(1.0 + r * r);
    }
    if (q == 0.0) {
        return 0.0;
    }
    const double r = p / q;
    return q * std::sqrt(1.0 + r * r);
}

bool Matrix::SingularValueDecompNRC(double** a, long m, long n, double* const w, double** v) const {
    if (n < 1) {
        return true;
    }
    // rv1[1..n], then four arrays of n rotation parameters, from the thread's scratch storage.
    if (std::size_t(n) > kLargestOrder) {
        AfxThrowMemoryException();
    }
    const opm::detail::ScratchDoubles work(5 * std::size_t(n));
    double* const rv1 = work.data() - 1;
    double* const rotations = work.data() + n - 1; // addressed 1..n like the columns
    const SweepRotations sweep{rotations, rotations + n, rotations + 2 * n, rotations + 3 * n};
    // Entries whose squares would leave the double range are scaled by 2^s first; U and V do
    // not change with it, and the singular values give the factor back.
    const int s = opm::detail::MagnitudeScaleExponent(a, m, n);
    opm::detail::ScaleByPowerOfTwo(a, m, n, s);
    const double anorm = Bidiagonalise(a, m, n, w, rv1);
    AccumulateRight(a, n, v, rv1);
    AccumulateLeft(a, m, n, w);
    const bool converged = Diagonalise(*this, a, m, n, w, v, rv1, anorm, sweep);
    opm::detail::ScaleByPowerOfTwo(w, 1, n, -s);
    // The method itself can reach an infinity or NaN from finite input (entries far apart in
    // magnitude, such as a subnormal next to ones): that is reported as a failure.
    return converged && FiniteFactors(a, m, n, w, v);
}
