// Householder reflections and Givens rotations: worked values of the construction and of its
// application, including the refused zero segment, the empty tail and the tie branch.
#include "OstraPureMath/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const double kNotWritten = -777.0; // sentinel: up and b must keep it when nothing is built

struct HouseholderCase {
    std::vector<double> v; // v[1] is the pivot (p = 1), v[2..] the tail (l = 2)
    bool built;
    double s, up, b; // s: the value the reflection gives to the pivot
};

class HouseholderTable : public ::testing::TestWithParam<HouseholderCase> {};

TEST_P(HouseholderTable, BuildsAndAppliesTheReflection) {
    const HouseholderCase& c = GetParam();
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
        return;
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
    EXPECT_EQ(w[std::size_t(m + 1)], 55.0);
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, HouseholderTable,
                         ::testing::Values(HouseholderCase{{3, 4}, true, -5, 8, -1.0 / 40},
                                           HouseholderCase{{-3, 4}, true, 5, -8, -1.0 / 40},
                                           HouseholderCase{{0, 2}, true, 2, -2, -0.25},
                                           HouseholderCase{{0, 0, 0}, false, 0, 0, 0},
                                           HouseholderCase{
                                               {-2}, true, 2, -4, -1.0 / 8})); // empty tail (l > m)

// Raw squares of 3e-180 and 4e-180 underflow to 0; the scaled sum still gives |s| = 5e-180.
TEST(HouseHolderTransform, ScaledSumOfSquaresSurvivesUnderflow) {
    double v[] = {0.0, 3e-180, 4e-180};
    double up = 0.0, b = 0.0;
    ASSERT_TRUE(Matrix().HouseHolderTransform(v, up, b, 2, 1, 2));
    EXPECT_DOUBLE_EQ(up, 8e-180);
}

struct GivensCase {
    double a, b;
    double c, s, r; // expected rotation and rotated a (b becomes 0, or stays for (0, 0))
};

class GivensTable : public ::testing::TestWithParam<GivensCase> {};

TEST_P(GivensTable, DefinitionAndVectorAgree) {
    const GivensCase& g = GetParam();
    double a = g.a, b = g.b, c = 0.0, s = 0.0;
    ASSERT_TRUE(Matrix().GivensRotationDefinition(a, b, c, s));
    EXPECT_EQ(a, g.a);
    EXPECT_EQ(b, g.b);
    EXPECT_DOUBLE_EQ(c, g.c);
    EXPECT_DOUBLE_EQ(s, g.s);
    double c2 = 0.0, s2 = 0.0;
    ASSERT_TRUE(Matrix().GivensRotationVector(a, b, c2, s2));
    EXPECT_EQ(c2, c);
    EXPECT_EQ(s2, s);
    EXPECT_DOUBLE_EQ(a, g.r);
    EXPECT_EQ(b, 0.0);
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, GivensTable,
                         ::testing::Values(GivensCase{3, 4, 0.6, 0.8, 5},
                                           GivensCase{-4, 3, -0.8, 0.6, 5},
                                           GivensCase{2, -2, 1 / std::sqrt(2.0),
                                                      -1 / std::sqrt(2.0), 2 * std::sqrt(2.0)},
                                           GivensCase{0, 0, 1, 0, 0}, GivensCase{0, -7, 0, -1, 7}));

TEST(GivensRotationTwoComponent, RotatesFromTheOldValues) {
    struct Case {
        double x, y, c, s, x1, y1;
    };
    for (const Case& k :
         {Case{3, 4, 0.6, 0.8, 5, 0}, Case{1, 0, 0, 1, 0, -1}, Case{2, 5, -1, 0, -2, -5}}) {
        double x = k.x, y = k.y;
        ASSERT_TRUE(Matrix().GivensRotationTwoComponent(x, y, k.c, k.s));
        EXPECT_NEAR(x, k.x1, 1e-15);
        EXPECT_NEAR(y, k.y1, 1e-15); // 0.6 * 4 - 0.8 * 3 is -4.4e-16 in doubles
    }
}

} // namespace
