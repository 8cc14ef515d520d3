// The polynomial functions of the C interface, over the opm:: operations of
// OstraPureMath/opm/Polynomials.h.
#include "OstraPureMath/opm/Polynomials.h"
#include "capi/CapiGuard.h"

using opm::detail::capi::CopyOut;
using opm::detail::capi::Guard;
using opm::detail::capi::GuardResult;
using opm::detail::capi::RequireOutput;

namespace {

// Writes a list of at most OPM_MAX_ROOTS values and its length.
void WriteList(const std::vector<double>& values, double* out, size_t* count) {
    static_assert(OPM_MAX_ROOTS == 4, "degree 4 has at most four roots, degree 5 four extrema");
    CopyOut(values, out);
    *count = values.size();
}

} // namespace

opm_status opm_polynomial_value(const double* coefficients, size_t count, double x, double* value) {
    return GuardResult("opm_polynomial_value", "value", value, [&] {
        return opm::polynomial_value({coefficients, count}, x);
    });
}

opm_status opm_polynomial_roots(const double* coefficients, size_t count, double y, double* roots,
                                size_t* root_count) {
    return Guard([&] {
        RequireOutput("opm_polynomial_roots", "roots", roots);
        RequireOutput("opm_polynomial_roots", "root_count", root_count);
        WriteList(opm::polynomial_roots({coefficients, count}, y), roots, root_count);
    });
}

opm_status opm_polynomial_roots_polished(const double* coefficients, size_t count, double y,
                                         double* roots, size_t* root_count) {
    return Guard([&] {
        RequireOutput("opm_polynomial_roots_polished", "roots", roots);
        RequireOutput("opm_polynomial_roots_polished", "root_count", root_count);
        WriteList(opm::polynomial_roots_polished({coefficients, count}, y), roots, root_count);
    });
}

opm_status opm_polynomial_extrema(const double* coefficients, size_t count, double* extrema,
                                  size_t* extremum_count) {
    return Guard([&] {
        RequireOutput("opm_polynomial_extrema", "extrema", extrema);
        RequireOutput("opm_polynomial_extrema", "extremum_count", extremum_count);
        WriteList(opm::polynomial_extrema({coefficients, count}), extrema, extremum_count);
    });
}

opm_status opm_polynomial_bisection(const double* coefficients, size_t count, double y, double x1,
                                    double x2, double* x) {
    return GuardResult("opm_polynomial_bisection", "x", x, [&] {
        return opm::polynomial_bisection({coefficients, count}, y, x1, x2);
    });
}
