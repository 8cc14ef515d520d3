// Intensity scaling: the family's arithmetic sees every spectrum at the same range whatever its
// unit, so that intensities from 1e-150 to 1e150 give the same peaks and no square of a spline
// coefficient overflows.
#include "spectrum/IntensityScale.h"

#include <cmath>

namespace opm::detail::spectrum {
namespace {

constexpr double kTargetMagnitude = 32768.0; // the largest magnitude is brought to 2^15

} // namespace

double IntensityScale::Down(double value) const {
    return value / factor;
}
double IntensityScale::Up(double value) const {
    return value * factor;
}

IntensityScale ScaleOf(const double* values, std::size_t n) {
    double largest = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        largest = std::fmax(largest, std::fabs(values[i]));
    }
    IntensityScale scale;
    if (largest > 0.0) {
        scale.factor = largest / kTargetMagnitude;
    }
    return scale;
}

std::vector<double> ScaledDown(const double* values, std::size_t n, IntensityScale scale) {
    std::vector<double> scaled(values, values + n);
    for (double& value : scaled) {
        value = scale.Down(value);
    }
    return scaled;
}

void ScaleUp(std::vector<double>& values, IntensityScale scale) {
    for (double& value : values) {
        value = scale.Up(value);
    }
}

} // namespace opm::detail::spectrum
