// Sequential (row-block) Householder QR reduction of a tall least-squares system.
#include "torvik/RowCompression.h"
#include "torvik/LapackDrivers.h"

#include <algorithm>
#include <cmath>

namespace torvik {

namespace {

// Rows gathered between two compressions: enough to amortise each factorisation of the kept
// triangle, few enough to keep the buffer in cache.
int RowBlock(int n) {
    return std::max(256, 2 * n);
}

} // namespace

ReducedSystem::ReducedSystem(int n, int nb, const std::vector<int>& exponents)
    : n_(n), nb_(nb), ld_(n + RowBlock(n)), exponents_(exponents), factors_(exponents.size()),
      buffer_(std::size_t(ld_) * std::size_t(n + nb), 0.0), tau_(std::size_t(n + nb)) {
    for (std::size_t j = 0; j < exponents.size(); ++j) {
        const double factor = std::ldexp(1.0, -exponents[j]);
        factors_[j] = std::isnormal(factor) ? factor : 0.0;
    }
    const int columns = n_ + nb_;
    int lwork = -1;
    int info = 0;
    double workSize = 0.0;
    dgeqrf_(&ld_, &columns, buffer_.data(), &ld_, tau_.data(), &workSize, &lwork, &info);
    work_.resize(std::size_t(std::max(1.0, workSize)));
}

void ReducedSystem::AddRow(const double* aRow, const double* bRow) {
    if (rows_ == ld_) {
        Compress();
    }
    for (int j = 0; j < n_; ++j) {
        const double factor = factors_[std::size_t(j)];
        *Element(rows_, j) =
            factor != 0.0 ? aRow[j] * factor : std::ldexp(aRow[j], -exponents_[std::size_t(j)]);
    }
    for (int c = 0; c < nb_; ++c) {
        *Element(rows_, n_ + c) = bRow[c];
    }
    ++rows_;
}

// Factors the full buffer and keeps the first n rows of its triangle (the rows below carry only
// the residual); the reflectors left under the diagonal are cleared.
void ReducedSystem::Compress() {
    const int columns = n_ + nb_;
    const int lwork = int(work_.size());
    int info = 0;
    dgeqrf_(&rows_, &columns, buffer_.data(), &ld_, tau_.data(), work_.data(), &lwork, &info);
    for (int j = 0; j < n_; ++j) {
        for (int i = j + 1; i < n_; ++i) {
            *Element(i, j) = 0.0;
        }
    }
    rows_ = n_;
}

} // namespace torvik
