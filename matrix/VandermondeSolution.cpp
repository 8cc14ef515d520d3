// Solution of the transposed Vandermonde system sum_i x_i^(k-1) w_i = q_k in O(n^2) without
// forming the matrix (Numerical Recipes vander): the coefficients of the master polynomial
// P(z) = prod (z - x_j), then one synthetic division of P by (z - x_i) for each weight.
#include "OstraPureMath/Matrix.h"

#include "common/ThreadScratch.h"

#include <cstddef>

namespace {

// c[1..n] = coefficients of z^0..z^(n-1) of prod (z - x_j); the leading 1 is not stored.
void MasterPolynomial(const double* x, double* c, long n) {
    for (long i = 1; i <= n; ++i) {
        c[i] = 0.0;
    }
    c[n] = -x[1];
    for (long i = 2; i <= n; ++i) {
        const double xx = -x[i];
        // Ascending j: each c[j] takes c[j + 1] from before this multiplication by (z - x_i).
        for (long j = n + 1 - i; j <= n - 1; ++j) {
            c[j] += xx * c[j + 1];
        }
        c[n] += xx;
    }
}

} // namespace

bool Matrix::VanderMondeSolution(double* const x, double* const w, double* const q, long n) const {
    if (n < 1) {
        return true;
    }
    const opm::detail::ScratchDoubles work(static_cast<std::size_t>(n));
    double* const c = work.data() - 1;
    if (n == 1) {
        w[1] = q[1];
    } else {
        MasterPolynomial(x, c, n);
        for (long i = 1; i <= n; ++i) {
            const double xx = x[i];
            double b = 1.0;
            double t = 1.0;
            double s = q[n];
            // Synthetic division by (z - x_i): b runs over the quotient's coefficients, t
            // accumulates the quotient's value at x_i, s the weighted right-hand side.
            for (long k = n; k >= 2; --k) {
                b = c[k] + xx * b;
                s += q[k - 1] * b;
                t = xx * t + b;
            }
            // t is 0 when x_i repeats another abscissa: the weight becomes inf or NaN.
            w[i] = s / t;
        }
    }
    return true;
}
