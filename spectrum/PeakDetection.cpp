// Peak detection: local maxima above snr x the local noise, taken from the highest down, each
// followed down both flanks to its half-height and base points; a maximum inside a higher
// peak's spline window is part of that peak.
#include "spectrum/PeakSearch.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace opm::detail::spectrum {
namespace {

struct FlankEnd {
    double half; // where the flank crosses half the height (or its end, if it never does)
    double base; // where it crosses the base level (or its end)
};

// Position between samples `from` (value above level) and `to` (value at or below level) where
// the straight line between them reaches level.
double Crossing(std::size_t from, double above, std::size_t to, double below, double level) {
    const double fraction = (above - level) / (above - below);
    return static_cast<double>(from) +
           fraction * (static_cast<double>(to) - static_cast<double>(from));
}

// Follows the flank of the maximum at `apex` (height h) in direction `step` (+1 or -1) for at
// most `limit` samples. The flank ends at the base level, at a valley (the signal rises more
// than `tolerance` above the lowest value reached), at a sample higher than the apex, or at the
// end of the data; the latter three end it at its lowest sample.
FlankEnd FollowFlank(const std::vector<double>& s, std::size_t apex, int step, double h,
                     double tolerance, double baseLevel, std::size_t limit) {
    const double halfLevel = 0.5 * h;
    double half = -1.0;
    std::size_t lowestAt = apex, previous = apex;
    double lowest = h;
    for (std::size_t walked = 1; walked <= limit; ++walked) {
        if ((step < 0 && previous == 0) || (step > 0 && previous + 1 == s.size())) {
            break;
        }
        const std::size_t j = step > 0 ? previous + 1 : previous - 1;
        const double v = s[j];
        if (v > h || v - lowest > tolerance) {
            break;
        }
        if (half < 0.0 && v <= halfLevel) {
            half = Crossing(previous, s[previous], j, v, halfLevel);
        }
        if (v <= baseLevel) {
            return {half, Crossing(previous, s[previous], j, v, baseLevel)};
        }
        if (v < lowest) {
            lowest = v;
            lowestAt = j;
        }
        previous = j;
    }
    const double end = static_cast<double>(lowestAt);
    return {half < 0.0 ? end : half, end};
}

bool IsLocalMaximum(const std::vector<double>& s, std::size_t i) {
    return s[i] > s[i - 1] && s[i] >= s[i + 1];
}

// The spline window of a span: one sample beyond each base point, at most maxWidthFwhm x the
// width at half height from the apex on either side, at least minKnots samples.
void PlaceWindow(PeakSpan& span, std::size_t n, const PeakParameters& parameters) {
    const double apex = static_cast<double>(span.apex);
    const double reach =
        std::max(1.0, parameters.max_width_fwhm * (span.rightHalf - span.leftHalf));
    const double left = std::max({std::floor(span.leftBase) - 1.0, apex - reach, 0.0});
    const double right =
        std::min({std::ceil(span.rightBase) + 1.0, apex + reach, static_cast<double>(n - 1)});
    span.first = static_cast<std::size_t>(left);
    span.last = static_cast<std::size_t>(right);
    while (span.last - span.first + 1 < parameters.min_knots) {
        if (span.first > 0 &&
            (span.apex - span.first <= span.last - span.apex || span.last + 1 == n)) {
            --span.first;
        } else {
            ++span.last;
        }
    }
    // The flanks' points stay inside the window.
    const double lo = static_cast<double>(span.first), hi = static_cast<double>(span.last);
    span.leftBase = std::clamp(span.leftBase, lo, apex);
    span.rightBase = std::clamp(span.rightBase, apex, hi);
    span.leftHalf = std::clamp(span.leftHalf, span.leftBase, apex);
    span.rightHalf = std::clamp(span.rightHalf, apex, span.rightBase);
}

bool HoldsMarked(const std::vector<char>& marks, std::size_t first, std::size_t last) {
    return std::any_of(marks.begin() + static_cast<std::ptrdiff_t>(first),
                       marks.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                       [](char mark) { return mark != 0; });
}

} // namespace

std::vector<PeakSpan> DetectPeaks(const std::vector<double>& s, const std::vector<double>& noise,
                                  const PeakParameters& parameters, std::size_t& unassessed) {
    const std::size_t n = s.size();
    unassessed = 0;
    std::vector<std::size_t> candidates;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        if (!IsLocalMaximum(s, i) || !(s[i] > 0.0)) {
            continue;
        }
        if (noise[i] == 0.0) {
            ++unassessed;
        } else if (s[i] >= parameters.snr * noise[i]) {
            candidates.push_back(i);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&s](std::size_t a, std::size_t b) { return s[a] > s[b]; });

    std::vector<char> covered(n, 0), apexes(n, 0);
    std::vector<PeakSpan> spans;
    const std::size_t limit = std::max<std::size_t>(parameters.noise_window, parameters.min_knots);
    for (std::size_t apex : candidates) {
        if (covered[apex]) {
            continue;
        }
        const double h = s[apex];
        const double tolerance = parameters.valley_depth * noise[apex];
        const double baseLevel = parameters.base_level * h;
        const FlankEnd left = FollowFlank(s, apex, -1, h, tolerance, baseLevel, limit);
        const FlankEnd right = FollowFlank(s, apex, +1, h, tolerance, baseLevel, limit);
        PeakSpan span;
        span.apex = apex;
        span.leftHalf = left.half;
        span.rightHalf = right.half;
        span.leftBase = left.base;
        span.rightBase = right.base;
        PlaceWindow(span, n, parameters);
        if (HoldsMarked(apexes, span.first, span.last)) {
            continue;
        }
        std::fill(covered.begin() + static_cast<std::ptrdiff_t>(span.first),
                  covered.begin() + static_cast<std::ptrdiff_t>(span.last) + 1, 1);
        apexes[apex] = 1;
        spans.push_back(span);
    }
    return spans;
}

} // namespace opm::detail::spectrum
