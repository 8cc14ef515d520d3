// The caller's least-squares system seen through exact power-of-two scalings, and its residuals
// in extended precision.
#pragma once

#include "torvik/PowerOfTwo.h"
#include "torvik/WorkStorage.h"

#include <cstddef>
#include <vector>

namespace torvik {

// A (m x n, m row pointers of n doubles, indices from 0) with column j divided by 2^e_j, the power
// of two just above the column's largest magnitude, and B (m row pointers of nb doubles), column
// c divided by 2^eb_c alike. Only reads the caller's arrays, which it keeps addressing.
//
// Polynomial designs: when n >= 3, the last column is exactly 1 and every other column j holds
// the power t^(n-1-j) of the abscissae t in column n-2 to within 2^-48 of its magnitude (as
// std::pow or repeated multiplication give it), the residuals use the powers of t evaluated in
// extended precision instead of the caller's rounded ones. The system solved is then the one the
// abscissae define: the rounding of the powers (relative 1e-16) would otherwise limit an
// ill-conditioned fit to the digits it leaves (7.6 on NIST Filip, against 14 from its abscissae).
class ScaledSystem {
public:
    ScaledSystem(int m, int n, const double* const* a, const double* const* b, int nb);

    // False when A or B holds a NaN or an infinity; nothing else is then valid.
    bool Finite() const { return finite_; }
    int Rows() const { return m_; }
    int Columns() const { return n_; }
    int ColumnExponent(int j) const { return columns_[std::size_t(j)].exponent; }
    int RightHandSideExponent(int c) const { return rightHandSides_[std::size_t(c)].exponent; }
    double A(int i, int j) const { return columns_[std::size_t(j)].Divide(a_[i][j]); }
    double B(int i, int c) const { return rightHandSides_[std::size_t(c)].Divide(b_[i][c]); }

    // Rows first..first+count-1 of the scaled [A | B(:, 0..nb-1)] into the column-major block at
    // columns (leading dimension ld): column j of A at columns + j * ld, then those of B.
    void CopyRows(int first, int count, double* columns, int ld, int nb) const;

    // The scaled A column by column (element (i, j) at i + j * m).
    Doubles ColumnMajorA() const;

    // Residuals of the augmented system [I A; A^T 0] [r; y] = [b; 0] of the least-squares
    // problem min |b - A y| in the scaled variables, for right-hand side c, at y (n values) and
    // r (m values): f = b - r - A y (m values) and g = -A^T r (n values), every sum accumulated
    // in the extended type E (long double or DoubleDouble) and rounded once. With formR, r is
    // first set, row by row, to b - A y rounded, so that f holds what that rounding left.
    template <class E>
    void Residuals(int c, const double* y, bool formR, double* r, double* f, double* g) const;

    // The right-hand side of the normal equations at y: s = A^T (b - A y) (n values), the
    // residual of each row and the sums all in the extended type E, rounded once.
    template <class E> void NormalResidual(int c, const double* y, double* s) const;

private:
    bool PowersOfOneColumn() const;
    template <class E, class Visit> void WithRows(Visit visit) const;

    int m_;
    int n_;
    const double* const* a_;
    const double* const* b_;
    std::vector<PowerOfTwo> columns_;
    std::vector<double> reciprocals_;  // of the column scales, for the residuals
    std::vector<double> powerFactors_; // 2^((n-1-j) e(n-2) - e(j)): scaled powers to column j
    std::vector<PowerOfTwo> rightHandSides_;
    bool finite_ = true;
    bool polynomial_ = false;
};

} // namespace torvik
