// The linear algebra functions of the C interface, over the opm:: operations of
// OstraPureMath/opm/LinearAlgebra.h.
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "capi/CapiGuard.h"

#include <limits>

using opm::detail::capi::CopyOut;
using opm::detail::capi::Guard;
using opm::detail::capi::RequireOutput;
using opm::detail::capi::RequireOutputArray;

namespace {

// rows * cols, or a size that no array can have when the product overflows (the opm::
// operation then refuses the matrix).
std::size_t Elements(std::size_t rows, std::size_t cols) {
    if (cols != 0 && rows > std::numeric_limits<std::size_t>::max() / cols) {
        return std::numeric_limits<std::size_t>::max();
    }
    return rows * cols;
}

} // namespace

opm_status opm_least_squares(const double* a, size_t m, size_t n, const double* b, size_t nb,
                             double tolerance, double* x, double* singular_values, size_t* rank,
                             double* residuals, int* converged) {
    return Guard([&] {
        constexpr const char* kFunction = "opm_least_squares";
        RequireOutputArray(kFunction, "x", x, Elements(n, nb));
        RequireOutputArray(kFunction, "singular_values", singular_values, n);
        RequireOutput(kFunction, "rank", rank);
        RequireOutputArray(kFunction, "residuals", residuals, nb);
        RequireOutput(kFunction, "converged", converged);
        const opm::LeastSquaresSolution solution =
            opm::least_squares({a, m, n}, {b, m, nb}, tolerance);
        CopyOut(solution.solution.values(), x);
        CopyOut(solution.singular_values, singular_values);
        *rank = solution.rank;
        CopyOut(solution.residual_sum_of_squares, residuals);
        *converged = solution.converged ? 1 : 0;
    });
}

opm_status opm_compact_svd(const double* a, size_t m, size_t n, double* u, double* w, double* v) {
    return Guard([&] {
        constexpr const char* kFunction = "opm_compact_svd";
        RequireOutputArray(kFunction, "u", u, Elements(m, n));
        RequireOutputArray(kFunction, "w", w, n);
        RequireOutputArray(kFunction, "v", v, Elements(n, n));
        const opm::CompactSvd svd = opm::compact_svd({a, m, n});
        CopyOut(svd.u.values(), u);
        CopyOut(svd.w, w);
        CopyOut(svd.v.values(), v);
    });
}

opm_status opm_compact_svd_solve(const double* u, const double* w, const double* v, size_t m,
                                 size_t n, const double* b, double cutoff, double* x) {
    return Guard([&] {
        RequireOutputArray("opm_compact_svd_solve", "x", x, n);
        CopyOut(opm::compact_svd_solve({u, m, n}, {w, n}, {v, n, n}, {b, m}, cutoff), x);
    });
}

opm_status opm_cholesky_factor(const double* a, size_t n, double* u) {
    return Guard([&] {
        RequireOutputArray("opm_cholesky_factor", "u", u, Elements(n, n));
        CopyOut(opm::cholesky_factor({a, n, n}).values(), u);
    });
}

opm_status opm_cholesky_inverse(const double* a, size_t n, double* inverse) {
    return Guard([&] {
        RequireOutputArray("opm_cholesky_inverse", "inverse", inverse, Elements(n, n));
        CopyOut(opm::cholesky_inverse({a, n, n}).values(), inverse);
    });
}

opm_status opm_lu_solve(const double* a, size_t n, const double* b, double* x) {
    return Guard([&] {
        RequireOutputArray("opm_lu_solve", "x", x, n);
        CopyOut(opm::lu_solve({a, n, n}, {b, n}), x);
    });
}

opm_status opm_vandermonde_solve(const double* x, const double* q, size_t n, double* w) {
    return Guard([&] {
        RequireOutputArray("opm_vandermonde_solve", "w", w, n);
        CopyOut(opm::vandermonde_solve({x, n}, {q, n}), w);
    });
}
