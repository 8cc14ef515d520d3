// ostrapuremath's spectrum functions over the opm:: spectrum family: baselines, local noise,
// peaks (as NumPy structured arrays) and the batch apex and centroid of many windows.
#include "Conversion.h"

#include "OstraPureMath/opm/Spectrum.h"

#include <string>

namespace opm::python {

namespace {

// The result of analyse_spectrum: its arrays and the count of unassessed maxima.
struct Analysis {
    py::array smoothed, baseline, noise, peaks;
    std::size_t unassessed = 0;
};

constexpr double kDefaultSnr = 10.0;

constexpr const char* kPeakOptionsDoc = R"doc(
Options (keywords; defaults in brackets):
    smoothing_half_width  Gaussian smoothing half-width in samples; 0 for none [2]
    smoothing_passes      smoothing passes; 0 for none [1]
    baseline              'snip' or 'moving-minimum' ['snip']
    baseline_width        SNIP half-width or moving-minimum window, samples [100]
    snip_lls              SNIP in the log-log-square-root domain [True]
    noise_window          local-noise window in samples [1001]
    valley_depth          a flank ends where it rises this many times the local
                          noise above its lowest value [2.0]
    base_level            a peak's base (bounding its area) lies where the flanks
                          fall to this fraction of the height [0.05]
    min_knots             fewest samples in a peak's spline window [7]
    max_width_fwhm        largest reach of the spline window on either side of
                          the apex, in FWHMs [3.0]

Intensities may be in any unit: multiplying them by any factor from 1e-150 to
1e150 scales heights, areas, baselines and noise and leaves the peaks as they are.
mz must increase strictly and hold at least min_knots samples; NaN and infinity
are refused (InvalidArgumentError).)doc";

const std::string kFindPeaksDoc =
    std::string(R"doc(find_peaks(mz, intensity, snr=10.0, **options) -> numpy.ndarray

The peaks of a profile spectrum, as a structured array in ascending m/z with the
fields
    apex_mz        abscissa of the spline maximum (or of the highest sample)
    centroid_mz    area-halving abscissa between the half-height points
    height         above the baseline at the apex (smoothed intensities)
    area           above the baseline between the base points, intensity x m/z
    fwhm           full width at half maximum, in m/z
    snr            height / local noise at the apex sample
    noise          local noise at the apex sample
    baseline       baseline at the apex sample
    apex_position  apex in samples from the first (fractional)
    left_mz, right_mz  the half-height points
    first, last    the spline window, sample indices (inclusive)
    spline_apex    False where the spline maximum search failed and the apex is
                   the highest sample

Method: the intensities are smoothed; the baseline is clipped from below the
smoothed intensities (SNIP or moving minimum) and raised to the middle of the
noise; the local noise is 1.4826 x the median absolute deviation of
intensity - baseline in a sliding window. Local maxima that reach snr x the local
noise are peaks, taken from the highest down; each is measured on a natural cubic
spline over a window that spans its base.
)doc") +
    kPeakOptionsDoc;

const std::string kAnalyseDoc =
    std::string(R"doc(analyse_spectrum(mz, intensity, snr=10.0, **options) -> SpectrumAnalysis

The whole analysis behind find_peaks: a SpectrumAnalysis whose attributes are the
smoothed intensities, the baseline, the local noise, the peaks (the structured
array of find_peaks) and the count of unassessed maxima (local maxima above the
baseline where the local noise is zero).
)doc") +
    kPeakOptionsDoc;

constexpr const char* kSnipDoc =
    R"doc(snip_baseline(y, half_width=100, lls=True, decreasing=True) -> numpy.ndarray

SNIP baseline (statistics-sensitive non-linear iterative peak clipping) of the
intensities y: pass p clips every sample i with p <= i < n - p to
min(v[i], (v[i - p] + v[i + p]) / 2); samples nearer an end than p are kept.
half_width  the largest clipping half-width and the number of passes; it should
            exceed half the base width of the widest peak
lls         clip in the log-log-square-root domain, which clips tall peaks as
            readily as small ones
decreasing  clipping widths from half_width down to 1 (else up), which follows
            curved baselines more closely
At least one sample.)doc";

constexpr const char* kMovingMinimumDoc = R"doc(moving_minimum_baseline(y, window) -> numpy.ndarray

The minimum of y over a window of `window` samples, then the median of those
minima over the same window; windows centred on each sample and shifted inwards
at the ends; an even window is raised to the next odd size, one longer than y
reduced to the largest odd size that fits. window >= 1.)doc";

constexpr const char* kLocalNoiseDoc = R"doc(local_noise(y, window=1001) -> numpy.ndarray

The noise level along a spectrum: 1.4826 x the median absolute deviation (about the
window's own median) of y, the baseline-corrected intensities, over a window
of `window` samples centred on each sample, with the window rules of
moving_minimum_baseline. For Gaussian noise it estimates the standard deviation;
peaks covering less than half a window do not move it. Exact (the deviation a sort
of each window gives). window >= 1.)doc";

constexpr const char* kMeasureDoc = R"doc(measure_windows(x, y, first, last) -> numpy.ndarray

Apex and centroid of many peaks in one call. For each k, a natural cubic spline
through the samples first[k]..last[k] (inclusive, at least 6 samples, knots at
sample numbers), its maximum and its area-halving point over the whole window,
mapped to x by linear interpolation between samples (the area by the local x
step). Returns a structured array with the fields
    apex_x, apex_y  the spline maximum
    centroid_x      the area-halving abscissa
    area            the integral over the window, y x x-units
    apex_found      False where the maximum search failed (apex_x, apex_y are
                    then the highest sample of the window)
x strictly increasing; first and last integer arrays of the same length.
InvalidArgumentError names the first bad window.)doc";

BaselineMethod ParseBaseline(py::handle value, const char* function) {
    const std::string name = py::str(value);
    if (name == "snip") {
        return BaselineMethod::snip;
    }
    if (name == "moving-minimum") {
        return BaselineMethod::moving_minimum;
    }
    Refuse(function, "baseline must be 'snip' or 'moving-minimum', not '" + name + "'");
}

PeakParameters PeakOptions(const char* function, double snr, const py::kwargs& options) {
    PeakParameters parameters;
    parameters.snr = snr;
    for (const auto& item : options) {
        const std::string key = py::str(item.first);
        const py::handle value = item.second;
        const char* name = key.c_str();
        if (key == "smoothing_half_width") {
            parameters.smoothing_half_width =
                Narrow<int>(IntegerOption(value, function, name), function, name);
        } else if (key == "smoothing_passes") {
            parameters.smoothing_passes =
                Narrow<int>(IntegerOption(value, function, name), function, name);
        } else if (key == "baseline") {
            parameters.baseline = ParseBaseline(value, function);
        } else if (key == "baseline_width") {
            parameters.baseline_width =
                Narrow<std::size_t>(IntegerOption(value, function, name), function, name);
        } else if (key == "snip_lls") {
            parameters.snip_lls = BoolOption(value, function, name);
        } else if (key == "noise_window") {
            parameters.noise_window =
                Narrow<std::size_t>(IntegerOption(value, function, name), function, name);
        } else if (key == "valley_depth") {
            parameters.valley_depth = RealOption(value, function, name);
        } else if (key == "base_level") {
            parameters.base_level = RealOption(value, function, name);
        } else if (key == "min_knots") {
            parameters.min_knots =
                Narrow<std::size_t>(IntegerOption(value, function, name), function, name);
        } else if (key == "max_width_fwhm") {
            parameters.max_width_fwhm = RealOption(value, function, name);
        } else {
            throw py::type_error(std::string(function) + "() got an unexpected keyword argument '" +
                                 key + "'");
        }
    }
    return parameters;
}

py::array PeakArray(std::vector<Peak>&& peaks) {
    return ToArray(std::move(peaks));
}

py::array FindPeaks(py::handle mz, py::handle intensity, double snr, const py::kwargs& options) {
    constexpr const char* kFunction = "find_peaks";
    const PeakParameters parameters = PeakOptions(kFunction, snr, options);
    const DoubleArray abscissae = Doubles(mz, kFunction, "mz", 1);
    const DoubleArray intensities = Doubles(intensity, kFunction, "intensity", 1);
    return PeakArray(Compute(
        kFunction, [&] { return find_peaks(SpanOf(abscissae), SpanOf(intensities), parameters); }));
}

Analysis AnalyseSpectrum(py::handle mz, py::handle intensity, double snr,
                         const py::kwargs& options) {
    constexpr const char* kFunction = "analyse_spectrum";
    const PeakParameters parameters = PeakOptions(kFunction, snr, options);
    const DoubleArray abscissae = Doubles(mz, kFunction, "mz", 1);
    const DoubleArray intensities = Doubles(intensity, kFunction, "intensity", 1);
    SpectrumAnalysis result = Compute(kFunction, [&] {
        return analyse_spectrum(SpanOf(abscissae), SpanOf(intensities), parameters);
    });
    return Analysis{ToArray(std::move(result.smoothed)), ToArray(std::move(result.baseline)),
                    ToArray(std::move(result.noise)), PeakArray(std::move(result.peaks)),
                    result.unassessed};
}

py::array_t<double> Snip(py::handle y, long long halfWidth, bool lls, bool decreasing) {
    constexpr const char* kFunction = "snip_baseline";
    const DoubleArray intensity = Doubles(y, kFunction, "y", 1);
    SnipParameters parameters;
    parameters.half_width = Narrow<std::size_t>(halfWidth, kFunction, "half_width");
    parameters.lls = lls;
    parameters.decreasing = decreasing;
    return ToArray(
        Compute(kFunction, [&] { return snip_baseline(SpanOf(intensity), parameters); }));
}

using WindowedFunction = std::vector<double> (*)(Span<const double>, std::size_t);

// A function of one array of samples and a window length.
template <WindowedFunction windowed>
py::array_t<double> OverWindows(const char* function, py::handle y, long long window) {
    const DoubleArray samples = Doubles(y, function, "y", 1);
    const auto length = Narrow<std::size_t>(window, function, "window");
    return ToArray(Compute(function, [&] { return windowed(SpanOf(samples), length); }));
}

py::array MeasureWindows(py::handle x, py::handle y, py::handle first, py::handle last) {
    constexpr const char* kFunction = "measure_windows";
    const DoubleArray abscissae = Doubles(x, kFunction, "x", 1);
    const DoubleArray ordinates = Doubles(y, kFunction, "y", 1);
    const std::vector<std::size_t> firsts = Indices(first, kFunction, "first");
    const std::vector<std::size_t> lasts = Indices(last, kFunction, "last");
    return ToArray(Compute(kFunction, [&] {
        return measure_windows(SpanOf(abscissae), SpanOf(ordinates), firsts, lasts);
    }));
}

} // namespace

void BindSpectrum(py::module_& module) {
    PYBIND11_NUMPY_DTYPE(Peak, apex_mz, centroid_mz, height, area, fwhm, snr, noise, baseline,
                         apex_position, left_mz, right_mz, first, last, spline_apex);
    PYBIND11_NUMPY_DTYPE(WindowPeak, apex_x, apex_y, centroid_x, area, apex_found);

    py::class_<Analysis>(module, "SpectrumAnalysis",
                         "The result of analyse_spectrum (read-only attributes).")
        .def_readonly("smoothed", &Analysis::smoothed, "The smoothed intensities.")
        .def_readonly("baseline", &Analysis::baseline,
                      "The baseline under the smoothed intensities.")
        .def_readonly("noise", &Analysis::noise, "The local noise of intensity - baseline.")
        .def_readonly("peaks", &Analysis::peaks,
                      "The peaks, a structured array as find_peaks returns.")
        .def_readonly("unassessed", &Analysis::unassessed,
                      "Local maxima above the baseline that could not be assessed because the "
                      "local noise at their sample is zero; they are not peaks.");

    module.def("find_peaks", &FindPeaks, py::arg("mz"), py::arg("intensity"),
               py::arg("snr") = kDefaultSnr, kFindPeaksDoc.c_str());
    module.def("analyse_spectrum", &AnalyseSpectrum, py::arg("mz"), py::arg("intensity"),
               py::arg("snr") = kDefaultSnr, kAnalyseDoc.c_str());
    module.def("snip_baseline", &Snip, py::arg("y"), py::arg("half_width") = 100,
               py::arg("lls") = true, py::arg("decreasing") = true, kSnipDoc);
    module.def(
        "moving_minimum_baseline",
        [](py::handle y, long long window) {
            return OverWindows<moving_minimum_baseline>("moving_minimum_baseline", y, window);
        },
        py::arg("y"), py::arg("window"), kMovingMinimumDoc);
    module.def(
        "local_noise",
        [](py::handle y, long long window) {
            return OverWindows<local_noise>("local_noise", y, window);
        },
        py::arg("y"), py::arg("window") = 1001, kLocalNoiseDoc);
    module.def("measure_windows", &MeasureWindows, py::arg("x"), py::arg("y"), py::arg("first"),
               py::arg("last"), kMeasureDoc);
}

} // namespace opm::python
