// Shared helpers of the polynomial tests.
#pragma once

#include "OstraPureMath/Polynomial.h"

#include <gtest/gtest.h>

#include <vector>

// Exposes the protected closed-form solvers; they never read the object's own coefficients.
class PolynomialSolvers : public Polynomial {
public:
    explicit PolynomialSolvers(std::vector<double> coefficients = {}) : Polynomial(coefficients) {}
    using Polynomial::SolveCubic;
    using Polynomial::SolveLinear;
    using Polynomial::SolveQuadratic;
    using Polynomial::SolveQuartic;
};

// Same length, and element i within tolerance of expected[i] (order matters).
inline void ExpectRootsNear(const std::vector<double>& actual, const std::vector<double>& expected,
                            double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "root " << i;
    }
}

// Five stale values: a result that keeps any of them has not replaced the out-vector's contents.
inline std::vector<double> StaleRoots() {
    return {99.0, 99.0, 99.0, 99.0, 99.0};
}
