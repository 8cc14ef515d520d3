#include "splines/SplineCoefficients.h"

#include "common/Simd.h"

#include <functional>

namespace opm::detail::splines {

namespace {

using simd::Broadcast4;
using simd::Double4;
using simd::Load4;
using simd::Store4;

// True when [a, a + count) and [b, b + count) share an element (pointers compared as the
// standard library orders them, which is total even across arrays).
bool Overlap(const double* a, const double* b, long count) {
    const std::less<const double*> before;
    return before(a, b + count) && before(b, a + count);
}

OPM_SIMD_CLONES void WriteSideBySide(const double* y, const double* h, const double* m, long n,
                                     double* cubicCoef, double* quadCoef, double* linCoef) {
    const Double4 six = Broadcast4(6.0);
    const Double4 half = Broadcast4(0.5);
    const Double4 two = Broadcast4(2.0);
    long i = 1;
    for (; i + 3 <= n - 1; i += 4) {
        const Double4 hi = Load4(h + i);
        const Double4 mi = Load4(m + i);
        const Double4 mNext = Load4(m + i + 1);
        Store4(cubicCoef + i, (mNext - mi) / (six * hi));
        Store4(quadCoef + i, half * mi);
        Store4(linCoef + i,
               (Load4(y + i + 1) - Load4(y + i)) / hi - (mNext * hi + two * hi * mi) / six);
    }
    for (; i <= n - 1; ++i) {
        cubicCoef[i] = (m[i + 1] - m[i]) / (6.0 * h[i]);
        quadCoef[i] = 0.5 * m[i];
        linCoef[i] = (y[i + 1] - y[i]) / h[i] - (m[i + 1] * h[i] + 2.0 * h[i] * m[i]) / 6.0;
    }
}

} // namespace

void WriteCoefficients(const double* y, const double* h, const double* m, long n, double* cubicCoef,
                       double* quadCoef, double* linCoef) {
    const double* const inputs[] = {y + 1, h + 1, m + 1};
    double* const outputs[] = {cubicCoef + 1, quadCoef + 1, linCoef + 1};
    bool separate = n >= 2;
    for (const double* in : inputs) {
        for (const double* out : outputs) {
            separate = separate && !Overlap(in, out, n);
        }
    }
    if (separate) {
        WriteSideBySide(y, h, m, n, cubicCoef, quadCoef, linCoef);
        return;
    }
    for (long i = 1; i <= n - 1; ++i) {
        cubicCoef[i] = (m[i + 1] - m[i]) / (6.0 * h[i]);
        quadCoef[i] = 0.5 * m[i];
        linCoef[i] = (y[i + 1] - y[i]) / h[i] - (m[i + 1] * h[i] + 2.0 * h[i] * m[i]) / 6.0;
    }
}

} // namespace opm::detail::splines
