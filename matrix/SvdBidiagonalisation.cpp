// First step of the least-squares SVD: Householder bidiagonalisation (Golub and Kahan, in the
// arrangement of Golub and Reinsch). Left reflections clear the columns below the diagonal and
// are applied to the right-hand sides at once; right reflections clear the rows beyond the
// superdiagonal and are kept (vector in row k of a, pivot value and factor in P and F) until
// V is accumulated from them in place of a.
#include "OstraPureMath/Matrix.h"

#include "matrix/HouseholderKernel.h"
#include "matrix/SvdWorkVectors.h"

#include <algorithm>

namespace {

// A constructed reflection never has a zero pivot value (|up| >= |s| > 0, or NaN), so P[k] = 0
// marks a row reflection that was the identity.
constexpr double kIdentityReflection = 0.0;

// Rows reflected together by ReflectRows.
constexpr long kRowGroup = 4;

// u[first..last] = column col of a over those rows; a column reflection reads nothing above its
// pivot, so the rows above are not copied.
void CopyColumnSegment(double** a, double* u, long col, long first, long last) {
    for (long i = first; i <= last; ++i) {
        u[i] = a[i][col];
    }
}

// Reflects columns first..last of the row-major matrix rows in place (elements p and l..m of
// each). The rows are walked in the outer loop so that the inner loop runs along a row, over
// contiguous independent columns; sm holds one sum per column, kSvdWorkCapacity at most, so
// wider ranges (right-hand sides) go in chunks.
void ReflectColumns(double** rows, long first, long last, const double* v, double up, double f,
                    long m, long p, long l, double* sm) {
    for (long chunk = first; chunk <= last; chunk += opm::kSvdWorkCapacity) {
        const long count = std::min(last - chunk + 1, opm::kSvdWorkCapacity);
        const auto element = [rows, chunk](long i, long q) -> double& {
            return rows[i][chunk + q];
        };
        opm::ReflectVectors(element, count, v, up, f, m, p, l, sm);
    }
}

// Reflects rows first..last of the matrix rows in place (elements p and l..m of each). Rows go
// kRowGroup at a time: each row's sum is a chain of dependent additions, and interleaving
// independent chains keeps the adder busy.
void ReflectRows(double** rows, long first, long last, const double* v, double up, double f, long m,
                 long p, long l) {
    double sm[kRowGroup];
    long i = first;
    for (; i + kRowGroup - 1 <= last; i += kRowGroup) {
        double* const group[kRowGroup] = {rows[i], rows[i + 1], rows[i + 2], rows[i + 3]};
        const auto element = [&group](long j, long q) -> double& { return group[q][j]; };
        opm::ReflectVectors(element, kRowGroup, v, up, f, m, p, l, sm);
    }
    for (; i <= last; ++i) {
        double* const row = rows[i];
        const auto element = [row](long j, long) -> double& { return row[j]; };
        opm::ReflectVectors(element, 1, v, up, f, m, p, l, sm);
    }
}

} // namespace

bool Matrix::SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) const {
    const opm::SvdWorkVectors work(4);
    double* const u = work[0]; // the vector a reflection is built from
    // The reflections are applied in place, so t no longer receives copies of columns; it holds
    // the per-column sums of ReflectColumns instead (0-based, up to kSvdWorkCapacity of them).
    double* const sums = &work[1][1];
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
            CopyColumnSegment(a, u, k, k, m);
            if (HouseHolderTransform(u, up, f, m, k, k + 1)) {
                ReflectColumns(a, k, n, u, up, f, m, k, k + 1, sums);
                ReflectColumns(b, 1, nb, u, up, f, m, k, k + 1, sums);
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
            ReflectRows(a, k, k, u, up, f, n, k + 1, k + 2);
            // Row k keeps the reflection vector where the reflection has just made zeros; V is
            // built from it below.
            for (long j = k + 2; j <= n; ++j) {
                a[k][j] = u[j];
            }
            ReflectRows(a, k + 1, m, u, up, f, n, k + 1, k + 2);
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
            ReflectColumns(a, i, n, u, P[i], F[i], n, i + 1, i + 2, sums);
        }
    }
    return true;
}
