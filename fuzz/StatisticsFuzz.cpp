// The statistics family on any samples: the median equals the middle of the sorted samples;
// standard deviation and RMS read only their slice; Line refuses bad arguments with -1; a
// successful Gaussian smoothing leaves every smoothed sample within the range of the samples it
// averages and the context untouched; PolynomialCoefs refuses too few samples before it
// allocates, coefArray left as it was, and otherwise hands back degree + 1 coefficients.
#include "FuzzInput.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Statistics.h"

#include <algorithm>
#include <cmath>

namespace {

using opm::fuzz::AllFinite;
using opm::fuzz::FuzzInput;

bool NoNaN(const std::vector<double>& v) {
    return std::none_of(v.begin(), v.end(), [](double s) { return std::isnan(s); });
}

void Median(const std::vector<double>& samples) {
    DoubleArray values;
    for (const double v : samples) {
        values.Add(v);
    }
    const double median = Statistics::Medean(values);
    OPM_FUZZ_CHECK(samples.empty() || std::memcmp(samples.data(), values.GetData(),
                                                  samples.size() * sizeof(double)) == 0,
                   "the median leaves its array as it was");
    if (samples.empty() || !NoNaN(samples)) {
        return;
    }
    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const double expected = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) * 0.5;
    OPM_FUZZ_CHECK(median == expected || (std::isnan(median) && std::isnan(expected)),
                   "the median is the middle of the sorted samples");
}

void Smoothing(std::vector<double> samples, FuzzInput& in) {
    const int n = int(samples.size());
    const int first = int(in.Count(0, 63)) - 1;
    const int last = int(in.Count(0, 63)) - 1;
    const int halfWidth = int(in.Count(0, 40));
    const int passes = int(in.Count(0, 3));
    const std::vector<double> before = samples;
    const int result = Statistics::GaussSmooth(samples.empty() ? nullptr : samples.data(), n, first,
                                               last, halfWidth, passes);
    if (result != 0) {
        OPM_FUZZ_CHECK(samples == before || !NoNaN(before), "a refused smoothing writes nothing");
        return;
    }
    // The samples within reach of [first, last] are those averaged, and they must be finite.
    const auto from = before.begin() + std::max(0, first - halfWidth);
    const auto to = before.begin() + std::min(n - 1, last + halfWidth) + 1;
    OPM_FUZZ_CHECK(AllFinite(&*from, std::size_t(to - from)), "only finite samples are smoothed");
    const double low = *std::min_element(from, to);
    const double high = *std::max_element(from, to);
    const double slack = 1e-12 * std::max(std::fabs(low), std::fabs(high));
    for (int i = 0; i < n; ++i) {
        const double v = samples[std::size_t(i)];
        if (i < first || i > last) {
            OPM_FUZZ_CHECK(std::memcmp(&v, &before[std::size_t(i)], 8) == 0,
                           "samples outside [first, last] are untouched");
        } else {
            OPM_FUZZ_CHECK(low - slack <= v && v <= high + slack,
                           "a smoothed sample is an average of samples");
        }
    }
}

void Polynomial(const std::vector<double>& samples, FuzzInput& in) {
    const std::size_t m = samples.size() / 2;
    MZBinArray bins;
    MZArray mz;
    for (std::size_t i = 0; i < m; ++i) {
        bins.Add(samples[i]);
        mz.Add(samples[m + i]);
    }
    const unsigned degrees[] = {0, 1, 2, 3, 5, 1u << 27, ~0u};
    const unsigned degree = degrees[in.Count(0, 6)];
    DoubleArray coefs;
    coefs.Add(7.0);
    try {
        LeastSquares::PolynomialCoefs(bins, mz, degree, coefs);
        OPM_FUZZ_CHECK(coefs.GetSize() == INT_PTR(degree) + 1, "degree + 1 coefficients");
    } catch (const CInvalidArgException&) {
        OPM_FUZZ_CHECK(m < std::size_t(degree) + 1, "only too few samples are refused");
        OPM_FUZZ_CHECK(coefs.GetSize() == 1 && coefs[0] == 7.0, "a refusal leaves coefArray");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const long operation = in.Count(0, 3);
    const std::vector<double> samples = in.Doubles(std::size_t(in.Count(0, 60)));
    switch (operation) {
    case 0: {
        Median(samples);
        const unsigned long first = static_cast<unsigned long>(in.Count(0, 62));
        const unsigned long last = static_cast<unsigned long>(in.Count(0, 62));
        if (first <= last && last <= samples.size()) {
            (void)Statistics::StandardDeviation(samples.data(), first, last);
            (void)Statistics::RMS(samples.data(), first, last);
        }
        break;
    }
    case 1: {
        std::vector<double> x = samples, y(samples.rbegin(), samples.rend());
        double r1 = -5.0, r2 = -5.0, r3 = -5.0;
        const int n = int(in.Count(0, 62)) - 1;
        if (std::size_t(std::max(n, 0)) > x.size()) {
            break; // more points than the arrays hold: outside the contract
        }
        if (x.empty() || n <= 0) {
            const int code = Statistics::Line(x.empty() ? nullptr : x.data(), y.data(),
                                              x.empty() ? 3 : n, r1, r2, r3);
            OPM_FUZZ_CHECK(code == -1 && r1 == -5.0 && r2 == -5.0 && r3 == -5.0,
                           "bad arguments give -1 and touch nothing");
        } else {
            (void)Statistics::Line(x.data(), y.data(), n, r1, r2, r3);
        }
        break;
    }
    case 2:
        Smoothing(samples, in);
        break;
    default:
        Polynomial(samples, in);
        break;
    }
    return 0;
}
