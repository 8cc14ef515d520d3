// Householder QR factorisation with column pivoting: A P = Q R.
#pragma once

#include "torvik/WorkStorage.h"

#include <cstddef>
#include <vector>

namespace torvik {

// Factors an m x n matrix, held column by column (element (i, j) at i + j * m, indices from 0),
// in place: Householder reflections H_k = I - tau_k v_k v_k^T, k = 0..min(m, n) - 1, reduce A P
// to the upper triangle or trapezoid R (Q = H_0 H_1 ...), with the column of largest remaining
// norm brought forward at each step (Businger and Golub; the partial norms are downdated as in
// LAPACK's dlaqp2 and recomputed where cancellation makes the downdate unreliable). Pivoting
// makes the diagonal of R non-increasing in magnitude, which is what the rank decision reads.
//
// Every loop is bounded by m and n. Norms are formed without overflow or harmful underflow for
// any finite matrix.
class PivotedQr {
public:
    PivotedQr(int m, int n, Doubles columns);

    int Rows() const { return m_; }
    int Columns() const { return n_; }
    // Number of reflections: min(m, n).
    int Steps() const { return steps_; }
    // R(i, j), i <= j, i < Steps(); 0 below the diagonal.
    double R(int i, int j) const { return i <= j ? At(i, j) : 0.0; }
    // Original index of the column moved to position k.
    int Pivot(int k) const { return pivots_[static_cast<std::size_t>(k)]; }

    // Number of leading diagonal elements of R with |R(k, k)| > tolerance * |R(0, 0)|; 0 for a
    // zero matrix.
    int Rank(double tolerance) const;

    // v := Q^T v, v of m elements.
    void ApplyQTranspose(double* v) const;
    // v := Q v, v of m elements.
    void ApplyQ(double* v) const;
    // v := R11^-1 v and v := R11^-T v for the leading k x k triangle R11, v of k elements;
    // requires k <= Steps() and a non-zero diagonal.
    void SolveR(int k, double* v) const;
    void SolveRTranspose(int k, double* v) const;

private:
    const double& At(int i, int j) const { return a_[ColumnMajor(i, j, m_)]; }
    double& At(int i, int j) { return a_[ColumnMajor(i, j, m_)]; }
    void Factor();
    void ApplyReflection(int k, double* v) const;

    int m_;
    int n_;
    int steps_;
    Doubles a_;
    std::vector<double> tau_;
    std::vector<int> pivots_;
};

} // namespace torvik
