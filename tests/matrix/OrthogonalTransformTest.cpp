// Householder reflections and Givens rotations by their defining properties: the reflection
// maps its vector onto the pivot axis (sign opposite to the pivot's) and leaves a vector beyond
// its segment alone; the rotation turns (a, b) into (r, 0); the safe hypotenuse survives where
// the squares overflow.
#include "MatrixTestSupport.h"

#include <cfloat>
#include <numeric>

namespace {

// v[1] the pivot (p = 1), v[2..m] the tail (l = 2); m = 1 has an empty tail.
TEST(HouseHolderTransform, MapsItsVectorOntoThePivotAxis) {
    const std::vector<double> cases[] = {
        {0, 3, 4, 55}, {0, -3, 4, 55}, {0, 0, 2, 55}, {0, 0.5, -1, 2, 55}, {0, -2, 55}};
    for (const std::vector<double>& v : cases) {
        const long m = long(v.size()) - 2;
        const double norm =
            std::sqrt(std::inner_product(v.begin() + 1, v.end() - 1, v.begin() + 1, 0.0));
        double up = 0.0, b = 0.0;
        std::vector<double> w = v;
        ASSERT_TRUE(Matrix().HouseHolderTransform(w.data(), up, b, m, 1, 2));
        ASSERT_TRUE(Matrix().HouseHolderTransformVector(w.data(), up, b, w.data(), m, 1, 2));
        EXPECT_NEAR(w[1], v[1] > 0.0 ? -norm : norm, 1e-15) << "v[1] = " << v[1];
        for (long i = 2; i <= m; ++i) {
            EXPECT_NEAR(w[i], 0.0, 1e-15) << i;
        }
        EXPECT_EQ(w[m + 1], 55.0);
    }
}

// Definition and Vector give the same (c, s); Vector and the two-component form turn (a, b)
// into (r, 0).
TEST(GivensRotation, WorkedValues) {
    const double cases[][5] = {// a, b, c, s, r
                               {3, 4, 0.6, 0.8, 5},
                               {-4, 3, -0.8, 0.6, 5},
                               {0, 0, 1, 0, 0},
                               {0, -7, 0, -1, 7}};
    for (const auto& [a0, b0, c0, s0, r0] : cases) {
        SCOPED_TRACE(testing::Message() << "(" << a0 << ", " << b0 << ")");
        double a = a0, b = b0, c = 0.0, s = 0.0, c2 = 0.0, s2 = 0.0, x = a0, y = b0;
        ASSERT_TRUE(Matrix().GivensRotationDefinition(a, b, c, s));
        ASSERT_TRUE(Matrix().GivensRotationVector(a, b, c2, s2));
        ASSERT_TRUE(Matrix().GivensRotationTwoComponent(x, y, c, s));
        const double got[] = {c, s, a, b, x, y}, expected[] = {c0, s0, r0, 0.0, r0, 0.0};
        for (int k = 0; k < 6; ++k) {
            EXPECT_NEAR(got[k], expected[k], 1e-15) << k;
        }
        EXPECT_EQ(std::vector<double>({c2, s2}), std::vector<double>({c, s}));
    }
    const double big = DBL_MAX / 2.0;
    EXPECT_EQ(Matrix().Pythag(-4.0, 3.0), 5.0);
    EXPECT_NEAR(Matrix().Pythag(big, -big) / big, std::sqrt(2.0), 4 * DBL_EPSILON);
}

} // namespace
