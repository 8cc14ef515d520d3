// Exact power-of-two scaling for the two singular value decompositions, whose QR shifts
// multiply singular values: a largest singular value from 2^509 on overflows the sums of such
// products, and a largest magnitude below 2^-485 lets them underflow out of the normal range.
// A matrix for which either can happen (largest magnitude below 2^-485, or sqrt(m n) times it
// possibly reaching 2^509) is scaled by the power of two that brings its largest magnitude into
// [0.5, 1); every other matrix is left alone, so its results keep their bits. Scaling by a power
// of two is exact, and both decompositions are homogeneous in the entries, so the scaled run
// gives the factors of the original with singular values multiplied by that same power of two.
#pragma once

namespace opm::detail {

// The exponent s (0 when no scaling is called for) for the 1-based m x n matrix a: 2^s times the
// largest magnitude L of a lies in [0.5, 1) when L < 2^-485 or 2^(e + 1) sqrt(m n) > 2^509, with
// 2^e <= L < 2^(e + 1) (sqrt(m n) rounded up to a power of two); 0 otherwise, and for a zero
// matrix or one holding a NaN or an infinity.
int MagnitudeScaleExponent(double** a, long m, long n);

// Multiplies v[first..last] by 2^s (std::ldexp: exact unless the result leaves the normal
// range). Nothing when s is 0.
void ScaleByPowerOfTwo(double* v, long first, long last, int s);
// The same for a[i][1..cols], i = 1..rows.
void ScaleByPowerOfTwo(double** a, long rows, long cols, int s);

} // namespace opm::detail
