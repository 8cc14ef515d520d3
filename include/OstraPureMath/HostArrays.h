// Array classes for host programs that have none of their own.
//
// LeastSquares::PolynomialCoefs takes the abscissae as an MZBinArray and the ordinates as an
// MZArray. Both are CArray<double, double>: indices from 0, tested on access.
#pragma once

#include "OstraPureMath/Framework.h"

class MZArray : public CArray<double, double> {};

class MZBinArray : public CArray<double, double> {};
