// Local noise: 1.4826 x the median absolute deviation over a sliding window.
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/Spectrum.h"
#include "spectrum/SlidingOrderStatistics.h"
#include "spectrum/SlidingWindows.h"
#include "spectrum/SpectrumInternal.h"

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

std::vector<double> local_noise(const double* residual, std::size_t n, std::size_t window) {
    detail::spectrum::RequireData(residual, n, 1, "local_noise");
    detail::spectrum::RequireFinite(residual, n, "local_noise");
    if (window == 0) {
        throw InvalidArgument("local_noise: window must be at least 1");
    }
    const std::size_t odd = detail::spectrum::OddWindow(window, n);
    return detail::spectrum::Guarded("local_noise", [&] { return LocalNoise(residual, n, odd); });
}

std::vector<double> local_noise(const std::vector<double>& residual, std::size_t window) {
    return local_noise(residual.data(), residual.size(), window);
}

} // namespace opm
