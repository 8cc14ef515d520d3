// Least-squares polynomial coefficients through the external routine lesqso.
//
// The design matrix has descending powers of the abscissa with the constant column last; the
// solution therefore comes back highest power first and is reversed into the ascending order of
// the coefficient vectors used throughout the library.
#include "OstraPureMath/LeastSquares.h"
#include "frame/ExternalRoutines.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace LeastSquares {

namespace {

// Work storage from array-new that is released on every path, exceptions included. A count
// whose byte size does not fit is refused like a heap refusal.
template <class T> std::unique_ptr<T[]> AllocateWork(INT_PTR count) {
    if (static_cast<std::size_t>(count) > PTRDIFF_MAX / sizeof(T)) {
        AfxThrowMemoryException();
    }
    T* block = new (std::nothrow) T[static_cast<std::size_t>(count)];
    if (block == nullptr) {
        AfxThrowMemoryException();
    }
    return std::unique_ptr<T[]>(block);
}

} // namespace

void PolynomialCoefs(const MZBinArray& binArray, const MZArray& mzArray, unsigned degree,
                     DoubleArray& coefArray) {
    const INT_PTR m = binArray.GetSize();
    const INT_PTR d = static_cast<INT_PTR>(degree) + 1;
    // Too few samples for the degree (or more than the routine's int counts can carry): the fit
    // is undetermined, so it is refused before anything is allocated, coefArray included.
    if (m < d || m > INT_MAX) {
        AfxThrowInvalidArgException();
    }
    coefArray.SetSize(d);

    std::unique_ptr<double*[]> rowPointers = AllocateWork<double*>(3 * m);
    std::unique_ptr<double[]> rhsAndSolution = AllocateWork<double>(2 * m);
    std::unique_ptr<double[]> design = AllocateWork<double>(m * d);
    double** rhsRows = rowPointers.get();
    double** solutionRows = rhsRows + m;
    double** designRows = solutionRows + m;

    for (INT_PTR i = 0; i < m; ++i) {
        rhsRows[i] = &rhsAndSolution[i];
        *rhsRows[i] = mzArray[i];
        // The solution has storage of its own, after the right-hand side; a row the external
        // routine leaves unwritten reads as 0.0.
        solutionRows[i] = &rhsAndSolution[m + i];
        *solutionRows[i] = 0.0;
        designRows[i] = &design[i * d];
        for (unsigned column = 0; column < degree; ++column) {
            designRows[i][column] = std::pow(binArray[i], static_cast<double>(degree - column));
        }
        designRows[i][degree] = 1.0;
    }

    const opm::detail::LesqsoEntry lesqso = opm::detail::g_externalRoutines.lesqso;
    if (lesqso == nullptr) {
        std::exit(1);
    }
    const int rows = static_cast<int>(m);
    const int columns = static_cast<int>(d);
    lesqso(rows, columns, rows, columns, designRows, rhsRows, 1, solutionRows);

    for (unsigned j = 0; j <= degree; ++j) {
        coefArray[degree - j] = solutionRows[j][0];
    }
}

} // namespace LeastSquares
