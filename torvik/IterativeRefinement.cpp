// Iterative refinement of a full-rank least-squares solution, with the residuals of the original
// (unscaled, unrounded) system in extended precision. Two forms, chosen by the conditioning:
//
// - Corrected semi-normal equations (Bjorck): dy = R^-1 R^-T P^T A^T (b - A y), with A^T (b - A y)
//   formed in extended precision and only the triangle R of the reduced system, so no storage
//   grows with m. Each pass shrinks the error by about kappa^2 u, so it serves kappa <= 2^16. Its
//   sums are in long double (the cheaper) where that is wider than double and accurate enough
//   (LongDoubleSuffices), in double-double otherwise.
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

// Relative rounding of the terms the residuals sum, in each extended type.
template <class E> constexpr double kResidualRounding = 0x1p-104;
template <> constexpr double kResidualRounding<long double> = 0x1p-64;

enum class Outcome { kContinue, kDone, kFailed };

// The condition estimate |R(0,0)| / |R(n-1,n-1)| of the pivoted factorisation.
double ConditionEstimate(const PivotedQr& qr) {
    const int last = qr.Columns() - 1;
    return std::fabs(qr.R(0, 0)) / std::fabs(qr.R(last, last));
}

double Largest(const std::vector<double>& y) {
    double largest = 0.0;
    for (const double v : y) {
        largest = std::max(largest, std::fabs(v));
    }
    return largest;
}

// The error that residuals rounded to a relative unit can leave in each component of y, at worst:
// the rounding of the terms A y, amplified by the condition, and that of the sums A^T r,
// amplified by its square (residualNorm / |R(0,0)| puts the residual in the scale of y).
double ResidualRoundingEffect(const PivotedQr& qr, const std::vector<double>& y,
                              double residualNorm) {
    const double kappa = ConditionEstimate(qr);
    return kappa * (Largest(y) + kappa * residualNorm / std::fabs(qr.R(0, 0)));
}

// The floor of the corrections: the rounding of the terms A y, amplified by the condition. (The
// squared term above is a bound seldom approached; as a floor it would stop the passes early.)
template <class E> double Floor(const PivotedQr& qr, const std::vector<double>& y) {
    return kResidualRounding<E> * ConditionEstimate(qr) * Largest(y);
}

// The decision after each pass, from the correction step (n values, pivoted order) of y.
//
// Only corrections that move a component by more than half a unit in its last place and more
// than the floor (the error the residuals' precision leaves in any component) count: below that
// a correction is rounding or noise, and the passes are over when nothing else is left.
class Convergence {
public:
    // expectedRate: the contraction the method promises for the condition at hand; the ratio of
    // consecutive corrections, where larger, takes its place (the first correction, which
    // removes the factorisation's error, can shrink far more than the ones after it).
    Convergence(const PivotedQr& qr, std::vector<double>& y, double expectedRate)
        : qr_(qr), y_(y), expectedRate_(expectedRate) {}

    void SetFloor(double floor) { floor_ = floor; }

    // Applies step to y, unless from the second correction on the corrections have stopped
    // shrinking (divergence, or noise: the iterate is kept).
    Outcome Apply(const std::vector<double>& step) {
        double size = 0.0;
        for (std::size_t k = 0; k < step.size(); ++k) {
            if (!std::isfinite(step[k])) {
                return Outcome::kFailed;
            }
            const double moved = std::fabs(step[k]);
            if (moved > Negligible(y_[std::size_t(qr_.Pivot(int(k)))])) {
                size = std::max(size, moved);
            }
        }
        // The first correction may be as large as the solution itself when the factorisation's
        // solution is poor (a large residual and a large condition number).
        if (pass_ >= 2 && size > 0.5 * previous_) {
            return Outcome::kDone;
        }
        // The corrections shrink geometrically by a rate, so the error left after this one is
        // about rate * size.
        const double rate =
            pass_ == 0 ? 1.0 : std::max(expectedRate_, pass_ == 1 ? 0.0 : size / previous_);
        const double left = rate * size;
        bool converged = true;
        for (std::size_t k = 0; k < step.size(); ++k) {
            double& component = y_[std::size_t(qr_.Pivot(int(k)))];
            component += step[k];
            converged = converged && left <= Negligible(component);
        }
        previous_ = size;
        ++pass_;
        return converged ? Outcome::kDone : Outcome::kContinue;
    }

private:
    double Negligible(double component) const {
        return std::max(kHalfUlp * std::fabs(component), floor_);
    }

    const PivotedQr& qr_;
    std::vector<double>& y_;
    double expectedRate_;
    double floor_ = 0.0;
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
    convergence.SetFloor(Floor<E>(reduced, y));
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

// Long double residuals (relative error 2^-64) leave each component of y an error of about
// 2^-64 times the rounding effect: within a unit in the last place of the largest component
// while kappa <= 2^12, and 13 significant digits on every component not below 2^-20 |y|max
// when the effect is at most 2^20 |y|min, |y|min the smallest such component (the smaller ones
// contribute less than a millionth of the largest to the fit and keep that absolute error).
// Otherwise, and where long double is no wider than double, double-double: every component to a
// few units in its last place, at about four times the cost of the residuals.
bool LongDoubleSuffices(const PivotedQr& qr, const std::vector<double>& y, double effect) {
    const double largest = Largest(y);
    double smallest = largest;
    for (const double v : y) {
        if (std::fabs(v) >= 0x1p-20 * largest) {
            smallest = std::min(smallest, std::fabs(v));
        }
    }
    return kLongDoubleIsWider && ConditionEstimate(qr) <= 0x1p12 && effect <= 0x1p20 * smallest;
}

} // namespace

bool SemiNormalConverges(const PivotedQr& qr) {
    return ConditionEstimate(qr) <= 0x1p16;
}

ErrorCode SemiNormalSolution(const ScaledSystem& system, const PivotedQr& reduced, const double* d,
                             double residualNorm, int c, std::vector<double>& y) {
    const int n = system.Columns();
    y.assign(std::size_t(n), 0.0);
    std::vector<double> step(d, d + n);
    reduced.SolveR(n, step.data());
    // Each pass of the semi-normal equations shrinks the error by about kappa^2 u; 8 covers the
    // estimate's shortfall.
    const double kappa = ConditionEstimate(reduced);
    Convergence convergence(reduced, y, std::min(1.0, 8.0 * kappa * kappa * DBL_EPSILON));
    const Outcome first = convergence.Apply(step);
    if (first != Outcome::kContinue) {
        return first == Outcome::kFailed ? kNoConvergence : kSuccess; // b = 0, for one
    }
    const double effect = ResidualRoundingEffect(reduced, y, residualNorm);
    return LongDoubleSuffices(reduced, y, effect)
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
    // Each pass of the augmented system shrinks the error by about kappa u; 8 n covers the
    // estimate's shortfall and the growth of rounding errors with n.
    Convergence convergence(full, y,
                            std::min(1.0, 8.0 * n * ConditionEstimate(full) * DBL_EPSILON));
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
        if (pass == 0) {
            convergence.SetFloor(Floor<DoubleDouble>(full, y));
        } else {
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
