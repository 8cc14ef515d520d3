// Extended-precision arithmetic for residuals and sums: the 80-bit long double of x86 (64-bit
// significand) where the platform has it, and double-double arithmetic (the unevaluated sum
// hi + lo of two doubles, about 106 bits) where long double is no wider than double, or where 64
// bits are not enough.
//
// The double-double operations rest on error-free transformations (Knuth's TwoSum, Dekker's
// TwoProduct with Veltkamp's split): exact in IEEE double arithmetic with rounding to nearest, no
// excess precision and no fused multiply-add (the build passes -ffp-contract=off). Operands must
// stay below 2^995 in magnitude so that the split cannot overflow; the routines use them on
// quantities scaled to about 1.
#pragma once

#include <limits>
#include <type_traits>

namespace torvik {

// sum + error = a + b exactly, sum = fl(a + b).
inline void TwoSum(double a, double b, double& sum, double& error) {
    sum = a + b;
    const double bPart = sum - a;
    const double aPart = sum - bPart;
    error = (a - aPart) + (b - bPart);
}

// The same when |a| >= |b| (or a = 0), in three operations.
inline void FastTwoSum(double a, double b, double& sum, double& error) {
    sum = a + b;
    error = b - (sum - a);
}

// product + error = a * b exactly, product = fl(a * b) (barring underflow).
inline void TwoProduct(double a, double b, double& product, double& error) {
    constexpr double kSplitter = 134217729.0; // 2^27 + 1: halves of 26 and 27 bits
    product = a * b;
    const double aScaled = kSplitter * a;
    const double aHigh = aScaled - (aScaled - a);
    const double aLow = a - aHigh;
    const double bScaled = kSplitter * b;
    const double bHigh = bScaled - (bScaled - b);
    const double bLow = b - bHigh;
    error = ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow;
}

// A double-double number hi + lo with |lo| <= ulp(hi) / 2.
struct DoubleDouble {
    double hi = 0.0;
    double lo = 0.0;
    DoubleDouble() = default;
    explicit DoubleDouble(double value) : hi(value) {}
    DoubleDouble(double high, double low) : hi(high), lo(low) {}
};

// Sum with both parts added error-free, so that cancellation between the operands keeps the
// relative accuracy of the result (about 2^-104).
inline DoubleDouble operator+(DoubleDouble a, DoubleDouble b) {
    double s, e, t, f;
    TwoSum(a.hi, b.hi, s, e);
    TwoSum(a.lo, b.lo, t, f);
    e += t;
    FastTwoSum(s, e, s, e);
    e += f;
    FastTwoSum(s, e, s, e);
    return {s, e};
}

// sum += term with one error-free transformation: the error is within 2^-104 of |sum| + |term|
// rather than of the result, which is all an accumulation of many terms needs.
inline void Accumulate(DoubleDouble& sum, DoubleDouble term) {
    double s, e;
    TwoSum(sum.hi, term.hi, s, e);
    e += sum.lo + term.lo;
    FastTwoSum(s, e, sum.hi, sum.lo);
}

inline void Accumulate(long double& sum, long double term) {
    sum += term;
}

inline DoubleDouble operator-(DoubleDouble a) {
    return {-a.hi, -a.lo};
}

inline DoubleDouble operator-(DoubleDouble a, DoubleDouble b) {
    return a + -b;
}

inline DoubleDouble operator*(DoubleDouble a, double b) {
    double p, e;
    TwoProduct(a.hi, b, p, e);
    e += a.lo * b;
    FastTwoSum(p, e, p, e);
    return {p, e};
}

inline DoubleDouble operator*(DoubleDouble a, DoubleDouble b) {
    double p, e;
    TwoProduct(a.hi, b.hi, p, e);
    e += a.hi * b.lo + a.lo * b.hi;
    FastTwoSum(p, e, p, e);
    return {p, e};
}

// Long division: two quotient digits and a correction from the exact remainders.
inline DoubleDouble operator/(DoubleDouble a, DoubleDouble b) {
    const double q1 = a.hi / b.hi;
    DoubleDouble remainder = a - b * q1;
    const double q2 = remainder.hi / b.hi;
    remainder = remainder - b * q2;
    const double q3 = remainder.hi / b.hi;
    double s, e;
    FastTwoSum(q1, q2, s, e);
    return DoubleDouble(s, e) + DoubleDouble(q3);
}

// The nearest double (to within one rounding of the low part).
inline double Rounded(DoubleDouble value) {
    return value.hi + value.lo;
}

inline double Rounded(long double value) {
    return static_cast<double>(value);
}

// Multiplication by a power of two (a double), exact barring overflow or underflow.
inline DoubleDouble TimesPowerOfTwo(DoubleDouble value, double power) {
    return {value.hi * power, value.lo * power};
}

inline long double TimesPowerOfTwo(long double value, double power) {
    return value * power;
}

// The platform's cheaper extended type: long double where its significand is wider than
// double's, double-double elsewhere (such as where long double is double).
constexpr bool kLongDoubleIsWider = std::numeric_limits<long double>::digits > 53;
using Extended = std::conditional_t<kLongDoubleIsWider, long double, DoubleDouble>;

} // namespace torvik
