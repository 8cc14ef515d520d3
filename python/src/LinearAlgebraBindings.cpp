// ostrapuremath.lstsq over opm::least_squares.
#include "Conversion.h"

#include "OstraPureMath/opm/LinearAlgebra.h"

#include <string>

namespace opm::python {

namespace {

constexpr const char* kLstsqDoc =
    R"doc(lstsq(a, b, tol=0.0) -> (x, rank, singular_values, residual_ss)

Minimum-norm least-squares solution of a @ x ~ b by the singular value
decomposition (Householder bidiagonalisation, Golub-Reinsch sweeps).

a        array of shape (m, n), 1 <= n <= m <= 1000
b        array of shape (m,) or (m, k)
tol      relative rank threshold, 0 <= tol < 1: singular values at or below
         max(tol, 1e-15) * (the largest) are left out of the solution
Returns
x                shape (n,) or (n, k), as b
rank             the number of singular values kept
singular_values  shape (n,), descending
residual_ss      |b - a @ x|^2: a float for b of shape (m,), shape (k,) else

Inputs are converted to float64; NaN and infinity are refused. When the sweeps
reach their limit the values reached are returned with a RuntimeWarning. Raises
InvalidArgumentError for shapes or a tol outside the above, NotConvergedError
when a result overflows.)doc";

py::tuple Lstsq(py::handle a, py::handle b, double tolerance) {
    constexpr const char* kFunction = "lstsq";
    const DoubleArray matrix = Doubles(a, kFunction, "a", 2);
    const DoubleArray rhs = Doubles(b, kFunction, "b", kAnyRank);
    if (rhs.ndim() != 1 && rhs.ndim() != 2) {
        Refuse(kFunction, "b must be one- or two-dimensional, not " + std::to_string(rhs.ndim()) +
                              "-dimensional");
    }
    const auto n = static_cast<std::size_t>(matrix.shape(1));
    const std::size_t columns = rhs.ndim() == 1 ? 1 : static_cast<std::size_t>(rhs.shape(1));
    const MatrixView aView(matrix.data(), static_cast<std::size_t>(matrix.shape(0)), n);
    const MatrixView bView(rhs.data(), static_cast<std::size_t>(rhs.shape(0)), columns);
    LeastSquaresSolution solved =
        Compute(kFunction, [&] { return least_squares(aView, bView, tolerance); });
    if (!solved.converged &&
        PyErr_WarnEx(PyExc_RuntimeWarning,
                     "lstsq: the SVD sweeps reached their limit; the results may be inaccurate",
                     1) != 0) {
        throw py::error_already_set();
    }
    std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(n)};
    if (rhs.ndim() == 2) {
        shape.push_back(static_cast<py::ssize_t>(columns));
    }
    py::array_t<double> x(shape, solved.solution.data());
    py::object residual = rhs.ndim() == 1
                              ? py::object(py::float_(solved.residual_sum_of_squares[0]))
                              : py::object(ToArray(std::move(solved.residual_sum_of_squares)));
    return py::make_tuple(x, solved.rank, ToArray(std::move(solved.singular_values)), residual);
}

} // namespace

void BindLinearAlgebra(py::module_& module) {
    module.def("lstsq", &Lstsq, py::arg("a"), py::arg("b"), py::arg("tol") = 0.0, kLstsqDoc);
}

} // namespace opm::python
