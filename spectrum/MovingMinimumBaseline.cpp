// Moving-minimum/median baseline: the lower envelope of the intensities over a window, made
// smooth by a moving median of the same width.
#include "OstraPureMath/opm/Spectrum.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "spectrum/SlidingOrderStatistics.h"
#include "spectrum/SlidingWindows.h"

namespace opm {
namespace {

std::vector<double> MovingMinimumBaseline(const double* intensity, std::size_t n,
                                          std::size_t window) {
    const std::vector<double> minima = detail::spectrum::SpreadToSamples(
        detail::spectrum::SlidingMinimum(intensity, n, window), n, window);
    std::vector<double> medians(n - window + 1);
    detail::SlidingOrderStatistics statistics(minima.data(), n, window);
    statistics.ForEachWindow(
        false, [&](std::size_t start, double median, double) { medians[start] = median; });
    return detail::spectrum::SpreadToSamples(medians, n, window);
}

} // namespace

std::vector<double> moving_minimum_baseline(Span<const double> intensity, std::size_t window) {
    constexpr const char* kOperation = "opm::moving_minimum_baseline";
    detail::RequireFiniteData(kOperation, "intensity", intensity);
    detail::RequireAtLeast(kOperation, "intensity", intensity.size(), 1);
    if (window == 0) {
        detail::Refuse(kOperation, "window must be at least 1");
    }
    const std::size_t n = intensity.size();
    const std::size_t odd = detail::spectrum::OddWindow(window, n);
    return detail::Guarded(kOperation,
                           [&] { return MovingMinimumBaseline(intensity.data(), n, odd); });
}

} // namespace opm
