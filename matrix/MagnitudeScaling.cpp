// Exact power-of-two scaling of a matrix whose magnitude the squares of the SVDs cannot carry.
#include "matrix/MagnitudeScaling.h"

#include <cmath>

namespace opm::detail {

namespace {

// Largest magnitude kept as it is: with up to 1000 rows a singular value is at most about
// 2^10 times it, and the shifts add a few such squares, all within 2^1024.
constexpr int kSafeExponent = 470;

} // namespace

int MagnitudeScaleExponent(double** a, long m, long n) {
    double largest = 0.0;
    for (long i = 1; i <= m; ++i) {
        for (long j = 1; j <= n; ++j) {
            const double size = std::fabs(a[i][j]);
            if (!std::isfinite(size)) {
                return 0;
            }
            largest = largest >= size ? largest : size;
        }
    }
    if (largest == 0.0) {
        return 0;
    }
    const int exponent = std::ilogb(largest); // largest in [2^exponent, 2^(exponent + 1))
    if (exponent >= -kSafeExponent && exponent < kSafeExponent) {
        return 0;
    }
    return -(exponent + 1);
}

void ScaleByPowerOfTwo(double* v, long first, long last, int s) {
    if (s == 0) {
        return;
    }
    for (long i = first; i <= last; ++i) {
        v[i] = std::ldexp(v[i], s);
    }
}

void ScaleByPowerOfTwo(double** a, long rows, long cols, int s) {
    for (long i = 1; i <= rows; ++i) {
        ScaleByPowerOfTwo(a[i], 1, cols, s);
    }
}

} // namespace opm::detail
