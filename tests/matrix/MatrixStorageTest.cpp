// Offset vectors and row-pointer matrices: block starts and sizes, displaced pointers, row
// contiguity, release by the matching function (asan turns a wrong free or a leak into a failure).
#include "MatrixTestSupport.h"

#include <climits>
#include <malloc.h>
#include <numeric>

namespace {

// `start` is the first byte of a live malloc block of `bytes` bytes: exact under AddressSanitizer
// (which also reports a pointer that is no block start), a lower bound under glibc's rounding.
void ExpectHeapBlock(const void* start, std::size_t bytes) {
#if defined(_WIN32)
    const std::size_t usable = _msize(const_cast<void*>(start)); // the size asked for
#else
    const std::size_t usable = malloc_usable_size(const_cast<void*>(start));
#endif
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(usable, bytes);
#else
    EXPECT_GE(usable, bytes);
#endif
}

TEST(MatrixStorage, LayoutsForLowerBoundsOneZeroAndOthers) {
    const Matrix mat;
    const long ranges[][2] = {{1, 4}, {0, 3}, {-3, 2}, {5, 5}, {5, 9}, {-7, -6}};
    for (const auto& [nl, nh] : ranges) {
        SCOPED_TRACE(testing::Message() << nl << ".." << nh);
        double* v = mat.dVector(nl, nh); // one exact block from v[nl]
        ExpectHeapBlock(v + nl, std::size_t(nh - nl + 1) * sizeof(double));
        short* s = mat.sVector(nl, nh); // one spare short in front of s[nl]
        ExpectHeapBlock(s + nl - 1, std::size_t(nh - nl + 2) * sizeof(short));
        std::iota(v + nl, v + nh + 1, 0.0); // every place writable (asan checks the bounds)
        std::iota(s + nl - 1, s + nh + 1, short(0));
        mat.sVectorFree(s, nl, nh);
        mat.dVectorFree(v, nl, nh);

        // Columns over another range than the rows, so that swapped bounds show.
        const long ncl = nl + 2, nch = ncl + nh - nl + 1, nrow = nh - nl + 1, ncol = nrow + 1;
        double** m = mat.dMatrix(nl, nh, ncl, nch);
        ExpectHeapBlock(m + nl - 1, std::size_t(nrow + 1) * sizeof(double*));
        ExpectHeapBlock(m[nl] + ncl - 1, std::size_t(nrow * ncol + 1) * sizeof(double));
        for (long i = nl; i <= nh; ++i) {
            EXPECT_EQ(m[i], m[nl] + (i - nl) * ncol) << "row " << i; // contiguous, row-major
            std::fill(m[i] + ncl, m[i] + nch + 1, double(i));
        }
        mat.dMatrixFree(m, nl, nh, ncl, nch);
    }
}

// n = 0 with base 1 is a valid empty range for every allocator and releases cleanly.
TEST(MatrixStorage, EmptyRangesGiveReleasableObjects) {
    const Matrix mat;
    mat.dVectorFree(mat.dVector(1, 0), 1, 0);
    short* s = mat.sVector(1, 0);
    ExpectHeapBlock(s, sizeof(short));
    mat.sVectorFree(s, 1, 0);
    double** noColumns = mat.dMatrix(1, 3, 1, 0);
    EXPECT_EQ(noColumns[3], noColumns[1]);
    mat.dMatrixFree(noColumns, 1, 3, 1, 0);
    mat.dMatrixFree(mat.dMatrix(1, 0, 1, 3), 1, 0, 1, 3);
}

// Unaddressable byte counts and backward ranges raise before the heap is asked (so under the
// sanitizer too); dMatrix raises before taking its row-pointer block.
TEST(MatrixStorage, UnaddressableAndBackwardRangesRaiseMemoryException) {
    const Matrix mat;
    if (LONG_MAX > INT_MAX) { // with a 32-bit long (Windows) these are 16 GiB, which can exist
        EXPECT_THROW(mat.dVector(1, LONG_MAX), CMemoryException);
        EXPECT_THROW(mat.dMatrix(1, 2, 1, LONG_MAX / 2), CMemoryException);
    }
    EXPECT_THROW(mat.sVector(0, LONG_MAX - 1), CMemoryException);
    EXPECT_THROW(mat.dVector(LONG_MIN, LONG_MAX), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, LONG_MAX, 1, 2), CMemoryException);
    EXPECT_THROW(mat.dVector(5, 3), CMemoryException);
    EXPECT_THROW(mat.sVector(1, -1), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 3, 4, 1), CMemoryException);
}

// Blocks of about 2^63 bytes that malloc refuses; dMatrix gives its row-pointer block back.
TEST(MatrixStorage, HeapRefusalRaisesMemoryException) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer allocator aborts instead of returning null";
#elif LONG_MAX == INT_MAX
    GTEST_SKIP() << "a 32-bit long (Windows) reaches no block the heap must refuse";
#else
    const Matrix mat;
    EXPECT_THROW(mat.dVector(1, 1L << 60), CMemoryException);
    EXPECT_THROW(mat.sVector(1, 1L << 62), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 2, 1, 1L << 59), CMemoryException);
#endif
}

} // namespace
