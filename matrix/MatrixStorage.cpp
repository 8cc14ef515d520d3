// Offset vectors and row-pointer matrices (the storage convention of Numerical Recipes): heap
// blocks from malloc, handed out displaced so that the caller's index range falls on them.
#include "OstraPureMath/Matrix.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Number of indices in [low..high] plus `spare` extra elements. An empty range (high = low - 1)
// counts 0; a range that runs backwards further, or a count that does not fit, asks the heap
// for more than it can give and raises CMemoryException.
long CountWithSpare(long low, long high, long spare) {
    long span = 0;
    long count = 0;
    if (__builtin_sub_overflow(high, low, &span) || span < -1 ||
        __builtin_add_overflow(span, 1 + spare, &count)) {
        AfxThrowMemoryException();
    }
    return count;
}

// malloc for count elements of size bytes each; CMemoryException when the byte count does not
// fit or the heap says no. A count of 0 still yields a block (glibc gives a unique pointer).
void* AllocateOrThrow(long count, std::size_t size) {
    if (std::uint64_t(count) > SIZE_MAX / size) {
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
    auto* block = static_cast<double*>(AllocateOrThrow(CountWithSpare(nl, nh, 0), sizeof(double)));
    return block - nl;
}

void Matrix::dVectorFree(double* v, long nl, long) const {
    std::free(v + nl);
}

short* Matrix::sVector(long nl, long nh) const {
    // One spare element in front of the range.
    auto* block = static_cast<short*>(AllocateOrThrow(CountWithSpare(nl, nh, 1), sizeof(short)));
    return block + 1 - nl;
}

void Matrix::sVectorFree(short* v, long nl, long) const {
    std::free(v + nl - 1);
}

double** Matrix::dMatrix(long nrl, long nrh, long ncl, long nch) const {
    const long nrow = CountWithSpare(nrl, nrh, 0);
    const long ncol = CountWithSpare(ncl, nch, 0);
    long elementCount = 0;
    if (__builtin_mul_overflow(nrow, ncol, &elementCount) ||
        __builtin_add_overflow(elementCount, 1, &elementCount)) {
        AfxThrowMemoryException();
    }
    // Row pointers with a spare entry in front; m[nrl] is always set, so a matrix without rows
    // still gets the entry that holds it.
    auto* rows = static_cast<double**>(AllocateOrThrow((nrow > 0 ? nrow : 1) + 1, sizeof(double*)));
    double** m = rows + 1 - nrl;
    double* elements = nullptr;
    try {
        // One contiguous row-major element block, with a spare element in front.
        elements = static_cast<double*>(AllocateOrThrow(elementCount, sizeof(double)));
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
