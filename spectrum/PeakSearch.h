// Peak detection and measurement on the smoothed, baseline-corrected intensities: the pieces of
// analyse_spectrum, in intensities scaled by the analysis (see IntensityScale).
#pragma once

#include "OstraPureMath/opm/Spectrum.h"

#include <cstddef>
#include <vector>

namespace opm::detail::spectrum {

// Where a peak's flanks end, as fractional sample positions.
struct PeakSpan {
    std::size_t apex = 0;                   // highest sample
    double leftHalf = 0.0, rightHalf = 0.0; // half-height points
    double leftBase = 0.0, rightBase = 0.0; // base points
    std::size_t first = 0, last = 0;        // spline window, inclusive
};

// The peaks of signal s (smoothed minus baseline) against noise, from the highest down, each
// with its span, none inside another's window; `unassessed` counts the local maxima skipped for
// zero noise. Returned in decreasing height.
std::vector<PeakSpan> DetectPeaks(const std::vector<double>& s, const std::vector<double>& noise,
                                  const PeakParameters& parameters, std::size_t& unassessed);

// The measured peak of a span: apex, centroid and area on a spline through s over the window,
// mapped to the abscissae mz. Intensities are returned in the units of s and noise.
Peak MeasurePeak(const double* mz, const std::vector<double>& s, const std::vector<double>& noise,
                 const PeakSpan& span);

} // namespace opm::detail::spectrum
