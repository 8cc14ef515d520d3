// Intensity scaling of the spectrum family: every spectrum is analysed at the same range.
#pragma once

#include <cstddef>
#include <vector>

namespace opm::detail::spectrum {

// The factor that brings the largest magnitude of the values to 2^15: intensities divided by it
// sit at the range of a 16-bit detector whatever their unit, so c x intensities give the same
// scaled values, to rounding, for any c > 0. 1 when every value is zero.
struct IntensityScale {
    double factor = 1.0;
    double Down(double value) const; // value / factor
    double Up(double value) const;   // value * factor
};
IntensityScale ScaleOf(const double* values, std::size_t n);
std::vector<double> ScaledDown(const double* values, std::size_t n, IntensityScale scale);
void ScaleUp(std::vector<double>& values, IntensityScale scale);

} // namespace opm::detail::spectrum
