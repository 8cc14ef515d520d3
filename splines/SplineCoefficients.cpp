#include "splines/SplineCoefficients.h"

#include "common/Simd.h"

#include <functional>

namespace opm::detail::splines {

namespace {

using simd::Double4;

// True when [a, a + count) and [b, b + count) share an element (pointers compared as the
// standard library orders them, which is total even across arrays).
bool Overlap(const double* a, const double* b, long count) {
    const std::less<const double*> before;
    return before(a, b + count) && before(b, a + count);
}

OPM_SIMD_CLONES void WriteSideBySide(const double* y, const double* h, const double* m, long n,
                                     double* cubicCoef, double* quadCoef, double* linCoef) {
    const Double4 six = OPM_BROADCAST4(6.0);
    const Double4 half = OPM_BROADCAST4(0.5);
    const Double4 two = OPM_BROADCAST4(2.0);
    long i = 1;
    for (; i + 3 <= n - 1; i += 4) {
        const Double4 hi = OPM_LOAD4(h + i);
        const Double4 mi = OPM_LOAD4(m + i);
        const Double4 mNext = OPM_LOAD4(m + i + 1);
        OPM_STORE4(cubicCoef + i, (mNext - mi) / (six * hi));
        OPM_STORE4(quadCoef + i, half * mi);
        OPM_STORE4(linCoef + i, (OPM_LOAD4(y + i + 1) - OPM_LOAD4(y + i)) / hi -
                                    (mNext * hi + two * hi * mi) / six);
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
