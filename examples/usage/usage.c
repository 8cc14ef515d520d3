/* The same apex and centroid through the C interface. */
#include <OstraPureMath/opm.h>

#include <math.h>
#include <stdio.h>

int main(void) {
    double x[9], y[9]; /* nine samples of a Gaussian peak centred at 5.3 */
    for (int k = 0; k < 9; ++k) {
        x[k] = k + 1; /* knots at sample numbers */
        y[k] = 100.0 * exp(-0.5 * (x[k] - 5.3) * (x[k] - 5.3) / 1.44);
    }
    opm_spline* spline = NULL;
    double apex, height, centroid, area;
    int found = 0;
    if (opm_spline_create(x, y, 9, OPM_ENDS_NATURAL, 0.0, 0.0, &spline) != OPM_OK ||
        opm_spline_maximum(spline, x[0], x[8], &found, &apex, &height) != OPM_OK ||
        opm_spline_centroid(spline, x[0], x[8], &centroid, &area) != OPM_OK || !found) {
        fprintf(stderr, "%s\n", opm_last_error());
        opm_spline_destroy(spline);
        return 1;
    }
    opm_spline_destroy(spline);
    printf("apex %.3f (height %.2f), centroid %.3f, area %.2f\n", apex, height, centroid, area);
    return 0;
}
