// Least-squares solution through a singular value decomposition (Golub and Reinsch): the driver
// that checks the sizes, owns the bidiagonal (d, e) and runs the four steps in order.
#include "OstraPureMath/Matrix.h"

#include "matrix/MagnitudeScaling.h"
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

    // Entries whose squares would leave the double range are scaled by 2^s first; V, Q and the
    // rank do not change with it, the singular values take the factor 2^s, and so rows 1..rank
    // of b (divided by them) and the solution take 2^-s, which is given back at the end.
    const long columns = n;
    const int s = opm::detail::MagnitudeScaleExponent(a, m, columns);
    opm::detail::ScaleByPowerOfTwo(a, m, columns, s);

    // Steps 1 to 3 see the column count as it came in; Step 4 replaces it with the rank.
    SVDStep1(a, b, d, e, m, n, nb);
    SVDStep2(a, b, d, e, m, n, nb, converged);
    SVDStep3(a, b, d, m, n, nb);
    SVDStep4(a, b, d, x, residual, m, n, nb, tolerance);

    opm::detail::ScaleByPowerOfTwo(b, n, nb, s);
    opm::detail::ScaleByPowerOfTwo(x, columns, nb, s);
    opm::detail::ScaleByPowerOfTwo(d, 1, columns, -s);
    // Step 4 only reads d: these are the ordered singular values, now of the caller's matrix.
    opm::detail::SvdSingularValueCapture::Deliver(d, columns);
    return true;
}
