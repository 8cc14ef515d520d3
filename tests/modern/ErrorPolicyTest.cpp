// The one error policy, as one table: each row makes a bad call through opm:: and through the C
// interface (or through one of them where the other cannot express it). opm:: must throw the
// row's kind of opm::Error; the C function must return the same status with the same message;
// and neither may write anything: every call gets an output block filled with a marker, which
// must come back unchanged (for the in-place smoothing it is the data itself).
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
    const std::vector<double> indefinite = {1, 2, 2, 1}, swap = {0, 1, 1, 0};
    const std::vector<double> quintic = {1, 0, 0, 0, 0, 1}, zeroLead = {1, 2, 0};
    const std::vector<double> unordered = {0, 2, 1, 3};
    const std::vector<double> three = {0, 1, 2}, bump = {0, 1, 0}, ones = {1, 1};
    const std::vector<double> withNaN = {1, kNaN, 3, 4}, withInf = {1, kInf, 3};
    const std::vector<double> repeated = {1, 1, 2, 2};
    const std::size_t n = 4;

    const std::vector<Case> cases = {
        // Sizes and shapes.
        {"spline knots not increasing", Status::bad_argument,
         [&](double*) { opm::CubicSpline(unordered, four); },
         [&](double*) { return CreateNothing(unordered, four, OPM_ENDS_NATURAL); }},
        {"spline too few knots for the end condition", Status::bad_argument,
         [&](double*) { opm::CubicSpline(three, bump, opm::EndCondition::not_a_knot); },
         [&](double*) { return CreateNothing(three, bump, OPM_ENDS_NOT_A_KNOT); }},
        {"spline end condition out of range", Status::bad_argument,
         [&](double*) { opm::CubicSpline(four, four, opm::EndCondition(7)); },
         [&](double*) { return CreateNothing(four, four, opm_end_condition(7)); }},
        {"spline maximum below six knots", Status::bad_argument,
         [&](double*) { opm::CubicSpline(four, four).maximum(1, 4); },
         [&](double* out) {
             Handle h(four, four, OPM_ENDS_NATURAL);
             int found = -1;
             const opm_status s = opm_spline_maximum(h.spline, 1, 4, &found, out, out + 1);
             EXPECT_EQ(found, -1);
             return s;
         }},
        {"spline window outside the knots", Status::bad_argument,
         [&](double*) { opm::CubicSpline(six, six).centroid(-1, 3); },
         [&](double* out) {
             Handle h(six, six, OPM_ENDS_NATURAL);
             return opm_spline_centroid(h.spline, -1, 3, out, out + 1);
         }},
        {"spline solve without a change of sign", Status::bad_argument,
         [&](double*) { opm::CubicSpline(six, six).solve(10, 1, 4); },
         [&](double* out) {
             Handle h(six, six, OPM_ENDS_NATURAL);
             return opm_spline_solve(h.spline, 10, 1, 4, out);
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
        {"least squares with a tolerance of 1", Status::bad_argument,
         [&](double*) {
             opm::least_squares({wide.data(), 3, 2}, {four.data(), 3, 1}, 1.0);
         },
         [&](double* out) {
             std::size_t rank = 99;
             int converged = -1;
             return opm_least_squares(wide.data(), 3, 2, four.data(), 1, 1.0, out, out + 2, &rank,
                                      out + 4, &converged);
         }},
        {"compact svd of an empty matrix", Status::bad_argument,
         [&](double*) {
             opm::compact_svd({wide.data(), 0, 3});
         },
         [&](double* out) { return opm_compact_svd(wide.data(), 0, 3, out, out, out + 3); }},
        {"roots of degree 5", Status::bad_argument,
         [&](double*) { opm::polynomial_roots(quintic); },
         [&](double* out) {
             std::size_t count = 99;
             return opm_polynomial_roots(quintic.data(), quintic.size(), 0, out, &count);
         }},
        {"roots with a zero leading coefficient", Status::bad_argument,
         [&](double*) { opm::polynomial_roots(zeroLead); },
         [&](double* out) {
             std::size_t count = 99;
             return opm_polynomial_roots(zeroLead.data(), zeroLead.size(), 0, out, &count);
         }},
        {"bisection without a change of sign", Status::bad_argument,
         [&](double*) { opm::polynomial_bisection(four, 0, 1, 2); },
         [&](double* out) { return opm_polynomial_bisection(four.data(), 4, 0, 1, 2, out); }},
        {"median of no samples", Status::bad_argument,
         [&](double*) { opm::median(opm::Span<const double>()); },
         [&](double* out) { return opm_median(four.data(), 0, out); }},
        {"standard deviation of one sample", Status::bad_argument,
         [&](double*) {
             opm::standard_deviation({four.data(), 1});
         },
         [&](double* out) { return opm_standard_deviation(four.data(), 1, out); }},
        {"line through points of different counts", Status::bad_argument,
         [&](double*) { opm::fit_line(four, six); }, nullptr},
        {"smoothing with half-width 0", Status::bad_argument,
         [&](double* out) {
             opm::gaussian_smooth({out, kOutputs}, 0, 1);
         },
         [&](double* out) { return opm_gaussian_smooth(out, kOutputs, 0, 1); }},
        {"polynomial fit with fewer points than coefficients", Status::bad_argument,
         [&](double*) { opm::fit_polynomial(four, four, 4); },
         [&](double* out) { return opm_fit_polynomial(four.data(), four.data(), n, 4, out); }},
        // Null pointers.
        {"null samples with a count", Status::bad_argument,
         [&](double*) {
             opm::rms({nullptr, 3});
         },
         [&](double* out) { return opm_rms(nullptr, 3, out); }},
        {"null output", Status::bad_argument, nullptr,
         [&](double*) { return opm_median(four.data(), n, nullptr); }},
        {"null spline handle", Status::bad_argument, nullptr,
         [&](double* out) { return opm_spline_value(nullptr, 1, out); }},
        // Non-finite inputs.
        {"NaN ordinate of a spline", Status::bad_argument,
         [&](double*) { opm::CubicSpline(four, withNaN); },
         [&](double*) { return CreateNothing(four, withNaN, OPM_ENDS_NATURAL); }},
        {"infinite sample of a median", Status::bad_argument,
         [&](double*) { opm::median(withInf); },
         [&](double* out) { return opm_median(withInf.data(), 3, out); }},
        {"NaN target of the roots", Status::bad_argument,
         [&](double*) { opm::polynomial_roots(four, kNaN); },
         [&](double* out) {
             std::size_t count = 99;
             return opm_polynomial_roots(four.data(), n, kNaN, out, &count);
         }},
        {"NaN element of a matrix", Status::bad_argument,
         [&](double*) {
             const double a[] = {1, kNaN, 0, 1};
             opm::lu_solve({a, 2, 2}, ones);
         },
         [&](double* out) {
             const double a[] = {1, kNaN, 0, 1}, b[] = {1, 1};
             return opm_lu_solve(a, 2, b, out);
         }},
        // Data that admit no unique answer.
        {"spline centroid of a negative area", Status::degenerate,
         [&](double*) { opm::CubicSpline(six, dip).centroid(1, 4); },
         [&](double* out) {
             Handle h(six, dip, OPM_ENDS_NATURAL);
             return opm_spline_centroid(h.spline, 1, 4, out, out + 1);
         }},
        {"cholesky of an indefinite matrix", Status::degenerate,
         [&](double*) {
             opm::cholesky_inverse({indefinite.data(), 2, 2});
         },
         [&](double* out) { return opm_cholesky_inverse(indefinite.data(), 2, out); }},
        {"lu with a zero leading pivot", Status::degenerate,
         [&](double*) {
             opm::lu_solve({swap.data(), 2, 2}, ones);
         },
         [&](double* out) { return opm_lu_solve(swap.data(), 2, four.data(), out); }},
        {"vandermonde with repeated abscissae", Status::degenerate,
         [&](double*) { opm::vandermonde_solve(repeated, four); },
         [&](double* out) { return opm_vandermonde_solve(repeated.data(), four.data(), n, out); }},
        {"line through equal abscissae", Status::degenerate,
         [&](double*) { opm::fit_line(same, four); },
         [&](double* out) {
             return opm_fit_line(same.data(), four.data(), n, out, out + 1, out + 2);
         }},
        {"quadratic fit through two distinct abscissae", Status::degenerate,
         [&](double*) { opm::fit_polynomial(repeated, four, 2); },
         [&](double* out) { return opm_fit_polynomial(repeated.data(), four.data(), n, 2, out); }},
        // Finite data whose result overflows.
        {"spline knots too close for the ordinates", Status::not_converged,
         [&](double*) { opm::CubicSpline(tooClose, huge); },
         [&](double*) { return CreateNothing(tooClose, huge, OPM_ENDS_NATURAL); }},
        // The external routines released.
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
