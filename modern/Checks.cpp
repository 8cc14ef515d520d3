// Argument and result checks of the modern interface.
#include "modern/Checks.h"

#include "OstraPureMath/opm/Error.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>

namespace opm::detail {

namespace {

std::string Prefixed(const char* operation, const std::string& what) {
    return std::string(operation) + ": " + what;
}

// Index of the first element that is NaN or infinite, or values.size() when there is none.
std::size_t FirstNonFinite(Span<const double> values) noexcept {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            return i;
        }
    }
    return values.size();
}

} // namespace

std::string SignedText(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

std::string UnsignedText(unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu", value);
    return text;
}

std::string FloatingText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void Refuse(const char* operation, const std::string& what) {
    throw InvalidArgument(Prefixed(operation, what));
}

void RequireData(const char* operation, const char* name, const void* data, std::size_t count) {
    if (data == nullptr && count != 0) {
        Refuse(operation,
               std::string(name) + " is a null pointer with " + Text(count) + " elements");
    }
}

void RequireFiniteData(const char* operation, const char* name, Span<const double> values) {
    RequireData(operation, name, values.data(), values.size());
    const std::size_t i = FirstNonFinite(values);
    if (i != values.size()) {
        Refuse(operation, std::string(name) + "[" + Text(i) + "] is " + Text(values[i]) +
                              ", not a finite number");
    }
}

void RequireFinite(const char* operation, const char* name, double value) {
    if (!std::isfinite(value)) {
        Refuse(operation, std::string(name) + " is " + Text(value) + ", not a finite number");
    }
}

void RequireAtLeast(const char* operation, const char* name, std::size_t count,
                    std::size_t minimum) {
    if (count < minimum) {
        Refuse(operation, std::string(name) + " has " + Text(count) + " elements; at least " +
                              Text(minimum) + " are needed");
    }
}

void RequireIncreasing(const char* operation, const char* name, Span<const double> values) {
    for (std::size_t k = 1; k < values.size(); ++k) {
        if (!(values[k - 1] < values[k])) {
            Refuse(operation, std::string(name) + " must increase strictly, but " + name + "[" +
                                  Text(k) + "] = " + Text(values[k]) + " follows " +
                                  Text(values[k - 1]));
        }
    }
}

void RequireSameSize(const char* operation, const char* firstName, std::size_t firstSize,
                     const char* secondName, std::size_t secondSize) {
    if (firstSize != secondSize) {
        Refuse(operation, std::string(firstName) + " has " + Text(firstSize) + " elements but " +
                              secondName + " has " + Text(secondSize));
    }
}

void RequireFinitePairs(const char* operation, const char* xName, Span<const double> x,
                        const char* yName, Span<const double> y, std::size_t minimum) {
    RequireFiniteData(operation, xName, x);
    RequireFiniteData(operation, yName, y);
    RequireSameSize(operation, xName, x.size(), yName, y.size());
    RequireAtLeast(operation, xName, x.size(), minimum);
}

void RequireFiniteMatrix(const char* operation, const char* name, MatrixView matrix) {
    const std::size_t rows = matrix.rows();
    const std::size_t cols = matrix.cols();
    if (cols != 0 && rows > std::numeric_limits<std::size_t>::max() / cols) {
        Refuse(operation, std::string(name) + " has too many elements (" + Text(rows) + " x " +
                              Text(cols) + ")");
    }
    RequireFiniteData(operation, name, Span<const double>(matrix.data(), rows * cols));
}

long RequireFiniteSquare(const char* operation, const char* name, MatrixView matrix) {
    RequireFiniteMatrix(operation, name, matrix);
    if (matrix.rows() < 1 || matrix.rows() != matrix.cols()) {
        Refuse(operation, std::string(name) + " is " + Text(matrix.rows()) + " x " +
                              Text(matrix.cols()) + "; a square matrix is required");
    }
    return ToLong(operation, name, matrix.rows());
}

long ToLong(const char* operation, const char* name, std::size_t count) {
    if (count > static_cast<unsigned long>(LONG_MAX)) {
        Refuse(operation, std::string(name) + " is too large: " + Text(count));
    }
    return static_cast<long>(count);
}

int ToInt(const char* operation, const char* name, std::size_t count) {
    if (count > static_cast<unsigned>(INT_MAX)) {
        Refuse(operation, std::string(name) + " is too large: " + Text(count));
    }
    return static_cast<int>(count);
}

void RequireFiniteResult(const char* operation, const char* what, Span<const double> values) {
    if (!AllFinite(values)) {
        throw NotConverged(Prefixed(operation, what));
    }
}

bool AllFinite(Span<const double> values) noexcept {
    return FirstNonFinite(values) == values.size();
}

} // namespace opm::detail
