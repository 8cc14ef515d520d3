// Householder reflections in the manner of LAPACK's dlarfg and dlarf.
#include "torvik/HouseholderReflection.h"

#include <algorithm>
#include <cmath>

namespace torvik {

double Dot(const double* x, const double* y, int length) {
    double even = 0.0;
    double odd = 0.0;
    int i = 0;
    for (; i + 1 < length; i += 2) {
        even += x[i] * y[i];
        odd += x[i + 1] * y[i + 1];
    }
    if (i < length) {
        even += x[i] * y[i];
    }
    return even + odd;
}

// The plain sum of squares where it is safely inside the range of double; otherwise (overflow,
// or squares lost to underflow) the values are divided by the largest magnitude first.
double Norm2(const double* v, int length) {
    const double sum = Dot(v, v, length);
    if (sum >= 0x1p-900 && sum <= 0x1p+900) {
        return std::sqrt(sum);
    }
    double largest = 0.0;
    for (int i = 0; i < length; ++i) {
        largest = std::max(largest, std::fabs(v[i]));
    }
    if (largest == 0.0) {
        return 0.0;
    }
    double scaled = 0.0;
    for (int i = 0; i < length; ++i) {
        const double q = v[i] / largest;
        scaled += q * q;
    }
    return largest * std::sqrt(scaled);
}

namespace {

// sqrt(a^2 + b^2) without overflow or harmful underflow, from correctly rounded operations only,
// so that it gives the same bits with every C library.
double Hypotenuse(double a, double b) {
    const double larger = std::max(std::fabs(a), std::fabs(b));
    if (larger == 0.0) {
        return 0.0;
    }
    const double p = a / larger;
    const double q = b / larger;
    return larger * std::sqrt(p * p + q * q);
}

} // namespace

double MakeReflection(double* x, int length) {
    const double alpha = x[0];
    const double tailNorm = Norm2(x + 1, length - 1);
    if (tailNorm == 0.0) {
        return 0.0;
    }
    const double beta = -std::copysign(Hypotenuse(alpha, tailNorm), alpha);
    const double divisor = alpha - beta;   // |divisor| >= |beta| >= every |x[i]|: no overflow
    if (std::fabs(divisor) >= 0x1p-1000) { // a reciprocal that cannot overflow: multiply
        const double inverse = 1.0 / divisor;
        for (int i = 1; i < length; ++i) {
            x[i] *= inverse;
        }
    } else {
        for (int i = 1; i < length; ++i) {
            x[i] /= divisor;
        }
    }
    x[0] = beta;
    return (beta - alpha) / beta;
}

void ApplyReflection(const double* reflector, double tau, double* x, int length) {
    if (tau == 0.0 || length < 1) {
        return;
    }
    const double scaled = tau * (x[0] + Dot(reflector + 1, x + 1, length - 1));
    x[0] -= scaled;
    for (int i = 1; i < length; ++i) {
        x[i] -= scaled * reflector[i];
    }
}

} // namespace torvik
