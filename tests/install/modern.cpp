// Consumer of the installed library through opm:: alone: a spline's apex and centroid, a line
// fit, a median and a least-squares solution, printed with all their digits (check-install.sh
// compares them with what the C consumer prints for the same data), and an opm:: exception
// crossing from the library into the program.
#include <OstraPureMath/opm/CubicSpline.h>
#include <OstraPureMath/opm/Error.h>
#include <OstraPureMath/opm/LinearAlgebra.h>
#include <OstraPureMath/opm/Statistics.h>

#include <cmath>
#include <cstdio>
#include <vector>

int main() {
    std::vector<double> x, y;
    for (int k = 1; k <= 9; ++k) {
        x.push_back(k);
        y.push_back(100.0 * std::exp(-0.5 * (k - 5.3) * (k - 5.3) / 1.44));
    }
    const opm::CubicSpline spline(x, y);
    const auto apex = spline.maximum(1, 9);
    const opm::SplineCentroid centroid = spline.centroid(1, 9);
    const opm::LineFit line = opm::fit_line(x, y);
    const double a[] = {1, 1, 1, 2, 1, 3, 1, 4}, b[] = {6, 5, 7, 10};
    const opm::LeastSquaresSolution ls = opm::least_squares({a, 4, 2}, {b, 4, 1});
    if (!apex) {
        return 1;
    }
    std::printf("apex %.17g %.17g centroid %.17g %.17g\n", apex->x, apex->height, centroid.x,
                centroid.area);
    std::printf("line %.17g %.17g %.17g median %.17g\n", line.intercept, line.slope, line.r,
                opm::median(y));
    std::printf("least squares %.17g %.17g rank %zu\n", ls.solution(0, 0), ls.solution(1, 0),
                ls.rank);
    try {
        opm::median(std::vector<double>{});
    } catch (const opm::InvalidArgument& e) {
        std::fprintf(stderr, "caught as expected: %s\n", e.what());
        return 0;
    }
    return 1;
}
