// opm::lu_solve: the LU factorisation without pivoting of Matrix and its solve, on 1-based
// copies; a failed pivot test and a non-finite solution are reported as a degenerate system.
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/OneBasedStorage.h"

#include <string>

namespace opm {

std::vector<double> lu_solve(MatrixView a, Span<const double> b) {
    constexpr const char* kOperation = "opm::lu_solve";
    return detail::Guarded(kOperation, [&] {
        const long n = detail::RequireFiniteSquare(kOperation, "a", a);
        detail::RequireFiniteData(kOperation, "b", b);
        detail::RequireSameSize(kOperation, "a's order", a.rows(), "b", b.size());
        detail::OneBasedMatrix factor(a);
        detail::OneBasedVector x(b);
        const ::Matrix matrix;
        if (!matrix.LUDecomposition(factor.rows(), n, n)) {
            throw Degenerate(std::string(kOperation) +
                             ": a pivot is below 1e-10 in magnitude (rows are never exchanged, "
                             "so this happens for some non-singular matrices as well)");
        }
        matrix.LUSolve(factor.rows(), x.get(), n, n);
        std::vector<double> result = x.ToVector();
        if (!detail::AllFinite(result)) {
            throw Degenerate(std::string(kOperation) +
                             ": the solution is not finite (the last pivot is zero or tiny)");
        }
        return result;
    });
}

} // namespace opm
