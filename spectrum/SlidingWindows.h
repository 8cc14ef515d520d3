// The family's sliding windows: `window` samples (odd, <= n) centred on each sample and shifted
// inwards at the ends, so that every window holds exactly `window` samples.
#pragma once

#include "OstraPureMath/opm/Span.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace opm::detail::spectrum {

// The largest odd window of at most `window` (raised to odd) and at most n samples; n >= 1.
std::size_t OddWindow(std::size_t window, std::size_t n);

// The argument checks of an operation over windows of `values` (at least one, all finite;
// window >= 1, else opm::InvalidArgument), and the odd window it then uses.
std::size_t CheckedWindow(const char* operation, const char* name, Span<const double> values,
                          std::size_t window);

// First sample of the window of sample i.
inline std::size_t WindowStart(std::size_t i, std::size_t n, std::size_t window) {
    const std::size_t half = window / 2;
    return std::min(i > half ? i - half : 0, n - window);
}

// perStart[s] for s = 0 .. n - window spread to every sample: out[i] = perStart[start of i].
std::vector<double> SpreadToSamples(const std::vector<double>& perStart, std::size_t n,
                                    std::size_t window);

// Minimum of every window values[s .. s + window - 1], s = 0 .. n - window (monotone queue).
std::vector<double> SlidingMinimum(const double* values, std::size_t n, std::size_t window);

} // namespace opm::detail::spectrum
