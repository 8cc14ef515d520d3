// Householder reflections and Givens rotations by their defining properties: the reflection
// maps its vector onto the pivot axis and is an isometry and an involution; the rotation turns
// (a, b) into (r, 0); the safe hypotenuse survives where the squares overflow.
#include "MatrixTestSupport.h"

#include <cfloat>

namespace {

double Norm(const std::vector<double>& v) {
    double s = 0.0;
    for (std::size_t i = 1; i < v.size(); ++i) {
        s += v[i] * v[i];
    }
    return std::sqrt(s);
}

// v[1] the pivot (p = 1), v[2..m] the tail (l = 2); index 0 and index m + 1 must stay as they
// are. m = 1 has an empty tail.
TEST(HouseHolderTransform, MapsItsVectorOntoThePivotAxisAndIsAnIsometry) {
    const Matrix mat;
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (const long m : {1L, 2L, 7L}) {
        for (const double pivot : {0.75, -0.75, 0.0}) {
            SCOPED_TRACE(testing::Message() << "m " << m << ", pivot " << pivot);
            std::vector<double> v(m + 2, 55.0), c(m + 2, 55.0);
            for (long i = 1; i <= m; ++i) {
                v[i] = i == 1 ? pivot : uniform(rng);
                c[i] = uniform(rng);
            }
            if (m == 1 && pivot == 0.0) {
                continue;
            }
            const std::vector<double> v0 = v, c0 = c;
            double up = 0.0, b = 0.0;
            ASSERT_TRUE(mat.HouseHolderTransform(v.data(), up, b, m, 1, 2));
            EXPECT_EQ(v, v0); // the defining vector is only read
            std::vector<double> w = v;
            ASSERT_TRUE(mat.HouseHolderTransformVector(v.data(), up, b, w.data(), m, 1, 2));
            const double s =
                (pivot > 0.0 ? -1.0 : 1.0) * Norm(std::vector<double>(v.begin(), v.end() - 1));
            EXPECT_NEAR(w[1], s, 1e-15);
            for (long i = 2; i <= m; ++i) {
                EXPECT_NEAR(w[i], 0.0, 1e-15) << i;
            }
            ASSERT_TRUE(mat.HouseHolderTransformVector(v.data(), up, b, c.data(), m, 1, 2));
            EXPECT_NEAR(Norm({c.begin(), c.end() - 1}), Norm({c0.begin(), c0.end() - 1}), 1e-15);
            ASSERT_TRUE(mat.HouseHolderTransformVector(v.data(), up, b, c.data(), m, 1, 2));
            mtest::ExpectVectorsNear(c.data(), c0.data(), m, 1e-15); // H H = I
            EXPECT_EQ(c[0], 55.0);
            EXPECT_EQ(c[m + 1], 55.0);
        }
    }
    double zero[] = {9.0, 0.0, 0.0, 0.0}, up = -2.0, b = -3.0;
    EXPECT_FALSE(mat.HouseHolderTransform(zero, up, b, 3, 1, 2));
    EXPECT_EQ(up, -2.0);
    EXPECT_EQ(b, -3.0);
}

// Definition and Vector give the same (c, s); Vector also turns (a, b) into (r, 0), and the
// two-component form rotates (x, y) from their old values.
TEST(GivensRotation, WorkedValues) {
    const double r2 = std::sqrt(2.0);
    const double cases[][5] = {// a, b, c, s, r
                               {3, 4, 0.6, 0.8, 5},
                               {-4, 3, -0.8, 0.6, 5},
                               {2, -2, 1 / r2, -1 / r2, 2 * r2},
                               {0, 0, 1, 0, 0},
                               {0, -7, 0, -1, 7}};
    for (const auto& [a0, b0, c0, s0, r0] : cases) {
        SCOPED_TRACE(testing::Message() << "(" << a0 << ", " << b0 << ")");
        double a = a0, b = b0, c = 0.0, s = 0.0, c2 = 0.0, s2 = 0.0;
        ASSERT_TRUE(Matrix().GivensRotationDefinition(a, b, c, s));
        EXPECT_DOUBLE_EQ(c, c0);
        EXPECT_DOUBLE_EQ(s, s0);
        ASSERT_TRUE(Matrix().GivensRotationVector(a, b, c2, s2));
        EXPECT_EQ(c2, c);
        EXPECT_EQ(s2, s);
        EXPECT_DOUBLE_EQ(a, r0);
        EXPECT_EQ(b, 0.0);
        double x = a0, y = b0;
        ASSERT_TRUE(Matrix().GivensRotationTwoComponent(x, y, c, s));
        EXPECT_NEAR(x, r0, 1e-15);
        EXPECT_NEAR(y, 0.0, 1e-15);
    }
}

TEST(Pythag, WorkedValuesAndArgumentsWhoseSquaresOverflow) {
    const Matrix mat;
    EXPECT_EQ(mat.Pythag(3.0, -4.0), 5.0);
    EXPECT_EQ(mat.Pythag(-4.0, 3.0), 5.0);
    EXPECT_EQ(mat.Pythag(0.0, 0.0), 0.0);
    const double big = DBL_MAX / 2.0;
    EXPECT_NEAR(mat.Pythag(big, -big) / big, std::sqrt(2.0), 4 * DBL_EPSILON);
}

} // namespace
