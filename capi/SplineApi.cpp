// The spline functions of the C interface: an opaque handle that owns an opm::CubicSpline.
#include "OstraPureMath/opm/CubicSpline.h"
#include "capi/CapiGuard.h"

struct opm_spline {
    opm::CubicSpline spline;
};

using opm::detail::capi::Guard;
using opm::detail::capi::GuardResult;
using opm::detail::capi::RequireOutput;

namespace {

// The handle of a call, which must not be null.
const opm::CubicSpline& Spline(const char* function, const opm_spline* spline) {
    RequireOutput(function, "spline", spline);
    return spline->spline;
}

} // namespace

opm_status opm_spline_create(const double* x, const double* y, size_t n, opm_end_condition ends,
                             double start_slope, double end_slope, opm_spline** spline) {
    return Guard([&] {
        RequireOutput("opm_spline_create", "spline", spline);
        opm::CubicSpline built({x, n}, {y, n}, static_cast<opm::EndCondition>(ends), start_slope,
                               end_slope);
        *spline = new opm_spline{std::move(built)};
    });
}

void opm_spline_destroy(opm_spline* spline) {
    delete spline;
}

opm_status opm_spline_value(const opm_spline* spline, double at, double* value) {
    return GuardResult("opm_spline_value", "value", value,
                       [&] { return Spline("opm_spline_value", spline).value(at); });
}

opm_status opm_spline_value_any_knot_count(const opm_spline* spline, double at, double* value) {
    return GuardResult("opm_spline_value_any_knot_count", "value", value, [&] {
        return Spline("opm_spline_value_any_knot_count", spline).value_any_knot_count(at);
    });
}

opm_status opm_spline_slope(const opm_spline* spline, double at, double* slope) {
    return GuardResult("opm_spline_slope", "slope", slope,
                       [&] { return Spline("opm_spline_slope", spline).slope(at); });
}

opm_status opm_spline_integral(const opm_spline* spline, double from, double to, double* area) {
    return GuardResult("opm_spline_integral", "area", area,
                       [&] { return Spline("opm_spline_integral", spline).integral(from, to); });
}

opm_status opm_spline_solve(const opm_spline* spline, double target, double lo, double hi,
                            double* at) {
    return GuardResult("opm_spline_solve", "at", at,
                       [&] { return Spline("opm_spline_solve", spline).solve(target, lo, hi); });
}

opm_status opm_spline_maximum(const opm_spline* spline, double a, double b, int* found, double* at,
                              double* height) {
    return Guard([&] {
        const opm::CubicSpline& s = Spline("opm_spline_maximum", spline);
        RequireOutput("opm_spline_maximum", "found", found);
        RequireOutput("opm_spline_maximum", "at", at);
        RequireOutput("opm_spline_maximum", "height", height);
        const std::optional<opm::SplineMaximum> maximum = s.maximum(a, b);
        *found = maximum ? 1 : 0;
        if (maximum) {
            *at = maximum->x;
            *height = maximum->height;
        }
    });
}

opm_status opm_spline_centroid(const opm_spline* spline, double a, double b, double* at,
                               double* area) {
    return Guard([&] {
        const opm::CubicSpline& s = Spline("opm_spline_centroid", spline);
        RequireOutput("opm_spline_centroid", "at", at);
        RequireOutput("opm_spline_centroid", "area", area);
        const opm::SplineCentroid centroid = s.centroid(a, b);
        *at = centroid.x;
        *area = centroid.area;
    });
}
