// LeastSquares: least-squares polynomial fit through the external routines library
// (libTorvik.so), reached through the entry slot that the module fills when it is loaded.
#pragma once

#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Export.h"
#include "OstraPureMath/HostArrays.h"

namespace LeastSquares {

// Fits c_0 + c_1 b + ... + c_degree b^degree to the m points (binArray[i], mzArray[i]),
// i = 0..m-1, m = binArray.GetSize(), by least squares, and stores c_k in coefArray[k] (indices
// from 0, lowest power first, the order of the library's coefficient vectors). binArray and
// mzArray are only read.
//
// In order: the counts are checked (below) before anything is allocated; then
// coefArray.SetSize(degree + 1), so that it has exactly d = degree + 1 elements whatever happens
// afterwards. Then one block of work storage is taken from the calling thread's storage, which
// keeps it for the thread's later calls: 3m row pointers, 2m doubles for the right-hand side and
// the solution, and m * d doubles for the design matrix. Each design row i holds binArray[i]
// raised to the powers degree, degree - 1, ..., 1 (std::pow with the exponent converted from
// the unsigned count to double; the power 1 is binArray[i] itself, which is what std::pow gives)
// and then exactly 1.0 (the constant column last);
// right-hand-side row i holds mzArray[i]. The solution rows have storage of their own (they do
// not share the right-hand side's). Then lesqso(m, d, m, d, designRows, rhsRows, 1,
// solutionRows) is called; its result and the error-code variable are not read, and
// coefArray[degree - j] receives the first element of solution row j (the coefficient of
// b^(degree - j)). The solution rows start at 0.0, so a fit that the routine refuses (a NaN or
// infinity among the samples) leaves zeros in coefArray. With libTorvik.so the columns are
// scaled and the solver is rank-revealing: a rank-deficient design (fewer distinct abscissae
// than d) yields the minimum-norm coefficients.
//
// Failures:
// - m < degree + 1 (too few samples, in particular none), or m above INT_MAX:
//   CInvalidArgException is raised before anything is allocated, so a huge degree costs no
//   memory; coefArray is left as it was and the external routine is not called. (The choice of
//   this library: an undetermined fit is refused.)
// - mzArray shorter than binArray: CInvalidArgException before the work storage is taken;
//   coefArray already has d elements.
// - work storage (or coefArray's storage) that cannot be allocated: CMemoryException.
// - a null lesqso slot (tested only after the work storage has been filled): exit(1), no message.
OPM_API void PolynomialCoefs(const MZBinArray& binArray, const MZArray& mzArray, unsigned degree,
                             DoubleArray& coefArray);

} // namespace LeastSquares
