// Elementwise, row and column operations: exactly the 1-based places they promise are written,
// nothing around them, in the documented order of accumulation.
#include "MatrixTestSupport.h"

#include <numeric>

namespace {

using mtest::OwnedMatrix;

constexpr double kS = -777.25; // sentinel

// A rows x cols matrix inside a sentinel frame [0..rows+1] x [0..cols+1] that shows stray writes.
OwnedMatrix FramedMatrix(long rows, long cols) {
    return OwnedMatrix(rows + 1, cols + 1, kS, 0);
}
// The framed a holds `inner` row by row in [1..rows] x [1..cols] and the sentinel everywhere else.
void ExpectFramed(const OwnedMatrix& a, long rows, long cols, const std::vector<double>& inner) {
    OwnedMatrix expected = FramedMatrix(rows, cols);
    for (long i = 1; i <= rows; ++i) {
        std::copy_n(inner.begin() + (i - 1) * cols, cols, expected[i] + 1);
    }
    EXPECT_EQ(a.Values(), expected.Values());
}
// A 1-based vector with sentinels at index 0 and n + 1.
std::vector<double> FramedVector(std::vector<double> v) {
    v.insert(v.begin(), kS);
    v.push_back(kS);
    return v;
}

// Only places flagged exactly 1 receive y[1], y[2], ... in turn; k is not used.
TEST(MatrixElementwise, ReplaceSubVectorScattersIntoPlacesFlaggedOne) {
    std::vector<short> flags = {1, 1, 2, 0, -1, 1, 1}; // flags[0] and flags[6] lie outside 1..5
    for (long unusedK : {0L, 2L, -5L, 99L}) {
        std::vector<double> x = FramedVector({1, 2, 3, 4, 5}), y = {kS, 10, 20, kS};
        EXPECT_TRUE(Matrix().ReplaceSubVector(x.data(), y.data(), 5, unusedK, flags.data()));
        EXPECT_EQ(x, FramedVector({10, 2, 3, 4, 20})) << "k = " << unusedK;
    }
}

TEST(MatrixElementwise, MultiplyByATransposeMatchesHandComputation) {
    OwnedMatrix a(3, 2, {1, 2, 3, 4, 5, 6}), b(3, 2, {7, 8, 9, 10, 11, 12}), c = FramedMatrix(2, 2);
    EXPECT_TRUE(Matrix().MultiplyByATranspose(a.get(), b.get(), c.get(), 2, 3, 2));
    ExpectFramed(c, 2, 2,
                 {1 * 7 + 3 * 9 + 5 * 11, 1 * 8 + 3 * 10 + 5 * 12, 2 * 7 + 4 * 9 + 6 * 11,
                  2 * 8 + 4 * 10 + 6 * 12});
}

// Ascending k: (1e16 + 1) - 1e16 rounds to 0, any other order of the three terms gives 1.
TEST(MatrixElementwise, MultiplyByATransposeAccumulatesInAscendingK) {
    OwnedMatrix a(3, 1, {1e16, 1.0, -1e16}), b(3, 1, 1.0), c(1, 1, kS);
    Matrix().MultiplyByATranspose(a.get(), b.get(), c.get(), 1, 3, 1);
    EXPECT_EQ(c[1][1], 0.0);
}

TEST(MatrixElementwise, MultiplyByATransposeWithNoRowsZeroesTheResult) {
    OwnedMatrix a(1, 3, kS), b(1, 2, kS), c = FramedMatrix(3, 2);
    EXPECT_TRUE(Matrix().MultiplyByATranspose(a.get(), b.get(), c.get(), 3, 0, 2));
    ExpectFramed(c, 3, 2, std::vector<double>(6, 0.0));
}

TEST(MatrixElementwise, CountsBelowOneWriteNothing) {
    const Matrix mat;
    std::vector<double> v = FramedVector({1, 2});
    OwnedMatrix a = FramedMatrix(2, 2), b = FramedMatrix(2, 2), c = FramedMatrix(2, 2);
    for (long n : {0L, -1L}) {
        EXPECT_TRUE(mat.ZeroVector(v.data(), n));
        EXPECT_TRUE(mat.ScalarMultiply(v.data(), v.data(), 2.0, n));
        EXPECT_TRUE(mat.ZeroMatrix(a.get(), n, 2));
        EXPECT_TRUE(mat.ZeroMatrix(a.get(), 2, n));
        EXPECT_TRUE(mat.MultiplyByATranspose(b.get(), b.get(), c.get(), n, 2, 2));
        EXPECT_TRUE(mat.MultiplyByATranspose(b.get(), b.get(), c.get(), 2, 2, n - 2));
    }
    EXPECT_EQ(v, FramedVector({1, 2}));
    ExpectFramed(a, 2, 2, std::vector<double>(4, kS));
    ExpectFramed(c, 2, 2, std::vector<double>(4, kS));
}

TEST(MatrixElementwise, ZeroAndScalarMultiplyWriteExactlyTheirRange) {
    const Matrix mat;
    std::vector<double> x = FramedVector({1.5, -2, 4}), y = FramedVector({0, 0, 0});
    EXPECT_TRUE(mat.ScalarMultiply(x.data(), y.data(), 3.0, 3));
    EXPECT_EQ(y, FramedVector({4.5, -6, 12}));
    EXPECT_EQ(x, FramedVector({1.5, -2, 4}));
    EXPECT_TRUE(mat.ScalarMultiply(x.data(), x.data(), -0.5, 3)); // in place
    EXPECT_EQ(x, FramedVector({-0.75, 1, -2}));
    EXPECT_TRUE(mat.ScalarMultiply(x.data(), y.data(), 10.0, 1));
    EXPECT_EQ(y, FramedVector({-7.5, -6, 12}));
    EXPECT_TRUE(mat.ZeroVector(x.data(), 3));
    EXPECT_EQ(x, FramedVector({0, 0, 0}));
    OwnedMatrix a = FramedMatrix(2, 3);
    EXPECT_TRUE(mat.ZeroMatrix(a.get(), 2, 3));
    ExpectFramed(a, 2, 3, std::vector<double>(6, 0.0));
}

// Each row or column copy runs along its own count only; the other count changes nothing.
TEST(MatrixElementwise, RowAndColumnCopiesTouchOnlyTheirLine) {
    const Matrix mat;
    for (long unused : {0L, -7L, 1L, 1000L}) {
        SCOPED_TRACE(unused);
        OwnedMatrix a = FramedMatrix(3, 4);
        for (long i = 1; i <= 3; ++i) {
            std::iota(a[i] + 1, a[i] + 5, double(10 * i + 1)); // a[i][j] = 10 i + j
        }
        const OwnedMatrix before(a);
        std::vector<double> col = FramedVector({0, 0, 0}), row = FramedVector({0, 0, 0, 0});
        EXPECT_TRUE(mat.GetColumnVector(a.get(), col.data(), 3, unused, 2));
        EXPECT_EQ(col, FramedVector({12, 22, 32}));
        EXPECT_TRUE(mat.GetRowVector(a.get(), row.data(), unused, 4, 3));
        EXPECT_EQ(row, FramedVector({31, 32, 33, 34}));
        col = FramedVector({-1, -2, -3});
        row = FramedVector({-1, -2, -3, -4});
        EXPECT_TRUE(mat.ReplaceIthColumnVector(a.get(), col.data(), 3, unused, 4));
        EXPECT_TRUE(mat.ReplaceIthRowVector(a.get(), row.data(), unused, 4, 1));
        for (long i = 0; i <= 4; ++i) {
            for (long j = 0; j <= 5; ++j) {
                const bool inRow = i == 1 && j >= 1 && j <= 4,
                           inColumn = j == 4 && i >= 1 && i <= 3;
                EXPECT_EQ(a[i][j], inRow ? -j : inColumn ? -i : before[i][j]) << i << "," << j;
            }
        }
    }
}

} // namespace
