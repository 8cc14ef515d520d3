// Iterative refinement of a full-rank least-squares solution, with the residuals of the original
// (unscaled, unrounded) system in extended precision. Two forms, chosen by the conditioning:
//
// - Corrected semi-normal equations (Bjorck): dy = R^-1 R^-T P^T A^T (b - A y), with A^T (b - A y)
//   formed in extended precision and only the triangle R of the reduced system, so no storage
//   grows with m. Each pass shrinks the error by about kappa^2 u, so it serves kappa <= 2^10. Its
//   sums are in long double (the cheaper) where that is wider than double and keeps the smallest
//   component of y to 13 significant digits, in double-double otherwise.
// - The augmented system [I A; A^T 0] [r; y] = [b; 0] (Bjorck, 1967), with the QR factorisation
//   A P = Q [R; 0] of the whole scaled A: from f = b - r - A y and g = -A^T r, h = R^-T P^T g,
//   d = Q^T f, the correction of y is P R^-1 (d(1:n) - h) and that of r is Q [h; d(n+1:m)].
//   Refining r as well as y keeps a problem with a non-zero residual converging at the rate
//   kappa u down to the rounding of y, instead of stalling at the square of the condition number.
//   Its sums are in double-double.
//
// The first pass is the plain QR solution. The passes stop when the error left in every
// component of y is below half a unit in its last place, when the corrections stop shrinking (by
// half at least from one pass to the next), or after kMaxPasses.
#include "torvik/ExtendedPrecision.h"
#include "torvik/LeastSquaresSteps.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace torvik {

namespace {

// The first solve and at most seven corrections: a pass of the augmented system gains about
// -log10(kappa u) digits, so three or four reach the rounding of y even near kappa = 1e12.
constexpr int kMaxPasses = 8;

constexpr double kHalfUlp = 0x1p-53;
constexpr double kUlp = 0x1p-52;

enum class Outcome { kContinue, kDone, kFailed };

// The decision after each pass, from the correction step (n values, pivoted order) of y.
class Convergence {
public:
    // firstRate: the contraction expected of the first correction (1 when it cannot be told);
    // from the second on, the ratio of consecutive corrections measures it.
    Convergence(const PivotedQr& qr, std::vector<double>& y, double firstRate)
        : qr_(qr), y_(y), firstRate_(firstRate) {}

    // Applies step to y, unless from the second correction on the corrections have stopped
    // shrinking above the rounding of y (divergence, or a noise floor: the iterate is kept).
    Outcome Apply(const std::vector<double>& step) {
        double size = 0.0;
        double yNorm = 0.0;
        for (std::size_t k = 0; k < step.size(); ++k) {
            size = std::max(size, std::fabs(step[k]));
            yNorm = std::max(yNorm, std::fabs(y_[k]));
        }
        if (!std::isfinite(size)) {
            return Outcome::kFailed;
        }
        // The first correction may be as large as the solution itself when the factorisation's
        // solution is poor (a large residual and a large condition number).
        const bool progress = pass_ < 2 || size <= 0.5 * previous_;
        if (!progress && size > kUlp * yNorm) {
            return Outcome::kDone;
        }
        // The corrections shrink geometrically by a rate, so the error left after this one is
        // about rate * size.
        const double rate = pass_ == 0 ? 1.0 : pass_ == 1 ? firstRate_ : size / previous_;
        const double left = rate * size;
        bool converged = true;
        for (std::size_t k = 0; k < step.size(); ++k) {
            double& component = y_[std::size_t(qr_.Pivot(int(k)))];
            component += step[k];
            converged = converged && left <= kHalfUlp * std::fabs(component);
        }
        previous_ = size;
        ++pass_;
        return converged || !progress ? Outcome::kDone : Outcome::kContinue;
    }

private:
    const PivotedQr& qr_;
    std::vector<double>& y_;
    double firstRate_;
    double previous_ = std::numeric_limits<double>::infinity();
    int pass_ = 0;
};

// step := P^T v, v in the original column order.
void Permuted(const PivotedQr& qr, const std::vector<double>& v, std::vector<double>& step) {
    for (std::size_t k = 0; k < step.size(); ++k) {
        step[k] = v[std::size_t(qr.Pivot(int(k)))];
    }
}

template <class E>
ErrorCode SemiNormalPasses(const ScaledSystem& system, const PivotedQr& reduced, int c,
                           std::vector<double>& y, Convergence& convergence) {
    const std::size_t n = y.size();
    std::vector<double> s(n), step(n);
    for (int pass = 1; pass < kMaxPasses; ++pass) {
        system.NormalResidual<E>(c, y.data(), s.data());
        Permuted(reduced, s, step);
        reduced.SolveRTranspose(int(n), step.data());
        reduced.SolveR(int(n), step.data());
        const Outcome outcome = convergence.Apply(step);
        if (outcome != Outcome::kContinue) {
            return outcome == Outcome::kFailed ? kNoConvergence : kSuccess;
        }
    }
    return kSuccess;
}

// Long double residuals (relative error 2^-64 of the terms they sum) leave the components of y an
// error of about 2^-64 kappa |y|max; below 2^-44 |y|min (13 significant digits on the smallest
// non-zero component) when kappa |y|max / |y|min <= 2^20. Otherwise, and where long double is no
// wider than double, double-double.
bool LongDoubleSuffices(const PivotedQr& qr, const std::vector<double>& y) {
    const int last = qr.Columns() - 1;
    double largest = 0.0;
    double smallest = std::numeric_limits<double>::infinity();
    for (const double v : y) {
        largest = std::max(largest, std::fabs(v));
        if (v != 0.0) {
            smallest = std::min(smallest, std::fabs(v));
        }
    }
    const double spread = std::fabs(qr.R(0, 0)) * largest;
    return kLongDoubleIsWider && spread <= 0x1p20 * std::fabs(qr.R(last, last)) * smallest;
}

} // namespace

bool WellConditioned(const PivotedQr& qr) {
    const int last = qr.Columns() - 1;
    return std::fabs(qr.R(0, 0)) <= 0x1p10 * std::fabs(qr.R(last, last));
}

ErrorCode SemiNormalSolution(const ScaledSystem& system, const PivotedQr& reduced, const double* d,
                             int c, std::vector<double>& y) {
    const int n = system.Columns();
    y.assign(std::size_t(n), 0.0);
    std::vector<double> step(d, d + n);
    reduced.SolveR(n, step.data());
    // Each pass of the semi-normal equations shrinks the error by about kappa^2 u; 8 covers the
    // estimate's shortfall.
    const double kappa = std::fabs(reduced.R(0, 0) / reduced.R(n - 1, n - 1));
    Convergence convergence(reduced, y, std::min(1.0, 8.0 * kappa * kappa * DBL_EPSILON));
    const Outcome first = convergence.Apply(step);
    if (first != Outcome::kContinue) {
        return first == Outcome::kFailed ? kNoConvergence : kSuccess; // b = 0, for one
    }
    return LongDoubleSuffices(reduced, y)
               ? SemiNormalPasses<long double>(system, reduced, c, y, convergence)
               : SemiNormalPasses<DoubleDouble>(system, reduced, c, y, convergence);
}

ErrorCode AugmentedSolution(const ScaledSystem& system, const PivotedQr& full, int c,
                            std::vector<double>& y) {
    const int m = system.Rows();
    const int n = system.Columns();
    const std::size_t rows = static_cast<std::size_t>(m);
    const std::size_t columns = static_cast<std::size_t>(n);
    y.assign(columns, 0.0);
    // r is formed at pass 1 before it is read; f is written by every pass.
    const Doubles residuals = UninitialisedDoubles(2 * rows);
    double* r = residuals.get();
    double* f = r + rows;
    std::vector<double> g(columns), h(columns, 0.0), step(columns);
    Convergence convergence(full, y, 1.0);
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        // Pass 0 (y = 0) solves with f = b and leaves r = 0; pass 1 starts r at the residual of
        // that solution, formed in extended precision and rounded, and from then on both are
        // refined.
        if (pass == 0) {
            for (int i = 0; i < m; ++i) {
                f[i] = system.B(i, c);
            }
        } else {
            system.Residuals<DoubleDouble>(c, y.data(), pass == 1, r, f, g.data());
            Permuted(full, g, h);
            full.SolveRTranspose(n, h.data());
        }
        full.ApplyQTranspose(f);
        for (int k = 0; k < n; ++k) {
            step[std::size_t(k)] = f[k] - h[std::size_t(k)];
        }
        full.SolveR(n, step.data());
        const Outcome outcome = convergence.Apply(step);
        if (outcome != Outcome::kContinue) {
            return outcome == Outcome::kFailed ? kNoConvergence : kSuccess;
        }
        if (pass > 0) {
            std::copy(h.begin(), h.end(), f); // f becomes [h; d(n+1:m)]
            full.ApplyQ(f);                   // the correction of r
            for (std::size_t i = 0; i < rows; ++i) {
                r[i] += f[i];
            }
        }
    }
    return kSuccess;
}

} // namespace torvik
