// Constants, helpers and the array-based closed forms shared by the root finders of Polynomial.
// Each constant is defined here once; the solvers evaluate their formulas with these exact
// decimal constants so that their results are reproducible to the last bit. The closed forms
// work on plain arrays and a fixed-size root list, so the public operations need no heap
// storage beyond their out-vector; the protected member solvers are thin wrappers over them.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace opm::detail::poly {

// Zero tolerance of every negligibility test of the root finders.
constexpr double kZeroTolerance = 1e-14;
// Abscissa scale: a coefficient of power k is negligible below kZeroTolerance / 262000^k, i.e.
// when its term stays below the tolerance for every |x| up to 262000.
constexpr double kAbscissaScale = 262000.0;

// Cardano (cubic) constants. The exponent is the double nearest to 1/3.
constexpr double kCubeRootExponent = 0.3333333333333333;
// Angle offsets of the second and third trigonometric roots. They are deliberately these short
// decimals and not 2*pi and 4*pi: the documented roots (a few ppm off) depend on them.
constexpr double kFirstAngleOffset = 6.28318;
constexpr double kSecondAngleOffset = 12.56636;
constexpr double kThree = 3.0;
constexpr double kNine = 9.0;
constexpr double kTwentySeven = 27.0;
constexpr double kFiftyFour = 54.0;
constexpr double kMinusOne = -1.0;
constexpr double kMinusTwo = -2.0;

// Depression (quartic) constants: x = y - b3/4 and Ferrari's resolvent.
constexpr double kOneEighth = 0.125;
constexpr double kHalf = 0.5;
constexpr double kOneOver256 = 0.00390625;
constexpr double kOneSixteenth = 0.0625;
constexpr double kQuarter = 0.25;
constexpr double kFour = 4.0;

// base^power for power >= 0 by repeated squaring (binary exponentiation); power 0 gives exactly 1.
// The multiplication order is fixed, so the rounding of every result is reproducible.
inline double IntegerPower(double base, unsigned power) {
    double result = 1.0;
    for (;;) {
        if ((power & 1u) != 0) {
            result *= base;
        }
        power >>= 1;
        if (power == 0) {
            return result;
        }
        base *= base;
    }
}

// Scaled-zero test: the coefficient value v of power k is negligible when
// |v| < 1e-14 / 262000^k. Strict: a value equal to the bound is kept; a NaN is never negligible.
inline bool IsNegligible(double v, unsigned power) {
    return std::fabs(v) < kZeroTolerance / IntegerPower(kAbscissaScale, power);
}

// Root of c0 + c1*x, with the IEEE result (infinity or NaN) for a zero slope.
inline double LinearRoot(double c0, double c1) {
    return -(c0 / c1);
}

// Up to four real roots, in the order a closed form produces them.
struct RootList {
    double value[4] = {};
    int count = 0;

    void Push(double root) { value[count++] = root; }
    // Ascending by operator< (insertion sort: equal values stay, and NaNs cannot break it).
    void SortAscending() {
        for (int i = 1; i < count; ++i) {
            const double key = value[i];
            int j = i;
            for (; j > 0 && key < value[j - 1]; --j) {
                value[j] = value[j - 1];
            }
            value[j] = key;
        }
    }
    // Replaces the whole contents of out with these roots; a reused out-vector of enough
    // capacity needs no allocation.
    void CopyTo(std::vector<double>& out) const {
        out.clear();
        for (int i = 0; i < count; ++i) {
            out.push_back(value[i]);
        }
    }
};

// The closed forms. coefs is lowest power first and is read at exactly 3, 4 or 5 elements; the
// list is replaced. Orders and formulas as documented for Polynomial's protected solvers.
void QuadraticRoots(const double* coefs, RootList& roots);
void CubicRoots(const double* coefs, RootList& roots);
void QuarticRoots(const double* coefs, RootList& roots);

// derivative[i - 1] = i * coefs[i] for i = 1 .. n - 1 (n >= 2 coefficients in).
void Differentiate(const double* coefs, std::size_t n, double* derivative);

} // namespace opm::detail::poly
