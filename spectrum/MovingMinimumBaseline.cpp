// Moving-minimum/median baseline: the lower envelope of the intensities over a window, made
// smooth by a moving median of the same width.
#include "OstraPureMath/opm/Spectrum.h"
#include "modern/Guarded.h"
#include "spectrum/SlidingOrderStatistics.h"
#include "spectrum/SlidingWindows.h"

namespace opm {
namespace {

std::vector<double> MovingMinimumBaseline(const double* intensity, std::size_t n,
                                          std::size_t window) {
    const std::vector<double> minima = detail::spectrum::SpreadToSamples(
        detail::spectrum::SlidingMinimum(intensity, n, window), n, window);
    return detail::MovingMedian(minima.data(), n, window);
}

} // namespace

std::vector<double> moving_minimum_baseline(Span<const double> intensity, std::size_t window) {
    constexpr const char* kOperation = "opm::moving_minimum_baseline";
    const std::size_t odd =
        detail::spectrum::CheckedWindow(kOperation, "intensity", intensity, window);
    return detail::Guarded(
        kOperation, [&] { return MovingMinimumBaseline(intensity.data(), intensity.size(), odd); });
}

} // namespace opm
