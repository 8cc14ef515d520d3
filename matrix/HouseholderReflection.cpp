// Householder reflections on a segment of a 1-based vector, in the scaled form of Lawson and
// Hanson's H12: H = I + b * u * u^T with u(p) = up, u(i) = v[i] for l <= i <= m, 0 elsewhere.
#include "OstraPureMath/Matrix.h"

#include "matrix/HouseholderKernel.h"

#include <cmath>

bool Matrix::HouseHolderTransform(double* v, double& up, double& b, long m, long p, long l) const {
    double scale = std::fabs(v[p]);
    for (long j = l; j <= m; ++j) {
        if (std::fabs(v[j]) > scale) {
            scale = std::fabs(v[j]);
        }
    }
    // Only an all-zero segment is refused; a NaN pivot gives a NaN scale and goes on.
    if (scale == 0.0) {
        return false;
    }
    // The sum of squares is formed from the elements over their largest magnitude, so that it
    // neither overflows nor underflows before the square root.
    const double inv = 1.0 / scale;
    double sum = (v[p] * inv) * (v[p] * inv);
    for (long j = l; j <= m; ++j) {
        sum = sum + (v[j] * inv) * (v[j] * inv);
    }
    double s = scale * std::sqrt(sum);
    // s takes the sign opposite to the pivot, so that up = v[p] - s suffers no cancellation.
    if (v[p] > 0.0) {
        s = -s;
    }
    up = v[p] - s;
    b = 1.0 / (s * up);
    return true;
}

bool Matrix::HouseHolderTransformVector(double* v, double& up, double& b, double* c, long m, long p,
                                        long l) const {
    double sm = 0.0;
    const auto element = [c](long i, long) -> double& { return c[i]; };
    opm::detail::ReflectVectors(v, up, b, m, p, l,
                                opm::detail::MakeReflectedVectors(element, 1, &sm));
    return true;
}
