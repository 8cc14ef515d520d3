// Offset vectors and row-pointer matrices (the storage convention of Numerical Recipes): heap
// blocks from malloc, handed out displaced so that the caller's index range falls on them.
#include "OstraPureMath/Matrix.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

// malloc for count elements of size bytes each; CMemoryException when the heap says no or the
// byte count does not fit.
void* AllocateOrThrow(long count, std::size_t size) {
    if (count <= 0 || std::uint64_t(count) > SIZE_MAX / size) {
        AfxThrowMemoryException();
    }
    void* block = std::malloc(std::size_t(count) * size);
    if (block == nullptr) {
        AfxThrowMemoryException();
    }
    return block;
}

} // namespace

double* Matrix::dVector(long nl, long nh) const {
    auto* block = static_cast<double*>(AllocateOrThrow(nh - nl + 1, sizeof(double)));
    return block - nl;
}

void Matrix::dVectorFree(double* v, long nl, long) const { std::free(v + nl); }

short* Matrix::sVector(long nl, long nh) const {
    // One spare element in front of the range.
    auto* block = static_cast<short*>(AllocateOrThrow(nh - nl + 2, sizeof(short)));
    return block + 1 - nl;
}

void Matrix::sVectorFree(short* v, long nl, long) const { std::free(v + nl - 1); }

double** Matrix::dMatrix(long nrl, long nrh, long ncl, long nch) const {
    const long nrow = nrh - nrl + 1;
    const long ncol = nch - ncl + 1;
    if (nrow < 1 || ncol < 1 || nrow > LONG_MAX / ncol) {
        AfxThrowMemoryException();
    }
    // Row pointers, with a spare entry in front.
    auto* rows = static_cast<double**>(AllocateOrThrow(nrow + 1, sizeof(double*)));
    double** m = rows + 1 - nrl;
    double* elements = nullptr;
    try {
        // One contiguous element block, with a spare element in front.
        elements = static_cast<double*>(AllocateOrThrow(nrow * ncol + 1, sizeof(double)));
    } catch (...) {
        std::free(rows);
        throw;
    }
    m[nrl] = elements + 1 - ncl;
    for (long i = nrl + 1; i <= nrh; ++i) {
        m[i] = m[i - 1] + ncol;
    }
    return m;
}

void Matrix::dMatrixFree(double** m, long nrl, long, long ncl, long) const {
    std::free(m[nrl] + ncl - 1);
    std::free(m + nrl - 1);
}
