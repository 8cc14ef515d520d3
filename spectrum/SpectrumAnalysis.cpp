// The whole analysis of a profile spectrum: smoothing, baseline, local noise, peaks.
#include "OstraPureMath/opm/Statistics.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "spectrum/IntensityScale.h"
#include "spectrum/PeakSearch.h"
#include "spectrum/SlidingOrderStatistics.h"
#include "spectrum/SlidingWindows.h"
#include "splines/SplineEvaluation.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace opm {
namespace {

using namespace detail::spectrum;

constexpr const char* kOperation = "opm::analyse_spectrum";

void CheckParameters(const PeakParameters& p) {
    const auto refuse = [](const std::string& what) { detail::Refuse(kOperation, what); };
    constexpr auto kFewestKnots = static_cast<std::size_t>(detail::splines::kMinimumEvaluatedKnots);
    if (!(p.snr > 0.0) || !std::isfinite(p.snr))
        refuse("snr must be a positive number");
    if (p.smoothing_half_width < 0 || p.smoothing_passes < 0)
        refuse("smoothing must not be negative");
    if (p.baseline_width == 0)
        refuse("baseline_width must be at least 1");
    if (p.noise_window == 0)
        refuse("noise_window must be at least 1");
    if (!(p.valley_depth >= 0.0))
        refuse("valley_depth must not be negative");
    if (!(p.base_level >= 0.0 && p.base_level < 0.5))
        refuse("base_level must lie in [0, 0.5)");
    if (p.min_knots < kFewestKnots)
        refuse("min_knots must be at least " + detail::Text(kFewestKnots));
    if (!(p.max_width_fwhm > 0.0))
        refuse("max_width_fwhm must be positive");
}

std::vector<double> Smoothed(const std::vector<double>& y, const PeakParameters& p) {
    std::vector<double> smoothed = y;
    if (p.smoothing_half_width == 0 || p.smoothing_passes == 0) {
        return smoothed;
    }
    gaussian_smooth(smoothed, p.smoothing_half_width, p.smoothing_passes);
    return smoothed;
}

std::vector<double> Baseline(const std::vector<double>& smoothed, const PeakParameters& p) {
    if (p.baseline == BaselineMethod::moving_minimum) {
        return moving_minimum_baseline(smoothed, p.baseline_width);
    }
    SnipParameters snip;
    snip.half_width = p.baseline_width;
    snip.lls = p.snip_lls;
    return snip_baseline(smoothed, snip);
}

std::vector<double> Difference(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> difference(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference[i] = a[i] - b[i];
    }
    return difference;
}

// Both baselines run along the lower edge of the noise; raised by the median of what lies above
// them over the noise window, they run through its middle, and heights and areas of small peaks
// lose the bias of about one noise sigma that the lower edge gives them.
std::vector<double> Centred(std::vector<double> baseline, const std::vector<double>& smoothed,
                            const PeakParameters& p) {
    const std::size_t n = smoothed.size();
    const std::vector<double> above = Difference(smoothed, baseline);
    const std::vector<double> offset =
        detail::MovingMedian(above.data(), n, OddWindow(p.noise_window, n));
    for (std::size_t i = 0; i < n; ++i) {
        baseline[i] += offset[i];
    }
    return baseline;
}

SpectrumAnalysis Analyse(const double* mz, const double* intensity, std::size_t n,
                         const PeakParameters& p) {
    const IntensityScale scale = ScaleOf(intensity, n);
    const std::vector<double> y = ScaledDown(intensity, n, scale);
    SpectrumAnalysis analysis;
    analysis.smoothed = Smoothed(y, p);
    analysis.baseline = Centred(Baseline(analysis.smoothed, p), analysis.smoothed, p);
    analysis.noise = local_noise(Difference(y, analysis.baseline), p.noise_window);
    const std::vector<double> s = Difference(analysis.smoothed, analysis.baseline);
    for (const PeakSpan& span : DetectPeaks(s, analysis.noise, p, analysis.unassessed)) {
        Peak peak = MeasurePeak(mz, s, analysis.noise, span);
        peak.height = scale.Up(peak.height);
        peak.area = scale.Up(peak.area);
        peak.noise = scale.Up(peak.noise);
        peak.baseline = scale.Up(analysis.baseline[span.apex]);
        analysis.peaks.push_back(peak);
    }
    std::sort(analysis.peaks.begin(), analysis.peaks.end(),
              [](const Peak& a, const Peak& b) { return a.apex_position < b.apex_position; });
    ScaleUp(analysis.smoothed, scale);
    ScaleUp(analysis.baseline, scale);
    ScaleUp(analysis.noise, scale);
    return analysis;
}

} // namespace

SpectrumAnalysis analyse_spectrum(Span<const double> mz, Span<const double> intensity,
                                  const PeakParameters& parameters) {
    CheckParameters(parameters);
    detail::RequireFinitePairs(kOperation, "mz", mz, "intensity", intensity, parameters.min_knots);
    // The smoothing counts samples in an int.
    detail::ToInt(kOperation, "the sample count", mz.size());
    detail::RequireIncreasing(kOperation, "mz", mz);
    return detail::Guarded(
        kOperation, [&] { return Analyse(mz.data(), intensity.data(), mz.size(), parameters); });
}

std::vector<Peak> find_peaks(Span<const double> mz, Span<const double> intensity,
                             const PeakParameters& parameters) {
    return analyse_spectrum(mz, intensity, parameters).peaks;
}

} // namespace opm
