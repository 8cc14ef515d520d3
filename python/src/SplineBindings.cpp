// ostrapuremath.CubicSpline over opm::CubicSpline.
#include "Conversion.h"

#include "OstraPureMath/opm/CubicSpline.h"

#include <string>

namespace opm::python {

namespace {

EndCondition ParseEnds(const std::string& bc) {
    if (bc == "natural") {
        return EndCondition::natural;
    }
    if (bc == "parabolic") {
        return EndCondition::parabolic_runout;
    }
    if (bc == "not-a-knot") {
        return EndCondition::not_a_knot;
    }
    if (bc == "clamped") {
        return EndCondition::clamped;
    }
    Refuse("CubicSpline",
           "bc must be 'natural', 'parabolic', 'not-a-knot' or 'clamped', not '" + bc + "'");
}

CubicSpline MakeSpline(py::handle x, py::handle y, const std::string& bc, py::handle d1) {
    constexpr const char* kFunction = "CubicSpline";
    const EndCondition ends = ParseEnds(bc);
    double slopes[2] = {0.0, 0.0};
    if (ends == EndCondition::clamped) {
        if (d1.is_none()) {
            Refuse(kFunction, "bc='clamped' needs d1=(left, right), the first derivatives at "
                              "the end knots");
        }
        const DoubleArray given = Doubles(d1, kFunction, "d1", 1);
        if (given.size() != 2) {
            Refuse(kFunction,
                   "d1 must hold two slopes (left, right), not " + std::to_string(given.size()));
        }
        slopes[0] = given.data()[0];
        slopes[1] = given.data()[1];
    } else if (!d1.is_none()) {
        Refuse(kFunction, "d1 is read only with bc='clamped', not with bc='" + bc + "'");
    }
    const DoubleArray knots = Doubles(x, kFunction, "x", 1);
    const DoubleArray values = Doubles(y, kFunction, "y", 1);
    return Compute(kFunction, [&] {
        return CubicSpline(SpanOf(knots), SpanOf(values), ends, slopes[0], slopes[1]);
    });
}

py::array_t<double> Copy(Span<const double> values) {
    return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

// Rows of (y[i], linear, quadratic, cubic): the spline on interval i in powers of X - x[i].
py::array_t<double> Coefficients(const CubicSpline& spline) {
    const std::size_t intervals = spline.size() - 1;
    std::vector<double> table(intervals * 4);
    for (std::size_t i = 0; i < intervals; ++i) {
        table[4 * i] = spline.values()[i];
        table[4 * i + 1] = spline.linear_coefficients()[i];
        table[4 * i + 2] = spline.quadratic_coefficients()[i];
        table[4 * i + 3] = spline.cubic_coefficients()[i];
    }
    return ToArray(std::move(table), {static_cast<py::ssize_t>(intervals), 4});
}

constexpr const char* kClassDoc = R"doc(CubicSpline(x, y, bc='natural', d1=None)

Interpolating cubic spline through the points (x[k], y[k]), x strictly increasing.

bc, the end condition that closes the spline:
    'natural'     zero second derivative at both ends (at least 2 points)
    'parabolic'   parabolic run-out: the end intervals are parabolas, the second
                  derivative at each end equals the one at its neighbour (at least 3)
    'not-a-knot'  the third derivative is continuous across the second and the
                  second-last knot (at least 4)
    'clamped'     the first derivatives at the ends are given: d1=(left, right)
                  (at least 2)

x and y are one-dimensional array-likes of real numbers (converted to float64);
NaN and infinity are refused. Results are the library's C++ results, bit for
bit. The methods may be called from many threads at once.

Raises InvalidArgumentError (a ValueError) for a wrong shape, too few points,
non-increasing x, a non-finite number, an unknown bc or a misplaced d1, and
NotConvergedError when knots so close overflow a coefficient.

Example:
    >>> s = CubicSpline([0, 1, 2, 3], [0, 1, 0, 1], bc='not-a-knot')
    >>> s([0.5, 1.5]), s.integral(0, 3)
    (array([1. , 0.5]), 1.5)
)doc";

constexpr const char* kCallDoc = R"doc(s(x) -> float or numpy.ndarray

The spline's value at x, a number (a float back) or an array-like (an array of the
same shape back). Left of the first knot the first cubic is extended, right of
the last knot the last one; an inner knot belongs to the interval on its left.
Any number of knots (the library's compatible evaluation, which gives 0 below six
knots, gives the same bits from six knots on).)doc";

constexpr const char* kSlopeDoc = R"doc(slope(x) -> float or numpy.ndarray

The first derivative at x (a number or an array-like, as for s(x)).)doc";

constexpr const char* kIntegralDoc = R"doc(integral(a, b) -> float

The integral of the spline from a to b. The limits are clipped to the knots (the
end cubics are not extended); a > b gives the negated integral from b to a.)doc";

constexpr const char* kSolveDoc = R"doc(solve(y, lo, hi) -> float

An x in [lo, hi] with s(x) = y, by bisection: it stops when the bracket is narrower
than 1e-10 or |s(mid) - y| < 1e-10. s(lo) - y and s(hi) - y must have opposite
signs and the spline at least six knots (InvalidArgumentError otherwise).)doc";

constexpr const char* kMaximumDoc = R"doc(maximum(lo, hi) -> (x, y) or None

The spline's maximum over the window [lo, hi], searched near the window's highest
knot: that knot when the slope there is below 1e-10 in magnitude, else the highest
positive stationary point of the two cubics that meet there. None when there is
none (the window is highest at an end and the slope never turns, or no stationary
point is positive: a maximum of height exactly 0 reads as none).

Made for knots one unit apart (sample numbers): a stationary point is taken when it
lies 0 to 1 abscissa units after its interval's left knot, whatever the spacing,
and is not checked against [lo, hi]. Needs at least six knots and
x[0] <= lo < hi <= x[-1].)doc";

constexpr const char* kCentroidDoc = R"doc(centroid(lo, hi) -> (x, area)

The abscissa that halves the area under the spline over [lo, hi] (within 1 ppm of
half the area, or a bracket narrower than 1e-10), by bisection, and that area.
Needs x[0] <= lo < hi <= x[-1]; an area <= 0 raises DegenerateError.)doc";

} // namespace

void BindSplines(py::module_& module) {
    py::class_<CubicSpline>(module, "CubicSpline", kClassDoc)
        .def(py::init(&MakeSpline), py::arg("x"), py::arg("y"), py::arg("bc") = "natural",
             py::arg("d1") = py::none())
        .def(
            "__call__",
            [](const CubicSpline& spline, py::handle x) {
                return MapNumbers(x, "CubicSpline.__call__",
                                  [&](double at) { return spline.value_any_knot_count(at); });
            },
            py::arg("x"), kCallDoc)
        .def(
            "slope",
            [](const CubicSpline& spline, py::handle x) {
                return MapNumbers(x, "CubicSpline.slope",
                                  [&](double at) { return spline.slope(at); });
            },
            py::arg("x"), kSlopeDoc)
        .def(
            "integral",
            [](const CubicSpline& spline, double a, double b) {
                return Compute("CubicSpline.integral", [&] { return spline.integral(a, b); });
            },
            py::arg("a"), py::arg("b"), kIntegralDoc)
        .def(
            "solve",
            [](const CubicSpline& spline, double y, double lo, double hi) {
                return Compute("CubicSpline.solve", [&] { return spline.solve(y, lo, hi); });
            },
            py::arg("y"), py::arg("lo"), py::arg("hi"), kSolveDoc)
        .def(
            "maximum",
            [](const CubicSpline& spline, double lo, double hi) -> py::object {
                const auto found =
                    Compute("CubicSpline.maximum", [&] { return spline.maximum(lo, hi); });
                if (!found) {
                    return py::none();
                }
                return py::make_tuple(found->x, found->height);
            },
            py::arg("lo"), py::arg("hi"), kMaximumDoc)
        .def(
            "centroid",
            [](const CubicSpline& spline, double lo, double hi) {
                const SplineCentroid c =
                    Compute("CubicSpline.centroid", [&] { return spline.centroid(lo, hi); });
                return py::make_tuple(c.x, c.area);
            },
            py::arg("lo"), py::arg("hi"), kCentroidDoc)
        .def("__len__", &CubicSpline::size, "len(s): the number of knots.")
        .def_property_readonly(
            "knots", [](const CubicSpline& spline) { return Copy(spline.knots()); },
            "The knots x (a copy).")
        .def_property_readonly(
            "values", [](const CubicSpline& spline) { return Copy(spline.values()); },
            "The values y at the knots (a copy).")
        .def_property_readonly(
            "second_derivatives",
            [](const CubicSpline& spline) { return Copy(spline.second_derivatives()); },
            "The second derivatives at the knots (a copy).")
        .def_property_readonly("coefficients", &Coefficients,
                               "Array of shape (n - 1, 4): row i holds y[i], then the linear, "
                               "quadratic and cubic coefficients of interval i in powers of "
                               "x - knots[i].")
        .def("__repr__", [](const CubicSpline& spline) {
            return "<CubicSpline: " + std::to_string(spline.size()) + " knots from " +
                   py::repr(py::float_(spline.knots()[0])).cast<std::string>() + " to " +
                   py::repr(py::float_(spline.knots()[spline.size() - 1])).cast<std::string>() +
                   ">";
        });
}

} // namespace opm::python
