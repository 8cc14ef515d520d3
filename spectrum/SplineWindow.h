// A natural cubic spline through a window of samples, knots at sample numbers, with the exact
// maximum and centroid searches of Splines: the one place where the family builds splines.
#pragma once

#include <cstddef>
#include <vector>

namespace opm::detail::spectrum {

class SplineWindow {
public:
    // Spline through (i, y[i]) for i = first .. last (at least 6 samples). The knots are at
    // local coordinates 1, 2, ... (one unit apart, as the maximum search expects); positions
    // below are sample positions, first .. last.
    SplineWindow(const double* y, std::size_t first, std::size_t last);

    // Spline maximum between sample positions a < b (inside the window): true with its position
    // and value, false when the search finds none.
    bool Maximum(double a, double b, double& position, double& value) const;
    // Area-halving position and area over [a, b] (inside the window).
    void Centroid(double a, double b, double& position, double& area) const;
    // Integral over [a, b] (inside the window), y x samples.
    double Integral(double a, double b) const;

private:
    double Local(double position) const { return position - m_offset; }

    double m_offset; // sample position of local coordinate 0
    long m_knots;
    // 1-based spline arrays: element 0 unused.
    std::vector<double> m_x, m_y, m_cubic, m_quad, m_lin;
};

// Abscissa at a fractional sample position (linear between neighbouring samples, clamped to
// the ends), and the abscissa step at a position (the step of the interval holding it).
double AbscissaAt(const double* x, std::size_t n, double position);
double StepAt(const double* x, std::size_t n, double position);

} // namespace opm::detail::spectrum
