// Exact power-of-two scaling of a matrix whose magnitude the squares of the SVDs cannot carry.
#include "matrix/MagnitudeScaling.h"

#include "common/Simd.h"

#include <algorithm>
#include <cmath>

namespace opm::detail {

namespace {

// The shifts add two products of two singular values or superdiagonals (each at most the
// largest singular value, which is at most sqrt(m n) times the largest magnitude): below 2^509
// they stay below 2^1020.
constexpr int kLargestSafeExponent = 509;
// The shifts also multiply a superdiagonal that is not negligible (at least about 2^-52 times
// the largest singular value, itself at least the largest magnitude) by a singular value: from
// a largest magnitude of 2^-485 on, that product stays a normal number (2^-1022 or more).
constexpr int kSmallestSafeExponent = -485;

// The least h with 2^h >= sqrt(m n), so that sqrt(m n) * largest < 2^(exponent + 1 + h).
int HalfLog2Ceiling(long m, long n) {
    const double cells = double(m) * double(n);
    int h = 0;
    while (std::ldexp(1.0, 2 * h) < cells) {
        ++h;
    }
    return h;
}

// The largest |a[i][j]| of the 1-based m x n matrix into largest; false when an entry is not
// finite. Without NaN or infinity the largest magnitude is the same in any order of comparison,
// so four columns of a row are compared side by side.
OPM_SIMD_CLONES bool LargestFiniteMagnitude(double** a, long m, long n, double& largest) {
    using simd::Double4;
    using simd::Mask4;
    const long long clear = 0x7fffffffffffffffLL;
    const Mask4 magnitudeBits = {clear, clear, clear, clear};
    const Double4 infinity = OPM_BROADCAST4(HUGE_VAL);
    Double4 lanes = OPM_BROADCAST4(0.0);
    Mask4 notFinite = {0, 0, 0, 0};
    double rest = 0.0;
    bool restFinite = true;
    for (long i = 1; i <= m; ++i) {
        const double* const row = a[i];
        long j = 1;
        for (; j + 3 <= n; j += 4) {
            const Double4 size = reinterpret_cast<Double4>(
                reinterpret_cast<Mask4>(OPM_LOAD4(row + j)) & magnitudeBits);
            notFinite |= (size != size) | (size == infinity);
            lanes = lanes >= size ? lanes : size;
        }
        for (; j <= n; ++j) {
            const double size = std::fabs(row[j]);
            restFinite = restFinite && std::isfinite(size);
            rest = rest >= size ? rest : size;
        }
    }
    if (simd::Any4(notFinite) || !restFinite) {
        return false;
    }
    largest = std::max(std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3])), rest);
    return true;
}

} // namespace

int MagnitudeScaleExponent(double** a, long m, long n) {
    double largest = 0.0;
    if (!LargestFiniteMagnitude(a, m, n, largest)) {
        return 0;
    }
    if (largest == 0.0) {
        return 0;
    }
    const int exponent = std::ilogb(largest); // largest in [2^exponent, 2^(exponent + 1))
    if (exponent >= kSmallestSafeExponent &&
        exponent + 1 + HalfLog2Ceiling(m, n) <= kLargestSafeExponent) {
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
