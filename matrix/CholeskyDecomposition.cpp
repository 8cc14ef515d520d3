// Cholesky factorisation A = U^T U (row-oriented, upper factor) and the inverse of A from U by
// forward and back substitution, computing the upper triangle only and mirroring it. The root is
// taken of |t|, so matrices that are not positive definite are factored without complaint.
#include "OstraPureMath/Matrix.h"

#include "common/Simd.h"
#include "common/ThreadScratch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

using opm::detail::simd::Double4;

// Columns of the inverse solved side by side: their divisions form independent chains.
constexpr long kColumnsTogether = 4;

// Row i of the factor. Each sum over k = 1..i-1 of u[k][i] u[k][j] (j = i..n) starts from 0 and
// takes its terms in ascending k; then u[i][i] = sqrt(|a[i][i] - sum|) and u[i][j] =
// (a[i][j] - sum) / u[i][i] for j > i. Only the upper triangle of a is read. Four sums go side
// by side in a vector; when fewer than four are left, the last vector of sums ends on n (u is
// n columns wide; with n < 4 the sums go one by one).
OPM_SIMD_CLONES void FactorRow(double** a, double** u, long i, long n) {
    double* const row = u[i];
    const double* const ai = a[i];
    double pivot = 0.0;
    for (long j = i; j <= n; j += 4) {
        const long rest = n - j + 1;
        const long start = rest >= 4 ? j : n >= 4 ? n - 3 : j; // first column of the sums
        double sums[4];
        if (rest >= 4 || n >= 4) {
            Double4 sum = OPM_BROADCAST4(0.0);
            for (long k = 1; k < i; ++k) {
                sum = sum + OPM_BROADCAST4(u[k][i]) * OPM_LOAD4(u[k] + start);
            }
            OPM_STORE4(sums, sum);
        } else {
            for (long c = j; c <= n; ++c) {
                double sum = 0.0;
                for (long k = 1; k < i; ++k) {
                    sum = sum + u[k][i] * u[k][c];
                }
                sums[c - start] = sum;
            }
        }
        long c = j;
        if (c == i) {
            pivot = row[i] = std::sqrt(std::fabs(ai[i] - sums[i - start]));
            ++c;
        }
        if (rest >= 4 && c == j) {
            OPM_STORE4(row + j, (OPM_LOAD4(ai + j) - OPM_LOAD4(sums)) / OPM_BROADCAST4(pivot));
            continue;
        }
        for (; c <= std::min(n, j + 3); ++c) {
            row[c] = (ai[c] - sums[c - start]) / pivot;
        }
    }
}

// x[first..last] -= row[first..last] * s. The elements after the whole vectors are done by one
// vector ending on last (last >= 4), its lanes before them stored back unchanged: x and row are
// rows of n-column matrices, readable from column 1 on.
__attribute__((always_inline)) inline void SubtractScaled(double* x, const double* row, double s,
                                                          long first, long last) {
    const Double4 s4 = OPM_BROADCAST4(s);
    long j = first;
    for (; j + 3 <= last; j += 4) {
        OPM_STORE4(x + j, OPM_LOAD4(x + j) - OPM_LOAD4(row + j) * s4);
    }
    if (j > last) {
        return;
    }
    if (last >= 4) {
        const Double4 old = OPM_LOAD4(x + last - 3);
        OPM_STORE4(x + last - 3, opm::detail::simd::KeepBefore(last - j + 1)
                                     ? old
                                     : old - OPM_LOAD4(row + last - 3) * s4);
        return;
    }
    for (; j <= last; ++j) {
        x[j] -= row[j] * s;
    }
}

// Columns i = first..first + count - 1 of the inverse (upper triangle, rows i of a), their
// solves interleaved step by step. For column i, in row w = a[i]: U^T w = e_i for w[i..n] (w[i]
// = 1 / u[i][i]; each w[j] starts from 0, loses u[k][j] w[k] for k = i..j-1 in ascending order
// and is divided by u[j][j]), then U x = w in place for x[i..n] (x[j] loses x[k] u[j][k] for
// k = n..j+1 in descending order and is divided by u[j][j]), with u[j][k] read from a[k][j], the
// transposed factor kept in the lower triangle of a.
OPM_SIMD_CLONES void InvertColumns(double** a, double** u, long first, long count, long n) {
    const long last = first + count - 1;
    for (long i = first; i <= last; ++i) {
        double* const w = a[i];
        w[i] = 1.0 / u[i][i];
        for (long j = i + 1; j <= n; ++j) {
            w[j] = 0.0;
        }
    }
    for (long k = first; k <= n; ++k) {
        for (long i = first; i <= std::min(k, last); ++i) {
            double* const w = a[i];
            if (k > i) {
                w[k] /= u[k][k];
            }
            SubtractScaled(w, u[k], w[k], k + 1, n);
        }
    }
    for (long k = n; k >= first; --k) {
        for (long i = first; i <= std::min(k, last); ++i) {
            double* const x = a[i];
            x[k] /= u[k][k];
            SubtractScaled(x, a[k], x[k], i, k - 1);
        }
    }
}

// Columns i = first..first + 3 of the inverse (first + 3 <= n), solved as InvertColumns does
// but side by side in the lanes of one vector, lane r for column first + r, in work[4 j + r]
// (4 (n + 1) doubles). A lane does nothing before its column starts (its elements stay 0 until
// then), and the elements of x before its column are never read for it; finally row i of a
// takes x[i..n].
OPM_SIMD_CLONES void InvertFourColumns(double** a, double** u, long first, long n, double* work) {
    using opm::detail::simd::Mask4;
    const auto lane = [work](long j) { return work + 4 * j; };
    for (long j = first; j <= n; ++j) {
        OPM_STORE4(lane(j), OPM_BROADCAST4(0.0));
    }
    for (long k = first; k <= n; ++k) {
        const long offset = k - first; // lanes r < offset have started, lane offset starts here
        const Mask4 started = {0 < offset ? -1 : 0, 1 < offset ? -1 : 0, 2 < offset ? -1 : 0,
                               3 < offset ? -1 : 0};
        const Mask4 starting = {0 == offset ? -1 : 0, 1 == offset ? -1 : 0, 2 == offset ? -1 : 0,
                                3 == offset ? -1 : 0};
        const Double4 diagonal = OPM_BROADCAST4(u[k][k]);
        const Double4 wk = OPM_LOAD4(lane(k));
        const Double4 pivot = starting  ? OPM_BROADCAST4(1.0) / diagonal
                              : started ? wk / diagonal
                                        : wk;
        OPM_STORE4(lane(k), pivot);
        const double* const uk = u[k];
        if (offset >= 3) {
            for (long j = k + 1; j <= n; ++j) {
                OPM_STORE4(lane(j), OPM_LOAD4(lane(j)) - OPM_BROADCAST4(uk[j]) * pivot);
            }
        } else {
            const Mask4 active = started | starting;
            for (long j = k + 1; j <= n; ++j) {
                const Double4 old = OPM_LOAD4(lane(j));
                OPM_STORE4(lane(j), active ? old - OPM_BROADCAST4(uk[j]) * pivot : old);
            }
        }
    }
    for (long k = n; k >= first; --k) {
        const Double4 xk = OPM_LOAD4(lane(k)) / OPM_BROADCAST4(u[k][k]);
        OPM_STORE4(lane(k), xk);
        const double* const column = a[k]; // u[j][k] at column[j]
        for (long j = first; j < k; ++j) {
            OPM_STORE4(lane(j), OPM_LOAD4(lane(j)) - OPM_BROADCAST4(column[j]) * xk);
        }
    }
    for (long r = 0; r < 4; ++r) {
        double* const row = a[first + r];
        for (long j = first + r; j <= n; ++j) {
            row[j] = lane(j)[r];
        }
    }
}

} // namespace

bool Matrix::CholeskyDecomposition(double** a, double** u, long n) const {
    for (long i = 1; i <= n; ++i) {
        std::fill(u[i] + 1, u[i] + n + 1, 0.0);
    }
    for (long i = 1; i <= n; ++i) {
        FactorRow(a, u, i, n);
    }
    return true;
}

bool Matrix::CholeskyInvert(double** a, double** u, long n) const {
    if (n < 1) {
        return CholeskyDecomposition(a, u, n);
    }
    const opm::detail::ScratchDoubles work(4 * (std::size_t(n) + 1));
    if (!CholeskyDecomposition(a, u, n)) {
        return false;
    }
    // a is free from here on: its lower triangle takes the transposed factor, row i of its
    // upper triangle the solution for column i.
    for (long k = 2; k <= n; ++k) {
        for (long j = 1; j < k; ++j) {
            a[k][j] = u[j][k];
        }
    }
    long i = 1;
    for (; i + kColumnsTogether - 1 <= n; i += kColumnsTogether) {
        InvertFourColumns(a, u, i, n, work.data());
    }
    if (i <= n) {
        InvertColumns(a, u, i, n - i + 1, n);
    }
    for (long i = 2; i <= n; ++i) {
        for (long j = 1; j < i; ++j) {
            a[i][j] = a[j][i];
        }
    }
    return true;
}
