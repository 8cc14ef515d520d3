// Least-squares polynomial coefficients through the external routine lesqso.
//
// The design matrix has descending powers of the abscissa with the constant column last; the
// solution therefore comes back highest power first and is reversed into the ascending order of
// the coefficient vectors used throughout the library.
#include "OstraPureMath/LeastSquares.h"
#include "common/ThreadScratch.h"
#include "frame/ExternalRoutines.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace LeastSquares {

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
    if (mzArray.GetSize() < m) {
        AfxThrowInvalidArgException();
    }
    // One block of the thread's storage: 3m row pointers, 2m doubles for the right-hand side and
    // the solution, then the m x d design matrix.
    const std::size_t rows = static_cast<std::size_t>(m);
    const std::size_t columns = static_cast<std::size_t>(d);
    const opm::detail::ScratchDoubles work(5 * rows + rows * columns);
    double** const rhsRows = work.As<double*>();
    double** const solutionRows = rhsRows + m;
    double** const designRows = solutionRows + m;
    double* const rhsAndSolution = work.data() + 3 * rows;
    double* const design = rhsAndSolution + 2 * rows;

    const double* const bins = binArray.GetData();
    const double* const mz = mzArray.GetData();
    for (INT_PTR i = 0; i < m; ++i) {
        rhsRows[i] = &rhsAndSolution[i];
        *rhsRows[i] = mz[i];
        // The solution has storage of its own, after the right-hand side; a row the external
        // routine leaves unwritten reads as 0.0.
        solutionRows[i] = &rhsAndSolution[m + i];
        *solutionRows[i] = 0.0;
        double* const row = designRows[i] = &design[std::size_t(i) * columns];
        const double b = bins[i];
        for (unsigned column = 0; column < degree; ++column) {
            const unsigned power = degree - column;
            // pow(b, 1) is b itself, bit for bit, for every b.
            row[column] = power == 1 ? b : std::pow(b, static_cast<double>(power));
        }
        row[degree] = 1.0;
    }

    const opm::detail::LesqsoEntry lesqso = opm::detail::g_externalRoutines.lesqso;
    if (lesqso == nullptr) {
        std::exit(1);
    }
    lesqso(int(m), int(d), int(m), int(d), designRows, rhsRows, 1, solutionRows);

    for (unsigned j = 0; j <= degree; ++j) {
        coefArray[degree - j] = solutionRows[j][0];
    }
}

} // namespace LeastSquares
