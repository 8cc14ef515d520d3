// Splines: interpolating cubic splines over 1-based arrays.
//
// A spline through n knots is five caller-owned double arrays, always passed in this order:
//   x[1..n]          knot abscissae, strictly increasing (the caller's obligation; not checked),
//   y[1..n]          knot ordinates,
//   cubicCoef[1..n-1], quadCoef[1..n-1], linCoef[1..n-1]   per-interval coefficients.
// Interval i (i = 1..n-1) lies between x[i] and x[i+1]; on it, with t = X - x[i],
//   S_i(t) = y[i] + linCoef[i]*t + quadCoef[i]*t^2 + cubicCoef[i]*t^3,
// so linCoef[i] is the slope and 2*quadCoef[i] the second derivative at knot i.
// Every array is addressed from index 1; element 0 is never read or written, so an offset
// vector from Matrix::dVector(1, n) serves, or a plain array of n + 1 elements whose element 0
// is left unused. (A pointer one element before a plain array does not: forming it is undefined
// behaviour in C++.)
//
// The class holds no data: every operation is a const member that reads only its arguments, so
// one object serves any number of concurrent calls as long as the arrays they write differ.
// The searches (inverse, maximum, centroid) use the module-wide tolerance 1e-10.
#pragma once

#include "OstraPureMath/Export.h"

class OPM_API Splines {
public:
    Splines() = default;
    ~Splines() = default;
    Splines& operator=(const Splines&) { return *this; }

    // Builds the interpolating cubic spline through (x[k], y[k]), k = 1..n: the second
    // derivatives M_k at the knots from the tridiagonal three-moment system, solved by
    // elimination without pivoting, then the coefficients of every interval.
    //
    // endCondition:
    //   1  natural: M_1 = M_n = 0 (needs n >= 2);
    //   2  parabolic run-out: M_1 = M_2 and M_n = M_{n-1}, the end intervals are parabolas
    //      (needs n >= 3);
    //   3  M_1 and M_n are the straight-line extrapolations of the second derivatives at the next
    //      two knots, i.e. the third derivative is continuous across x[2] and x[n-1]
    //      (needs n >= 4);
    //   4  clamped: secondDer[1] and secondDer[n] are read on entry as the prescribed first
    //      derivatives at x[1] and x[n] (read before anything is written; needs n >= 2);
    //   any other code: the interior M_2..M_{n-1} of the natural system are solved and
    //      secondDer[1], secondDer[n] keep the caller's values, which enter the coefficients
    //      of the first and last interval.
    //
    // Reads x[1..n], y[1..n] (and secondDer[1], secondDer[n] for code 4). Writes
    // cubicCoef[1..n-1], quadCoef[1..n-1], linCoef[1..n-1] (index n is never written) and
    // secondDer[1..n] (codes 1 to 4) or secondDer[2..n-1] (other codes):
    //   cubicCoef[i] = (M_{i+1} - M_i) / (6 h_i),  quadCoef[i] = 0.5 M_i,
    //   linCoef[i]   = (y[i+1] - y[i]) / h_i - (M_{i+1} h_i + 2 h_i M_i) / 6,  h_i = x[i+1] - x[i].
    // With n = 2 and a code other than 4 there is no system to solve.
    //
    // Returns true on every path that returns, except for fewer knots than the end condition
    // needs (n < 4 for code 3, n < 3 for code 2, n < 2 for every other code): then the result
    // is false, no array is read or written and no storage is obtained. Nothing else is
    // validated: equal neighbouring abscissae give non-finite coefficients without any report.
    // Work storage (the tridiagonal system and the interval widths) comes from storage of the
    // calling thread that is kept for its later calls and released when the thread ends; when
    // it cannot be had, CMemoryException is raised and nothing has been written to the output
    // arrays.
    bool CubicSplines(const double* x, const double* y, long endCondition, long n,
                      double* cubicCoef, double* quadCoef, double* linCoef,
                      double* secondDer) const;

    // Definite integral of the spline from `from` to `to`, stored in `area` (which is written
    // from the start of the call on, so it must not alias an input array).
    //
    // With from <= to the result is the integral over [max(from, x[1]), min(to, x[n])]: unlike
    // evaluation, the end cubics are not extended beyond the knots, so limits outside the knots
    // are clipped, and to < x[1] or from > x[n] gives 0. It is summed interval by interval in
    // increasing order from the antiderivative of each cubic taken from its left knot.
    // Choice of this library: with from > to the result is the negated integral from `to` to
    // `from`, so that swapping the limits flips the sign exactly.
    // Reads x[1..n], y[1..n] and the coefficients [1..n-1]. Reports nothing.
    void CubicSplineIntegrate(double from, double to, long n, const double* x, const double* y,
                              const double* cubicCoef, const double* quadCoef,
                              const double* linCoef, double& area) const;

    // Abscissa at which the spline takes the value `target`, by bisection on [lo, hi], stored
    // in `root`.
    //
    // Each pass takes mid = (lo + hi) * 0.5 and sets root = mid, evaluates S(mid) - target and
    // S(lo) - target afresh, and moves hi to mid when their product is negative, else lo to mid
    // (also when it is zero or NaN). The search stops when |lo - hi| < 1e-10 or, failing that,
    // when |S(mid) - target| < 1e-10. `root` is the midpoint of the last pass, not of the final
    // bracket. Nothing checks that [lo, hi] brackets a solution: without a sign change the
    // bracket closes on hi and root ends within 1e-10 of hi (unless the value test stops the
    // search earlier). Evaluation extends the end cubics beyond the knots and, below six knots,
    // sees a spline that is 0 everywhere (see CubicSplineEval).
    // Choice of this library, so that every search ends: the search also stops after a pass
    // whose midpoint equals an end of the bracket (the bracket can no longer shrink: neighbouring
    // doubles are 1e-10 or more apart from magnitude 2^19 on), or after which lo or hi is not
    // finite; every later pass would have the same midpoint, so no result changes. A non-finite
    // target does not stop it: every product is then NaN or positive and the bracket closes on hi.
    // Reads x[1..n], y[1..n] and the coefficients [1..n-1]. Reports nothing.
    void CubicSplineSolve(double target, double lo, double hi, long n, const double* x,
                          const double* y, const double* cubicCoef, const double* quadCoef,
                          const double* linCoef, double& root) const;

    // Maximum of the spline over the window [a, b], near the highest knot of the window.
    //
    // Steps: (1) the window must satisfy n >= 6 and x[1] <= a < b <= x[n]. (2) ia is the first
    // interval with x[ia] <= a <= x[ia+1]; best = ia, yMax = y[ia]. (3) The first knot i >= ia
    // with x[i] < b and quadCoef[i] < 0 (concave) becomes best, yMax = y[i]. (4) Upward from
    // best + 1 over the knots with x[i] <= b (knot n excluded), a strictly higher y[i] becomes
    // best, so among equal values the first wins. (5) slope = linCoef[best]; if
    // |linCoef[best]| < 1e-10 the knot is the maximum. (6) If x[best] == a, the search moves to
    // the first later knot k with x[k] < b and linCoef[k] >= 0, then upward from it to the
    // highest knot with x[i] <= b (first wins among equal values). (7) Otherwise, if
    // x[best] == b, it moves to the first earlier knot k with x[k] > a and linCoef[k] <= 0, then
    // downward from it to the highest knot with x[i] >= a (among equal values the highest index
    // wins). (8) The stationary points of the cubics of intervals best-1 and best are the
    // candidates: t = -0.5 k1 / k2 when |k3| < 1e-10, else the roots (-k2 -+ D) / (3 k3) with
    // D = sqrt(k2^2 - 3 k3 k1) (a root whose numerator is below 1e-10 in magnitude is taken as
    // 0); a t is accepted when 0 <= t < 1, in abscissa units, which matches the interval only
    // for knots one unit apart (e.g. sample numbers), and the candidate x[j] + t is not checked
    // against [a, b]. (9, 10) The candidate with the highest positive value wins (first among
    // equal values); the selection starts from yMax = 0.0.
    // Choice of this library: when the chosen knot is knot 1 there is no interval 0, and only
    // interval 1 is examined in step 8.
    //
    // Outputs on each way out:
    //   window rejected (n < 6, b <= a, a < x[1], b > x[n], or a or b not a number; the last is
    //     a choice of this library): false; slope, xMax, yMax untouched.
    //   flat knot (step 5): true; slope = linCoef[best], xMax = x[best], yMax = y[best].
    //   no rising knot after a left-end knot (step 6) or no falling knot before a right-end knot
    //     (step 7): false; slope = linCoef and yMax = y at the knot of steps 2-4; xMax untouched.
    //   no candidate: false; slope = linCoef at the knot of steps 2-4; yMax = the highest knot
    //     value of steps 2-7; xMax untouched, or the parabola offset t (not an abscissa) of
    //     interval best-1 when that interval is a parabola.
    //   candidates, at least one with a positive value: true; xMax = the best candidate,
    //     yMax = S(xMax), slope = S'(xMax) (zero up to rounding).
    //   candidates, none positive (e.g. a negative spline): true; yMax = 0.0; xMax as in the row
    //     above (untouched or the parabola offset); slope = S'(xMax) at that xMax.
    // Reads x[1..n], y[1..n] and the coefficients [1..n-1]. The candidate list is a local
    // DoubleArray; its allocation failure raises CMemoryException.
    bool CubicSplineMax(double a, double b, long n, const double* x, const double* y,
                        const double* cubicCoef, const double* quadCoef, const double* linCoef,
                        double& slope, double& xMax, double& yMax) const;

    // Abscissa that halves the area under the spline over [a, b].
    //
    // area = CubicSplineIntegrate(a, b) (written first, directly). Then bisection on [a, b]:
    // each pass takes mid = (left + right) * 0.5, sets xCentroid = mid, and integrates from a to
    // mid; the search stops when that partial integral lies within +-1 ppm of area / 2 (band
    // edges half -+ half / 1e6), else moves left to mid when partial - half < 0 and right to mid
    // otherwise (also when equal or NaN), and stops when |left - right| < 1e-10. xCentroid is
    // the midpoint of the last pass; yCentroid = CubicSplineEval(xCentroid), so 0 below six
    // knots (the integral itself has no minimum on n). The search assumes the integral grows
    // with its upper limit (a spline positive on [a, b]); with a negative area the band is
    // empty and the bisection runs away from the half-area point to one end of the window (b
    // when the first midpoint lies beyond that point, a when it lies before it or on it) until
    // the width test ends it.
    // Choice of this library, so that every search ends: the search also stops after a pass
    // whose midpoint equals an end of the bracket, or after which an end is not finite; every
    // later pass would have the same midpoint, so no result changes. A non-finite area does not
    // stop it: the band test then fails and the bisection runs to an end of the window (to a when
    // the area is NaN) until the width test ends it.
    // Reads x[1..n], y[1..n] and the coefficients [1..n-1]. Reports nothing.
    void CubicSplineCentroid(double a, double b, long n, const double* x, const double* y,
                             const double* cubicCoef, const double* quadCoef, const double* linCoef,
                             double& area, double& xCentroid, double& yCentroid) const;

private:
    friend class SplinesTestAccess;

    // S(X). X <= x[1] uses interval 1 (the first cubic extended to the left), X >= x[n]
    // interval n-1 (the last cubic extended, t from x[n-1]), otherwise the first i with
    // x[i] <= X <= x[i+1] in a scan from i = 1, so an inner knot x[k] belongs to interval k-1
    // (the scan's interval is found by halving where the knots ascend, with the same result).
    // Returns 0 when no interval qualifies (X NaN, knots out of order) and for every X when
    // n < 6: six knots is the smallest spline evaluated.
    double CubicSplineEval(double X, long n, const double* x, const double* y,
                           const double* cubicCoef, const double* quadCoef,
                           const double* linCoef) const;
    // S'(X), with the same interval rules as CubicSplineEval but no minimum on n; 0 when no
    // interval qualifies.
    double CubicSplineDer(double X, long n, const double* x, const double* cubicCoef,
                          const double* quadCoef, const double* linCoef) const;
};
