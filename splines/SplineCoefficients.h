// The per-interval coefficients of a cubic spline from its second derivatives.
#pragma once

namespace opm::detail::splines {

// For i = 1..n-1, with h[i] = x[i+1] - x[i] and m the second derivatives at the knots:
//   cubicCoef[i] = (m[i+1] - m[i]) / (6 h[i]),  quadCoef[i] = 0.5 m[i],
//   linCoef[i]   = (y[i+1] - y[i]) / h[i] - (m[i+1] h[i] + 2 h[i] m[i]) / 6,
// written interval by interval in that order (cubic, quadratic, linear). Where no output range
// overlaps an input range, four intervals are computed side by side, with the same bits.
void WriteCoefficients(const double* y, const double* h, const double* m, long n, double* cubicCoef,
                       double* quadCoef, double* linCoef);

} // namespace opm::detail::splines
