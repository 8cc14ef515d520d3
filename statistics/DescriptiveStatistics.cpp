// Median, sample standard deviation and root mean square.
#include "OstraPureMath/Statistics.h"
#include "common/Simd.h"
#include "common/ThreadScratch.h"
#include "statistics/StatisticsInternal.h"

#include <algorithm>
#include <cmath>

namespace Statistics {

namespace {

using opm::detail::simd::Double4;

// From this count on the selection narrows its range by sampling first.
constexpr INT_PTR kSampledSelectionMin = 4096;

// dst[0..n-1] = src[0..n-1]; true when a NaN was among them.
OPM_SIMD_CLONES bool CopyFindingNaN(const double* src, INT_PTR n, double* dst) {
    using namespace opm::detail::simd;
    Mask4 nan = {0, 0, 0, 0};
    INT_PTR i = 0;
    for (; i + 4 <= n; i += 4) {
        const Double4 v = OPM_LOAD4(src + i);
        OPM_STORE4(dst + i, v);
        nan |= v != v;
    }
    bool found = Any4(nan);
    for (; i < n; ++i) {
        dst[i] = src[i];
        found = found || src[i] != src[i];
    }
    return found;
}

// The largest of a[0..k-1] (k >= 1, no NaN), its comparisons in any order: which of equal
// zeros it returns is left open.
OPM_SIMD_CLONES double Largest(const double* a, INT_PTR k) {
    using namespace opm::detail::simd;
    Double4 largest = OPM_BROADCAST4(a[0]);
    INT_PTR i = 0;
    for (; i + 4 <= k; i += 4) {
        const Double4 v = OPM_LOAD4(a + i);
        largest = v > largest ? v : largest;
    }
    double result = std::max(std::max(largest[0], largest[1]), std::max(largest[2], largest[3]));
    for (; i < k; ++i) {
        result = std::max(result, a[i]);
    }
    return result;
}

// True when values holds zeros of both signs: then which zero a selection returns depends on
// the method, and so does the sign of a zero median.
bool ZerosOfBothSigns(const DoubleArray& values) {
    bool positive = false;
    bool negative = false;
    for (INT_PTR i = 0; i < values.GetSize(); ++i) {
        const double v = values.GetData()[i];
        positive = positive || (v == 0.0 && !std::signbit(v));
        negative = negative || (v == 0.0 && std::signbit(v));
    }
    return positive && negative;
}

// The k-th smallest of a[0..n-1] (no NaN), in place, with a[0..k-1] <= a[k] <= a[k+1..n-1]
// afterwards; a[k] is the element SelectInPlace would give unless the result is a zero and
// zeros of both signs are present. Long arrays are first narrowed by a selection in a sample.
double SelectWithoutNaN(double* a, INT_PTR n, INT_PTR k) {
    if (n >= kSampledSelectionMin) {
        SampledSelect(a, 0, n - 1, k);
    } else {
        std::nth_element(a, a + k, a + n);
    }
    return a[k];
}

} // namespace

double Medean(const DoubleArray& values) {
    const INT_PTR n = values.GetSize();
    if (n == 0) {
        return 0.0;
    }
    if (n == 1) {
        return values[0];
    }
    if (n == 2) {
        return (values[1] + values[0]) * 0.5;
    }
    const INT_PTR k = n / 2;
    const opm::detail::ScratchDoubles copy(static_cast<std::size_t>(n));
    double* const a = copy.data();
    // Without a NaN, every selection method finds the same values; only a zero result can
    // differ, in its sign, when zeros of both signs are present. With a NaN, or in that case,
    // the result is the one of the documented selections on fresh copies.
    if (CopyFindingNaN(values.GetData(), n, a)) {
        const double upper = SelectInPlace(a, n, k);
        return n % 2 != 0 ? upper : (KthSmallest(values, k - 1) + upper) * 0.5;
    }
    double upper = SelectWithoutNaN(a, n, k);
    if (n % 2 != 0) {
        return upper == 0.0 && ZerosOfBothSigns(values) ? KthSmallest(values, k) : upper;
    }
    // The lower middle is the largest element left of the upper one.
    double lower = Largest(a, k);
    if (lower == 0.0 && upper == 0.0 && ZerosOfBothSigns(values)) {
        upper = KthSmallest(values, k);
        lower = KthSmallest(values, k - 1);
    }
    return (lower + upper) * 0.5;
}

double StandardDeviation(const double* data, unsigned long first, unsigned long last) {
    const unsigned long count = last - first;
    if (count <= 1) {
        return 0.0;
    }
    // With last < first the count wraps to a huge value; the loops below then read nothing and
    // the quotient is 0.
    double sum = 0.0;
    for (unsigned long i = first; i < last; ++i) {
        sum += data[i];
    }
    const double sumSq = SumOfSquares(data, first, last);
    const double n = static_cast<double>(count);
    // One-pass formula, radicand not clamped: nearly equal samples can give NaN.
    return std::sqrt((sumSq * n - sum * sum) / (n * static_cast<double>(count - 1)));
}

double RMS(const double* data, unsigned long first, unsigned long last) {
    const unsigned long count = last - first;
    if (count == 0) {
        return 0.0;
    }
    return std::sqrt(SumOfSquares(data, first, last) / static_cast<double>(count));
}

} // namespace Statistics
