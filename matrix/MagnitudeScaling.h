// Exact power-of-two scaling for the two singular value decompositions, whose QR shifts square
// singular values: entries of magnitude about 2^500 or more overflow those squares, entries of
// about 2^-500 or less underflow them. A matrix whose largest magnitude lies outside
// [2^-470, 2^470) is scaled by the power of two that brings it into [0.5, 1); every other matrix
// is left alone, so its results keep their bits. Scaling by a power of two is exact, and both
// decompositions are homogeneous in the entries, so the scaled run gives the factors of the
// original with singular values multiplied by that same power of two.
#pragma once

namespace opm::detail {

// The exponent s (0 when no scaling is called for) for the 1-based m x n matrix a: 2^s times the
// largest magnitude of a lies in [0.5, 1) when that magnitude is outside [2^-470, 2^470); 0 for a
// zero matrix or one holding a NaN or an infinity.
int MagnitudeScaleExponent(double** a, long m, long n);

// Multiplies v[first..last] by 2^s (std::ldexp: exact unless the result leaves the normal
// range). Nothing when s is 0.
void ScaleByPowerOfTwo(double* v, long first, long last, int s);
// The same for a[i][1..cols], i = 1..rows.
void ScaleByPowerOfTwo(double** a, long rows, long cols, int s);

} // namespace opm::detail
