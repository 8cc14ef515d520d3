// Householder QR with column pivoting (Businger and Golub), unblocked, in the manner of LAPACK's
// dgeqp3/dlaqp2: one pass over the columns, each step choosing the column of largest remaining
// norm, forming the reflection that annihilates it below the diagonal (dlarfg) and applying it
// to the columns after it.
#include "torvik/PivotedQr.h"
#include "torvik/HouseholderReflection.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

namespace torvik {

PivotedQr::PivotedQr(int m, int n, Doubles columns)
    : m_(m), n_(n), steps_(std::min(m, n)), a_(std::move(columns)),
      tau_(static_cast<std::size_t>(steps_), 0.0), pivots_(static_cast<std::size_t>(n)) {
    for (int j = 0; j < n_; ++j) {
        pivots_[static_cast<std::size_t>(j)] = j;
    }
    Factor();
}

void PivotedQr::Factor() {
    // Partial column norms (below the rows already reduced) and their values at the last
    // recomputation, for the downdating test.
    std::vector<double> partial(static_cast<std::size_t>(n_));
    std::vector<double> reference(static_cast<std::size_t>(n_));
    for (int j = 0; j < n_; ++j) {
        partial[std::size_t(j)] = reference[std::size_t(j)] = Norm2(&At(0, j), m_);
    }
    // Below this relative size the downdated norm has lost too many digits (dlaqp2's tol3z).
    const double recomputeBelow = std::sqrt(DBL_EPSILON);
    for (int k = 0; k < steps_; ++k) {
        const auto first = partial.begin() + k;
        const int p = k + int(std::max_element(first, partial.end()) - first);
        if (p != k) {
            std::swap_ranges(&At(0, k), &At(0, k) + m_, &At(0, p));
            std::swap(pivots_[std::size_t(k)], pivots_[std::size_t(p)]);
            partial[std::size_t(p)] = partial[std::size_t(k)];
            reference[std::size_t(p)] = reference[std::size_t(k)];
        }
        tau_[std::size_t(k)] = MakeReflection(&At(k, k), m_ - k);
        for (int j = k + 1; j < n_; ++j) {
            ApplyReflection(k, &At(0, j));
            double& norm = partial[std::size_t(j)];
            if (norm == 0.0) {
                continue;
            }
            const double ratio = std::fabs(At(k, j)) / norm;
            const double remaining = std::max(0.0, (1.0 - ratio) * (1.0 + ratio));
            const double drift = norm / reference[std::size_t(j)];
            if (remaining * drift * drift <= recomputeBelow) {
                norm = k + 1 < m_ ? Norm2(&At(k + 1, j), m_ - k - 1) : 0.0;
                reference[std::size_t(j)] = norm;
            } else {
                norm *= std::sqrt(remaining);
            }
        }
    }
}

void PivotedQr::ApplyReflection(int k, double* v) const {
    torvik::ApplyReflection(&At(k, k), tau_[std::size_t(k)], v + k, m_ - k);
}

int PivotedQr::Rank(double tolerance) const {
    if (steps_ == 0 || R(0, 0) == 0.0) {
        return 0;
    }
    const double threshold = tolerance * std::fabs(R(0, 0));
    int rank = 1;
    while (rank < steps_ && std::fabs(R(rank, rank)) > threshold) {
        ++rank;
    }
    return rank;
}

void PivotedQr::ApplyQTranspose(double* v) const {
    for (int k = 0; k < steps_; ++k) {
        ApplyReflection(k, v);
    }
}

void PivotedQr::ApplyQ(double* v) const {
    for (int k = steps_ - 1; k >= 0; --k) {
        ApplyReflection(k, v);
    }
}

void PivotedQr::SolveR(int k, double* v) const {
    for (int i = k - 1; i >= 0; --i) {
        double sum = v[i];
        for (int j = i + 1; j < k; ++j) {
            sum -= At(i, j) * v[j];
        }
        v[i] = sum / At(i, i);
    }
}

void PivotedQr::SolveRTranspose(int k, double* v) const {
    for (int i = 0; i < k; ++i) {
        double sum = v[i];
        for (int j = 0; j < i; ++j) {
            sum -= At(j, i) * v[j];
        }
        v[i] = sum / At(i, i);
    }
}

} // namespace torvik
