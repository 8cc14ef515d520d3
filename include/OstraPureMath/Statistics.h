// Statistics: descriptive statistics computed by the library, and the straight-line fit and
// Gaussian smoothing carried out by the external routines library (libTorvik.so).
#pragma once

#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Export.h"

namespace Statistics {

OPM_API double Medean(const DoubleArray& values);

OPM_API double StandardDeviation(const double* data, unsigned long first, unsigned long last);

OPM_API double RMS(const double* data, unsigned long first, unsigned long last);

OPM_API int Line(double* x, double* y, int n, double& r1, double& r2, double& r3);

OPM_API int GaussSmooth(double* data, int p1, int p2, int p3, int p4, int p5);

} // namespace Statistics
