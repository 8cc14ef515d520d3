// opm::compact_svd and opm::compact_svd_solve: the compact SVD of Matrix and its
// back-substitution on 1-based copies of the caller's data.
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "modern/Checks.h"
#include "modern/Guarded.h"
#include "modern/OneBasedStorage.h"

#include <algorithm>
#include <string>

namespace opm {

CompactSvd compact_svd(MatrixView a) {
    constexpr const char* kOperation = "opm::compact_svd";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFiniteMatrix(kOperation, "a", a);
        if (a.rows() < 1 || a.cols() < 1) {
            detail::Refuse(kOperation, "a is " + detail::Text(a.rows()) + " x " +
                                           detail::Text(a.cols()) + "; it needs an element");
        }
        const long m = detail::ToLong(kOperation, "the row count", a.rows());
        const long n = detail::ToLong(kOperation, "the column count", a.cols());
        detail::OneBasedMatrix u(a);
        detail::OneBasedVector w(a.cols());
        detail::OneBasedMatrix v(a.cols(), a.cols());
        if (!::Matrix().SingularValueDecompNRC(u.rows(), m, n, w.get(), v.rows())) {
            throw NotConverged(std::string(kOperation) +
                               ": a singular value did not split off in 30 passes");
        }
        CompactSvd result{u.ToDense(), w.ToVector(), v.ToDense()};
        const char* overflow = "a result is not finite (magnitudes beyond the double range)";
        detail::RequireFiniteResult(kOperation, overflow, result.u.values());
        detail::RequireFiniteResult(kOperation, overflow, result.w);
        detail::RequireFiniteResult(kOperation, overflow, result.v.values());
        return result;
    });
}

std::vector<double> compact_svd_solve(MatrixView u, Span<const double> w, MatrixView v,
                                      Span<const double> b, double cutoff) {
    constexpr const char* kOperation = "opm::compact_svd_solve";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFiniteMatrix(kOperation, "u", u);
        detail::RequireFiniteData(kOperation, "w", w);
        detail::RequireFiniteMatrix(kOperation, "v", v);
        detail::RequireFiniteData(kOperation, "b", b);
        const std::size_t n = w.size();
        if (u.rows() < 1 || n < 1 || u.cols() != n || v.rows() != n || v.cols() != n ||
            b.size() != u.rows()) {
            detail::Refuse(kOperation,
                           "sizes do not match: u " + detail::Text(u.rows()) + " x " +
                               detail::Text(u.cols()) + ", w " + detail::Text(n) + ", v " +
                               detail::Text(v.rows()) + " x " + detail::Text(v.cols()) + ", b " +
                               detail::Text(b.size()) + " (u m x n, w n, v n x n, b m, m, n >= 1)");
        }
        if (!(cutoff >= 0.0 && cutoff < 1.0)) {
            detail::Refuse(kOperation, "the cutoff is " + detail::Text(cutoff) +
                                           "; 0 <= cutoff < 1 is required (it is relative)");
        }
        const long m = detail::ToLong(kOperation, "the row count", u.rows());
        const long columns = detail::ToLong(kOperation, "the column count", n);
        detail::OneBasedMatrix uCopy(u);
        detail::OneBasedMatrix vCopy(v);
        detail::OneBasedVector wCopy(w);
        detail::OneBasedVector bCopy(b);
        detail::OneBasedVector x(n);
        // Singular values at or below the cutoff are left out, as the routine leaves out zeros.
        if (cutoff > 0.0) {
            const double threshold = cutoff * *std::max_element(w.begin(), w.end());
            for (std::size_t j = 1; j <= n; ++j) {
                if (wCopy.get()[j] <= threshold) {
                    wCopy.get()[j] = 0.0;
                }
            }
        }
        ::Matrix().SingularValueBackSubNRC(uCopy.rows(), wCopy.get(), vCopy.rows(), m, columns,
                                           bCopy.get(), x.get());
        std::vector<double> result = x.ToVector();
        detail::RequireFiniteResult(kOperation, "the solution is not finite (overflow)", result);
        return result;
    });
}

} // namespace opm
