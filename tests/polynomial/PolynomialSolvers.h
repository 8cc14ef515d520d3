// Shared by the polynomial tests: the closed-form solvers reached, and products of polynomials.
#pragma once

#include "OstraPureMath/Polynomial.h"

#include <vector>

// Exposes the protected closed-form solvers; they never read the object's own coefficients.
class Solvers : public Polynomial {
public:
    using Polynomial::Polynomial;
    using Polynomial::SolveCubic;
    using Polynomial::SolveLinear;
    using Polynomial::SolveQuadratic;
    using Polynomial::SolveQuartic;
};

// coefs * factor, both lowest power first.
inline void Multiply(std::vector<double>& coefs, const std::vector<double>& factor) {
    std::vector<double> product(coefs.size() + factor.size() - 1, 0.0);
    for (std::size_t i = 0; i < coefs.size(); ++i) {
        for (std::size_t j = 0; j < factor.size(); ++j) {
            product[i + j] += coefs[i] * factor[j];
        }
    }
    coefs = product;
}
