// ostrapuremath.median, std, rms, fit_line and gauss_smooth over the opm:: statistics.
#include "Conversion.h"

#include "OstraPureMath/opm/Statistics.h"

namespace opm::python {

namespace {

constexpr const char* kMedianDoc = R"doc(median(a) -> float

The median of a one-dimensional array-like of at least one number: the middle one
of an odd count, the mean of the two middle ones of an even count.)doc";

constexpr const char* kStdDoc = R"doc(std(a, one_pass=False) -> float

The sample standard deviation (divisor n - 1, numpy.std's ddof=1) of at least two
numbers, from the deviations from the mean. one_pass=True gives instead the
library's compatible one-pass formula sqrt((n S2 - S1^2) / (n (n - 1))), which loses
digits when the spread is small against the mean and can give NaN for nearly equal
samples.)doc";

constexpr const char* kRmsDoc = R"doc(rms(a) -> float

The root mean square sqrt(sum(a**2) / n) of at least one number.)doc";

constexpr const char* kFitLineDoc = R"doc(fit_line(x, y) -> (intercept, slope, r)

The least-squares line y ~ intercept + slope x through at least two points (centred
two-pass sums), and the Pearson correlation coefficient r (0 when y has no spread).
All x equal raises DegenerateError.)doc";

constexpr const char* kGaussSmoothDoc = R"doc(gauss_smooth(y, half_width, passes=1) -> numpy.ndarray

A smoothed copy of y: each pass replaces every sample by its mean over
k = -half_width..half_width weighted by exp(-k^2 / (2 sigma^2)), sigma = half_width / 2,
the kernel truncated and renormalised at the ends; each pass reads only the
previous pass's values. half_width >= 1, passes >= 1; y is not modified.)doc";

using Statistic = double (*)(Span<const double>);

// A function of one array-like of samples.
template <Statistic statistic> double OfSamples(const char* function, py::handle a) {
    const DoubleArray samples = Doubles(a, function, "a", 1);
    return Compute(function, [&] { return statistic(SpanOf(samples)); });
}

double Std(py::handle a, bool onePass) {
    return onePass ? OfSamples<standard_deviation>("std", a)
                   : OfSamples<standard_deviation_two_pass>("std", a);
}

py::tuple FitLine(py::handle x, py::handle y) {
    constexpr const char* kFunction = "fit_line";
    const DoubleArray abscissae = Doubles(x, kFunction, "x", 1);
    const DoubleArray ordinates = Doubles(y, kFunction, "y", 1);
    const LineFit line =
        Compute(kFunction, [&] { return fit_line(SpanOf(abscissae), SpanOf(ordinates)); });
    return py::make_tuple(line.intercept, line.slope, line.r);
}

py::array_t<double> GaussSmooth(py::handle y, int halfWidth, int passes) {
    constexpr const char* kFunction = "gauss_smooth";
    const DoubleArray samples = Doubles(y, kFunction, "y", 1);
    std::vector<double> smoothed(samples.data(), samples.data() + samples.size());
    Compute(kFunction, [&] { gaussian_smooth(smoothed, halfWidth, passes); });
    return ToArray(std::move(smoothed));
}

} // namespace

void BindStatistics(py::module_& module) {
    module.def(
        "median", [](py::handle a) { return OfSamples<median>("median", a); }, py::arg("a"),
        kMedianDoc);
    module.def("std", &Std, py::arg("a"), py::arg("one_pass") = false, kStdDoc);
    module.def(
        "rms", [](py::handle a) { return OfSamples<rms>("rms", a); }, py::arg("a"), kRmsDoc);
    module.def("fit_line", &FitLine, py::arg("x"), py::arg("y"), kFitLineDoc);
    module.def("gauss_smooth", &GaussSmooth, py::arg("y"), py::arg("half_width"),
               py::arg("passes") = 1, kGaussSmoothDoc);
}

} // namespace opm::python
