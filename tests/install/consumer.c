/* Consumer of the installed library through the C interface alone, compiled as C11: the same
 * results as the opm:: consumer (check-install.sh compares the printed lines), then every status
 * a program can meet, each with nothing written. (OPM_UNAVAILABLE needs the library released,
 * which a program linked to it never sees.) */
#define _POSIX_C_SOURCE 200809L
#include <OstraPureMath/opm.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

static int failures = 0;

static void Expect(opm_status status, opm_status expected, const double* out, const char* what) {
    const int ok = status == expected && (expected == OPM_OK || *out == -1.0);
    printf("%-40s %s\n", what, ok ? "ok" : "FAILED");
    if (!ok) {
        fprintf(stderr, "%s: status %d, %s\n", what, (int)status, opm_last_error());
        ++failures;
    }
}

int main(void) {
    double x[9], y[9], at, height, centroid, area, intercept, slope, r, median, out = -1.0;
    double sx[2] = {1, 2}, ls[2], sv[2], residual;
    const double a[] = {1, 1, 1, 2, 1, 3, 1, 4}, b[] = {6, 5, 7, 10};
    size_t rank;
    int found, converged;
    opm_spline* spline = NULL;
    for (int k = 0; k < 9; ++k) {
        x[k] = k + 1;
        y[k] = 100.0 * exp(-0.5 * (x[k] - 5.3) * (x[k] - 5.3) / 1.44);
    }
    if (opm_spline_create(x, y, 9, OPM_ENDS_NATURAL, 0, 0, &spline) != OPM_OK ||
        opm_spline_maximum(spline, 1, 9, &found, &at, &height) != OPM_OK || !found ||
        opm_spline_centroid(spline, 1, 9, &centroid, &area) != OPM_OK ||
        opm_fit_line(x, y, 9, &intercept, &slope, &r) != OPM_OK ||
        opm_median(y, 9, &median) != OPM_OK ||
        opm_least_squares(a, 4, 2, b, 1, 0.0, ls, sv, &rank, &residual, &converged) != OPM_OK) {
        fprintf(stderr, "%s\n", opm_last_error());
        return 1;
    }
    opm_spline_destroy(spline);
    printf("apex %.17g %.17g centroid %.17g %.17g\n", at, height, centroid, area);
    printf("line %.17g %.17g %.17g median %.17g\n", intercept, slope, r, median);
    printf("least squares %.17g %.17g rank %zu\n", ls[0], ls[1], rank);

    Expect(opm_median(NULL, 3, &out), OPM_BAD_ARGUMENT, &out, "bad argument: null samples");
    sx[1] = 1;
    Expect(opm_fit_line(sx, sx, 2, &out, &out, &out), OPM_DEGENERATE, &out,
           "degenerate: line through equal abscissae");
    {
        const double close[] = {0, 1e-300}, steep[] = {0, 1e300};
        spline = NULL;
        Expect(opm_spline_create(close, steep, 2, OPM_ENDS_NATURAL, 0, 0, &spline),
               OPM_NOT_CONVERGED, &out, "not converged: overflowing spline");
        failures += spline != NULL;
    }
#if !defined(_WIN32) /* where a process can limit its own address space */
    {
        /* A fit whose design matrix (2^17 x 2^17 doubles, 128 GiB) cannot be had within a 16 GiB
         * address space. */
        const size_t m = (size_t)1 << 17;
        const struct rlimit limit = {(rlim_t)16 << 30, (rlim_t)16 << 30};
        double* points = malloc(m * sizeof *points);
        double* coefficients = malloc(m * sizeof *coefficients);
        if (points == NULL || coefficients == NULL || setrlimit(RLIMIT_AS, &limit) != 0) {
            return 1;
        }
        for (size_t i = 0; i < m; ++i) {
            points[i] = (double)i;
        }
        coefficients[0] = -1.0;
        Expect(opm_fit_polynomial(points, points, m, (unsigned)(m - 1), coefficients),
               OPM_NO_MEMORY, coefficients, "no memory: a fit too large to store");
        free(points);
        free(coefficients);
    }
#endif
    return failures == 0 ? 0 : 1;
}
