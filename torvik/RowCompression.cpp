// Sequential (row-block) Householder QR reduction of a tall least-squares system.
#include "torvik/RowCompression.h"
#include "torvik/HouseholderReflection.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

namespace torvik {

namespace {

// Counts beyond int are far beyond any storage, and reported as such.
int CheckedInt(long long count) {
    if (count > INT_MAX) {
        throw std::bad_alloc();
    }
    return int(count);
}

// Rows of the buffer: the kept triangle and the rows gathered between two compressions, enough
// to amortise each factorisation of the triangle, few enough to keep the buffer in cache.
int BufferRows(int n) {
    return CheckedInt(static_cast<long long>(n) + std::max(256LL, 2LL * n));
}

} // namespace

ReducedSystem::ReducedSystem(const ScaledSystem& system, int nb)
    : n_(system.Columns()), columns_(CheckedInt(static_cast<long long>(n_) + nb)),
      ld_(BufferRows(n_)), buffer_(UninitialisedDoubles(std::size_t(ld_) * std::size_t(columns_))),
      residualSquares_(static_cast<std::size_t>(nb), 0.0) {
    const int m = system.Rows();
    for (int i = 0; i < m;) {
        if (rows_ == ld_) {
            Compress();
        }
        const int count = std::min(ld_ - rows_, m - i);
        system.CopyRows(i, count, &At(rows_, 0), ld_, nb);
        rows_ += count;
        i += count;
    }
    if (rows_ > n_) {
        Compress();
    }
}

// Householder QR of the rows gathered, applied to every column (A and B); the rows below the
// n-th then carry only the residual and are dropped.
void ReducedSystem::Compress() {
    for (int k = 0; k < n_; ++k) {
        const double tau = MakeReflection(&At(k, k), rows_ - k);
        for (int j = k + 1; j < columns_; ++j) {
            ApplyReflection(&At(k, k), tau, &At(k, j), rows_ - k);
        }
        for (int i = k + 1; i < n_; ++i) {
            At(i, k) = 0.0; // the reflector, no longer needed
        }
    }
    for (std::size_t c = 0; c < residualSquares_.size(); ++c) {
        const double* dropped = &At(n_, n_ + int(c));
        residualSquares_[c] += Dot(dropped, dropped, rows_ - n_);
    }
    rows_ = n_;
}

double ReducedSystem::ResidualNorm(int c) const {
    return std::sqrt(residualSquares_[std::size_t(c)]);
}

Doubles ReducedSystem::A() const {
    Doubles copy = UninitialisedDoubles(std::size_t(rows_) * std::size_t(n_));
    for (int j = 0; j < n_; ++j) {
        std::copy(&At(0, j), &At(0, j) + rows_, copy.get() + std::size_t(j) * std::size_t(rows_));
    }
    return copy;
}

} // namespace torvik
