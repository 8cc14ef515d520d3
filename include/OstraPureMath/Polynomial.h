// Polynomial: one real polynomial in one variable, its value, derivative, real roots of
// P(x) = y up to degree four and the abscissae of its extrema up to degree five.
//
// Coefficient vectors hold the coefficient of x^i at element i (0-based, lowest power first):
// {5, 3, 0, 2} is 5 + 3x + 2x^3. A vector of n elements has degree n - 1; the empty vector is the
// zero polynomial. Nothing trims a zero or tiny leading coefficient.
//
// Roots are closed-form (no iteration or polishing) and real only. Multiple roots may appear once
// or several times, exactly as the formulas produce them. No operation reports an error:
// degenerate input (a zero leading coefficient, NaN or infinite coefficients) passes IEEE
// infinities and NaNs through into values and roots.
//
// Negligibility: a coefficient value v of power k counts as zero when |v| < 1e-14 / 262000^k
// (strict; a NaN never counts as zero).
//
// Storage: the coefficient vector and every out-vector use std::allocator, so running out of
// memory raises std::bad_alloc (nothing is caught). Out-vectors are owned by the caller; each
// operation replaces their whole contents (old elements never survive). The root finders work
// in fixed local storage: an out-vector reused with capacity for four roots needs no allocation.
//
// Threads: every operation only reads the object, so concurrent calls on one object are safe as
// long as no assignment to it runs at the same time and each call has its own out-vector.
#pragma once

#include "OstraPureMath/Export.h"

#include <vector>

class OPM_API Polynomial {
public:
    // Holds a copy of the coefficients (the vector is only read).
    explicit Polynomial(std::vector<double>& coefficients);
    // Holds a copy of other's coefficients; the two objects never share storage.
    Polynomial(const Polynomial& other);
    ~Polynomial();
    // Replace the coefficients by a copy of other's (self-assignment changes nothing).
    Polynomial& operator=(const Polynomial& other);
    // Replace the coefficients by a copy of the given vector.
    Polynomial& operator=(const std::vector<double>& coefficients);

    // P(x) by Horner's rule from the highest power down; 0.0 for the empty polynomial.
    double GetY(double x);

    // Coefficients of P' (element i - 1 = i * coefficient i), n - 1 elements, untrimmed:
    // {5, 3, 0, 2} gives {3, 0, 6}. Empty for a constant or empty polynomial.
    std::vector<double> GetFirstDer();

    // roots = every real x with P(x) = y, sorted ascending by operator< (equal values kept, a
    // NaN root left unordered), for degree 1 to 4.
    // Works on a copy of the coefficients with y subtracted from the constant term; the leading
    // coefficient is used as it stands (a zero one yields infinities/NaNs). Degree 0, the empty
    // polynomial and degree above 4 give an empty `roots`. Degree 3 with three real roots uses
    // the trigonometric form whose angle offsets are 6.28318 and 12.56636 (not 2pi and 4pi):
    // its second and third roots carry errors of a few parts per million, so x^3 - 6x^2 + 11x - 6
    // gives 1, 2.0000040855, 2.9999989786.
    void Solve(double y, std::vector<double>& roots);

    // extremaX = the real zeros of P' (stationary points, inflection points included, not
    // classified), sorted ascending, for degree up to 5. The derivative's leading coefficients
    // are first trimmed while negligible for their own power (bounds 1e-14, ~3.8168e-20,
    // ~1.4568e-25, ~5.5603e-31, ~2.1222e-36 for powers 0 to 4). A constant, line or empty
    // polynomial, a derivative trimmed to a constant, and degree above 5 give an empty result.
    void GetExtremaX(std::vector<double>& extremaX);

protected:
    // The solvers below never read the object's coefficients: they work only on `coefs`
    // (0-based, lowest power first) and read the documented number of elements without checking
    // its size. Passing fewer is undefined behaviour. Results are unsorted, in the order stated.

    // Root of coefs[0] + coefs[1] x: -(coefs[0] / coefs[1]); a zero slope gives inf or NaN.
    double SolveLinear(std::vector<double>& coefs);

    // Real roots of coefs[2] x^2 + coefs[1] x + coefs[0] (reads 3 elements). With
    // disc = coefs[1]^2 - 4 coefs[2] coefs[0]: disc < 0 empties `roots`; otherwise `roots` gets
    // (-coefs[1] - sqrt(disc)) / (2 coefs[2]) first and, unless sqrt(disc) < 1e-14 (then a double
    // root reported once), (sqrt(disc) - coefs[1]) / (2 coefs[2]) second. A NaN disc gives one
    // NaN root.
    void SolveQuadratic(const std::vector<double>& coefs, std::vector<double>& roots);

    // Real roots of a cubic (reads 4 elements, coefs[3] the cubic coefficient) by Cardano's
    // method, with a_i = coefs[i] / coefs[3], Q = (3a1 - a2^2) / 9,
    // R = (2a2^3 - 9a2 a1 + 27a0) / 54, D = Q^3 + R^2 and s = a2 / 3:
    // - |D| < 1e-14 (multiple root): with u the real cube root of -R, 2u - s, then -(u + s)
    //   unless it lies within 1e-14 of the first (a triple root is reported once);
    // - D > 0: the one real root;
    // - otherwise three roots from the trigonometric form, in the order of the angle offsets
    //   0, 6.28318, 12.56636 (x^3 - 6x^2 + 11x - 6 gives 1, 2.9999989786, 2.0000040855).
    void SolveCubic(const std::vector<double>& coefs, std::vector<double>& roots);

    // Real roots of a quartic (reads 5 elements, coefs[4] the quartic coefficient), through the
    // depressed quartic y^4 + p y^2 + q y + r with x = y - b3/4 (b3 = coefs[3] / coefs[4]):
    // - |r| < 1e-14: the depressed cubic's roots (SolveCubic order), then the root y = 0;
    // - else |q| < 1e-14 (biquadratic): for each root z > 0 of z^2 + p z + r, in SolveQuadratic
    //   order, the pair -sqrt(z), +sqrt(z);
    // - else Ferrari: u = the first root above 1e-14 of the resolvent cubic
    //   u^3 + 2p u^2 + (p^2 - 4r) u - q^2 (SolveCubic order); the two quadratic factors' roots,
    //   first y^2 + sqrt(u) y + ..., then y^2 - sqrt(u) y + ....
    // Choice of this library: when no resolvent root exceeds 1e-14 (the positive root is tiny,
    // because q is small against p^2 - 4r, or pushed down by rounding, and the others are
    // negative or complex), no root is read past those found: the quartic is solved as the
    // biquadratic y^4 + p y^2 + r, the sqrt(u) -> 0 limit of the factorisation, which drops the
    // q y term (a root error of order |q| / |4y^3 + 2py|; Ferrari with a resolvent root that
    // small would divide q by a square root swamped by the resolvent's rounding).
    // Finally b3/4 is subtracted from every root.
    void SolveQuartic(const std::vector<double>& coefs, std::vector<double>& roots);

private:
    std::vector<double> m_coefficients;
};
