// opm::cholesky_factor and opm::cholesky_inverse: the Cholesky routines of Matrix on 1-based
// copies, with the positive definiteness that those routines do not test checked here.
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/OneBasedStorage.h"

#include <string>

namespace opm {

namespace {

// The factorisation takes the root of |t| for each pivot t = a[i][i] - sum_k u[k][i]^2. The
// pivots are recomputed from the factor in the routine's own order (sums from 0 over k
// ascending), so each sign is exactly the one the routine saw; a pivot that is not positive
// means a is not positive definite (or too close to singular for it to show).
// a is the caller's matrix (0-based), u the factor the routine wrote (1-based).
void RequirePositivePivots(const char* operation, MatrixView a, double** u, long n) {
    for (long i = 1; i <= n; ++i) {
        double sum = 0.0;
        for (long k = 1; k < i; ++k) {
            sum += u[k][i] * u[k][i];
        }
        const double pivot = a.data()[(i - 1) * (n + 1)] - sum;
        if (!(pivot > 0.0)) {
            throw Degenerate(std::string(operation) + ": a is not positive definite (pivot " +
                             detail::Text(i - 1) + " is " + detail::Text(pivot) + ")");
        }
    }
}

} // namespace

DenseMatrix cholesky_factor(MatrixView a) {
    constexpr const char* kOperation = "opm::cholesky_factor";
    return detail::Guarded(kOperation, [&] {
        const long n = detail::RequireFiniteSquare(kOperation, "a", a);
        detail::OneBasedMatrix matrix(a);
        detail::OneBasedMatrix factor(a.rows(), a.cols());
        ::Matrix().CholeskyDecomposition(matrix.rows(), factor.rows(), n);
        RequirePositivePivots(kOperation, a, factor.rows(), n);
        return factor.ToDense();
    });
}

DenseMatrix cholesky_inverse(MatrixView a) {
    constexpr const char* kOperation = "opm::cholesky_inverse";
    return detail::Guarded(kOperation, [&] {
        const long n = detail::RequireFiniteSquare(kOperation, "a", a);
        detail::OneBasedMatrix inverse(a);
        detail::OneBasedMatrix factor(a.rows(), a.cols());
        ::Matrix().CholeskyInvert(inverse.rows(), factor.rows(), n);
        RequirePositivePivots(kOperation, a, factor.rows(), n);
        DenseMatrix result = inverse.ToDense();
        detail::RequireFiniteResult(kOperation, "the inverse is not finite (overflow)",
                                    result.values());
        return result;
    });
}

} // namespace opm
