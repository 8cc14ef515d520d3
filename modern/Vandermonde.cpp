// opm::vandermonde_solve: the Vandermonde solution of Matrix on 1-based copies; the non-finite
// weights of repeated abscissae are reported as a degenerate system.
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/OneBasedStorage.h"

#include <string>

namespace opm {

std::vector<double> vandermonde_solve(Span<const double> x, Span<const double> q) {
    constexpr const char* kOperation = "opm::vandermonde_solve";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinitePairs(kOperation, "x", x, "q", q, 1);
        const long n = detail::ToLong(kOperation, "the size of x", x.size());
        detail::OneBasedVector abscissae(x);
        detail::OneBasedVector moments(q);
        detail::OneBasedVector weights(x.size());
        ::Matrix().VanderMondeSolution(abscissae.get(), weights.get(), moments.get(), n);
        std::vector<double> result = weights.ToVector();
        if (!detail::AllFinite(result)) {
            throw Degenerate(std::string(kOperation) +
                             ": the weights are not finite (repeated abscissae make the system "
                             "singular)");
        }
        return result;
    });
}

} // namespace opm
