// Sum of squares of a half-open slice, in increasing index order.
#include "statistics/StatisticsInternal.h"

namespace Statistics {

double SumOfSquares(const double* data, unsigned long first, unsigned long last) {
    double sum = 0.0;
    for (unsigned long i = first; i < last; ++i) {
        sum += data[i] * data[i];
    }
    return sum;
}

} // namespace Statistics
