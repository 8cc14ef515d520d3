// Argument checks and the allocation-failure translation of the family's entry points.
#include "OstraPureMath/opm/Error.h"
#include "spectrum/SpectrumInternal.h"

#include <cmath>
#include <cstdio>

namespace opm::detail::spectrum {

void RequireData(const void* data, std::size_t n, std::size_t minimum, const char* what) {
    if (n < minimum) {
        throw InvalidArgument(std::string(what) + ": needs at least " + Decimal(minimum) +
                              " samples, got " + Decimal(n));
    }
    if (data == nullptr) {
        throw InvalidArgument(std::string(what) + ": null pointer");
    }
}

void RequireFinite(const double* values, std::size_t n, const char* what) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(values[i])) {
            throw InvalidArgument(std::string(what) + ": sample " + Decimal(i) +
                                  " is not a finite number");
        }
    }
}

void RequireIncreasing(const double* values, std::size_t n, const char* what) {
    for (std::size_t i = 1; i < n; ++i) {
        if (!(values[i] > values[i - 1])) {
            throw InvalidArgument(std::string(what) + ": abscissa " + Decimal(i) +
                                  " is not greater than the one before");
        }
    }
}

std::size_t OddWindow(std::size_t window, std::size_t n) {
    const std::size_t odd = window | 1;
    return odd <= n ? odd : ((n - 1) | 1);
}

std::string Decimal(std::size_t value) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%zu", value);
    return digits;
}

void ThrowOutOfMemory(const char* operation) {
    throw OutOfMemory(std::string(operation) + ": out of memory");
}

} // namespace opm::detail::spectrum
