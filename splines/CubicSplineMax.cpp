// Maximum of a spline over a window: pick the knot near which the maximum lies (first concave
// knot, then the highest knot, moved off the window's ends), then keep the highest of the
// stationary points of the two cubics that meet at that knot (roots of the quadratic S_i').
#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Splines.h"
#include "common/ModuleConstants.h"
#include "splines/SplineEvaluation.h"

#include <cmath>

namespace {

// Smallest spline whose maximum is searched (the evaluation's own minimum).
constexpr long kMinimumKnots = 6;

// Offsets t of stationary points are accepted in [0, 1): abscissa units, which match the
// interval only for knots one unit apart (sample numbers), as the method is defined.
bool AcceptedOffset(double t) {
    return 0.0 <= t && t < 1.0;
}

// Upward scan from knot `from` over the knots with x[i] <= b, knot n excluded: a strictly
// higher ordinate moves best, so among equal values the first wins.
void HighestKnotUpward(long from, double b, long n, const double* x, const double* y, long& best,
                       double& yMax) {
    for (long i = from; i <= n - 1 && x[i] <= b; ++i) {
        if (y[i] > yMax) {
            yMax = y[i];
            best = i;
        }
    }
}

// Downward scan from knot `from` over the knots with x[i] >= a: a strictly higher ordinate
// moves best, so among equal values the highest index wins.
void HighestKnotDownward(long from, double a, const double* x, const double* y, long& best,
                         double& yMax) {
    for (long i = from; i >= 1 && x[i] >= a; --i) {
        if (y[i] > yMax) {
            yMax = y[i];
            best = i;
        }
    }
}

// Root of (-k2 -+ D) with the numerator snapped to 0 below the tolerance, over 3 k3.
double StationaryOffset(double numerator, double k3) {
    if (std::fabs(numerator) < opm::detail::kModuleTolerance) {
        return 0.0;
    }
    return numerator / (3.0 * k3);
}

// Appends x[j] + t for each accepted stationary point t of interval j's cubic: the vertex of
// a parabola when |k3| is below the tolerance, else the roots of 3 k3 t^2 + 2 k2 t + k1 (a
// negative radicand gives NaN offsets, which are rejected). When parabolaOffset is given, the
// parabola's t is stored there whether accepted or not.
void AppendStationaryPoints(long j, const double* x, const double* cubicCoef,
                            const double* quadCoef, const double* linCoef, DoubleArray& candidates,
                            double* parabolaOffset) {
    const double k3 = cubicCoef[j];
    const double k2 = quadCoef[j];
    const double k1 = linCoef[j];
    if (std::fabs(k3) < opm::detail::kModuleTolerance) {
        const double t = (k1 * -0.5) / k2;
        if (parabolaOffset != nullptr) {
            *parabolaOffset = t;
        }
        if (AcceptedOffset(t)) {
            candidates.Add(x[j] + t);
        }
        return;
    }
    const double d = std::sqrt(k2 * k2 - 3.0 * k3 * k1);
    const double t1 = StationaryOffset(-k2 - d, k3);
    const double t2 = StationaryOffset(-k2 + d, k3);
    if (AcceptedOffset(t1)) {
        candidates.Add(x[j] + t1);
    }
    if (AcceptedOffset(t2)) {
        candidates.Add(x[j] + t2);
    }
}

} // namespace

bool Splines::CubicSplineMax(double a, double b, long n, const double* x, const double* y,
                             const double* cubicCoef, const double* quadCoef, const double* linCoef,
                             double& slope, double& xMax, double& yMax) const {
    // Window test, written so that limits that are not numbers fail it as well.
    if (n < kMinimumKnots || !(a < b) || !(x[1] <= a) || !(b <= x[n])) {
        return false;
    }
    opm::detail::splines::IntervalFinder finder(n, x);
    const long ia = finder.Containing(a);
    if (ia == 0) {
        return false; // knots out of order
    }
    long best = ia;
    yMax = y[ia];
    for (long i = ia; i <= n - 1 && x[i] < b; ++i) {
        if (quadCoef[i] < 0.0) {
            best = i;
            yMax = y[i];
            break;
        }
    }
    HighestKnotUpward(best + 1, b, n, x, y, best, yMax);

    slope = linCoef[best];
    if (std::fabs(linCoef[best]) < opm::detail::kModuleTolerance) {
        xMax = x[best];
        yMax = y[best];
        return true;
    }

    if (x[best] == a) {
        // Highest at the left end: look past the fall for the first knot where it rises again.
        // x[n] >= b stops the scan before knot n.
        long k = best + 1;
        while (x[k] < b && !(linCoef[k] >= 0.0)) {
            ++k;
        }
        if (!(x[k] < b)) {
            return false;
        }
        best = k;
        yMax = y[k];
        HighestKnotUpward(k + 1, b, n, x, y, best, yMax);
    } else if (x[best] == b) {
        // Mirror image at the right end; x[1] <= a stops the scan before knot 0.
        long k = best - 1;
        while (x[k] > a && !(linCoef[k] <= 0.0)) {
            --k;
        }
        if (!(x[k] > a)) {
            return false;
        }
        best = k;
        yMax = y[k];
        HighestKnotDownward(k - 1, a, x, y, best, yMax);
    }

    DoubleArray candidates;
    // Knot 1 has no interval on its left: only interval 1 is examined then.
    if (best > 1) {
        AppendStationaryPoints(best - 1, x, cubicCoef, quadCoef, linCoef, candidates, &xMax);
    }
    AppendStationaryPoints(best, x, cubicCoef, quadCoef, linCoef, candidates, nullptr);
    if (candidates.GetSize() == 0) {
        return false;
    }

    // Only a positive value wins; among equal values the first candidate.
    yMax = 0.0;
    for (INT_PTR c = 0; c < candidates.GetSize(); ++c) {
        const double X = candidates[c];
        const double v =
            opm::detail::splines::ValueAt(finder, X, n, x, y, cubicCoef, quadCoef, linCoef);
        if (v > yMax) {
            yMax = v;
            xMax = X;
        }
    }
    slope = opm::detail::splines::SlopeAt(finder, xMax, x, cubicCoef, quadCoef, linCoef);
    return true;
}
