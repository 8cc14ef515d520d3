// Elementwise, row and column operations: exactly the 1-based places they promise are written,
// nothing around them, in the documented order of accumulation.
#include "OstraPureMath/Matrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kSentinel = -777.25;

// A matrix over [0..rows+1] x [0..cols+1] filled with the sentinel: the 1-based operations may
// write only inside [1..rows] x [1..cols], so the frame around it shows any stray write.
class FramedMatrix {
public:
    FramedMatrix(long rows, long cols) : rows_(rows), cols_(cols) {
        m_ = mat_.dMatrix(0, rows + 1, 0, cols + 1);
        for (long i = 0; i <= rows + 1; ++i) {
            for (long j = 0; j <= cols + 1; ++j) {
                m_[i][j] = kSentinel;
            }
        }
    }
    ~FramedMatrix() { mat_.dMatrixFree(m_, 0, rows_ + 1, 0, cols_ + 1); }
    FramedMatrix(const FramedMatrix&) = delete;
    FramedMatrix& operator=(const FramedMatrix&) = delete;

    double** get() const { return m_; }
    double* operator[](long i) const { return m_[i]; }
    // Counts the elements of the whole frame that no longer hold the sentinel.
    long Written() const {
        long count = 0;
        for (long i = 0; i <= rows_ + 1; ++i) {
            for (long j = 0; j <= cols_ + 1; ++j) {
                count += m_[i][j] != kSentinel;
            }
        }
        return count;
    }

private:
    Matrix mat_;
    long rows_;
    long cols_;
    double** m_;
};

// A 1-based vector with sentinels at index 0 and n + 1.
std::vector<double> Framed(std::vector<double> values) {
    values.insert(values.begin(), kSentinel);
    values.push_back(kSentinel);
    return values;
}

TEST(MatrixElementwise, ReplaceSubVectorScattersIntoPlacesFlaggedExactlyOne) {
    const Matrix mat;
    std::vector<double> x = Framed({1, 2, 3});
    std::vector<double> y = {kSentinel, 10, 20};
    std::vector<short> flags = {1, 1, 0, 1, 1}; // flags[0] and flags[4] lie outside 1..n
    EXPECT_TRUE(mat.ReplaceSubVector(x.data(), y.data(), 3, 0, flags.data()));
    EXPECT_EQ(x, Framed({10, 2, 20}));
}

TEST(MatrixElementwise, ReplaceSubVectorTreatsOtherFlagValuesAsZeroAndIgnoresK) {
    const Matrix mat;
    std::vector<short> flags = {0, 2, 1, -1, 1, 0};
    for (long unusedK : {0L, 2L, -5L, 99L}) {
        std::vector<double> x = Framed({1, 2, 3, 4, 5});
        std::vector<double> y = {kSentinel, 10, 20, kSentinel};
        EXPECT_TRUE(mat.ReplaceSubVector(x.data(), y.data(), 5, unusedK, flags.data()));
        EXPECT_EQ(x, Framed({1, 10, 3, 20, 5})) << "k = " << unusedK;
    }
}

TEST(MatrixElementwise, MultiplyByATransposeMatchesHandComputation) {
    const Matrix mat;
    // a is q x p = 3 x 2, b is q x r = 3 x 2, c = a^T b is 2 x 2.
    FramedMatrix a(3, 2), b(3, 2), c(2, 2);
    const double av[3][2] = {{1, 2}, {3, 4}, {5, 6}};
    const double bv[3][2] = {{7, 8}, {9, 10}, {11, 12}};
    for (long k = 1; k <= 3; ++k) {
        for (long j = 1; j <= 2; ++j) {
            a[k][j] = av[k - 1][j - 1];
            b[k][j] = bv[k - 1][j - 1];
        }
    }
    EXPECT_TRUE(mat.MultiplyByATranspose(a.get(), b.get(), c.get(), 2, 3, 2));
    EXPECT_EQ(c[1][1], 1 * 7 + 3 * 9 + 5 * 11);
    EXPECT_EQ(c[1][2], 1 * 8 + 3 * 10 + 5 * 12);
    EXPECT_EQ(c[2][1], 2 * 7 + 4 * 9 + 6 * 11);
    EXPECT_EQ(c[2][2], 2 * 8 + 4 * 10 + 6 * 12);
    EXPECT_EQ(c.Written(), 4);
}

// The sum runs over k in ascending order: (1e16 + 1) - 1e16 rounds to 0 that way, while any
// other order of the three terms gives 1.
TEST(MatrixElementwise, MultiplyByATransposeAccumulatesInAscendingK) {
    const Matrix mat;
    FramedMatrix a(3, 1), b(3, 1), c(1, 1);
    a[1][1] = 1e16;
    a[2][1] = 1.0;
    a[3][1] = -1e16;
    b[1][1] = b[2][1] = b[3][1] = 1.0;
    mat.MultiplyByATranspose(a.get(), b.get(), c.get(), 1, 3, 1);
    EXPECT_EQ(c[1][1], 0.0);
}

TEST(MatrixElementwise, MultiplyByATransposeWithNoRowsZeroesTheResult) {
    const Matrix mat;
    FramedMatrix a(1, 3), b(1, 2), c(3, 2);
    EXPECT_TRUE(mat.MultiplyByATranspose(a.get(), b.get(), c.get(), 3, 0, 2));
    for (long i = 1; i <= 3; ++i) {
        for (long j = 1; j <= 2; ++j) {
            EXPECT_EQ(c[i][j], 0.0);
        }
    }
    EXPECT_EQ(c.Written(), 6);
}

TEST(MatrixElementwise, MultiplyByATransposeWithEmptyResultWritesNothing) {
    const Matrix mat;
    FramedMatrix a(2, 2), b(2, 2), c(2, 2);
    const long shapes[][2] = {{0, 2}, {2, 0}, {-1, 2}, {2, -3}};
    for (const auto& pr : shapes) {
        EXPECT_TRUE(mat.MultiplyByATranspose(a.get(), b.get(), c.get(), pr[0], 2, pr[1]));
    }
    EXPECT_EQ(c.Written(), 0);
}

TEST(MatrixElementwise, ScalarMultiplyWritesYFromXAndWorksInPlace) {
    const Matrix mat;
    std::vector<double> x = Framed({1.5, -2, 4});
    std::vector<double> y = Framed({0, 0, 0});
    EXPECT_TRUE(mat.ScalarMultiply(x.data(), y.data(), 3.0, 3));
    EXPECT_EQ(y, Framed({4.5, -6, 12}));
    EXPECT_EQ(x, Framed({1.5, -2, 4}));
    EXPECT_TRUE(mat.ScalarMultiply(x.data(), x.data(), -0.5, 3));
    EXPECT_EQ(x, Framed({-0.75, 1, -2}));
    EXPECT_TRUE(mat.ScalarMultiply(x.data(), y.data(), 10.0, 1));
    EXPECT_EQ(y, Framed({-7.5, -6, 12}));
}

TEST(MatrixElementwise, CountsBelowOneWriteNothing) {
    const Matrix mat;
    std::vector<double> v = Framed({1, 2});
    const std::vector<double> before = v;
    for (long n : {0L, -1L}) {
        EXPECT_TRUE(mat.ZeroVector(v.data(), n));
        EXPECT_TRUE(mat.ScalarMultiply(v.data(), v.data(), 2.0, n));
    }
    EXPECT_EQ(v, before);
    FramedMatrix a(2, 2);
    const long shapes[][2] = {{0, 2}, {2, 0}, {-1, -1}};
    for (const auto& mn : shapes) {
        EXPECT_TRUE(mat.ZeroMatrix(a.get(), mn[0], mn[1]));
    }
    EXPECT_EQ(a.Written(), 0);
}

TEST(MatrixElementwise, ZeroVectorAndZeroMatrixClearExactlyTheirRange) {
    const Matrix mat;
    std::vector<double> v = Framed({1, 2, 3});
    EXPECT_TRUE(mat.ZeroVector(v.data(), 3));
    EXPECT_EQ(v, Framed({0, 0, 0}));
    FramedMatrix a(2, 3);
    EXPECT_TRUE(mat.ZeroMatrix(a.get(), 2, 3));
    EXPECT_EQ(a.Written(), 6);
    for (long i = 1; i <= 2; ++i) {
        for (long j = 1; j <= 3; ++j) {
            EXPECT_EQ(a[i][j], 0.0);
        }
    }
}

// Each row or column operation uses only the count that runs along the copied line; whatever
// is passed as the other count changes nothing.
class RowColumnCopies : public ::testing::TestWithParam<long> {
protected:
    static constexpr long kRows = 3;
    static constexpr long kCols = 4;
    void SetUp() override {
        for (long i = 1; i <= kRows; ++i) {
            for (long j = 1; j <= kCols; ++j) {
                a[i][j] = double(10 * i + j);
            }
        }
    }
    const Matrix mat;
    FramedMatrix a{kRows, kCols};
};

TEST_P(RowColumnCopies, GetColumnVectorReadsColumnJ) {
    std::vector<double> v = Framed({0, 0, 0});
    EXPECT_TRUE(mat.GetColumnVector(a.get(), v.data(), kRows, GetParam(), 2));
    EXPECT_EQ(v, Framed({12, 22, 32}));
}

TEST_P(RowColumnCopies, GetRowVectorReadsRowI) {
    std::vector<double> v = Framed({0, 0, 0, 0});
    EXPECT_TRUE(mat.GetRowVector(a.get(), v.data(), GetParam(), kCols, 3));
    EXPECT_EQ(v, Framed({31, 32, 33, 34}));
}

TEST_P(RowColumnCopies, ReplaceIthColumnVectorWritesColumnJOnly) {
    std::vector<double> v = Framed({-1, -2, -3});
    EXPECT_TRUE(mat.ReplaceIthColumnVector(a.get(), v.data(), kRows, GetParam(), 4));
    for (long i = 1; i <= kRows; ++i) {
        EXPECT_EQ(a[i][4], -double(i));
        EXPECT_EQ(a[i][3], double(10 * i + 3));
        EXPECT_EQ(a[i][5], kSentinel);
    }
    EXPECT_EQ(a[0][4], kSentinel);
    EXPECT_EQ(a[kRows + 1][4], kSentinel);
}

TEST_P(RowColumnCopies, ReplaceIthRowVectorWritesRowIOnly) {
    std::vector<double> v = Framed({-1, -2, -3, -4});
    EXPECT_TRUE(mat.ReplaceIthRowVector(a.get(), v.data(), GetParam(), kCols, 1));
    for (long j = 1; j <= kCols; ++j) {
        EXPECT_EQ(a[1][j], -double(j));
        EXPECT_EQ(a[2][j], double(20 + j));
        EXPECT_EQ(a[0][j], kSentinel);
    }
    EXPECT_EQ(a[1][0], kSentinel);
    EXPECT_EQ(a[1][kCols + 1], kSentinel);
}

INSTANTIATE_TEST_SUITE_P(UnusedCount, RowColumnCopies, ::testing::Values(0L, -7L, 1L, 1000L));

} // namespace
