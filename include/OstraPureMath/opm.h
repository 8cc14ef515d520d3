/* opm.h: the C interface of OstraPureMath, for C and for every language with a C foreign
 * function interface (C#, Python ctypes, R, Julia, ...). Compiles as C11 and as C++.
 *
 * Conventions of every function:
 * - Arrays are plain, contiguous and indexed from 0; matrices are stored row by row, element
 *   (i, j) of an m x n matrix at a[i * n + j]. The caller owns every array, and no function
 *   keeps a pointer to one after it returns.
 * - The result is an opm_status. On OPM_OK the outputs are written; on any other status
 *   nothing at all has been written, and opm_last_error() says in words what went wrong.
 * - Pointers must be non-null (OPM_BAD_ARGUMENT otherwise), except an array's that has no
 *   elements. Every input number must be finite: NaN and infinities give OPM_BAD_ARGUMENT.
 * - Functions may be called from any number of threads at once as long as the arrays they
 *   write are distinct; a spline handle may be read by any number of threads at once.
 * - Results are bit for bit those of the library's C++ interfaces on the same numbers; each
 *   function says what its C++ counterpart in namespace opm is, and that header documents the
 *   details (OstraPureMath/opm/CubicSpline.h, LinearAlgebra.h, Polynomials.h, Statistics.h).
 * - Nothing ends the process, and no C++ exception ever leaves a function.
 */
#ifndef OSTRAPUREMATH_OPM_H
#define OSTRAPUREMATH_OPM_H

#include "OstraPureMath/Export.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The outcome of a call; the same values as opm::Status in C++. */
typedef enum opm_status {
    OPM_OK = 0,
    OPM_BAD_ARGUMENT = 1,  /* a size, pointer or value outside the function's contract */
    OPM_NO_MEMORY = 2,     /* work storage could not be obtained */
    OPM_NOT_CONVERGED = 3, /* an iteration reached its limit, or finite data overflowed */
    OPM_DEGENERATE = 4,    /* the data admit no unique answer (singular system, ...) */
    OPM_UNAVAILABLE = 5    /* the external routines library is not loaded (only after the
                              library's release at process exit) */
} opm_status;

/* The message of the calling thread's latest call: empty after OPM_OK. The text stays valid
 * until that thread's next call of an opm_ function. Never null. */
OPM_API const char* opm_last_error(void);

/* ---- Cubic splines (opm::CubicSpline) --------------------------------------------------- */

/* End conditions; see opm::EndCondition for their meaning and the knots each needs. */
typedef enum opm_end_condition {
    OPM_ENDS_NATURAL = 1,
    OPM_ENDS_PARABOLIC_RUNOUT = 2,
    OPM_ENDS_NOT_A_KNOT = 3,
    OPM_ENDS_CLAMPED = 4 /* start_slope and end_slope are the first derivatives at the ends */
} opm_end_condition;

typedef struct opm_spline opm_spline;

/* Builds the spline through (x[k], y[k]), k = 0..n-1, x strictly increasing; the slopes are
 * read only for OPM_ENDS_CLAMPED. On OPM_OK *spline receives a new handle, to be released
 * with opm_spline_destroy. */
OPM_API opm_status opm_spline_create(const double* x, const double* y, size_t n,
                                     opm_end_condition ends, double start_slope, double end_slope,
                                     opm_spline** spline);
/* Releases a handle; a null handle is ignored. */
OPM_API void opm_spline_destroy(opm_spline* spline);

/* S(at) (0 for every abscissa below six knots, as opm::CubicSpline::value), S(at) for any
 * number of knots, and S'(at). */
OPM_API opm_status opm_spline_value(const opm_spline* spline, double at, double* value);
OPM_API opm_status opm_spline_value_any_knot_count(const opm_spline* spline, double at,
                                                   double* value);
OPM_API opm_status opm_spline_slope(const opm_spline* spline, double at, double* slope);
/* Integral from `from` to `to`, the limits clipped to the knots. */
OPM_API opm_status opm_spline_integral(const opm_spline* spline, double from, double to,
                                       double* area);
/* An abscissa in [lo, hi] where S equals target; S(lo) - target and S(hi) - target must have
 * opposite signs. */
OPM_API opm_status opm_spline_solve(const opm_spline* spline, double target, double lo, double hi,
                                    double* at);
/* Maximum over [a, b]: *found is 1 and *at, *height are written when there is one; *found is
 * 0 and *at, *height are left alone when there is none (still OPM_OK). */
OPM_API opm_status opm_spline_maximum(const opm_spline* spline, double a, double b, int* found,
                                      double* at, double* height);
/* The abscissa that halves the area over [a, b], and that area (which must be positive). */
OPM_API opm_status opm_spline_centroid(const opm_spline* spline, double a, double b, double* at,
                                       double* area);

/* ---- Linear algebra (OstraPureMath/opm/LinearAlgebra.h) -------------------------------- */

/* opm::least_squares: a m x n (1 <= n <= m <= 1000), b m x nb. Writes x (n x nb), the n singular
 * values (descending), the rank, the nb residual sums of squares and *converged (1 or 0). */
OPM_API opm_status opm_least_squares(const double* a, size_t m, size_t n, const double* b,
                                     size_t nb, double tolerance, double* x,
                                     double* singular_values, size_t* rank, double* residuals,
                                     int* converged);
/* opm::compact_svd: a m x n; writes u (m x n), w (n, unsorted) and v (n x n). */
OPM_API opm_status opm_compact_svd(const double* a, size_t m, size_t n, double* u, double* w,
                                   double* v);
/* opm::compact_svd_solve: x (n) from u (m x n), w (n), v (n x n) and b (m). */
OPM_API opm_status opm_compact_svd_solve(const double* u, const double* w, const double* v,
                                         size_t m, size_t n, const double* b, double cutoff,
                                         double* x);
/* opm::cholesky_factor and opm::cholesky_inverse: a n x n, the result n x n. */
OPM_API opm_status opm_cholesky_factor(const double* a, size_t n, double* u);
OPM_API opm_status opm_cholesky_inverse(const double* a, size_t n, double* inverse);
/* opm::lu_solve: a n x n, b and x n. */
OPM_API opm_status opm_lu_solve(const double* a, size_t n, const double* b, double* x);
/* opm::vandermonde_solve: x, q and w n. */
OPM_API opm_status opm_vandermonde_solve(const double* x, const double* q, size_t n, double* w);

/* ---- Polynomials, count coefficients lowest power first (OstraPureMath/opm/Polynomials.h) */

/* The most roots or extrema any polynomial function below writes. */
#define OPM_MAX_ROOTS 4

OPM_API opm_status opm_polynomial_value(const double* coefficients, size_t count, double x,
                                        double* value);
/* opm::polynomial_roots and opm::polynomial_roots_polished: roots must have room for
 * OPM_MAX_ROOTS; *root_count receives how many were written, ascending. */
OPM_API opm_status opm_polynomial_roots(const double* coefficients, size_t count, double y,
                                        double* roots, size_t* root_count);
OPM_API opm_status opm_polynomial_roots_polished(const double* coefficients, size_t count, double y,
                                                 double* roots, size_t* root_count);
/* opm::polynomial_extrema: extrema must have room for OPM_MAX_ROOTS. */
OPM_API opm_status opm_polynomial_extrema(const double* coefficients, size_t count, double* extrema,
                                          size_t* extremum_count);
OPM_API opm_status opm_polynomial_bisection(const double* coefficients, size_t count, double y,
                                            double x1, double x2, double* x);

/* ---- Statistics, n samples (OstraPureMath/opm/Statistics.h) ----------------------------- */

OPM_API opm_status opm_median(const double* samples, size_t n, double* median);
/* The one-pass formula (NaN possible for nearly equal samples, returned with OPM_OK) and the
 * two-pass one. */
OPM_API opm_status opm_standard_deviation(const double* samples, size_t n, double* deviation);
OPM_API opm_status opm_standard_deviation_two_pass(const double* samples, size_t n,
                                                   double* deviation);
OPM_API opm_status opm_rms(const double* samples, size_t n, double* rms);
OPM_API opm_status opm_fit_line(const double* x, const double* y, size_t n, double* intercept,
                                double* slope, double* r);
/* In place; the samples are untouched on any failure. */
OPM_API opm_status opm_gaussian_smooth(double* samples, size_t n, int half_width, int passes);
/* coefficients receives degree + 1 values, lowest power first. */
OPM_API opm_status opm_fit_polynomial(const double* x, const double* y, size_t n, unsigned degree,
                                      double* coefficients);

#ifdef __cplusplus
}
#endif

#endif /* OSTRAPUREMATH_OPM_H */
