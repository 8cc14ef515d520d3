// opm: descriptive statistics, and fits and smoothing by the external routines library.
//
// Samples are 0-based Spans. Every operation runs the library's exact routine, so results are
// bit for bit those of the compatible Statistics and LeastSquares interfaces on the same
// samples. NaN or infinite samples are refused with opm::InvalidArgument before any work is
// done; nothing here ends the process, and a failing operation has written nothing. Every
// operation may be called from any number of threads at once (gaussian_smooth on distinct data).
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/opm/Span.h"

#include <vector>

namespace opm {

// Median of at least one sample: the middle one of an odd count, the mean of the two middle
// ones of an even count, by selection on a copy (the samples keep their order). The exact
// routine gives 0 for no samples and an unspecified value when a sample is NaN; both are
// refused here (opm::InvalidArgument).
OPM_API double median(Span<const double> samples);

// Sample standard deviation (divisor n - 1) of at least two samples, by the exact routine's
// one-pass formula sqrt((n S2 - S1^2) / (n (n - 1))), S1 the sum and S2 the sum of squares.
// Beware: that formula cancels catastrophically when the spread is small against the mean;
// nearly equal samples can give a negative radicand and so NaN (returned as it is), and small
// spreads lose digits. standard_deviation_two_pass does not.
OPM_API double standard_deviation(Span<const double> samples);

// Sample standard deviation (divisor n - 1) of at least two samples from the deviations from
// the mean (two passes): never NaN for finite samples, accurate for small spreads. Not the bits
// of the compatible interface's one-pass formula.
OPM_API double standard_deviation_two_pass(Span<const double> samples);

// Root mean square sqrt(S2 / n) of at least one sample.
OPM_API double rms(Span<const double> samples);

struct LineFit {
    double intercept = 0.0;
    double slope = 0.0;
    double r = 0.0; // Pearson correlation coefficient; 0 when y has no spread
};

// Ordinary least-squares line y ~ intercept + slope x through at least two points, by the
// external routine (centred two-pass sums). x and y have the same size. All abscissae equal:
// opm::Degenerate. Each call reports its own outcome: unlike Statistics::Line, nothing reads
// the external library's process-wide error code, so concurrent fits cannot see each other's
// errors.
OPM_API LineFit fit_line(Span<const double> x, Span<const double> y);

// Gaussian smoothing of the samples in place by the external routine: each pass replaces every
// sample by its kernel-weighted mean over k = -half_width..half_width with weights
// exp(-k^2 / (2 sigma^2)), sigma = half_width / 2, the kernel truncated and renormalised at the
// ends; each pass reads only the previous pass's values. At least one sample, half_width >= 1,
// passes >= 1. On any failure the samples are untouched.
OPM_API void gaussian_smooth(Span<double> samples, int half_width, int passes = 1);

// Least-squares polynomial c_0 + c_1 x + ... + c_degree x^degree through the points
// (x[i], y[i]), returned lowest power first (degree + 1 coefficients), by the external
// routine (columns scaled before a rank-revealing solve). x and y have the same size, at
// least degree + 1 (opm::InvalidArgument); fewer distinct abscissae than degree + 1, for which
// the routine would return one of infinitely many fits without a word, throw opm::Degenerate.
OPM_API std::vector<double> fit_polynomial(Span<const double> x, Span<const double> y,
                                           unsigned degree);

} // namespace opm
