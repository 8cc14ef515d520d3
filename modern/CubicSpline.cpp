// opm::CubicSpline: the exact spline routines of Splines over knots and coefficients that the
// object owns, stored 1-based with an unused element 0 so that they are passed as they are.
#include "OstraPureMath/opm/CubicSpline.h"
#include "OstraPureMath/Splines.h"
#include "OstraPureMath/opm/Error.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "splines/SplineEvaluation.h"

#include <algorithm>
#include <string>

namespace opm {

namespace {

// The fewest knots the searches (inverse, maximum) work with: the exact evaluation's minimum.
constexpr std::size_t kSearchKnots = detail::splines::kMinimumEvaluatedKnots;

std::size_t MinimumKnots(const char* operation, EndCondition ends) {
    switch (ends) {
    case EndCondition::natural:
    case EndCondition::clamped:
        return 2;
    case EndCondition::parabolic_runout:
        return 3;
    case EndCondition::not_a_knot:
        return 4;
    }
    detail::Refuse(operation, "the end condition " + detail::Text(static_cast<int>(ends)) +
                                  " is not one of the four EndCondition values");
}

void RequireSearchKnots(const char* operation, std::size_t knots) {
    if (knots < kSearchKnots) {
        detail::Refuse(operation, "the spline has " + detail::Text(knots) + " knots; at least " +
                                      detail::Text(kSearchKnots) +
                                      " are needed (below that the exact evaluation is 0)");
    }
}

std::vector<double> OneBasedCopy(Span<const double> values) {
    std::vector<double> copy(values.size() + 1, 0.0);
    std::copy(values.begin(), values.end(), copy.begin() + 1);
    return copy;
}

} // namespace

CubicSpline::CubicSpline(Span<const double> x, Span<const double> y, EndCondition ends,
                         double start_slope, double end_slope) {
    constexpr const char* kOperation = "opm::CubicSpline";
    detail::Guarded(kOperation, [&] {
        detail::RequireFinitePairs(kOperation, "x", x, "y", y, MinimumKnots(kOperation, ends));
        detail::RequireFinite(kOperation, "start_slope", start_slope);
        detail::RequireFinite(kOperation, "end_slope", end_slope);
        detail::RequireIncreasing(kOperation, "x", x);
        const long n = detail::ToLong(kOperation, "the knot count", x.size());

        m_size = x.size();
        m_x = OneBasedCopy(x);
        m_y = OneBasedCopy(y);
        m_cubic.assign(m_size + 1, 0.0);
        m_quad.assign(m_size + 1, 0.0);
        m_lin.assign(m_size + 1, 0.0);
        m_second.assign(m_size + 1, 0.0);
        // The clamped condition reads its end slopes from the ends of the second derivatives.
        m_second[1] = start_slope;
        m_second[m_size] = end_slope;
        if (!Splines().CubicSplines(m_x.data(), m_y.data(), static_cast<long>(ends), n,
                                    m_cubic.data(), m_quad.data(), m_lin.data(), m_second.data())) {
            detail::Refuse(kOperation, "the spline routine refused the knots");
        }
        const char* overflow = "a coefficient is not finite (knots too close for the ordinates' "
                               "magnitude)";
        detail::RequireFiniteResult(kOperation, overflow, cubic_coefficients());
        detail::RequireFiniteResult(kOperation, overflow, quadratic_coefficients());
        detail::RequireFiniteResult(kOperation, overflow, linear_coefficients());
        detail::RequireFiniteResult(kOperation, overflow, second_derivatives());
    });
}

double CubicSpline::value(double X) const {
    constexpr const char* kOperation = "opm::CubicSpline::value";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinite(kOperation, "X", X);
        return detail::splines::Value(X, static_cast<long>(m_size), m_x.data(), m_y.data(),
                                      m_cubic.data(), m_quad.data(), m_lin.data());
    });
}

double CubicSpline::value_any_knot_count(double X) const {
    constexpr const char* kOperation = "opm::CubicSpline::value_any_knot_count";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinite(kOperation, "X", X);
        return detail::splines::ValueOnSelectedInterval(X, static_cast<long>(m_size), m_x.data(),
                                                        m_y.data(), m_cubic.data(), m_quad.data(),
                                                        m_lin.data());
    });
}

double CubicSpline::slope(double X) const {
    constexpr const char* kOperation = "opm::CubicSpline::slope";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinite(kOperation, "X", X);
        return detail::splines::Slope(X, static_cast<long>(m_size), m_x.data(), m_cubic.data(),
                                      m_quad.data(), m_lin.data());
    });
}

double CubicSpline::integral(double from, double to) const {
    constexpr const char* kOperation = "opm::CubicSpline::integral";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinite(kOperation, "from", from);
        detail::RequireFinite(kOperation, "to", to);
        double area = 0.0;
        Splines().CubicSplineIntegrate(from, to, static_cast<long>(m_size), m_x.data(), m_y.data(),
                                       m_cubic.data(), m_quad.data(), m_lin.data(), area);
        return area;
    });
}

double CubicSpline::solve(double target, double lo, double hi) const {
    constexpr const char* kOperation = "opm::CubicSpline::solve";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinite(kOperation, "target", target);
        detail::RequireFinite(kOperation, "lo", lo);
        detail::RequireFinite(kOperation, "hi", hi);
        RequireSearchKnots(kOperation, m_size);
        const double atLo = value(lo) - target;
        const double atHi = value(hi) - target;
        if (!((atLo < 0.0 && atHi > 0.0) || (atLo > 0.0 && atHi < 0.0))) {
            detail::Refuse(kOperation, "S(lo) - target and S(hi) - target do not have opposite "
                                       "signs, so [lo, hi] is not known to hold a solution");
        }
        double root = 0.0;
        Splines().CubicSplineSolve(target, lo, hi, static_cast<long>(m_size), m_x.data(),
                                   m_y.data(), m_cubic.data(), m_quad.data(), m_lin.data(), root);
        return root;
    });
}

namespace {

void RequireWindow(const char* operation, double a, double b, Span<const double> knots) {
    detail::RequireFinite(operation, "a", a);
    detail::RequireFinite(operation, "b", b);
    if (!(knots[0] <= a && a < b && b <= knots[knots.size() - 1])) {
        detail::Refuse(operation, "the window [" + detail::Text(a) + ", " + detail::Text(b) +
                                      "] must satisfy x[0] <= a < b <= x[n-1] with x[0] = " +
                                      detail::Text(knots[0]) +
                                      ", x[n-1] = " + detail::Text(knots[knots.size() - 1]));
    }
}

} // namespace

std::optional<SplineMaximum> CubicSpline::maximum(double a, double b) const {
    constexpr const char* kOperation = "opm::CubicSpline::maximum";
    return detail::Guarded(kOperation, [&]() -> std::optional<SplineMaximum> {
        RequireSearchKnots(kOperation, m_size);
        RequireWindow(kOperation, a, b, knots());
        double slopeThere = 0.0;
        SplineMaximum found;
        const bool ok = Splines().CubicSplineMax(a, b, static_cast<long>(m_size), m_x.data(),
                                                 m_y.data(), m_cubic.data(), m_quad.data(),
                                                 m_lin.data(), slopeThere, found.x, found.height);
        // A height of exactly 0 is the selection's starting value: no candidate was positive,
        // and the abscissa then is not one the routine chose.
        if (!ok || found.height == 0.0) {
            return std::nullopt;
        }
        return found;
    });
}

SplineCentroid CubicSpline::centroid(double a, double b) const {
    constexpr const char* kOperation = "opm::CubicSpline::centroid";
    return detail::Guarded(kOperation, [&] {
        RequireWindow(kOperation, a, b, knots());
        SplineCentroid result;
        double heightThere = 0.0;
        Splines().CubicSplineCentroid(a, b, static_cast<long>(m_size), m_x.data(), m_y.data(),
                                      m_cubic.data(), m_quad.data(), m_lin.data(), result.area,
                                      result.x, heightThere);
        // Without a positive area the search has run to an end of the window (it ends, the
        // bisection being bounded by the width test); its abscissa means nothing.
        if (!(result.area > 0.0)) {
            throw Degenerate(std::string(kOperation) + ": the area over [a, b] is " +
                             detail::Text(result.area) + "; the centroid needs a positive area");
        }
        return result;
    });
}

} // namespace opm
