// CArray<double, double> as DoubleArray: the resizing rule, zero fill, tested indices, Copy,
// Add, and the failure outcomes. The archive format is in ArchiveTest.cpp.
#include "OstraPureMath/DoubleArray.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Exposes the capacity and grow-by fields, which the public interface does not show.
class ProbedArray : public DoubleArray {
public:
    INT_PTR Capacity() const { return m_nMaxSize; }
    INT_PTR GrowBy() const { return m_nGrowBy; }
};

// Fills elements [0, size) with 1, 2, 3, ...
void FillCounting(DoubleArray& a) {
    for (INT_PTR i = 0; i < a.GetSize(); ++i) {
        a[i] = double(i + 1);
    }
}

TEST(DoubleArray, AutomaticGrowthStepIsSizeOverEightClampedToFourAnd1024) {
    const struct {
        INT_PTR from, to, capacity; // size (= capacity) before, size asked, capacity after
    } cases[] = {
        {0, 10, 10},           // no block: exactly the size asked
        {100, 101, 112},       // 100 / 8 = 12
        {16, 17, 20},          // 16 / 8 = 2, raised to 4
        {7, 8, 11},            // 7 / 8 = 0, raised to 4
        {8000, 8001, 9000},    // 1000, inside the clamp
        {10000, 10001, 11024}, // 1250, lowered to 1024
        {16, 100, 100},        // the step falls short: the size asked
    };
    for (const auto& g : cases) {
        SCOPED_TRACE(testing::Message() << g.from << " to " << g.to);
        ProbedArray a;
        a.SetSize(g.from);
        ASSERT_EQ(a.Capacity(), g.from);
        FillCounting(a);
        a.SetSize(g.to);
        EXPECT_EQ(a.GetSize(), g.to);
        EXPECT_EQ(a.Capacity(), g.capacity);
        for (INT_PTR i = 0; i < g.to; ++i) {
            ASSERT_EQ(a[i], i < g.from ? double(i + 1) : 0.0) << "element " << i;
        }
    }
}

TEST(DoubleArray, ExplicitGrowByIsTheStepAndTheFirstCapacity) {
    ProbedArray a;
    a.SetSize(2, 5);
    EXPECT_EQ(a.GrowBy(), 5);
    EXPECT_EQ(a.Capacity(), 5);
    for (INT_PTR i = 0; i < 5; ++i) {
        EXPECT_EQ(a.GetData()[i], 0.0); // the whole first block is zeroed
    }
    a.SetSize(6); // -1 keeps the grow-by
    EXPECT_EQ(a.GrowBy(), 5);
    EXPECT_EQ(a.Capacity(), 10);
    a.SetSize(11, 0); // back to the automatic step: 11 / 8 = 1, raised to 4
    EXPECT_EQ(a.Capacity(), 14);
}

TEST(DoubleArray, ShrinkKeepsTheBlockRegrowZeroFillsAndSizeZeroReleases) {
    ProbedArray a;
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Capacity(), 0);
    EXPECT_EQ(a.GrowBy(), 0);
    a.SetSize(5);
    FillCounting(a);
    const double* block = a.GetData();
    a.SetSize(3);
    a.SetSize(5);
    EXPECT_EQ(a.GetData(), block);
    EXPECT_EQ(a.Capacity(), 5);
    const double expected[] = {1, 2, 3, 0, 0};
    for (INT_PTR i = 0; i < 5; ++i) {
        EXPECT_EQ(a[i], expected[i]) << i;
    }
    a.SetSize(0);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Capacity(), 0);
    a.SetSize(3);
    a.RemoveAll();
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_TRUE(a.IsEmpty());
}

TEST(DoubleArray, AddAppendsAndGrowsByTheAutomaticStep) {
    ProbedArray a;
    const INT_PTR capacities[] = {1, 5, 5, 5, 5, 9};
    for (INT_PTR i = 0; i < 6; ++i) {
        EXPECT_EQ(a.Add(0.5 * double(i)), i);
        EXPECT_EQ(a.Capacity(), capacities[i]) << "after element " << i;
    }
    for (INT_PTR i = 0; i < 6; ++i) {
        EXPECT_EQ(a[i], 0.5 * double(i));
    }
    // With a const-reference argument the element may live in the block that Add reallocates.
    CArray<double> b;
    b.Add(42.0);
    b.Add(b[0]);
    EXPECT_EQ(b[1], 42.0);
}

TEST(DoubleArray, IndicesOutsideTheSizeRaiseInvalidArg) {
    DoubleArray a;
    EXPECT_THROW(a[0], CInvalidArgException);
    a.SetSize(3, 8); // capacity 8: indices 3..7 are in the block but not in the array
    const DoubleArray& constant = a;
    for (INT_PTR index : {INT_PTR(-1), INT_PTR(3), INT_PTR(7), INT_PTR(PTRDIFF_MIN)}) {
        EXPECT_THROW(a[index], CInvalidArgException) << index;
        EXPECT_THROW(constant[index], CInvalidArgException) << index;
        EXPECT_THROW(a.GetAt(index), CInvalidArgException) << index;
        EXPECT_THROW(a.ElementAt(index), CInvalidArgException) << index;
        EXPECT_THROW(a.SetAt(index, 1.0), CInvalidArgException) << index;
    }
    a.SetAt(2, 9.0);
    EXPECT_EQ(a.GetAt(2), 9.0);
    EXPECT_EQ(a.GetUpperBound(), 2);
}

// A negative size or an overflowing capacity step raises the invalid-argument exception, a block
// whose byte count does not fit the memory exception; none touches the heap or the array.
TEST(DoubleArray, BadSizesRaiseAndKeepTheArray) {
    ProbedArray a;
    a.SetSize(3);
    FillCounting(a);
    const double* block = a.GetData();
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    EXPECT_THROW(a.SetSize(PTRDIFF_MIN, 7), CInvalidArgException);
    EXPECT_EQ(a.GrowBy(), 0);
    EXPECT_THROW(a.SetSize(4, PTRDIFF_MAX), CInvalidArgException);
    EXPECT_THROW(a.SetSize(PTRDIFF_MAX, 0), CMemoryException);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a.Capacity(), 3);
    EXPECT_EQ(a.GetData(), block);
    EXPECT_EQ(a[2], 3.0);
    DoubleArray empty;
    EXPECT_THROW(empty.SetSize(PTRDIFF_MAX / 4), CMemoryException);
    EXPECT_EQ(empty.GetData(), nullptr);
}

TEST(DoubleArray, CopyTakesSizeAndElements) {
    ProbedArray source;
    source.SetSize(4, 6);
    FillCounting(source);
    for (INT_PTR start : {0, 2, 9}) {
        DoubleArray target;
        target.SetSize(start);
        target.Copy(source);
        ASSERT_EQ(target.GetSize(), 4) << start;
        for (INT_PTR i = 0; i < 4; ++i) {
            EXPECT_EQ(target[i], double(i + 1));
        }
        EXPECT_NE(target.GetData(), source.GetData());
    }
    const double* block = source.GetData();
    source.Copy(source); // from itself: nothing changes
    EXPECT_EQ(source.GetData(), block);
    EXPECT_EQ(source.GetSize(), 4);
    EXPECT_EQ(source.Capacity(), 6);
    EXPECT_EQ(source[3], 4.0);
    source.Copy(DoubleArray());
    EXPECT_EQ(source.GetSize(), 0);
    EXPECT_EQ(source.GetData(), nullptr);
}

} // namespace
