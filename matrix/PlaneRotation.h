// The plane rotation of a pair, shared by GivensRotationTwoComponent and the SVD sweeps so that
// the sweeps can have it inlined while computing exactly the same expressions, and the
// application of a sweep's rotations to the rows of a matrix.
#pragma once

namespace opm::detail {

// (x, y) <- (c * x + s * y, c * y - s * x), both from the old values.
inline void RotatePair(double& x, double& y, double c, double s) {
    const double oldX = x;
    x = c * oldX + s * y;
    y = c * y - s * oldX;
}

// Applies rotations i = l..k - 1 in that order, rotation i (cs[i], sn[i]) to the pair of
// columns (i, i + 1) as RotatePair does, to rows firstRow..lastRow of a row-pointer matrix.
// Rows do not interact, so going row by row gives every element the same rotations in the same
// order as going column pair by column pair, along contiguous memory.
void RotateAdjacentColumns(double** rows, long firstRow, long lastRow, long l, long k,
                           const double* cs, const double* sn);

} // namespace opm::detail
