// The one error policy, as one table of bad calls through opm:: and the C interface (or one of
// them): opm:: throws the row's kind of opm::Error, C returns that status with the same message,
// and neither writes its output block (a marker; for the in-place smoothing, the data itself).
#include "ModernTestSupport.h"
#include "OstraPureMath/opm.h"
#include "OstraPureMath/opm/CubicSpline.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "OstraPureMath/opm/Statistics.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double kMarker = -7.25e33;
constexpr std::size_t kOutputs = 16;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct Case {
    const char* name;
    opm::Status status;
    std::function<void(double* out)> modern;  // empty: no opm:: counterpart
    std::function<opm_status(double* out)> c; // empty: no C counterpart
};

// A C spline handle over the given knots, released at the end of the row.
struct Handle {
    Handle(std::vector<double> x, std::vector<double> y, opm_end_condition ends) {
        EXPECT_EQ(opm_spline_create(x.data(), y.data(), x.size(), ends, 0, 0, &spline), OPM_OK);
    }
    ~Handle() { opm_spline_destroy(spline); }
    opm_spline* spline = nullptr;
};

// opm_spline_create that must leave its handle untouched.
opm_status CreateNothing(const std::vector<double>& x, const std::vector<double>& y,
                         opm_end_condition ends) {
    opm_spline* spline = nullptr;
    const opm_status status = opm_spline_create(x.data(), y.data(), x.size(), ends, 0, 0, &spline);
    EXPECT_EQ(spline, nullptr);
    return status;
}

// The external routines' slots empty, as after the library's release, for one call.
struct ReleasedExternalRoutines {
    ReleasedExternalRoutines() { opm::detail::g_externalRoutines = {}; }
    ~ReleasedExternalRoutines() { modern_test::UseRealExternalRoutines(); }
};

TEST(ErrorPolicy, BadCallsThrowOrReturnTheirStatusAndWriteNothing) {
    using opm::Status;
    modern_test::UseRealExternalRoutines();
    const std::vector<double> six = {0, 1, 2, 3, 4, 5}, dip = {1, -2, -3, -3, -2, 1};
    const std::vector<double> four = {1, 2, 3, 4}, same = {2, 2, 2, 2};
    const std::vector<double> tooClose = {0, 1e-300}, huge = {0, 1e300};
    const std::vector<double> wide = {1, 2, 3, 4, 5, 6}; // 2 x 3
    const std::vector<double> indefinite = {1, 2, 2, 1}, unordered = {0, 2, 2, 3}, ones = {1, 1};
    const std::size_t n = 4;

    const std::vector<Case> cases = {
        {"spline knots not strictly increasing", Status::bad_argument,
         [&](double*) { opm::CubicSpline(unordered, four); },
         [&](double*) { return CreateNothing(unordered, four, OPM_ENDS_NATURAL); }},
        {"spline window outside the knots", Status::bad_argument,
         [&](double*) { opm::CubicSpline(six, six).centroid(-1, 3); },
         [&](double* out) {
             Handle h(six, six, OPM_ENDS_NATURAL);
             return opm_spline_centroid(h.spline, -1, 3, out, out + 1);
         }},
        {"least squares with more columns than rows", Status::bad_argument,
         [&](double*) {
             opm::least_squares({wide.data(), 2, 3}, {four.data(), 2, 1});
         },
         [&](double* out) {
             std::size_t rank = 99;
             int converged = -1;
             return opm_least_squares(wide.data(), 2, 3, four.data(), 1, 0, out, out + 3, &rank,
                                      out + 6, &converged);
         }},
        {"NaN target of the roots", Status::bad_argument,
         [&](double*) { opm::polynomial_roots(four, kNaN); },
         [&](double* out) {
             std::size_t count = 99;
             return opm_polynomial_roots(four.data(), n, kNaN, out, &count);
         }},
        {"bisection without a change of sign", Status::bad_argument,
         [&](double*) { opm::polynomial_bisection(four, 0, 1, 2); },
         [&](double* out) { return opm_polynomial_bisection(four.data(), 4, 0, 1, 2, out); }},
        {"smoothing with half-width 0", Status::bad_argument,
         [&](double* out) { opm::gaussian_smooth(opm::Span<double>(out, kOutputs), 0, 1); },
         [&](double* out) { return opm_gaussian_smooth(out, kOutputs, 0, 1); }},
        {"null samples with a count", Status::bad_argument,
         [&](double*) { opm::rms(opm::Span<const double>(nullptr, 1)); },
         [&](double* out) { return opm_rms(nullptr, 1, out); }},
        {"null output", Status::bad_argument, nullptr,
         [&](double*) { return opm_median(four.data(), n, nullptr); }},
        {"infinite element of a matrix", Status::bad_argument,
         [&](double*) {
             const double a[] = {1, kInf, 0, 1};
             opm::lu_solve({a, 2, 2}, ones);
         },
         [&](double* out) {
             const double a[] = {1, kInf, 0, 1}, b[] = {1, 1};
             return opm_lu_solve(a, 2, b, out);
         }},
        {"spline centroid of a negative area", Status::degenerate,
         [&](double*) { opm::CubicSpline(six, dip).centroid(1, 4); },
         [&](double* out) {
             Handle h(six, dip, OPM_ENDS_NATURAL);
             return opm_spline_centroid(h.spline, 1, 4, out, out + 1);
         }},
        {"cholesky of an indefinite matrix", Status::degenerate,
         [&](double*) { opm::cholesky_inverse(opm::MatrixView(indefinite.data(), 2, 2)); },
         [&](double* out) { return opm_cholesky_inverse(indefinite.data(), 2, out); }},
        {"line through equal abscissae", Status::degenerate,
         [&](double*) { opm::fit_line(same, four); },
         [&](double* out) {
             return opm_fit_line(same.data(), four.data(), n, out, out + 1, out + 2);
         }},
        {"spline knots too close for the ordinates", Status::not_converged,
         [&](double*) { opm::CubicSpline(tooClose, huge); },
         [&](double*) { return CreateNothing(tooClose, huge, OPM_ENDS_NATURAL); }},
        {"line after the external library's release", Status::unavailable,
         [&](double*) {
             const ReleasedExternalRoutines released;
             opm::fit_line(four, four);
         },
         [&](double* out) {
             const ReleasedExternalRoutines released;
             return opm_fit_line(four.data(), four.data(), n, out, out + 1, out + 2);
         }},
    };

    const std::vector<double> untouched(kOutputs, kMarker);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        std::string thrown;
        if (row.modern) {
            std::vector<double> out = untouched;
            try {
                row.modern(out.data());
                ADD_FAILURE() << "no exception";
            } catch (const opm::Error& e) {
                EXPECT_EQ(e.status(), row.status) << e.what();
                thrown = e.what();
                EXPECT_EQ(thrown.rfind("opm::", 0), 0u) << thrown; // names the operation
            }
            EXPECT_EQ(out, untouched);
        }
        if (row.c) {
            std::vector<double> out = untouched;
            EXPECT_EQ(row.c(out.data()), static_cast<opm_status>(row.status)) << opm_last_error();
            EXPECT_EQ(out, untouched);
            EXPECT_STRNE(opm_last_error(), "");
            if (row.modern) {
                EXPECT_EQ(thrown, opm_last_error());
            }
        }
    }
    double median = 0;
    ASSERT_EQ(opm_median(four.data(), n, &median), OPM_OK);
    EXPECT_STREQ(opm_last_error(), ""); // a success clears the thread's message
}

} // namespace
