// Apex and centroid of a sampled peak with OstraPureMath's cubic splines, through opm::.
#include <OstraPureMath/opm/CubicSpline.h>
#include <OstraPureMath/opm/Error.h>

#include <cmath>
#include <cstdio>
#include <vector>

int main() {
    std::vector<double> x, y; // nine samples of a Gaussian peak centred at 5.3
    for (int k = 1; k <= 9; ++k) {
        x.push_back(k); // knots at sample numbers
        y.push_back(100.0 * std::exp(-0.5 * (k - 5.3) * (k - 5.3) / 1.44));
    }
    try {
        const opm::CubicSpline spline(x, y, opm::EndCondition::natural);
        const auto apex = spline.maximum(x.front(), x.back());
        const opm::SplineCentroid centroid = spline.centroid(x.front(), x.back());
        if (!apex) {
            return 1;
        }
        std::printf("apex %.3f (height %.2f), centroid %.3f, area %.2f\n", apex->x, apex->height,
                    centroid.x, centroid.area);
    } catch (const opm::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
