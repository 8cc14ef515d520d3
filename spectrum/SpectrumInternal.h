// Helpers shared by the pieces of the spectrum family.
#pragma once

#include <cstddef>
#include <string>
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

// Argument checks of the public entry points; each throws opm::InvalidArgument naming `what`.
void RequireData(const void* data, std::size_t n, std::size_t minimum, const char* what);
void RequireFinite(const double* values, std::size_t n, const char* what);
void RequireIncreasing(const double* values, std::size_t n, const char* what);

// A count in decimal digits. (Not std::to_string: its digit table is a unique symbol that
// would keep the library from being unloaded.)
std::string Decimal(std::size_t value);

// The largest odd window of at most `window` (raised to odd) and at most n samples; n >= 1.
std::size_t OddWindow(std::size_t window, std::size_t n);

// Runs body, turning the allocation failures of the library's lower layers (std::bad_alloc,
// the framework's memory exception) into opm::OutOfMemory.
template <class Body> auto Guarded(const char* operation, Body&& body) -> decltype(body());
[[noreturn]] void ThrowOutOfMemory(const char* operation);

} // namespace opm::detail::spectrum

#include "OstraPureMath/Framework.h"

#include <new>

template <class Body>
auto opm::detail::spectrum::Guarded(const char* operation, Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory(operation);
    } catch (const CMemoryException&) {
        ThrowOutOfMemory(operation);
    }
}
