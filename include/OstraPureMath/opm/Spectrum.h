// opm spectrum family: baseline, local noise and width-aware peaks of a profile spectrum.
//
// Arrays are taken as opm::Span (OstraPureMath/opm/Span.h: a pointer and a count, or a
// std::vector), 0-based and contiguous; inputs are only read; results are returned by value.
// Failures throw the opm::Error kinds of OstraPureMath/opm/Error.h: InvalidArgument for a null
// pointer with a non-zero count, too few samples, arrays of different sizes, a non-finite value
// or abscissae that do not increase, OutOfMemory when work storage cannot be obtained. Nothing is
// ever partly returned.
//
// Intensities may be in any unit: the arithmetic is scale-free (internally every spectrum is
// brought to the same range, its largest magnitude to 2^15), so multiplying the intensities by
// any factor from 1e-150 to 1e150 multiplies heights, areas, baselines and noise by that factor
// and leaves the peaks, their positions, widths and S/N as they were, to rounding. All
// functions are reentrant and keep no state.
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/opm/Span.h"

#include <cstddef>
#include <vector>

namespace opm {

// ---------------------------------------------------------------------------------------------
// Baselines

struct SnipParameters {
    // Largest clipping half-width, in samples; also the number of clipping passes. It should
    // exceed half the base width of the widest peak.
    std::size_t half_width = 100;
    // Clip in the log-log-square-root (LLS) domain, v = ln(ln(sqrt(y + 1) + 1) + 1), which
    // compresses tall peaks so that they are clipped as readily as small ones; the intensities
    // are first scaled so that their largest magnitude is 2^15 (see above), and negative
    // intensities enter the transform as 0.
    bool lls = true;
    // Clipping half-widths from half_width down to 1 (true) or from 1 up to half_width (false).
    // Decreasing widths follow curved baselines more closely.
    bool decreasing = true;
};

// SNIP baseline (statistics-sensitive non-linear iterative peak clipping). Each pass p clips
// every sample i with p <= i < n - p to min(v[i], (v[i - p] + v[i + p]) / 2), reading only the
// previous pass's values; samples nearer an end than p are kept. Cost O(n * half_width), two
// work arrays of n values allocated once. The baseline never exceeds the (transformed)
// intensities by more than rounding. Requires n >= 1 intensities.
OPM_API std::vector<double> snip_baseline(Span<const double> intensity,
                                          const SnipParameters& parameters = {});

// Moving-minimum/median baseline: the minimum over a window of `window` samples, then the
// median of those minima over the same window. Windows are centred on each sample and shifted
// inwards at the ends so that each holds exactly `window` samples; an even window is raised to
// the next odd size and one larger than n is reduced to the largest odd size <= n. Sits at the
// lower edge of the noise. Cost O(n log window). Requires n >= 1 intensities and window >= 1.
OPM_API std::vector<double> moving_minimum_baseline(Span<const double> intensity,
                                                    std::size_t window);

// ---------------------------------------------------------------------------------------------
// Local noise

// Noise level along the spectrum: 1.4826 x the median absolute deviation (about the window's
// own median) of `residual` (the baseline-corrected intensities) over a window of `window`
// samples centred on each sample, with the window rules of moving_minimum_baseline. For
// Gaussian noise the factor makes it an estimate of the standard deviation; peaks covering less
// than half of a window do not move it. Exact: each value is 1.4826 times the deviation that a
// sort of its window gives. Cost O(n log window) to keep the windows ordered plus a search per
// window that starts from the previous window's answer (O(log window) on noise-like data,
// O(log^2 window) at worst). Requires n >= 1 residuals and window >= 1.
OPM_API std::vector<double> local_noise(Span<const double> residual, std::size_t window);

// ---------------------------------------------------------------------------------------------
// Peaks

enum class BaselineMethod { snip, moving_minimum };

struct PeakParameters {
    // A local maximum of the smoothed, baseline-corrected intensities is a peak when its height
    // reaches snr x the local noise at its sample.
    double snr = 6.0;
    // Gaussian smoothing before the baseline and the peaks (Statistics::GaussSmooth: weights
    // exp(-k^2 / (2 sigma^2)), sigma = half_width / 2, k = -half_width..half_width); 0 passes or
    // a half-width of 0 leaves the intensities as they are.
    int smoothing_half_width = 2;
    int smoothing_passes = 1;
    BaselineMethod baseline = BaselineMethod::snip;
    // SNIP half-width, or the moving-minimum window, in samples.
    std::size_t baseline_width = 100;
    bool snip_lls = true;
    // Window of the local noise, in samples (odd; see local_noise).
    std::size_t noise_window = 1001;
    // A flank ends, for the width and the peak's bounds, where it turns upwards by more than
    // valley_depth x the local noise above the lowest value reached on it (a valley towards a
    // neighbour, not a ripple of noise).
    double valley_depth = 2.0;
    // The peak's base, which bounds its area, lies where the flanks fall to base_level x the
    // height (or at a valley).
    double base_level = 0.05;
    // Bounds of the spline window: at least min_knots samples, at most max_width_fwhm times the
    // full width at half maximum on either side of the apex.
    std::size_t min_knots = 7;
    double max_width_fwhm = 3.0;
};

struct Peak {
    double apex_mz = 0.0;       // abscissa of the spline maximum (or of the highest sample)
    double centroid_mz = 0.0;   // area-halving abscissa between the half-height points
    double height = 0.0;        // above the baseline, at the apex (smoothed intensities)
    double area = 0.0;          // above the baseline between the base points, intensity x m/z
    double fwhm = 0.0;          // full width at half maximum, in m/z
    double snr = 0.0;           // height / local noise at the apex sample
    double noise = 0.0;         // local noise at the apex sample
    double baseline = 0.0;      // baseline at the apex sample
    double apex_position = 0.0; // apex in samples from the first (fractional)
    double left_mz = 0.0, right_mz = 0.0; // half-height points (the centroid's bounds)
    std::size_t first = 0, last = 0;      // spline window, sample indices, inclusive
    bool spline_apex = true; // false: the spline maximum search failed and the apex is the
                             // highest sample, with its smoothed height
};

struct SpectrumAnalysis {
    std::vector<double> smoothed; // smoothed intensities
    std::vector<double> baseline; // baseline under the smoothed intensities (step 2)
    std::vector<double> noise;    // local noise of intensity - baseline
    std::vector<Peak> peaks;      // ascending apex position
    // Local maxima above the baseline that could not be assessed because the local noise at
    // their sample is zero (constant stretches): they are not peaks.
    std::size_t unassessed = 0;
};

// The whole analysis of a profile spectrum (mz[0..n-1] strictly increasing, intensity[0..n-1],
// both finite and of the same size n >= min_knots):
//  1. smooth the intensities; 2. baseline of the smoothed intensities (SNIP or moving minimum,
//  both along the lower edge of the noise), raised by the median of smoothed - baseline over
//  the noise window so that it runs through the middle of the noise; 3. local noise of
//  intensity - baseline; 4. local maxima of s = smoothed - baseline with s >= snr x noise, taken
//  from the highest down. For each, both flanks are followed outwards to the half-height points
//  and to the base (linear interpolation between samples; a valley or a higher sample ends a
//  flank early); the spline window runs from one sample beyond the left base point to one
//  beyond the right one, within the bounds of the parameters. A maximum that lies in the
//  window of a higher peak, or whose window holds a higher peak's apex, belongs to that peak
//  (no two apexes share a window).
//  5. On a natural cubic spline through s over the window, with knots at sample numbers
//  (Splines::CubicSplines): the apex from Splines::CubicSplineMax between the samples that
//  bracket the half-height points, the centroid from Splines::CubicSplineCentroid between the
//  half-height points, the area from the same routine between the base points. Positions are
//  mapped to m/z by linear interpolation between samples, the area by the local m/z step.
//  When the spline maximum search fails, or finds a maximum lower than the highest sample or
//  outside its range, the apex is the highest sample and spline_apex is false; the peak is
//  reported all the same.
// Throws InvalidArgument for bad inputs or parameters: snr not a positive number, negative
// smoothing, noise_window or baseline_width 0, valley_depth negative, base_level outside
// [0, 0.5), min_knots < 6, max_width_fwhm not positive, more than INT_MAX samples. Throws
// Unavailable when called after the library's release at process exit (the smoothing's external
// routines are gone then).
OPM_API SpectrumAnalysis analyse_spectrum(Span<const double> mz, Span<const double> intensity,
                                          const PeakParameters& parameters = {});

// The peaks of analyse_spectrum alone.
OPM_API std::vector<Peak> find_peaks(Span<const double> mz, Span<const double> intensity,
                                     const PeakParameters& parameters = {});

// ---------------------------------------------------------------------------------------------
// Apex and centroid of many windows in one call

struct WindowPeak {
    double apex_x = 0.0;     // abscissa of the spline maximum
    double apex_y = 0.0;     // spline value there
    double centroid_x = 0.0; // area-halving abscissa over the whole window
    double area = 0.0;       // integral over the window, y x x-units
    bool apex_found = false; // false: the maximum search failed; apex_x, apex_y are then the
                             // highest sample of the window
};

// For each window k (first and last of the same size, one element per window), a natural cubic
// spline through (i, y[i]) for the samples i = first[k] .. last[k] (inclusive, at least 6 of
// them, last[k] < n), knots at sample numbers; its maximum (Splines::CubicSplineMax) and
// area-halving point (Splines::CubicSplineCentroid) over the whole window, mapped to x by linear
// interpolation between samples and the area by the local x step at the centroid. Results in
// the order of the windows. x[0..n-1] strictly increasing and finite, y finite and of the same
// size n >= 6. Throws InvalidArgument naming the first bad window.
OPM_API std::vector<WindowPeak> measure_windows(Span<const double> x, Span<const double> y,
                                                Span<const std::size_t> first,
                                                Span<const std::size_t> last);

} // namespace opm
