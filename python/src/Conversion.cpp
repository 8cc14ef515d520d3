// Exceptions, argument conversion and result arrays of the Python package.
#include "Conversion.h"

#include <cctype>
#include <iterator>
#include <string>

namespace opm::python {

namespace {

// The package's exception classes, indexed by opm::Status; created once at import and kept for
// the life of the process (an extension module is never unloaded).
PyObject* g_exceptions[6] = {};

PyObject* NewException(py::module_& module, const char* name, PyObject* bases, const char* doc) {
    const std::string qualified = std::string("ostrapuremath.") + name;
    PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
    if (type == nullptr) {
        throw py::error_already_set();
    }
    module.add_object(name, py::handle(type));
    return type;
}

// A subclass of both the package's Error and a built-in exception.
PyObject* NewKind(py::module_& module, const char* name, PyObject* error, PyObject* builtin,
                  const char* doc) {
    const py::tuple bases = py::make_tuple(py::handle(error), py::handle(builtin));
    return NewException(module, name, bases.ptr(), doc);
}

PyObject* ExceptionFor(Status status) {
    const auto index = static_cast<std::size_t>(status);
    PyObject* type = index < std::size(g_exceptions) ? g_exceptions[index] : nullptr;
    return type != nullptr ? type : g_exceptions[0];
}

[[noreturn]] void RaiseWith(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

bool IsRealKind(char kind) {
    return kind == 'b' || kind == 'i' || kind == 'u' || kind == 'f';
}

std::string ShapeText(const py::array& array) {
    std::string text = "(";
    for (py::ssize_t d = 0; d < array.ndim(); ++d) {
        text += (d > 0 ? ", " : "") + std::to_string(array.shape(d));
    }
    return text + (array.ndim() == 1 ? ",)" : ")");
}

// `value` as a NumPy array without any conversion of its elements yet.
py::array AnyArray(py::handle value, const char* function, const char* name) {
    py::array array = py::array::ensure(value);
    if (!array) {
        Refuse(function, std::string(name) + " is not an array of numbers (ragged nesting?)");
    }
    return array;
}

std::string DtypeText(const py::array& array) {
    return py::str(array.dtype());
}

} // namespace

void DefineExceptions(py::module_& module) {
    PyObject* error = NewException(
        module, "Error", PyExc_Exception,
        "Base of every failure the library reports (raised itself only for calls made after the "
        "library's release at process exit).");
    g_exceptions[0] = error;
    g_exceptions[static_cast<int>(Status::unavailable)] = error;
    g_exceptions[static_cast<int>(Status::bad_argument)] =
        NewKind(module, "InvalidArgumentError", error, PyExc_ValueError,
                "An argument outside the function's contract: a wrong shape or type, too few "
                "points, NaN or infinity, a value out of range.");
    g_exceptions[static_cast<int>(Status::degenerate)] =
        NewKind(module, "DegenerateError", error, PyExc_ValueError,
                "The data admit no unique answer (a singular system, no spread, a non-positive "
                "area).");
    g_exceptions[static_cast<int>(Status::not_converged)] =
        NewKind(module, "NotConvergedError", error, PyExc_ValueError,
                "An iteration reached its limit, or finite data gave a non-finite result.");
    g_exceptions[static_cast<int>(Status::no_memory)] =
        NewKind(module, "OutOfMemoryError", error, PyExc_MemoryError,
                "Work storage could not be obtained.");
}

void Refuse(const char* function, const std::string& what) {
    RaiseWith(ExceptionFor(Status::bad_argument), std::string(function) + ": " + what);
}

void Raise(const char* function, const opm::Error& error) {
    // The library's messages begin with the C++ operation ("opm::CubicSpline::solve: ...",
    // "analyse_spectrum (m/z): ..."); the Python function's name takes its place.
    const std::string message = error.what();
    std::size_t end = 0;
    while (end < message.size() && (std::isalnum(static_cast<unsigned char>(message[end])) ||
                                    message[end] == '_' || message[end] == ':')) {
        ++end;
    }
    while (end > 0 && message[end - 1] == ':') {
        --end;
    }
    const std::string rest = message.substr(end);
    const bool named = end > 0 && (rest.rfind(": ", 0) == 0 || rest.rfind(" (", 0) == 0);
    RaiseWith(ExceptionFor(error.status()),
              std::string(function) + (named ? rest : ": " + message));
}

DoubleArray Doubles(py::handle value, const char* function, const char* name, int ndim) {
    const py::array array = AnyArray(value, function, name);
    if (!IsRealKind(array.dtype().kind())) {
        Refuse(function,
               std::string(name) + " must hold real numbers, not " + DtypeText(array) + " values");
    }
    if (ndim != kAnyRank && array.ndim() != ndim) {
        Refuse(function,
               std::string(name) + " must be " +
                   (ndim == 1 ? "one-dimensional" : std::to_string(ndim) + "-dimensional") +
                   ", not of shape " + ShapeText(array));
    }
    return DoubleArray::ensure(array);
}

std::vector<std::size_t> Indices(py::handle value, const char* function, const char* name) {
    const py::array array = AnyArray(value, function, name);
    if (array.ndim() != 1) {
        Refuse(function,
               std::string(name) + " must be one-dimensional, not of shape " + ShapeText(array));
    }
    if (array.size() == 0) {
        return {};
    }
    const char kind = array.dtype().kind();
    if (kind == 'u') {
        const auto wide =
            py::array_t<unsigned long long, py::array::c_style | py::array::forcecast>::ensure(
                array);
        return std::vector<std::size_t>(wide.data(), wide.data() + wide.size());
    }
    if (kind != 'i') {
        Refuse(function, std::string(name) + " must hold integers (sample indices), not " +
                             DtypeText(array) + " values");
    }
    const auto wide =
        py::array_t<long long, py::array::c_style | py::array::forcecast>::ensure(array);
    std::vector<std::size_t> indices(static_cast<std::size_t>(wide.size()));
    for (std::size_t k = 0; k < indices.size(); ++k) {
        indices[k] = Narrow<std::size_t>(wide.data()[k], function, name);
    }
    return indices;
}

long long IntegerOption(py::handle value, const char* function, const char* name) {
    if (!PyLong_Check(value.ptr()) || PyBool_Check(value.ptr())) {
        throw py::type_error(std::string(function) + ": " + name + " must be an int");
    }
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0) {
        Refuse(function, std::string(name) + " is out of range");
    }
    return number;
}

double RealOption(py::handle value, const char* function, const char* name) {
    if (PyBool_Check(value.ptr()) || PyComplex_Check(value.ptr())) {
        throw py::type_error(std::string(function) + ": " + name + " must be a real number");
    }
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        throw py::type_error(std::string(function) + ": " + name + " must be a real number");
    }
    return number;
}

bool BoolOption(py::handle value, const char* function, const char* name) {
    if (!PyBool_Check(value.ptr())) {
        throw py::type_error(std::string(function) + ": " + name + " must be True or False");
    }
    return value.ptr() == Py_True;
}

} // namespace opm::python
