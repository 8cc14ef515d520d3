// Householder reflections and Givens rotations: worked values of the construction and of its
// application, including the refused zero segment, the empty tail and the tie branch.
#include "MatrixTestSupport.h"

namespace {

constexpr double kNotWritten = -777.0;

struct HouseholderCase {
    std::vector<double> v; // v[1] the pivot (p = 1), v[2..m] the tail (l = 2)
    bool built;
    double s, up, b; // s: the value the reflection gives to the pivot
};

TEST(HouseHolderTransform, WorkedValuesBuildAndApply) {
    const HouseholderCase cases[] = {
        {{3, 4}, true, -5, 8, -1.0 / 40}, {{-3, 4}, true, 5, -8, -1.0 / 40},
        {{0, 2}, true, 2, -2, -0.25},     {{0, 0, 0}, false, 0, 0, 0},
        {{-2}, true, 2, -4, -1.0 / 8}, // empty tail (l > m)
    };
    for (const HouseholderCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "v[1] = " << c.v[0] << ", m = " << c.v.size());
        std::vector<double> v = c.v;
        v.insert(v.begin(), 99.0); // index 0 unused
        const long m = long(c.v.size());
        const std::vector<double> original = v;
        double up = kNotWritten, b = kNotWritten;
        ASSERT_EQ(Matrix().HouseHolderTransform(v.data(), up, b, m, 1, 2), c.built);
        EXPECT_EQ(v, original); // the defining vector is only read
        if (!c.built) {
            EXPECT_EQ(up, kNotWritten);
            EXPECT_EQ(b, kNotWritten);
            continue;
        }
        EXPECT_DOUBLE_EQ(up, c.up);
        EXPECT_DOUBLE_EQ(b, c.b);
        std::vector<double> w = v;
        w.push_back(55.0); // beyond m: must stay
        ASSERT_TRUE(Matrix().HouseHolderTransformVector(v.data(), up, b, w.data(), m, 1, 2));
        EXPECT_DOUBLE_EQ(w[1], c.s);
        for (long i = 2; i <= m; ++i) {
            EXPECT_NEAR(w[i], 0.0, 1e-15);
        }
        EXPECT_EQ(w[0], 99.0);
        EXPECT_EQ(w[m + 1], 55.0);
    }
}

// Raw squares of 3e-180 and 4e-180 underflow to 0; the scaled sum still gives |s| = 5e-180.
TEST(HouseHolderTransform, ScaledSumOfSquaresSurvivesUnderflow) {
    double v[] = {0.0, 3e-180, 4e-180}, up = 0.0, b = 0.0;
    ASSERT_TRUE(Matrix().HouseHolderTransform(v, up, b, 2, 1, 2));
    EXPECT_DOUBLE_EQ(up, 8e-180);
}

// Definition and Vector give the same (c, s); Vector also turns (a, b) into (r, 0).
TEST(GivensRotation, WorkedValuesDefinitionAndVectorAgree) {
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
        EXPECT_EQ(a, a0);
        EXPECT_EQ(b, b0);
        EXPECT_DOUBLE_EQ(c, c0);
        EXPECT_DOUBLE_EQ(s, s0);
        ASSERT_TRUE(Matrix().GivensRotationVector(a, b, c2, s2));
        EXPECT_EQ(c2, c);
        EXPECT_EQ(s2, s);
        EXPECT_DOUBLE_EQ(a, r0);
        EXPECT_EQ(b, 0.0);
    }
}

TEST(GivensRotation, TwoComponentRotatesFromTheOldValues) {
    const double cases[][6] = {{3, 4, 0.6, 0.8, 5, 0}, {1, 0, 0, 1, 0, -1}, {2, 5, -1, 0, -2, -5}};
    for (const auto& [x0, y0, c, s, x1, y1] : cases) {
        double x = x0, y = y0;
        ASSERT_TRUE(Matrix().GivensRotationTwoComponent(x, y, c, s));
        EXPECT_NEAR(x, x1, 1e-15);
        EXPECT_NEAR(y, y1, 1e-15); // 0.6 * 4 - 0.8 * 3 is -4.4e-16 in doubles
    }
}

} // namespace
