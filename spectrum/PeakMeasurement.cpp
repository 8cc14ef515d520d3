// Peak measurement on a cubic spline through the peak's window: apex (spline maximum), centroid
// (area-halving point), area, width at half height, S/N; and the batch form over many windows.
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "spectrum/IntensityScale.h"
#include "spectrum/PeakSearch.h"
#include "spectrum/SplineWindow.h"
#include "splines/SplineEvaluation.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace opm::detail::spectrum {
namespace {

// Below this the spline evaluation, and so the maximum search, gives 0 everywhere.
constexpr std::size_t kSplineMinimumKnots = splines::kMinimumEvaluatedKnots;
// A spline maximum may fall below the highest sample it passes through by rounding only.
constexpr double kApexRoundingAllowance = 1e-12;

// The spline maximum between sample positions a and b, accepted only when it lies there and
// reaches the highest sample `top` of the range; otherwise nothing.
bool SplineApex(const SplineWindow& spline, double a, double b, double top, double& position,
                double& value) {
    double x = 0.0, y = 0.0;
    if (!spline.Maximum(a, b, x, y) || !(x >= a && x <= b) ||
        !(y >= top - kApexRoundingAllowance * std::fabs(top))) {
        return false;
    }
    position = x;
    value = y;
    return true;
}

} // namespace

Peak MeasurePeak(const double* mz, const std::vector<double>& s, const std::vector<double>& noise,
                 const PeakSpan& span) {
    const std::size_t n = s.size();
    const SplineWindow spline(s.data(), span.first, span.last);
    // The apex search covers the samples that bracket the half-height points (at least the
    // apex's neighbours), so that a neighbour's flank in the window cannot be taken for it.
    const double apex = static_cast<double>(span.apex);
    const double a =
        std::max(static_cast<double>(span.first), std::min(std::floor(span.leftHalf), apex - 1.0));
    const double b =
        std::min(static_cast<double>(span.last), std::max(std::ceil(span.rightHalf), apex + 1.0));
    Peak peak;
    peak.apex_position = apex;
    double height = s[span.apex];
    peak.spline_apex = SplineApex(spline, a, b, height, peak.apex_position, height);
    double centroid = apex, halfArea = 0.0;
    if (span.leftHalf < span.rightHalf) {
        spline.Centroid(span.leftHalf, span.rightHalf, centroid, halfArea);
    }
    const double area =
        span.leftBase < span.rightBase ? spline.Integral(span.leftBase, span.rightBase) : 0.0;
    peak.apex_mz = AbscissaAt(mz, n, peak.apex_position);
    peak.centroid_mz = AbscissaAt(mz, n, centroid);
    peak.left_mz = AbscissaAt(mz, n, span.leftHalf);
    peak.right_mz = AbscissaAt(mz, n, span.rightHalf);
    peak.fwhm = peak.right_mz - peak.left_mz;
    peak.height = height;
    peak.area = area * StepAt(mz, n, centroid);
    peak.noise = noise[span.apex];
    peak.snr = height / peak.noise;
    peak.first = span.first;
    peak.last = span.last;
    return peak;
}

} // namespace opm::detail::spectrum

namespace opm {

namespace {

constexpr const char* kMeasureWindows = "opm::measure_windows";

void CheckWindows(Span<const double> x, Span<const double> y, Span<const std::size_t> first,
                  Span<const std::size_t> last) {
    using detail::Text;
    using detail::spectrum::kSplineMinimumKnots;
    constexpr const char* kOperation = kMeasureWindows;
    detail::RequireFinitePairs(kOperation, "x", x, "y", y, kSplineMinimumKnots);
    detail::RequireIncreasing(kOperation, "x", x);
    detail::RequireData(kOperation, "first", first.data(), first.size());
    detail::RequireData(kOperation, "last", last.data(), last.size());
    detail::RequireSameSize(kOperation, "first", first.size(), "last", last.size());
    const std::size_t n = x.size();
    for (std::size_t k = 0; k < first.size(); ++k) {
        if (!(first[k] < last[k] && last[k] < n && last[k] - first[k] + 1 >= kSplineMinimumKnots)) {
            detail::Refuse(kOperation, "window " + Text(k) + " [" + Text(first[k]) + ", " +
                                           Text(last[k]) + "] needs at least " +
                                           Text(kSplineMinimumKnots) + " samples inside 0.." +
                                           Text(n - 1));
        }
    }
}

} // namespace

std::vector<WindowPeak> measure_windows(Span<const double> x, Span<const double> y,
                                        Span<const std::size_t> first,
                                        Span<const std::size_t> last) {
    using namespace detail::spectrum;
    CheckWindows(x, y, first, last);
    return detail::Guarded(kMeasureWindows, [&] {
        const std::size_t n = x.size();
        const IntensityScale scale = ScaleOf(y.data(), n);
        std::vector<WindowPeak> results(first.size());
        for (std::size_t k = 0; k < first.size(); ++k) {
            const std::vector<double> scaled =
                ScaledDown(y.data() + first[k], last[k] - first[k] + 1, scale);
            // Positions relative to the window's first sample.
            const SplineWindow spline(scaled.data(), 0, scaled.size() - 1);
            const double end = static_cast<double>(scaled.size() - 1);
            const auto highest = std::max_element(scaled.begin(), scaled.end());
            double position = static_cast<double>(highest - scaled.begin());
            double value = *highest;
            WindowPeak& result = results[k];
            result.apex_found = SplineApex(spline, 0.0, end, *highest, position, value);
            double centroid = 0.0, area = 0.0;
            spline.Centroid(0.0, end, centroid, area);
            const double offset = static_cast<double>(first[k]);
            result.apex_x = AbscissaAt(x.data(), n, offset + position);
            result.apex_y = scale.Up(value);
            result.centroid_x = AbscissaAt(x.data(), n, offset + centroid);
            result.area = scale.Up(area) * StepAt(x.data(), n, offset + centroid);
        }
        return results;
    });
}

} // namespace opm
