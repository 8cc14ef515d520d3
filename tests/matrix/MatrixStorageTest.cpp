// Storage layout of offset vectors and row-pointer matrices.
#include "OstraPureMath/Matrix.h"

#include <gtest/gtest.h>

namespace {

TEST(MatrixStorage, RowPointerMatrixRowsAreContiguous) {
    Matrix mat;
    double** m = mat.dMatrix(1, 3, 1, 2);
    EXPECT_EQ(m[2], m[1] + 2);
    EXPECT_EQ(m[3], m[2] + 2);
    mat.dMatrixFree(m, 1, 3, 1, 2);
}

} // namespace
