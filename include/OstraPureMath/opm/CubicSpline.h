// opm::CubicSpline: an interpolating cubic spline that owns its knots and coefficients.
//
// Built once from 0-based abscissae and ordinates, it answers value, slope, integral, inverse,
// maximum and centroid queries through the library's exact spline routines, so its results are
// bit for bit those of the compatible Splines interface on the same knots. Every member is
// const and only reads the object: one spline serves any number of threads at once. Arguments
// are checked first; NaN or infinite numbers are refused with opm::InvalidArgument, and no
// member writes anything or ends the process when it throws.
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/opm/Span.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace opm {

// The condition that closes the system for the second derivatives M at the end knots.
enum class EndCondition {
    natural = 1,          // M = 0 at both ends (at least 2 knots)
    parabolic_runout = 2, // M_0 = M_1 and M_{n-1} = M_{n-2}: the end intervals are parabolas
                          // (at least 3 knots)
    not_a_knot = 3,       // M at each end is the straight-line extrapolation of the next two,
                          // so the third derivative is continuous across the second and the
                          // last-but-one knot (at least 4 knots)
    clamped = 4,          // the first derivatives at both ends are given (at least 2 knots)
};

struct SplineMaximum {
    double x = 0.0;      // abscissa of the maximum
    double height = 0.0; // the spline's value there
};

struct SplineCentroid {
    double x = 0.0;    // abscissa that halves the area over the window
    double area = 0.0; // integral of the spline over the window
};

class OPM_API CubicSpline {
public:
    // The spline through (x[k], y[k]), k = 0..n-1, under `ends`. x and y have the same size n,
    // at least the knots the end condition needs (see EndCondition), and x strictly increases;
    // start_slope and end_slope are the prescribed first derivatives at x[0] and x[n-1], read
    // only for EndCondition::clamped. Any of these not met: opm::InvalidArgument. Knots so close
    // that a coefficient overflows: opm::NotConverged.
    CubicSpline(Span<const double> x, Span<const double> y,
                EndCondition ends = EndCondition::natural, double start_slope = 0.0,
                double end_slope = 0.0);

    // Number of knots n.
    std::size_t size() const noexcept { return m_size; }
    // The knots, and the coefficients of interval i = 0..n-2 (between x[i] and x[i+1]), where
    // with t = X - x[i] the spline is y[i] + linear[i] t + quadratic[i] t^2 + cubic[i] t^3.
    // second_derivatives() holds M at the n knots. The views live as long as the spline.
    Span<const double> knots() const noexcept { return OneBased(m_x, m_size); }
    Span<const double> values() const noexcept { return OneBased(m_y, m_size); }
    Span<const double> cubic_coefficients() const noexcept { return OneBased(m_cubic, m_size - 1); }
    Span<const double> quadratic_coefficients() const noexcept {
        return OneBased(m_quad, m_size - 1);
    }
    Span<const double> linear_coefficients() const noexcept { return OneBased(m_lin, m_size - 1); }
    Span<const double> second_derivatives() const noexcept { return OneBased(m_second, m_size); }

    // S(X). Left of the first knot the first cubic is extended, right of the last knot the last
    // one; an inner knot belongs to the interval on its left.
    // Unlike what a caller would expect, the exact evaluation gives 0 for every X when the spline
    // has fewer than six knots; value_any_knot_count does not have that minimum.
    double value(double X) const;
    // S(X) as value() but for any number of knots (the same bits from six knots on).
    double value_any_knot_count(double X) const;
    // S'(X), with the same choice of interval as value() and no minimum on the knots.
    double slope(double X) const;

    // Integral of S from `from` to `to`. Unlike evaluation, the end cubics are not extended: the
    // limits are clipped to [x[0], x[n-1]]. from > to gives the negated integral from to to from.
    double integral(double from, double to) const;

    // An X in [lo, hi] with S(X) = target, by bisection; it stops when the bracket is narrower
    // than 1e-10 or |S(mid) - target| < 1e-10 and returns the midpoint of its last pass. The
    // exact routine does not check the bracket (without a sign change it closes on hi) and, like
    // value(), sees a zero spline below six knots: here S(lo) - target and S(hi) - target must
    // have opposite signs (strictly) and the spline at least six knots, else
    // opm::InvalidArgument.
    double solve(double target, double lo, double hi) const;

    // Maximum of the spline over the window [a, b], near the window's highest knot: the knot
    // itself when |slope| < 1e-10 there, else the highest positive stationary point of the two
    // cubics that meet there. Needs at least six knots and x[0] <= a < b <= x[n-1]
    // (opm::InvalidArgument otherwise). Empty when the routine finds no maximum: the window is
    // highest at an end and the slope never turns, no stationary point qualifies, or none of
    // them is positive (the routine picks the highest value above 0, as for a peak on a
    // non-negative signal; a maximum of height exactly 0 reads as none).
    // Made for knots one unit apart (sample numbers): a stationary point is taken when it lies
    // 0 to 1 abscissa units after its interval's left knot, whatever the knot spacing, and the
    // result is not checked against [a, b]. With knots closer than one unit a point beyond the
    // interval may be taken; with knots farther apart one in the second part of an interval is
    // missed.
    std::optional<SplineMaximum> maximum(double a, double b) const;

    // The abscissa that halves the area under the spline over [a, b] (within +-1 ppm of half
    // the area, or a bracket narrower than 1e-10), by bisection on the integral, and that area.
    // Needs x[0] <= a < b <= x[n-1] (opm::InvalidArgument). The search assumes a positive area
    // (the routine runs to an end of the window otherwise): an area <= 0 throws opm::Degenerate.
    SplineCentroid centroid(double a, double b) const;

private:
    // The arrays are stored with an unused element 0, as the exact routines address them from 1.
    static Span<const double> OneBased(const std::vector<double>& values,
                                       std::size_t count) noexcept {
        return Span<const double>(values.data() + 1, count);
    }

    std::size_t m_size = 0;
    std::vector<double> m_x, m_y, m_cubic, m_quad, m_lin, m_second;
};

} // namespace opm
