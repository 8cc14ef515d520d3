// Minimum-norm least-squares solution of a rank-deficient (or underdetermined) system from the
// column-pivoted QR factorisation of its scaled columns: a complete orthogonal decomposition in
// the caller's variables.
//
// With A P = Q R on the scaled columns (of the reduced system, which has the same least-squares
// solutions), numerical rank r and R = [R11 R12] in its first r rows, the scaled solutions of the
// truncated system are y = P ([z; 0] + N w): the basic solution z = R11^-1 d(1:r) and any
// combination w of the null-space basis N = [-R11^-1 R12; I]. Every one of them leaves the same
// residual. The caller's variables are x = D^-1 y (D the column scales), and the shortest x is
// the residual of the small least-squares problem min |D^-1 P N w + D^-1 P [z; 0]| over w, which
// an orthogonal projection gives: x = (I - Pr) D^-1 P [z; 0], Pr the projector onto the range of
// D^-1 P N, from a Householder QR of that basis.
//
// The weights D^-1 are divided by the largest of them, so that nothing overflows, and the power
// of two is put back at the end. Between columns whose scales differ by hundreds of orders of
// magnitude two precautions keep rounding noise out of the solution: entries of N below the rank
// threshold (relative to the largest of their column) are taken as zero, as the rank decision
// takes R22; and the rows of the weighted basis are sorted by decreasing magnitude before its
// QR (Powell and Reid), so that no reflection mixes a tiny row into a large one.
#include "torvik/LeastSquaresSteps.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace torvik {

namespace {

// Column q of the null-space basis N = [-R11^-1 R12; I] (n values, pivoted order), with the
// entries below negligible times its largest set to zero.
void NullSpaceColumn(const PivotedQr& qr, int rank, int q, double negligible, double* column) {
    const int n = qr.Columns();
    for (int i = 0; i < rank; ++i) {
        column[i] = qr.R(i, rank + q);
    }
    qr.SolveR(rank, column);
    double largest = 1.0;
    for (int i = 0; i < rank; ++i) {
        column[i] = -column[i];
        largest = std::max(largest, std::fabs(column[i]));
    }
    for (int i = 0; i < rank; ++i) {
        if (std::fabs(column[i]) <= negligible * largest) {
            column[i] = 0.0;
        }
    }
    for (int k = rank; k < n; ++k) {
        column[k] = k == rank + q ? 1.0 : 0.0;
    }
}

} // namespace

ErrorCode MinimumNormSolution(const ScaledSystem& system, const PivotedQr& qr, int rank,
                              double negligible, const double* d, int c, double* x) {
    const int n = qr.Columns();
    const int free = n - rank;
    const std::size_t size = static_cast<std::size_t>(n);
    // Weights 2^shift <= 1 of the rows (pivoted order): D^-1 divided by its largest element.
    int smallest = system.ColumnExponent(0);
    for (int j = 1; j < n; ++j) {
        smallest = std::min(smallest, system.ColumnExponent(j));
    }
    std::vector<int> shift(size);
    for (int k = 0; k < n; ++k) {
        shift[std::size_t(k)] = smallest - system.ColumnExponent(qr.Pivot(k));
    }
    // The weighted basis, and the magnitude of each of its rows.
    std::vector<double> basis(size * std::size_t(free)), magnitude(size, 0.0);
    for (int q = 0; q < free; ++q) {
        double* column = basis.data() + ColumnMajor(0, q, n);
        NullSpaceColumn(qr, rank, q, negligible, column);
        for (int k = 0; k < n; ++k) {
            column[k] = std::ldexp(column[k], shift[std::size_t(k)]);
            magnitude[std::size_t(k)] = std::max(magnitude[std::size_t(k)], std::fabs(column[k]));
        }
    }
    // The weighted basic solution.
    std::vector<double> basic(size, 0.0);
    std::copy(d, d + rank, basic.begin());
    qr.SolveR(rank, basic.data());
    // Rows by decreasing magnitude, then the projection of the basic solution.
    std::vector<int> order(size);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
        return magnitude[std::size_t(left)] > magnitude[std::size_t(right)];
    });
    Doubles sorted = UninitialisedDoubles(size * std::size_t(free));
    std::vector<double> y(size);
    for (int s = 0; s < n; ++s) {
        const std::size_t k = std::size_t(order[std::size_t(s)]);
        for (int q = 0; q < free; ++q) {
            sorted[ColumnMajor(s, q, n)] = basis[ColumnMajor(int(k), q, n)];
        }
        y[std::size_t(s)] = std::ldexp(basic[k], shift[k]);
    }
    const PivotedQr projector(n, free, std::move(sorted));
    projector.ApplyQTranspose(y.data());
    std::fill(y.begin(), y.begin() + free, 0.0);
    projector.ApplyQ(y.data());
    for (int s = 0; s < n; ++s) {
        x[qr.Pivot(order[std::size_t(s)])] =
            std::ldexp(y[std::size_t(s)], system.RightHandSideExponent(c) - smallest);
    }
    return kSuccess;
}

} // namespace torvik
