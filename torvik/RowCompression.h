// Sequential QR reduction of a tall least-squares system, read one row at a time.
#pragma once

#include "torvik/PivotedQr.h"
#include "torvik/ScaledSystem.h"

#include <cstddef>
#include <vector>

namespace torvik {

// Reduces the scaled system [A | B] (n columns of A, nb of B) to an equivalent one of
// k = min(m, n) rows: the rows are gathered into a buffer of n + max(256, 2n) rows, and whenever
// it is full its Householder QR turns it into its triangle, whose first n rows are kept. Every
// step applies an orthogonal transformation to the rows, so the reduced system has exactly the
// least-squares solutions of the original one, and the work storage does not grow with m.
class ReducedSystem {
public:
    ReducedSystem(const ScaledSystem& system, int nb);

    int Rows() const { return rows_; }
    // The reduced A, k x n column by column (element (i, j) at i + j * k).
    Doubles A() const;
    // Column c of the reduced B: k values.
    const double* B(int c) const { return &At(0, n_ + c); }
    // Norm of the least-squares residual of column c of the scaled B (the part of it the
    // reduction dropped).
    double ResidualNorm(int c) const;

private:
    const double& At(int i, int j) const { return buffer_[ColumnMajor(i, j, ld_)]; }
    double& At(int i, int j) { return buffer_[ColumnMajor(i, j, ld_)]; }
    void Compress();

    int n_;
    int columns_;
    int ld_;
    int rows_ = 0;
    Doubles buffer_;
    std::vector<double> residualSquares_;
};

} // namespace torvik
