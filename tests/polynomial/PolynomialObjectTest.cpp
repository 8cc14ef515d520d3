// Construction, copying, assignment, evaluation and derivative of Polynomial.
#include "PolynomialTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct EvaluationCase {
    std::vector<double> coefs;
    double x;
    double y;
};

TEST(PolynomialObject, GetYUsesLowestPowerFirst) {
    const EvaluationCase cases[] = {
        {{1, 2, 3}, 2.0, 17.0},      // 1 + 2x + 3x^2
        {{5, 3, 0, 2}, -2.0, -17.0}, // 5 + 3x + 2x^3
        {{7}, 1e300, 7.0},           // constant everywhere
        {{}, 3.0, 0.0},              // empty polynomial is zero
    };
    for (const auto& c : cases) {
        std::vector<double> coefs = c.coefs;
        EXPECT_EQ(Polynomial(coefs).GetY(c.x), c.y) << "x = " << c.x;
    }
}

TEST(PolynomialObject, FirstDerivativeKeepsZeroCoefficients) {
    std::vector<double> cubic{5, 3, 0, 2};
    EXPECT_EQ(Polynomial(cubic).GetFirstDer(), (std::vector<double>{3, 0, 6}));
    std::vector<double> constant{7};
    EXPECT_TRUE(Polynomial(constant).GetFirstDer().empty());
    std::vector<double> empty;
    EXPECT_TRUE(Polynomial(empty).GetFirstDer().empty());
}

TEST(PolynomialObject, CopiesAreIndependent) {
    std::vector<double> coefs{1, 2, 3};
    Polynomial original(coefs);
    coefs[0] = 100.0; // the constructor copied
    Polynomial copy(original);
    copy = std::vector<double>{0, 1};
    EXPECT_EQ(original.GetY(2.0), 17.0);
    EXPECT_EQ(copy.GetY(2.0), 2.0);

    copy = original;
    original = std::vector<double>{4};
    EXPECT_EQ(copy.GetY(2.0), 17.0);
    const Polynomial& alias = copy;
    copy = alias; // self-assignment changes nothing
    EXPECT_EQ(copy.GetY(2.0), 17.0);
}

} // namespace
