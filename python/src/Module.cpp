// The extension module ostrapuremath._core: the opm:: layer for NumPy arrays.
#include "Conversion.h"

PYBIND11_MODULE(_core, module) {
    namespace py = pybind11;
    // Every docstring begins with its own call line, written for people.
    py::options options;
    options.disable_function_signatures();
    module.doc() = "OstraPureMath over NumPy arrays (the extension behind the package "
                   "ostrapuremath; import that instead).";
    opm::python::DefineExceptions(module);
    opm::python::BindSplines(module);
    opm::python::BindLinearAlgebra(module);
    opm::python::BindPolynomials(module);
    opm::python::BindStatistics(module);
    opm::python::BindSpectrum(module);
}
