// Statistics: descriptive statistics computed by the library, and the straight-line fit and
// Gaussian smoothing carried out by the external routines library (libTorvik.so).
//
// All functions are reentrant and keep no state. Line and GaussSmooth reach libTorvik.so through
// the entry slots that the module fills when it is loaded; after the module's release those
// slots are null and both functions end the process with exit status 1 and no message.
#pragma once

#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Export.h"

namespace Statistics {

// Median of the elements of values (indices from 0): 0.0 for an empty array, element 0 for one
// element, (element 1 + element 0) * 0.5 for two; for an odd count n >= 3 the (n/2)-th smallest
// element (k counted from 0); for an even count n >= 4 the mean of the (n/2 - 1)-th and the
// (n/2)-th smallest, as (lower + upper) * 0.5. The elements are selected on a copy of the array
// in expected linear time, the (n/2)-th first; the lower middle is then the largest element
// left of it. Without a NaN among the samples every selection method finds the same elements,
// so the fastest is used (partitioning around median-of-three pivots, after a selection in a
// sample, Floyd and Rivest's, from 4096 elements on). Where the method could show in the result
// -- a NaN among the samples, or zero middles while zeros of both signs are present -- each
// middle element is selected on a fresh copy of its own by the partitioning of Numerical
// Recipes' select, pivot the median of the first, middle and last elements. values is only
// read and keeps its order. The copy comes from storage of the calling thread that is kept for
// its later calls; when it cannot be had, CMemoryException is raised. NaN samples give an
// unspecified result (the same on every call).
OPM_API double Medean(const DoubleArray& values);

// Sample standard deviation (divisor count - 1) of the half-open slice data[first .. last - 1]
// (indices from 0), by the one-pass formula sqrt((S2 * count - S1^2) / (count * (count - 1)))
// with S1 the sum and S2 the sum of squares, each accumulated in increasing index order. The
// radicand is not clamped: when rounding makes it negative (nearly equal samples) the result is
// NaN. count = last - first in unsigned long arithmetic: 0.0 when count <= 1. With last < first
// the count wraps to a huge value, no element is read and the result is 0.0. data is not
// checked and must be readable over the slice; nothing is written.
OPM_API double StandardDeviation(const double* data, unsigned long first, unsigned long last);

// Root mean square sqrt(S2 / count) of the half-open slice data[first .. last - 1] (indices
// from 0), S2 the sum of squares in increasing index order. count = last - first in unsigned
// long arithmetic: 0.0 for an empty slice; with last < first no element is read and the result
// is 0.0. data is not checked; nothing is written.
OPM_API double RMS(const double* data, unsigned long first, unsigned long last);

// Straight-line fit of the n points (x[i], y[i]), i = 0..n-1, by the external routine stline.
// With x or y null or n <= 0, returns -1 and nothing else happens (the references are not
// touched, the library is not called). Otherwise calls stline(x, y, n, &r1, &r2, &r3) and returns
// the external library's error code sci_err_code as it stands after that call. With
// libTorvik.so, r1 receives the intercept, r2 the slope and r3 the Pearson correlation
// coefficient; the code is 0 on success, 1 for n < 2 (r1..r3 untouched), 2 when all abscissae
// are equal (r1 = mean of y, r2 = 0, r3 = 0), 3 for a NaN or infinity in the data (untouched).
// x and y are only read. The error code is one process-wide variable of that library, written by
// every call of each of its routines: a call into it on another thread (through Line,
// GaussSmooth, LeastSquares::PolynomialCoefs or directly) between this call's stline and its
// read may change the code returned, though never r1..r3, which are this call's own. This is
// the one data race the library keeps, by contract. A null stline slot, or a null error-code slot
// after the call, ends the process with exit(1) and no message.
OPM_API int Line(double* x, double* y, int n, double& r1, double& r2, double& r3);

// Gaussian smoothing by the external routine stgssm: calls stgssm(data, p1, p2, p3, p4, p5) with
// the six arguments unchanged and returns its result unchanged; nothing is validated here and
// the error-code variable is not read. With libTorvik.so the arguments are (data, n, first,
// last, halfWidth, passes): data[first..last] (indices from 0, inclusive) of an n-sample array is
// smoothed in place, passes times, with weights exp(-k^2 / (2 sigma^2)), sigma = halfWidth / 2,
// k = -halfWidth..halfWidth, renormalised where the kernel meets the array's ends; the samples
// outside [first, last] are read as context and not written. The result is 0 on success, -1
// for bad arguments, -3 for a NaN or infinity among the samples read, -4 when work storage is
// lacking; data is untouched on every failure. Samples near the largest double are smoothed
// without overflow. Arrays of up to INT_MAX samples are accepted. A null stgssm slot ends
// the process with exit(1) and no message.
OPM_API int GaussSmooth(double* data, int p1, int p2, int p3, int p4, int p5);

} // namespace Statistics
