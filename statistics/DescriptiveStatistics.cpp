// Median, sample standard deviation and root mean square.
#include "OstraPureMath/Statistics.h"
#include "statistics/StatisticsInternal.h"

#include <cmath>

namespace Statistics {

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
    if (n % 2 != 0) {
        return KthSmallest(values, n / 2);
    }
    // The upper middle element is selected first; each selection works on a fresh copy.
    const double upper = KthSmallest(values, n / 2);
    const double lower = KthSmallest(values, n / 2 - 1);
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
