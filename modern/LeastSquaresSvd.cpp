// opm::least_squares: the least-squares SVD of Matrix on 1-based copies of the caller's data,
// with the singular values that the driver keeps to itself captured on the way.
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "matrix/SvdSingularValueCapture.h"
#include "matrix/SvdWorkVectors.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/OneBasedStorage.h"

#include <string>

namespace opm {

namespace {

constexpr const char* kOperation = "opm::least_squares";

void CheckArguments(MatrixView a, MatrixView b, double tolerance) {
    detail::RequireFiniteMatrix(kOperation, "a", a);
    detail::RequireFiniteMatrix(kOperation, "b", b);
    if (a.cols() < 1 || a.cols() > a.rows() ||
        a.rows() > static_cast<std::size_t>(detail::kSvdWorkCapacity)) {
        detail::Refuse(kOperation, "a is " + detail::Text(a.rows()) + " x " +
                                       detail::Text(a.cols()) +
                                       "; 1 <= columns <= rows <= 1000 is required");
    }
    if (b.rows() != a.rows()) {
        detail::Refuse(kOperation, "b has " + detail::Text(b.rows()) + " rows, a has " +
                                       detail::Text(a.rows()));
    }
    detail::ToLong(kOperation, "the column count of b", b.cols());
    if (!(tolerance >= 0.0 && tolerance < 1.0)) {
        detail::Refuse(kOperation, "the tolerance is " + detail::Text(tolerance) +
                                       "; 0 <= tolerance < 1 is required (it is relative)");
    }
}

} // namespace

LeastSquaresSolution least_squares(MatrixView a, MatrixView b, double tolerance) {
    return detail::Guarded(kOperation, [&] {
        CheckArguments(a, b, tolerance);
        const long m = static_cast<long>(a.rows());
        const long n = static_cast<long>(a.cols());
        const long nb = static_cast<long>(b.cols());
        detail::OneBasedMatrix matrix(a);
        detail::OneBasedMatrix rhs(b);
        detail::OneBasedMatrix solution(a.cols(), b.cols());
        detail::OneBasedVector residual(b.cols());

        LeastSquaresSolution result;
        result.singular_values.resize(a.cols());
        long rank = n;
        {
            const detail::SvdSingularValueCapture capture(result.singular_values.data());
            ::Matrix().SingularValueDecomposition(matrix.rows(), rhs.rows(), solution.rows(),
                                                  residual.get(), m, rank, nb, tolerance,
                                                  result.converged);
        }
        result.solution = solution.ToDense();
        result.rank = static_cast<std::size_t>(rank);
        result.residual_sum_of_squares = residual.ToVector();
        const char* overflow = "a result is not finite (magnitudes beyond the double range)";
        detail::RequireFiniteResult(kOperation, overflow, result.singular_values);
        detail::RequireFiniteResult(kOperation, overflow, result.solution.values());
        detail::RequireFiniteResult(kOperation, overflow, result.residual_sum_of_squares);
        return result;
    });
}

} // namespace opm
