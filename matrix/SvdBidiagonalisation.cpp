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
constexpr long kRowBlock = 64;

// u[first..last] = column col of a over those rows; a column reflection reads nothing above its
// pivot, so the rows above are not copied.
void CopyColumnSegment(double** a, double* u, long col, long first, long last) {
    for (long i = first; i <= last; ++i) {
        u[i] = a[i][col];
    }
}

// Columns first..first + count - 1 of a row-major matrix as vectors to reflect: walked row by
// row, they lie side by side in memory.
auto ColumnsOf(double** rows, long first, long count, double* factors) {
    const auto element = [rows, first](long i, long q) -> double& { return rows[i][first + q]; };
    return opm::detail::MakeReflectedVectors(element, count, factors);
}

// Applies left reflection k (pivot k, tail k + 1..m) to columns k..n of a and to every column of
// b in one pass over the rows, so that the right-hand sides add independent sums to the work of
// each row. Columns of b beyond the capacity of bFactors (kSvdWorkCapacity) take further passes.
void ReflectColumns(double** a, double** b, long m, long n, long nb, long k, const double* u,
                    double up, double f, double* aFactors, double* bFactors) {
    const long firstCount = std::min(nb, opm::detail::kSvdWorkCapacity);
    opm::detail::ReflectVectors(u, up, f, m, k, k + 1, ColumnsOf(a, k, n - k + 1, aFactors),
                                ColumnsOf(b, 1, firstCount, bFactors));
    for (long first = 1 + firstCount; first <= nb; first += opm::detail::kSvdWorkCapacity) {
        const long count = std::min(nb - first + 1, opm::detail::kSvdWorkCapacity);
        opm::detail::ReflectVectors(u, up, f, m, k, k + 1, ColumnsOf(b, first, count, bFactors));
    }
}

// Applies right reflection k (pivot k + 1, tail k + 2..n) to rows first..last of a, kRowBlock
// rows at a time. Each row's sum is a chain of dependent additions: the factors of a block are
// computed with the block's rows side by side for each element, which makes the chains
// independent while the block stays in the first-level cache; each row is then updated along
// its contiguous elements. factors holds kRowBlock values.
void ReflectRows(double** a, long n, long k, long first, long last, const double* u, double up,
                 double f, double* factors) {
    for (long block = first; block <= last; block += kRowBlock) {
        const long count = std::min(last - block + 1, kRowBlock);
        const auto element = [a, block](long j, long q) -> double& { return a[block + q][j]; };
        opm::detail::ComputeReflectionFactors(
            u, up, f, n, k + 1, k + 2, opm::detail::MakeReflectedVectors(element, count, factors));
        for (long q = 0; q < count; ++q) {
            double* const row = a[block + q];
            const auto rowElement = [row](long j) -> double& { return row[j]; };
            opm::detail::ApplyReflectionFactor(rowElement, factors[q], u, up, n, k + 1, k + 2);
        }
    }
}

} // namespace

bool Matrix::SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) const {
    const opm::detail::SvdWorkVectors work(4);
    double* const u = work[0]; // the vector a reflection is built from
    // Reflections are applied in place, so the second work vector needs no copy of a column; it
    // holds reflection factors instead (0-based): of the right-hand sides, or of a block of rows.
    double* const bFactors = &work[1][1];
    double* const P = work[2]; // pivot values of the row reflections
    double* const F = work[3]; // factors of the row reflections
    // Factors of a's columns, at most n <= kSvdWorkCapacity of them (8 KB of stack).
    double aFactors[opm::detail::kSvdWorkCapacity];
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
                ReflectColumns(a, b, m, n, nb, k, u, up, f, aFactors, bFactors);
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
            ReflectRows(a, n, k, k, m, u, up, f, bFactors);
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
            opm::detail::ReflectVectors(u, P[i], F[i], n, i + 1, i + 2,
                                        ColumnsOf(a, i, n - i + 1, aFactors));
        }
    }
    return true;
}
