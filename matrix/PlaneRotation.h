// The plane rotation of a pair, shared by GivensRotationTwoComponent and the SVD sweeps so that
// the sweeps can have it inlined while computing exactly the same expressions.
#pragma once

namespace opm::detail {

// (x, y) <- (c * x + s * y, c * y - s * x), both from the old values.
inline void RotatePair(double& x, double& y, double c, double s) {
    const double oldX = x;
    x = c * oldX + s * y;
    y = c * y - s * oldX;
}

} // namespace opm::detail
