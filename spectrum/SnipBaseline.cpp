// SNIP baseline: statistics-sensitive non-linear iterative peak clipping (Ryan, Clayton, Griffin
// and Campbell 1988; decreasing clipping windows after Morhac 2009), optionally in the
// log-log-square-root domain that compresses tall peaks.
#include "OstraPureMath/opm/Spectrum.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "spectrum/IntensityScale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace opm {
namespace {

using detail::spectrum::IntensityScale;

double ToLls(double y) {
    return std::log(std::log(std::sqrt(std::max(y, 0.0) + 1.0) + 1.0) + 1.0);
}

double FromLls(double v) {
    const double root = std::exp(std::exp(v) - 1.0) - 1.0;
    return root * root - 1.0;
}

// One clipping pass of half-width p from `from` into `to` (both n values).
void Clip(const std::vector<double>& from, std::vector<double>& to, std::size_t p) {
    const std::size_t n = from.size();
    std::copy(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(std::min(p, n)), to.begin());
    for (std::size_t i = p; i + p < n; ++i) {
        to[i] = std::min(from[i], (from[i - p] + from[i + p]) * 0.5);
    }
    const std::size_t tail = n > p ? std::max(p, n - p) : n;
    std::copy(from.begin() + static_cast<std::ptrdiff_t>(tail), from.end(),
              to.begin() + static_cast<std::ptrdiff_t>(tail));
}

std::vector<double> Snip(const double* intensity, std::size_t n, const SnipParameters& parameters) {
    const IntensityScale scale =
        parameters.lls ? detail::spectrum::ScaleOf(intensity, n) : IntensityScale{};
    std::vector<double> current = detail::spectrum::ScaledDown(intensity, n, scale);
    if (parameters.lls) {
        std::transform(current.begin(), current.end(), current.begin(), ToLls);
    }
    std::vector<double> next(n);
    // Widths beyond (n - 1) / 2 clip nothing.
    const std::size_t widest = std::min(parameters.half_width, (n - 1) / 2);
    for (std::size_t pass = 0; pass < widest; ++pass) {
        const std::size_t p = parameters.decreasing ? widest - pass : pass + 1;
        Clip(current, next, p);
        std::swap(current, next);
    }
    if (parameters.lls) {
        std::transform(current.begin(), current.end(), current.begin(), FromLls);
        detail::spectrum::ScaleUp(current, scale);
    }
    return current;
}

} // namespace

std::vector<double> snip_baseline(Span<const double> intensity, const SnipParameters& parameters) {
    constexpr const char* kOperation = "opm::snip_baseline";
    detail::RequireFiniteData(kOperation, "intensity", intensity);
    detail::RequireAtLeast(kOperation, "intensity", intensity.size(), 1);
    return detail::Guarded(kOperation,
                           [&] { return Snip(intensity.data(), intensity.size(), parameters); });
}

} // namespace opm
