// Moving-minimum/median baseline: the lower envelope of the intensities over a window, made
// smooth by a moving median of the same width.
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/Spectrum.h"
#include "spectrum/SlidingOrderStatistics.h"
#include "spectrum/SlidingWindows.h"
#include "spectrum/SpectrumInternal.h"

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

std::vector<double> moving_minimum_baseline(const double* intensity, std::size_t n,
                                            std::size_t window) {
    detail::spectrum::RequireData(intensity, n, 1, "moving_minimum_baseline");
    detail::spectrum::RequireFinite(intensity, n, "moving_minimum_baseline");
    if (window == 0) {
        throw InvalidArgument("moving_minimum_baseline: window must be at least 1");
    }
    const std::size_t odd = detail::spectrum::OddWindow(window, n);
    return detail::spectrum::Guarded("moving_minimum_baseline",
                                     [&] { return MovingMinimumBaseline(intensity, n, odd); });
}

} // namespace opm
