// Internal building blocks of the descriptive statistics (not exported).
#pragma once

#include "OstraPureMath/DoubleArray.h"

namespace Statistics {

// Sum of data[i]^2 over i = first .. last - 1, accumulated from 0.0 in increasing index order;
// 0.0 without reading anything when first >= last.
double SumOfSquares(const double* data, unsigned long first, unsigned long last);

// The k-th smallest element (k from 0, 0 <= k < size) of values, selected on a copy so that
// values keeps its order. Requires a non-empty array. The copy's allocation may raise
// CMemoryException.
double KthSmallest(const DoubleArray& values, INT_PTR k);

} // namespace Statistics
