// What every binding of the Python package shares: Python objects in as the opm:: layer's arrays
// and numbers, NumPy arrays out, and the one way a computation runs (the GIL released, an
// opm::Error raised as the package's exception of its kind).
#pragma once

#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/Span.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace opm::python {

namespace py = pybind11;

// A C-contiguous float64 array; forcecast lets long double narrow to it.
using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Creates the package's exception classes in `module`: Error, and beneath it
// InvalidArgumentError, DegenerateError, NotConvergedError (each also a ValueError) and
// OutOfMemoryError (also a MemoryError).
void DefineExceptions(py::module_& module);

// Raises InvalidArgumentError("<function>: <what>").
[[noreturn]] void Refuse(const char* function, const std::string& what);

// Raises the package's exception of the kind of `error`. The library's messages begin with the
// C++ operation's name; the Python function's name takes its place.
[[noreturn]] void Raise(const char* function, const opm::Error& error);

// Runs work() with the GIL released and returns its result. An opm::Error it throws is raised,
// with the GIL held again, as the package's exception (see Raise), and so is std::bad_alloc
// (as OutOfMemoryError).
template <class Work> auto Compute(const char* function, Work&& work) -> decltype(work()) {
    try {
        py::gil_scoped_release released;
        return work();
    } catch (const opm::Error& error) {
        Raise(function, error);
    } catch (const std::bad_alloc&) {
        Raise(function, OutOfMemory("out of memory"));
    }
}

// The number of dimensions Doubles accepts when any will do.
constexpr int kAnyRank = -1;

// `value` as a C-contiguous float64 array with `ndim` dimensions (or any, kAnyRank): the array
// itself when it already is one, else a converted copy of any array-like of booleans, integers
// or floating-point numbers (a list, a non-contiguous view, float32, int64, ...). Complex
// numbers, text, objects, ragged nesting and another number of dimensions are refused with
// InvalidArgumentError naming `name`: nothing is ever reinterpreted.
DoubleArray Doubles(py::handle value, const char* function, const char* name, int ndim);

// The elements of a converted array, for the opm:: layer.
inline Span<const double> SpanOf(const DoubleArray& array) {
    return Span<const double>(array.data(), static_cast<std::size_t>(array.size()));
}

// A one-dimensional array-like of non-negative integers (sample indices), copied. An empty
// sequence of any type is accepted; floating-point numbers are refused rather than truncated.
std::vector<std::size_t> Indices(py::handle value, const char* function, const char* name);

// An integer argument checked into the range of T (InvalidArgumentError outside it), so that a
// negative count or one too large for the C++ type is refused instead of wrapped around.
template <class T> T Narrow(long long value, const char* function, const char* name) {
    using Limits = std::numeric_limits<T>;
    const bool below =
        value < 0 && (!Limits::is_signed || value < static_cast<long long>(Limits::min()));
    const bool above = value > 0 && static_cast<unsigned long long>(value) >
                                        static_cast<unsigned long long>(Limits::max());
    if (below || above) {
        Refuse(function, std::string(name) + " = " + std::to_string(value) + " is out of range" +
                             (value < 0 ? " (it must not be negative)" : ""));
    }
    return static_cast<T>(value);
}

// Keyword options: an int (not a bool), a real number, a bool. A value of another type raises
// TypeError naming the option.
long long IntegerOption(py::handle value, const char* function, const char* name);
double RealOption(py::handle value, const char* function, const char* name);
bool BoolOption(py::handle value, const char* function, const char* name);

// `values` moved into a new NumPy array of the given shape, which owns them (no copy).
template <class T> py::array_t<T> ToArray(std::vector<T>&& values, std::vector<py::ssize_t> shape) {
    auto owned = std::make_unique<std::vector<T>>(std::move(values));
    T* data = owned->data();
    py::capsule base(owned.get(), [](void* p) { delete static_cast<std::vector<T>*>(p); });
    owned.release();
    return py::array_t<T>(std::move(shape), data, base);
}
template <class T> py::array_t<T> ToArray(std::vector<T>&& values) {
    const auto size = static_cast<py::ssize_t>(values.size());
    return ToArray(std::move(values), {size});
}

// f(x) for a Python number (a float back) or for every element of an array-like (an array of
// the same shape back; a 0-d array gives a float). f runs with the GIL released, once for the
// whole array.
template <class F> py::object MapNumbers(py::handle xs, const char* function, F f) {
    if (PyFloat_Check(xs.ptr()) || PyLong_Check(xs.ptr())) {
        const double x = PyFloat_AsDouble(xs.ptr());
        if (x == -1.0 && PyErr_Occurred()) {
            throw py::error_already_set();
        }
        return py::float_(Compute(function, [&] { return f(x); }));
    }
    const DoubleArray x = Doubles(xs, function, "x", kAnyRank);
    const std::size_t n = static_cast<std::size_t>(x.size());
    std::vector<double> result(n);
    Compute(function, [&] {
        const double* in = x.data();
        for (std::size_t i = 0; i < n; ++i) {
            result[i] = f(in[i]);
        }
    });
    if (x.ndim() == 0) {
        return py::float_(result[0]);
    }
    return ToArray(std::move(result), std::vector<py::ssize_t>(x.shape(), x.shape() + x.ndim()));
}

// The bindings of each family, called once when the module is imported.
void BindSplines(py::module_& module);
void BindLinearAlgebra(py::module_& module);
void BindPolynomials(py::module_& module);
void BindStatistics(py::module_& module);
void BindSpectrum(py::module_& module);

} // namespace opm::python
