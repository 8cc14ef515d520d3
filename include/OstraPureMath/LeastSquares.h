// LeastSquares: least-squares polynomial fit through the external routines library.
#pragma once

#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Export.h"
#include "OstraPureMath/HostArrays.h"

namespace LeastSquares {

OPM_API void PolynomialCoefs(const MZBinArray& binArray, const MZArray& mzArray, unsigned degree,
                             DoubleArray& coefArray);

} // namespace LeastSquares
