// ostrapuremath.polyval, roots, extrema and polyfit over opm::polynomial_* and
// opm::fit_polynomial. Coefficients are in ascending powers: c[0] + c[1] x + c[2] x^2 + ...
#include "Conversion.h"

#include "OstraPureMath/opm/Polynomials.h"
#include "OstraPureMath/opm/Statistics.h"

namespace opm::python {

namespace {

constexpr const char* kPolyvalDoc = R"doc(polyval(c, x) -> float or numpy.ndarray

The polynomial c[0] + c[1] x + ... + c[d] x^d at x (a number, or an array-like
giving an array of the same shape), by Horner's rule from the highest power down;
0 for no coefficients.)doc";

constexpr const char* kRootsDoc = R"doc(roots(c, y=0.0, polish=True) -> numpy.ndarray

The real x with P(x) = y, ascending, for a polynomial of degree 1 to 4 with
coefficients in ascending powers (c[0] + c[1] x + ...; the last one non-zero).

The roots come from the closed forms (Cardano, Ferrari). With polish=True (the
default) each is then refined by Newton steps while they reduce |P(x) - y|; with
polish=False they are the closed forms' values as the library's compatible
routines give them, where a cubic with three real roots is off by a few parts per
million (its trigonometric form uses 6.28318 and 12.56636 for 2 pi and 4 pi).
Either way a multiple root may come out once or several times, and a touching
root may be missed. Raises InvalidArgumentError for another degree or a zero
leading coefficient, NotConvergedError when a root overflows.)doc";

constexpr const char* kExtremaDoc = R"doc(extrema(c) -> numpy.ndarray

The x where P'(x) = 0, ascending (maxima, minima and stationary inflection points,
not classified), for a polynomial of degree up to 5 with coefficients in ascending
powers. Leading coefficients of the derivative that are negligible for their power
k (|c| < 1e-14 / 262000^k) are dropped first; a constant or a line gives no
extrema.)doc";

constexpr const char* kPolyfitDoc = R"doc(polyfit(x, y, deg) -> numpy.ndarray

Least-squares polynomial of degree deg through the points (x[i], y[i]), its deg + 1
coefficients in ascending powers (as numpy.polynomial.polynomial.polyfit). The
columns of the design matrix are scaled before a rank-revealing solve, so
abscissae in the thousands keep full accuracy. x and y one-dimensional of the same
length, at least deg + 1; fewer distinct abscissae than deg + 1 raise
DegenerateError.)doc";

py::array_t<double> Roots(py::handle c, double y, bool polish) {
    constexpr const char* kFunction = "roots";
    const DoubleArray coefficients = Doubles(c, kFunction, "c", 1);
    return ToArray(Compute(kFunction, [&] {
        return polish ? polynomial_roots_polished(SpanOf(coefficients), y)
                      : polynomial_roots(SpanOf(coefficients), y);
    }));
}

py::array_t<double> Extrema(py::handle c) {
    constexpr const char* kFunction = "extrema";
    const DoubleArray coefficients = Doubles(c, kFunction, "c", 1);
    return ToArray(Compute(kFunction, [&] { return polynomial_extrema(SpanOf(coefficients)); }));
}

py::array_t<double> Polyfit(py::handle x, py::handle y, long long deg) {
    constexpr const char* kFunction = "polyfit";
    const auto degree = Narrow<unsigned>(deg, kFunction, "deg");
    const DoubleArray abscissae = Doubles(x, kFunction, "x", 1);
    const DoubleArray ordinates = Doubles(y, kFunction, "y", 1);
    return ToArray(Compute(
        kFunction, [&] { return fit_polynomial(SpanOf(abscissae), SpanOf(ordinates), degree); }));
}

py::object Polyval(py::handle c, py::handle x) {
    constexpr const char* kFunction = "polyval";
    const DoubleArray coefficients = Doubles(c, kFunction, "c", 1);
    const Span<const double> span = SpanOf(coefficients);
    return MapNumbers(x, kFunction, [&](double at) { return polynomial_value(span, at); });
}

} // namespace

void BindPolynomials(py::module_& module) {
    module.def("polyval", &Polyval, py::arg("c"), py::arg("x"), kPolyvalDoc);
    module.def("roots", &Roots, py::arg("c"), py::arg("y") = 0.0, py::arg("polish") = true,
               kRootsDoc);
    module.def("extrema", &Extrema, py::arg("c"), kExtremaDoc);
    module.def("polyfit", &Polyfit, py::arg("x"), py::arg("y"), py::arg("deg"), kPolyfitDoc);
}

} // namespace opm::python
