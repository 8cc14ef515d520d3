// Apex and centroid of a sampled peak with OstraPureMath's cubic splines.
#include <OstraPureMath/Splines.h>

#include <cmath>
#include <cstdio>
#include <vector>

int main() {
    const long n = 9; // nine samples of a Gaussian peak centred at 5.3; arrays are 1-based
    std::vector<double> x(n + 1), y(n + 1), cubic(n + 1), quad(n + 1), lin(n + 1), m2(n + 1);
    for (long k = 1; k <= n; ++k) {
        x[k] = static_cast<double>(k); // knots at sample numbers
        y[k] = 100.0 * std::exp(-0.5 * (x[k] - 5.3) * (x[k] - 5.3) / 1.44);
    }
    const Splines splines;
    splines.CubicSplines(x.data(), y.data(), 1 /* natural ends */, n, cubic.data(), quad.data(),
                         lin.data(), m2.data());
    double slope, apex, height, area, centroid, atCentroid;
    if (!splines.CubicSplineMax(x[1], x[n], n, x.data(), y.data(), cubic.data(), quad.data(),
                                lin.data(), slope, apex, height))
        return 1;
    splines.CubicSplineCentroid(x[1], x[n], n, x.data(), y.data(), cubic.data(), quad.data(),
                                lin.data(), area, centroid, atCentroid);
    std::printf("apex %.3f (height %.2f), centroid %.3f, area %.2f\n", apex, height, centroid,
                area);
}
