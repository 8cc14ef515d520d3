// Definite integral of a spline: the antiderivative of each interval's cubic, taken from its
// left knot, summed over the intervals that the limits cover (clipped to the knots).
#include "OstraPureMath/Splines.h"

namespace {

// F_i(u) = y u + lin u^2 / 2 + quad u^3 / 3 + cubic u^4 / 4, in Horner form.
double IntervalAntiderivative(long i, double u, const double* y, const double* cubicCoef,
                              const double* quadCoef, const double* linCoef) {
    return (((cubicCoef[i] * u * 0.25 + quadCoef[i] / 3.0) * u + linCoef[i] * 0.5) * u + y[i]) * u;
}

// Integral over [max(from, x[1]), min(to, x[n])] for from <= to, accumulated in area.
void IntegrateForward(double from, double to, long n, const double* x, const double* y,
                      const double* cubicCoef, const double* quadCoef, const double* linCoef,
                      double& area) {
    area = 0.0;
    for (long i = 1; i <= n - 1; ++i) {
        const double left = x[i];
        const double right = x[i + 1];
        const bool holdsFrom = left <= from && from <= right;
        if (left <= to && to <= right) {
            area += IntervalAntiderivative(i, to - left, y, cubicCoef, quadCoef, linCoef);
            if (holdsFrom) {
                area -= IntervalAntiderivative(i, from - left, y, cubicCoef, quadCoef, linCoef);
            }
            return;
        }
        if (holdsFrom) {
            area += IntervalAntiderivative(i, right - left, y, cubicCoef, quadCoef, linCoef);
            area -= IntervalAntiderivative(i, from - left, y, cubicCoef, quadCoef, linCoef);
        } else if (from < left && right < to) {
            area += IntervalAntiderivative(i, right - left, y, cubicCoef, quadCoef, linCoef);
        }
    }
}

} // namespace

void Splines::CubicSplineIntegrate(double from, double to, long n, const double* x, const double* y,
                                   const double* cubicCoef, const double* quadCoef,
                                   const double* linCoef, double& area) const {
    if (from > to) {
        // Reversed limits: the integral from to to from, negated.
        IntegrateForward(to, from, n, x, y, cubicCoef, quadCoef, linCoef, area);
        area = -area;
        return;
    }
    IntegrateForward(from, to, n, x, y, cubicCoef, quadCoef, linCoef, area);
}
