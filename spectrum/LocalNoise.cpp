// Local noise: 1.4826 x the median absolute deviation over a sliding window.
#include "OstraPureMath/opm/Spectrum.h"
#include "modern/Guarded.h"
#include "spectrum/SlidingOrderStatistics.h"
#include "spectrum/SlidingWindows.h"

namespace opm {
namespace {

// 1 / Phi^-1(3/4): the median absolute deviation of normal samples times this estimates sigma.
constexpr double kMadToSigma = 1.4826;

std::vector<double> LocalNoise(const double* residual, std::size_t n, std::size_t window) {
    std::vector<double> noise(n - window + 1);
    detail::SlidingOrderStatistics statistics(residual, n, window);
    statistics.ForEachWindow(true, [&](std::size_t start, double, double deviation) {
        noise[start] = kMadToSigma * deviation;
    });
    return detail::spectrum::SpreadToSamples(noise, n, window);
}

} // namespace

std::vector<double> local_noise(Span<const double> residual, std::size_t window) {
    constexpr const char* kOperation = "opm::local_noise";
    const std::size_t odd =
        detail::spectrum::CheckedWindow(kOperation, "residual", residual, window);
    return detail::Guarded(kOperation,
                           [&] { return LocalNoise(residual.data(), residual.size(), odd); });
}

} // namespace opm
