// Internal building blocks of the descriptive statistics (not exported).
#pragma once

#include "OstraPureMath/DoubleArray.h"

namespace Statistics {

// Sum of data[i]^2 over i = first .. last - 1, accumulated from 0.0 in increasing index order;
// 0.0 without reading anything when first >= last.
double SumOfSquares(const double* data, unsigned long first, unsigned long last);

// The k-th smallest element (k from 0, 0 <= k < n) of a[0..n-1], n >= 1, selected in place
// (partitioning around a median-of-three pivot): afterwards a[0..k-1] <= a[k] <= a[k+1..n-1]
// when a holds no NaN.
double SelectInPlace(double* a, INT_PTR n, INT_PTR k);

// The same element by Floyd and Rivest's SELECT on a[left..right] (left <= k <= right), which
// needs fewer comparisons on long arrays (ranges of 600 elements or fewer are left to
// std::nth_element); a[left..right] must hold no NaN. Afterwards a[left..k-1] <= a[k] <=
// a[k+1..right]. Equal elements being interchangeable, a[k] has the bits SelectInPlace would
// give unless it is a zero and zeros of both signs are present.
void SampledSelect(double* a, INT_PTR left, INT_PTR right, INT_PTR k);

// SelectInPlace on a copy of values (which keeps its order). Requires a non-empty array. The
// copy comes from the thread's scratch storage and may raise CMemoryException.
double KthSmallest(const DoubleArray& values, INT_PTR k);

} // namespace Statistics
