// Area-halving abscissa of a spline over a window: bisection on the integral from the window's
// left end, stopped when the partial area is within +-1 ppm of half the total.
#include "OstraPureMath/Splines.h"
#include "common/ModuleConstants.h"
#include "splines/SplineSearch.h"

#include <cmath>

namespace {

// Half-width of the acceptance band, relative to half the area (1 ppm).
constexpr double kBandDivisor = 1000000.0;

} // namespace

void Splines::CubicSplineCentroid(double a, double b, long n, const double* x, const double* y,
                                  const double* cubicCoef, const double* quadCoef,
                                  const double* linCoef, double& area, double& xCentroid,
                                  double& yCentroid) const {
    CubicSplineIntegrate(a, b, n, x, y, cubicCoef, quadCoef, linCoef, area);
    const double half = area * 0.5;
    // With a negative area lower > upper: the band is empty and only the width test stops.
    const double lower = half - half / kBandDivisor;
    const double upper = half + half / kBandDivisor;

    double left = a;
    double right = b;
    for (;;) {
        const double mid = (left + right) * 0.5;
        xCentroid = mid;
        double partial = 0.0;
        CubicSplineIntegrate(a, mid, n, x, y, cubicCoef, quadCoef, linCoef, partial);
        if (lower <= partial && partial <= upper) {
            break;
        }
        const double leftBefore = left;
        const double rightBefore = right;
        if (partial - half < 0.0) {
            left = mid;
        } else {
            right = mid;
        }
        if (std::fabs(left - right) < opm::detail::kModuleTolerance) {
            break;
        }
        if (opm::detail::splines::BisectionCannotProceed(mid, leftBefore, rightBefore, left,
                                                         right)) {
            break;
        }
    }
    yCentroid = CubicSplineEval(xCentroid, n, x, y, cubicCoef, quadCoef, linCoef);
}
