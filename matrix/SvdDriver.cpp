// Least-squares solution through a singular value decomposition (Golub and Reinsch): the driver
// that checks the sizes, owns the bidiagonal (d, e) and runs the four steps in order.
#include "OstraPureMath/Matrix.h"

#include "matrix/SvdSingularValueCapture.h"
#include "matrix/SvdWorkVectors.h"

bool Matrix::SingularValueDecomposition(double** a, double** b, double** x, double* residual,
                                        long m, long& n, long nb, double tolerance,
                                        bool& converged) const {
    // The work vectors hold 1000 elements; larger or inconsistent sizes would overrun them.
    if (n < 1 || n > m || m > opm::detail::kSvdWorkCapacity || nb < 0) {
        return false;
    }
    const opm::detail::SvdWorkVectors work(2);
    double* const d = work[0]; // diagonal, then the singular values
    double* const e = work[1]; // superdiagonal, e[i] at (i - 1, i)

    // Steps 1 to 3 see the column count as it came in; Step 4 replaces it with the rank.
    SVDStep1(a, b, d, e, m, n, nb);
    SVDStep2(a, b, d, e, m, n, nb, converged);
    SVDStep3(a, b, d, m, n, nb);
    opm::detail::SvdSingularValueCapture::Deliver(d, n);
    SVDStep4(a, b, d, x, residual, m, n, nb, tolerance);
    return true;
}
