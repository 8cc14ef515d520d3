// Exact scaling by powers of two, which keeps sums and factorisations away from overflow.
#pragma once

#include <algorithm>
#include <cmath>

namespace torvik {

// Division by 2^exponent, as a multiplication by the reciprocal: exact unless the quotient is
// subnormal. The exponent is limited to [-1022, 1022], so that the reciprocal is always a normal
// number; values at the very ends of the range of double then scale into [2^-3, 4) instead of
// [1/2, 1), which changes nothing that matters.
struct PowerOfTwo {
    // The power of two just above largest (a largest magnitude; 1 for 0).
    explicit PowerOfTwo(double largest) {
        std::frexp(largest, &exponent);
        exponent = std::max(-1022, std::min(1022, exponent));
        reciprocal = std::ldexp(1.0, -exponent);
    }
    double Divide(double value) const { return value * reciprocal; }

    int exponent = 0;
    double reciprocal = 1.0;
};

} // namespace torvik
