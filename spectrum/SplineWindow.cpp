#include "spectrum/SplineWindow.h"

#include "OstraPureMath/Splines.h"
#include "OstraPureMath/opm/CubicSpline.h"

#include <algorithm>
#include <cmath>

namespace opm::detail::spectrum {

SplineWindow::SplineWindow(const double* y, std::size_t first, std::size_t last)
    : m_offset(static_cast<double>(first) - 1.0), m_knots(static_cast<long>(last - first + 1)),
      m_x(m_knots + 1), m_y(m_knots + 1), m_cubic(m_knots + 1), m_quad(m_knots + 1),
      m_lin(m_knots + 1) {
    for (long k = 1; k <= m_knots; ++k) {
        m_x[k] = static_cast<double>(k);
        m_y[k] = y[first + static_cast<std::size_t>(k - 1)];
    }
    std::vector<double> second(m_knots + 1);
    Splines().CubicSplines(m_x.data(), m_y.data(), static_cast<long>(EndCondition::natural),
                           m_knots, m_cubic.data(), m_quad.data(), m_lin.data(), second.data());
}

bool SplineWindow::Maximum(double a, double b, double& position, double& value) const {
    double slope = 0.0, xMax = 0.0, yMax = 0.0;
    if (!Splines().CubicSplineMax(Local(a), Local(b), m_knots, m_x.data(), m_y.data(),
                                  m_cubic.data(), m_quad.data(), m_lin.data(), slope, xMax, yMax)) {
        return false;
    }
    position = xMax + m_offset;
    value = yMax;
    return true;
}

void SplineWindow::Centroid(double a, double b, double& position, double& area) const {
    double xCentroid = 0.0, yCentroid = 0.0;
    Splines().CubicSplineCentroid(Local(a), Local(b), m_knots, m_x.data(), m_y.data(),
                                  m_cubic.data(), m_quad.data(), m_lin.data(), area, xCentroid,
                                  yCentroid);
    position = xCentroid + m_offset;
}

double SplineWindow::Integral(double a, double b) const {
    double area = 0.0;
    Splines().CubicSplineIntegrate(Local(a), Local(b), m_knots, m_x.data(), m_y.data(),
                                   m_cubic.data(), m_quad.data(), m_lin.data(), area);
    return area;
}

double AbscissaAt(const double* x, std::size_t n, double position) {
    if (!(position > 0.0)) {
        return x[0];
    }
    if (position >= static_cast<double>(n - 1)) {
        return x[n - 1];
    }
    const auto below = static_cast<std::size_t>(position);
    return x[below] + (position - static_cast<double>(below)) * (x[below + 1] - x[below]);
}

double StepAt(const double* x, std::size_t n, double position) {
    const double clamped = std::clamp(position, 0.0, static_cast<double>(n - 2));
    const auto below = static_cast<std::size_t>(clamped);
    return x[below + 1] - x[below];
}

} // namespace opm::detail::spectrum
