// opm: dense linear algebra with 0-based row-major matrices and value results.
//
// Every operation copies its inputs into the library's own storage, runs the library's exact
// routine on the copy and returns new values, so its results are bit for bit those of the
// compatible Matrix interface on the same numbers, and nothing the caller passed in is ever
// written. Inputs are checked first: sizes, null pointers, and NaN or infinite elements are
// refused with opm::InvalidArgument before any work is done. Failures are the exceptions of
// opm/Error.h; nothing here ends the process. Every operation may be called from any number of
// threads at once.
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/opm/Span.h"

#include <cstddef>
#include <vector>

namespace opm {

// A dense matrix owned by value, stored row by row: element (i, j), both from 0, is
// values()[i * cols() + j].
class DenseMatrix {
public:
    DenseMatrix() = default;
    // rows x cols zeros.
    DenseMatrix(std::size_t rows, std::size_t cols)
        : m_rows(rows), m_cols(cols), m_values(rows * cols) {}

    std::size_t rows() const noexcept { return m_rows; }
    std::size_t cols() const noexcept { return m_cols; }
    const std::vector<double>& values() const noexcept { return m_values; }
    double* data() noexcept { return m_values.data(); }
    const double* data() const noexcept { return m_values.data(); }
    // Unchecked element access.
    double operator()(std::size_t i, std::size_t j) const noexcept {
        return m_values[i * m_cols + j];
    }
    double& operator()(std::size_t i, std::size_t j) noexcept { return m_values[i * m_cols + j]; }

private:
    std::size_t m_rows = 0;
    std::size_t m_cols = 0;
    std::vector<double> m_values;
};

// A view of a row-major matrix that the caller owns: element (i, j) at data[i * cols + j].
// Made from a pointer and the two sizes (a C-contiguous NumPy array, a plain block) or
// implicitly from a DenseMatrix. The pointer may be null only when rows * cols is 0.
class MatrixView {
public:
    MatrixView(const double* data, std::size_t rows, std::size_t cols) noexcept
        : m_data(data), m_rows(rows), m_cols(cols) {}
    MatrixView(const DenseMatrix& matrix) noexcept
        : m_data(matrix.data()), m_rows(matrix.rows()), m_cols(matrix.cols()) {}

    const double* data() const noexcept { return m_data; }
    std::size_t rows() const noexcept { return m_rows; }
    std::size_t cols() const noexcept { return m_cols; }

private:
    const double* m_data;
    std::size_t m_rows;
    std::size_t m_cols;
};

// ---- Least squares by the singular value decomposition ------------------------------------

struct LeastSquaresSolution {
    DenseMatrix solution;                        // n x nb: column j solves a x = column j of b
    std::vector<double> singular_values;         // the n singular values of a, descending
    std::size_t rank = 0;                        // singular values above the rank threshold
    std::vector<double> residual_sum_of_squares; // nb: |b_j - a x_j|^2 for each column j
    bool converged = false;                      // false: the sweep limit was reached (see below)
};

// Minimum-norm least-squares solution of a x ~ b for the nb columns of b, through the singular
// value decomposition a = Q diag(d) V^T (Householder bidiagonalisation, Golub-Reinsch sweeps).
//
// a is m x n with 1 <= n <= m <= 1000 (the routine's work vectors hold 1000 elements); b is
// m x nb, nb >= 0 (with nb = 0 only the singular values and the rank are computed).
//
// The tolerance is relative, not absolute: the rank is the number of singular values strictly
// greater than max(tolerance, 1e-15) * (largest singular value), so the default 0 keeps every
// singular value above 1e-15 times the largest, and the components along the others are left
// out of the solution (which is then the minimum-norm solution of the rank-r truncation). It
// must satisfy 0 <= tolerance < 1: the routine itself takes a negative tolerance as its
// magnitude and gives rank 0 for 1 and above, both refused here as a likely mistake.
//
// converged is false when the QR sweeps used up their limit of 10 n in total: the values
// reached are still returned (singular values sorted, solution formed from them), but they may
// be inaccurate; check it. Results that are not finite (overflow at extreme magnitudes) throw
// opm::NotConverged.
OPM_API LeastSquaresSolution least_squares(MatrixView a, MatrixView b, double tolerance = 0.0);

// ---- Compact singular value decomposition -------------------------------------------------

struct CompactSvd {
    DenseMatrix u;         // m x n, columns the left singular vectors (orthonormal when m >= n)
    std::vector<double> w; // n singular values, non-negative and NOT sorted: w[i] belongs to
                           // column i of u and of v
    DenseMatrix v;         // n x n, V itself (not its transpose), orthogonal
};

// a = U diag(w) V^T for an m x n matrix (m, n >= 1, m may be smaller than n), by the compact
// Golub-Reinsch decomposition (the Numerical Recipes formulation). The singular values come
// back in the order the sweeps leave them, not sorted. Throws opm::NotConverged when one
// singular value has not split off after 30 passes, or when a result is not finite.
OPM_API CompactSvd compact_svd(MatrixView a);

// x = V diag(1/w) U^T b from a factorisation made by compact_svd (u m x n, w n, v n x n, b m).
// The exact routine leaves out only the components whose w[j] is exactly 0, so a tiny but
// non-zero singular value blows the solution up. cutoff is relative: the singular values
// w[j] <= cutoff * max(w) are set to 0 (on a copy) before the routine runs; the default 0 is
// the exact routine unchanged. 0 <= cutoff < 1.
OPM_API std::vector<double> compact_svd_solve(MatrixView u, Span<const double> w, MatrixView v,
                                              Span<const double> b, double cutoff = 0.0);

// ---- Cholesky ---------------------------------------------------------------------------

// Upper triangular U with a = U^T U for a symmetric positive-definite n x n matrix (n >= 1),
// row by row; U is returned whole with zeros below the diagonal. Only the upper triangle of a
// (j >= i) is read: the lower triangle is taken to mirror it and is never looked at.
// The exact routine factors any matrix, taking the root of |pivot|, so that a matrix that is
// not positive definite gives a "factor" that does not reproduce it; here every pivot is
// checked (recomputed in the routine's own order, so its sign is the one the routine saw) and a
// pivot <= 0 throws opm::Degenerate.
OPM_API DenseMatrix cholesky_factor(MatrixView a);

// Inverse of a symmetric positive-definite n x n matrix through its Cholesky factor (upper
// triangle of a read, as above), returned whole and symmetric. Throws opm::Degenerate when a is
// not positive definite, and opm::NotConverged when the inverse is not finite.
OPM_API DenseMatrix cholesky_inverse(MatrixView a);

// ---- LU without pivoting ------------------------------------------------------------------

// Solution x of a x = b, n x n (n >= 1), by Crout's LU factorisation WITHOUT pivoting: rows are
// never exchanged. A pivot L(i, i), i < n, of magnitude below 1e-10 throws opm::Degenerate, so
// some non-singular matrices fail (((0, 1), (1, 0)) does, its first pivot being 0); the last
// pivot L(n, n) is not tested by the routine, and a solution that comes out non-finite throws
// opm::Degenerate as well.
OPM_API std::vector<double> lu_solve(MatrixView a, Span<const double> b);

// ---- Vandermonde -----------------------------------------------------------------------

// Weights w with sum_i x[i]^k w[i] = q[k] for k = 0..n-1 (the first n power moments of the
// weights over the abscissae equal q), in O(n^2) through the master polynomial, without forming
// the matrix. x and q have the same size n >= 1. Repeated abscissae make the system singular:
// the routine then yields infinite or NaN weights, thrown here as opm::Degenerate.
OPM_API std::vector<double> vandermonde_solve(Span<const double> x, Span<const double> q);

} // namespace opm
