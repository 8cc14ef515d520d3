// Storage layout of offset vectors and row-pointer matrices: where each block starts, how large
// it is, how the returned pointers are displaced, and that the release functions free exactly
// the blocks the allocators made (the asan build turns a wrong free or a leak into a failure).
#include "OstraPureMath/Matrix.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <malloc.h>
#include <string>

namespace {

// Checks that `start` is the first byte of a live malloc block of `bytes` bytes. Under
// AddressSanitizer malloc_usable_size is the exact size requested (and a pointer that is not a
// block start is reported as an error); under glibc it is the size rounded up to the chunk, so
// only a lower bound can be checked there.
void ExpectHeapBlock(const void* start, std::size_t bytes) {
    const std::size_t usable = malloc_usable_size(const_cast<void*>(start));
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(usable, bytes);
#else
    EXPECT_GE(usable, bytes);
#endif
}

struct Range {
    long low;
    long high;
};

class OffsetStorage : public ::testing::TestWithParam<Range> {
protected:
    Matrix mat;
};

TEST_P(OffsetStorage, DoubleVectorIsOneExactBlockStartingAtTheLowIndex) {
    const auto [nl, nh] = GetParam();
    double* v = mat.dVector(nl, nh);
    ExpectHeapBlock(v + nl, std::size_t(nh - nl + 1) * sizeof(double));
    for (long i = nl; i <= nh; ++i) {
        v[i] = double(i);
    }
    for (long i = nl; i <= nh; ++i) {
        EXPECT_EQ(v[i], double(i));
    }
    mat.dVectorFree(v, nl, nh);
}

TEST_P(OffsetStorage, ShortVectorHasOneSpareInFront) {
    const auto [nl, nh] = GetParam();
    short* v = mat.sVector(nl, nh);
    ExpectHeapBlock(v + nl - 1, std::size_t(nh - nl + 2) * sizeof(short));
    for (long i = nl - 1; i <= nh; ++i) { // the spare is writable too
        v[i] = short(i);
    }
    for (long i = nl - 1; i <= nh; ++i) {
        EXPECT_EQ(v[i], short(i));
    }
    mat.sVectorFree(v, nl, nh);
}

TEST_P(OffsetStorage, MatrixRowsLieContiguouslyAfterASpareElement) {
    const auto [nrl, nrh] = GetParam();
    // Columns run over a different range from the rows, so that swapped bounds show.
    const long ncl = nrl + 2;
    const long nch = ncl + (nrh - nrl) + 1;
    const long nrow = nrh - nrl + 1;
    const long ncol = nch - ncl + 1;
    double** m = mat.dMatrix(nrl, nrh, ncl, nch);
    ExpectHeapBlock(m + nrl - 1, std::size_t(nrow + 1) * sizeof(double*));
    double* const elements = m[nrl] + ncl - 1;
    ExpectHeapBlock(elements, std::size_t(nrow * ncol + 1) * sizeof(double));
    EXPECT_EQ(&m[nrl][ncl], elements + 1);
    for (long i = nrl; i <= nrh; ++i) {
        EXPECT_EQ(m[i], m[nrl] + (i - nrl) * ncol) << "row " << i;
        for (long j = ncl; j <= nch; ++j) {
            m[i][j] = double(100 * i + j);
        }
    }
    // Row-major: element (i, j) sits (i - nrl) * ncol + (j - ncl) places after the first.
    for (long i = nrl; i <= nrh; ++i) {
        for (long j = ncl; j <= nch; ++j) {
            EXPECT_EQ(elements[1 + (i - nrl) * ncol + (j - ncl)], double(100 * i + j));
        }
    }
    mat.dMatrixFree(m, nrl, nrh, ncl, nch);
}

INSTANTIATE_TEST_SUITE_P(LowerBounds, OffsetStorage,
                         ::testing::Values(Range{1, 4}, Range{0, 3}, Range{-3, 2}, Range{5, 5},
                                           Range{5, 9}, Range{-7, -6}),
                         [](const ::testing::TestParamInfo<Range>& info) {
                             const auto name = [](long bound) {
                                 return (bound < 0 ? "m" : "") +
                                        std::to_string(bound < 0 ? -bound : bound);
                             };
                             return "From" + name(info.param.low) + "To" + name(info.param.high);
                         });

TEST(MatrixStorage, OneThreeByTwoMatrixHasRowsTwoApart) {
    Matrix mat;
    double** m = mat.dMatrix(1, 3, 1, 2);
    EXPECT_EQ(m[2], m[1] + 2);
    EXPECT_EQ(m[3], m[2] + 2);
    mat.dMatrixFree(m, 1, 3, 1, 2);
}

// An empty range (n = 0 with base 1) is valid and releases cleanly.
TEST(MatrixStorage, EmptyRangesGiveReleasableObjects) {
    Matrix mat;
    double* v = mat.dVector(1, 0);
    mat.dVectorFree(v, 1, 0);
    short* s = mat.sVector(1, 0);
    ExpectHeapBlock(s, sizeof(short));
    mat.sVectorFree(s, 1, 0);
    double** noColumns = mat.dMatrix(1, 3, 1, 0);
    EXPECT_EQ(noColumns[3], noColumns[1]);
    mat.dMatrixFree(noColumns, 1, 3, 1, 0);
    double** noRows = mat.dMatrix(1, 0, 1, 3);
    mat.dMatrixFree(noRows, 1, 0, 1, 3);
}

// Sizes whose byte count cannot be represented: CMemoryException without touching the heap, so
// the same holds under the sanitizer. The dMatrix case gets its row-pointer block first and
// must give it back (the leak checker of the asan build fails the test otherwise).
TEST(MatrixStorage, UnaddressableSizesRaiseMemoryException) {
    Matrix mat;
    EXPECT_THROW(mat.dVector(1, LONG_MAX), CMemoryException);
    EXPECT_THROW(mat.sVector(0, LONG_MAX - 1), CMemoryException);
    EXPECT_THROW(mat.dVector(LONG_MIN, LONG_MAX), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 2, 1, LONG_MAX / 2), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, LONG_MAX, 1, 2), CMemoryException);
}

TEST(MatrixStorage, BackwardRangesRaiseMemoryException) {
    Matrix mat;
    EXPECT_THROW(mat.dVector(5, 3), CMemoryException);
    EXPECT_THROW(mat.sVector(1, -1), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 3, 4, 1), CMemoryException);
}

// A block the heap refuses (2^63 bytes). The sanitizer's allocator aborts on such a request
// instead of returning null, so this runs in the optimised build only.
TEST(MatrixStorage, HeapRefusalRaisesMemoryException) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer allocator does not return null";
#else
    Matrix mat;
    EXPECT_THROW(mat.dVector(1, 1L << 60), CMemoryException);
    EXPECT_THROW(mat.sVector(1, 1L << 62), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 2, 1, 1L << 59), CMemoryException);
#endif
}

} // namespace
