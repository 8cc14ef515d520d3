// CArray<double, double> as DoubleArray, through its public interface: resizing keeps the
// elements and zero-fills new ones on every path (new block, within the block, a larger block),
// tested indices, Add, Copy and the failure outcomes. The archive format is in ArchiveTest.cpp.
#include "OstraPureMath/DoubleArray.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Resizes through every path of SetSize and expects 1..kept then zeros after each step.
TEST(DoubleArray, ResizingKeepsElementsAndZeroFillsNewOnes) {
    const struct {
        INT_PTR size, growBy; // growBy -1 keeps the field
    } steps[] = {{3, 8}, {2, -1}, {7, -1}, {9, -1}, {9, 0}, {40, -1}, {41, -1}, {10000, -1}};
    DoubleArray a;
    INT_PTR kept = 0;
    for (const auto& s : steps) {
        a.SetSize(s.size, s.growBy);
        ASSERT_EQ(a.GetSize(), s.size);
        for (INT_PTR i = 0; i < s.size; ++i) {
            ASSERT_EQ(a[i], i < kept ? double(i + 1) : 0.0) << "size " << s.size << ", " << i;
            a[i] = double(i + 1);
        }
        kept = s.size; // after the shrink to 2, what comes back on regrowth is zero
    }
    a.SetSize(0);
    EXPECT_EQ(a.GetData(), nullptr);
    a.SetSize(2);
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST(DoubleArray, AddAppendsEvenAnElementOfItsOwnBlock) {
    DoubleArray a;
    for (INT_PTR i = 0; i < 6; ++i) {
        EXPECT_EQ(a.Add(0.5 * double(i)), i);
        EXPECT_EQ(a[i / 2], 0.5 * double(i / 2)); // earlier elements survive the growth
    }
    CArray<double> b; // a const-reference argument may live in the block that Add reallocates
    b.Add(42.0);
    b.Add(b[0]);
    EXPECT_EQ(b[1], 42.0);
}

// Indices outside the size, a negative size or an overflowing capacity raise the invalid-argument
// exception, a block whose byte count does not fit the memory exception; the array stays as it was.
TEST(DoubleArray, BadIndicesAndSizesRaiseAndKeepTheArray) {
    DoubleArray a;
    EXPECT_THROW(a[0], CInvalidArgException);
    a.SetSize(3, 8); // indices 3..7 are in the block but not in the array
    a.SetAt(2, 3.0);
    const DoubleArray& constant = a;
    for (INT_PTR index : {INT_PTR(-1), INT_PTR(3), INT_PTR(7), INT_PTR(PTRDIFF_MIN)}) {
        EXPECT_THROW(a[index], CInvalidArgException) << index;
        EXPECT_THROW(constant[index], CInvalidArgException) << index;
        EXPECT_THROW(a.SetAt(index, 1.0), CInvalidArgException) << index;
    }
    const double* block = a.GetData();
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    EXPECT_THROW(a.SetSize(9, PTRDIFF_MAX), CInvalidArgException); // beyond the block of 8
    EXPECT_THROW(a.SetSize(PTRDIFF_MAX, 0), CMemoryException);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a.GetData(), block);
    EXPECT_EQ(a.GetAt(2), 3.0);
    DoubleArray empty;
    EXPECT_THROW(empty.SetSize(PTRDIFF_MAX / 4), CMemoryException);
    EXPECT_EQ(empty.GetData(), nullptr);
}

TEST(DoubleArray, CopyTakesSizeAndElements) {
    DoubleArray source;
    for (int i = 1; i <= 4; ++i) {
        source.Add(double(i));
    }
    for (INT_PTR start : {0, 2, 9}) {
        DoubleArray target;
        target.SetSize(start);
        target.Copy(source);
        ASSERT_EQ(target.GetSize(), 4) << start;
        for (INT_PTR i = 0; i < 4; ++i) {
            EXPECT_EQ(target[i], double(i + 1));
        }
    }
    source.Copy(source); // from itself: nothing changes
    EXPECT_EQ(source.GetSize(), 4);
    EXPECT_EQ(source[3], 4.0);
    source.Copy(DoubleArray());
    EXPECT_EQ(source.GetData(), nullptr);
}

} // namespace
