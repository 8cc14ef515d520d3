// opm::median, opm::standard_deviation, opm::rms: the descriptive statistics of Statistics over
// the caller's samples; opm::standard_deviation_two_pass, the centred variant.
#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/opm/Statistics.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace opm {

namespace {

// Finite samples, at least `minimum` of them, and a count that the slice functions' unsigned
// long can carry (32 bits on some platforms).
unsigned long CheckedSlice(const char* operation, Span<const double> samples, std::size_t minimum) {
    detail::RequireFiniteData(operation, "samples", samples);
    detail::RequireAtLeast(operation, "samples", samples.size(), minimum);
    if (samples.size() > ULONG_MAX) {
        detail::Refuse(operation, "too many samples for one call");
    }
    return static_cast<unsigned long>(samples.size());
}

} // namespace

double median(Span<const double> samples) {
    constexpr const char* kOperation = "opm::median";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFiniteData(kOperation, "samples", samples);
        detail::RequireAtLeast(kOperation, "samples", samples.size(), 1);
        DoubleArray values;
        values.SetSize(static_cast<INT_PTR>(samples.size()));
        std::copy(samples.begin(), samples.end(), values.GetData());
        return Statistics::Medean(values);
    });
}

double standard_deviation(Span<const double> samples) {
    constexpr const char* kOperation = "opm::standard_deviation";
    return detail::Guarded(kOperation, [&] {
        const unsigned long count = CheckedSlice(kOperation, samples, 2);
        return Statistics::StandardDeviation(samples.data(), 0, count);
    });
}

double standard_deviation_two_pass(Span<const double> samples) {
    constexpr const char* kOperation = "opm::standard_deviation_two_pass";
    return detail::Guarded(kOperation, [&] {
        CheckedSlice(kOperation, samples, 2);
        const double count = static_cast<double>(samples.size());
        double sum = 0.0;
        for (const double v : samples) {
            sum += v;
        }
        const double mean = sum / count;
        double squares = 0.0;
        for (const double v : samples) {
            squares += (v - mean) * (v - mean);
        }
        return std::sqrt(squares / (count - 1.0));
    });
}

double rms(Span<const double> samples) {
    constexpr const char* kOperation = "opm::rms";
    return detail::Guarded(kOperation, [&] {
        const unsigned long count = CheckedSlice(kOperation, samples, 1);
        return Statistics::RMS(samples.data(), 0, count);
    });
}

} // namespace opm
