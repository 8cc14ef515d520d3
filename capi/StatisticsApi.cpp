// The statistics functions of the C interface, over the opm:: operations of
// OstraPureMath/opm/Statistics.h.
#include "OstraPureMath/opm/Statistics.h"
#include "capi/CapiGuard.h"

using opm::detail::capi::CopyOut;
using opm::detail::capi::Guard;
using opm::detail::capi::GuardResult;
using opm::detail::capi::RequireOutput;

opm_status opm_median(const double* samples, size_t n, double* median) {
    return GuardResult("opm_median", "median", median, [&] { return opm::median({samples, n}); });
}

opm_status opm_standard_deviation(const double* samples, size_t n, double* deviation) {
    return GuardResult("opm_standard_deviation", "deviation", deviation, [&] {
        return opm::standard_deviation({samples, n});
    });
}

opm_status opm_standard_deviation_two_pass(const double* samples, size_t n, double* deviation) {
    return GuardResult("opm_standard_deviation_two_pass", "deviation", deviation, [&] {
        return opm::standard_deviation_two_pass({samples, n});
    });
}

opm_status opm_rms(const double* samples, size_t n, double* rms) {
    return GuardResult("opm_rms", "rms", rms, [&] { return opm::rms({samples, n}); });
}

opm_status opm_fit_line(const double* x, const double* y, size_t n, double* intercept,
                        double* slope, double* r) {
    return Guard([&] {
        RequireOutput("opm_fit_line", "intercept", intercept);
        RequireOutput("opm_fit_line", "slope", slope);
        RequireOutput("opm_fit_line", "r", r);
        const opm::LineFit fit = opm::fit_line({x, n}, {y, n});
        *intercept = fit.intercept;
        *slope = fit.slope;
        *r = fit.r;
    });
}

opm_status opm_gaussian_smooth(double* samples, size_t n, int half_width, int passes) {
    return Guard([&] { opm::gaussian_smooth({samples, n}, half_width, passes); });
}

opm_status opm_fit_polynomial(const double* x, const double* y, size_t n, unsigned degree,
                              double* coefficients) {
    return Guard([&] {
        RequireOutput("opm_fit_polynomial", "coefficients", coefficients);
        CopyOut(opm::fit_polynomial({x, n}, {y, n}, degree), coefficients);
    });
}
