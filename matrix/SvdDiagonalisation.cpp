// Second step of the least-squares SVD: implicit-shift QR sweeps of Golub and Reinsch that drive
// the upper-bidiagonal matrix (diagonal d, superdiagonal e[i] at (i - 1, i)) to diagonal form.
// Rotations from the right update the columns of V (rows 1..n of a), rotations from the left the
// rows of the right-hand sides b, so that a = Q * B * V^T with b = Q^T * b holds throughout.
#include "OstraPureMath/Matrix.h"

#include "matrix/PlaneRotation.h"
#include "matrix/SvdWorkVectors.h"

#include <cmath>

namespace {

// Sweeps allowed per column, counted over the whole call.
constexpr long kSweepsPerColumn = 10;
// Beyond this magnitude f^2 + 1 is f^2 to working precision (and f^2 might overflow).
constexpr double kShiftRootCutoff = 1e10;

// Negligible relative to the norm estimate: adding the element to it changes nothing. The
// grouping is deliberate and differs for d and e; it is evaluated in double precision.
bool DiagonalNegligible(double value, double anorm) {
    return (value + anorm) - anorm == 0.0;
}
bool SuperdiagonalNegligible(double value, double anorm) {
    return (anorm - value) - anorm == 0.0;
}

} // namespace

bool Matrix::SVDStep2(double** a, double** b, double* d, double* e, long m, long n, long nb,
                      bool& converged) const {
    converged = true;
    double anorm = 0.0;
    for (long j = 1; j <= n; ++j) {
        const double rowNorm = std::fabs(d[j]) + std::fabs(e[j]);
        if (rowNorm > anorm) {
            anorm = rowNorm;
        }
    }
    if (n < 1) {
        return true;
    }

    const long sweepLimit = kSweepsPerColumn * n;
    long sweeps = 0;
    long k = n; // bottom row of the part not yet diagonal
    while (k >= 1) {
        if (k != 1) {
            if (DiagonalNegligible(d[k], anorm)) {
                SVDStep2_1(a, d, e, m, n, nb, k);
            }
            // Split point: the top l of the unreduced block ending at k.
            long l = k;
            bool cancel = false;
            for (;; --l) {
                if (l == 1 || SuperdiagonalNegligible(e[l], anorm)) {
                    break;
                }
                if (DiagonalNegligible(d[l - 1], anorm)) {
                    cancel = true;
                    break;
                }
            }
            if (cancel) {
                SVDStep2_2(b, d, e, m, n, nb, k, l);
            }
            if (l != k) {
                SVDStep2_3(a, b, d, e, m, n, nb, k, l);
                ++sweeps;
                if (sweeps <= sweepLimit) {
                    continue;
                }
                // Out of sweeps: d[k] is taken as it stands.
                converged = false;
            }
        }
        // d[k] is final: make it non-negative, and V's column k with it.
        if (d[k] < 0.0) {
            d[k] = -d[k];
            for (long r = 1; r <= n; ++r) {
                a[r][k] = -a[r][k];
            }
        }
        --k;
    }
    return true;
}

// d[k] negligible: chase e[k] up the column with rotations from the right on columns i and k.
bool Matrix::SVDStep2_1(double** a, double* d, double* e, long, long n, long, long k) const {
    if (k - 1 < 1) {
        return true;
    }
    double z = 0.0; // bulge carried up to the next row
    for (long i = k - 1; i >= 1; --i) {
        double cs = 0.0;
        double sn = 0.0;
        GivensRotationVector(d[i], i == k - 1 ? e[k] : z, cs, sn);
        if (i > 1) {
            z = -sn * e[i];
            e[i] = cs * e[i];
        }
        for (long r = 1; r <= n; ++r) {
            opm::detail::RotatePair(a[r][i], a[r][k], cs, sn);
        }
    }
    return true;
}

// d[l - 1] negligible: chase e[l] along row l - 1 with rotations from the left on rows i, l - 1.
bool Matrix::SVDStep2_2(double** b, double* d, double* e, long, long, long nb, long k,
                        long l) const {
    if (l > k) {
        return true;
    }
    double z = 0.0; // bulge carried to the next column
    for (long i = l; i <= k; ++i) {
        double cs = 0.0;
        double sn = 0.0;
        GivensRotationVector(d[i], i == l ? e[l] : z, cs, sn);
        if (i < k) {
            z = -sn * e[i + 1];
            e[i + 1] = cs * e[i + 1];
        }
        for (long j = 1; j <= nb; ++j) {
            opm::detail::RotatePair(b[i][j], b[l - 1][j], cs, sn);
        }
    }
    return true;
}

// One implicit-shift QR sweep on rows and columns l..k (l < k), the shift taken from the
// trailing 2 x 2 block of B^T * B.
bool Matrix::SVDStep2_3(double** a, double** b, double* d, double* e, long, long n, long nb, long k,
                        long l) const {
    const double x = d[l];
    const double y = d[k - 1];
    const double w = d[k];
    const double g = e[k - 1];
    const double h = e[k];
    double f = ((y - w) * (y + w) + (g - h) * (g + h)) / ((h + h) * y);
    const double root = std::fabs(f) > kShiftRootCutoff ? std::fabs(f) : std::sqrt(f * f + 1.0);
    const double t = f >= 0.0 ? f + root : f - root;
    f = ((x - w) * (x + w) + h * (y / t - h)) / x;

    // The right rotations only change V, which nothing in the sweep reads: they are kept here and
    // applied to V once the sweep is done (k - l < kSvdWorkCapacity of them, 16 KB of stack).
    double rightCs[opm::detail::kSvdWorkCapacity];
    double rightSn[opm::detail::kSvdWorkCapacity];
    double z = 0.0; // bulge chased down the band
    for (long i = l; i <= k - 1; ++i) {
        double cs = 0.0;
        double sn = 0.0;
        // From the right on columns i and i + 1.
        if (i == l) {
            GivensRotationDefinition(f, e[l + 1], cs, sn);
        } else {
            GivensRotationVector(e[i], z, cs, sn);
        }
        opm::detail::RotatePair(d[i], e[i + 1], cs, sn);
        z = sn * d[i + 1];
        d[i + 1] = cs * d[i + 1];
        rightCs[i] = cs;
        rightSn[i] = sn;
        // From the left on rows i and i + 1.
        GivensRotationVector(d[i], z, cs, sn);
        opm::detail::RotatePair(e[i + 1], d[i + 1], cs, sn);
        if (i < k - 1) {
            z = sn * e[i + 2];
            e[i + 2] = cs * e[i + 2];
        }
        for (long j = 1; j <= nb; ++j) {
            opm::detail::RotatePair(b[i][j], b[i + 1][j], cs, sn);
        }
    }
    opm::detail::RotateAdjacentColumns(a, 1, n, l, k, rightCs, rightSn);
    return true;
}
