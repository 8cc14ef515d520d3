// Argument and result checks of the modern interface: each failed check throws the opm::
// exception of its kind with a message that names the operation and what was wrong.
#pragma once

#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Span.h"

#include <cstddef>
#include <string>
#include <type_traits>

namespace opm::detail {

// A number as text for a message. (Not std::to_string: its integer form instantiates a
// function-local table that the dynamic loader treats as a unique symbol, which would keep the
// library from ever being unloaded.)
std::string SignedText(long long value);
std::string UnsignedText(unsigned long long value);
std::string FloatingText(double value);
template <class Number> std::string Text(Number value) {
    if constexpr (std::is_floating_point_v<Number>) {
        return FloatingText(value);
    } else if constexpr (std::is_signed_v<Number>) {
        return SignedText(value);
    } else {
        return UnsignedText(value);
    }
}

// Throws InvalidArgument("<operation>: <what>").
[[noreturn]] void Refuse(const char* operation, const std::string& what);

// The data of `name`: a null pointer only with a count of 0.
void RequireData(const char* operation, const char* name, const void* data, std::size_t count);
// The data of `name`: a null pointer only with a count of 0, every element finite.
void RequireFiniteData(const char* operation, const char* name, Span<const double> values);
// A scalar argument that must be finite.
void RequireFinite(const char* operation, const char* name, double value);
// count >= minimum.
void RequireAtLeast(const char* operation, const char* name, std::size_t count,
                    std::size_t minimum);
// Every element greater than the one before (the data must be finite; see RequireFiniteData).
void RequireIncreasing(const char* operation, const char* name, Span<const double> values);
// Two arrays of the same size.
void RequireSameSize(const char* operation, const char* firstName, std::size_t firstSize,
                     const char* secondName, std::size_t secondSize);
// Paired data, as abscissae and ordinates: each array as for RequireFiniteData, both of the same
// size, at least `minimum` pairs.
void RequireFinitePairs(const char* operation, const char* xName, Span<const double> x,
                        const char* yName, Span<const double> y, std::size_t minimum);
// A matrix whose element count rows * cols does not overflow, with finite data.
void RequireFiniteMatrix(const char* operation, const char* name, MatrixView matrix);
// A square matrix of at least one element, with finite data and an order the exact routines'
// long can carry; returns the order n.
long RequireFiniteSquare(const char* operation, const char* name, MatrixView matrix);
// A count that the exact routine's integer type can carry.
long ToLong(const char* operation, const char* name, std::size_t count);
int ToInt(const char* operation, const char* name, std::size_t count);

// Throws NotConverged("<operation>: <what>") unless every value is finite.
void RequireFiniteResult(const char* operation, const char* what, Span<const double> values);
// True when every value is finite.
bool AllFinite(Span<const double> values) noexcept;

} // namespace opm::detail
