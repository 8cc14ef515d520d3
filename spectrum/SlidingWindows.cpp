#include "spectrum/SlidingWindows.h"

#include "modern/Checks.h"

#include <deque>

namespace opm::detail::spectrum {

std::size_t OddWindow(std::size_t window, std::size_t n) {
    const std::size_t odd = window | 1;
    return odd <= n ? odd : ((n - 1) | 1);
}

std::size_t CheckedWindow(const char* operation, const char* name, Span<const double> values,
                          std::size_t window) {
    RequireFiniteData(operation, name, values);
    RequireAtLeast(operation, name, values.size(), 1);
    if (window == 0) {
        Refuse(operation, "window must be at least 1");
    }
    return OddWindow(window, values.size());
}

std::vector<double> SpreadToSamples(const std::vector<double>& perStart, std::size_t n,
                                    std::size_t window) {
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = perStart[WindowStart(i, n, window)];
    }
    return out;
}

std::vector<double> SlidingMinimum(const double* values, std::size_t n, std::size_t window) {
    std::vector<double> minima(n - window + 1);
    // Indices whose values increase from front to back; the front is the window's minimum.
    std::deque<std::size_t> candidates;
    for (std::size_t i = 0; i < n; ++i) {
        while (!candidates.empty() && values[candidates.back()] >= values[i]) {
            candidates.pop_back();
        }
        candidates.push_back(i);
        if (i + 1 >= window) {
            const std::size_t start = i + 1 - window;
            if (candidates.front() < start) {
                candidates.pop_front();
            }
            minima[start] = values[candidates.front()];
        }
    }
    return minima;
}

} // namespace opm::detail::spectrum
