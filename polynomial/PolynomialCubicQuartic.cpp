// Closed-form roots of cubics (Cardano's formula, with Viete's trigonometric form for three
// real roots) and quartics (depression, then Ferrari's factorisation through a resolvent cubic).
// Every expression keeps the documented grouping; -ffp-contract=off keeps it unfused.
#include "OstraPureMath/Polynomial.h"
#include "polynomial/PolynomialNumerics.h"

#include <cmath>

using namespace opm::detail::poly;

namespace {

// Real cube root of -r, through pow on a non-negative base.
double CubeRootOfNegated(double r) {
    return r > 0.0 ? -std::pow(r, kCubeRootExponent) : std::pow(-r, kCubeRootExponent);
}

// The first value, in the list's order, strictly above the zero tolerance; 0.0 when there is none.
double FirstAboveZeroTolerance(const RootList& values) {
    for (int i = 0; i < values.count; ++i) {
        if (values.value[i] > kZeroTolerance) {
            return values.value[i];
        }
    }
    return 0.0;
}

// Roots of y^4 + p y^2 + r: for each root z > 0 of z^2 + p z + r, in the quadratic's order, the
// pair -sqrt(z), +sqrt(z).
void BiquadraticRoots(double p, double r, RootList& roots) {
    const double coefs[] = {r, p, 1.0};
    RootList z;
    QuadraticRoots(coefs, z);
    roots.count = 0;
    for (int i = 0; i < z.count; ++i) {
        if (z.value[i] > 0.0) {
            const double root = std::sqrt(z.value[i]);
            roots.Push(-root);
            roots.Push(root);
        }
    }
}

// Roots of y^4 + p y^2 + q y + r = (y^2 + sv y + (t - k)/2)(y^2 - sv y + (t + k)/2), with
// u = sv^2 a positive root of the resolvent, t = u + p and k = q / sv (Ferrari).
void FerrariRoots(double p, double q, double u, RootList& roots) {
    const double sv = std::sqrt(u);
    const double t = sv * sv + p;
    const double k = q / sv;
    const double first[] = {(t - k) * kHalf, sv, 1.0};
    const double second[] = {(k + t) * kHalf, -sv, 1.0};
    QuadraticRoots(first, roots);
    RootList more;
    QuadraticRoots(second, more);
    for (int i = 0; i < more.count; ++i) {
        roots.Push(more.value[i]);
    }
}

} // namespace

void opm::detail::poly::CubicRoots(const double* coefs, RootList& roots) {
    const double a2 = coefs[2] / coefs[3];
    const double a1 = coefs[1] / coefs[3];
    const double a0 = coefs[0] / coefs[3];
    const double q = (kThree * a1 - a2 * a2) / kNine;
    const double r = (((a2 + a2) * a2 * a2 - (kNine * a2) * a1) + kTwentySeven * a0) / kFiftyFour;
    const double d = q * q * q + r * r;
    const double shift = a2 / kThree;

    roots.count = 0;
    if (IsNegligible(d, 0)) {
        // Multiple root: 2u - s is simple, -(u + s) double; equal candidates are a triple root.
        const double u = CubeRootOfNegated(r);
        const double first = (u + u) - shift;
        roots.Push(first);
        const double second = -(u + shift);
        if (!IsNegligible(second - first, 0)) {
            roots.Push(second);
        }
    } else if (d > 0.0) {
        // One real root (Cardano).
        const double t = std::pow(std::sqrt(d) + std::fabs(r), kCubeRootExponent);
        double v = t - q / t;
        if (r >= 0.0) {
            v = -v;
        }
        roots.Push(v - shift);
    } else {
        // Three distinct real roots (trigonometric form); -Q^3 is formed as Q * (-Q * Q).
        const double theta = std::acos(r / std::sqrt(q * (-q * q)));
        const double m = kMinusTwo * std::sqrt(-q);
        roots.Push(m * std::cos(theta / kThree) - shift);
        roots.Push(m * std::cos((theta + kFirstAngleOffset) / kThree) - shift);
        roots.Push(m * std::cos((theta + kSecondAngleOffset) / kThree) - shift);
    }
}

void opm::detail::poly::QuarticRoots(const double* coefs, RootList& roots) {
    const double b3 = coefs[3] / coefs[4];
    const double b2 = coefs[2] / coefs[4];
    const double b1 = coefs[1] / coefs[4];
    const double b0 = coefs[0] / coefs[4];
    // Depressed quartic y^4 + p y^2 + q y + r with x = y - b3/4.
    const double p = b2 - (kThree * b3 * b3) * kOneEighth;
    const double q = (IntegerPower(b3, 3) * kOneEighth + b1) - (b2 * b3) * kHalf;
    const double r =
        ((b0 - (IntegerPower(b3, 4) * kThree) * kOneOver256) + (b2 * b3 * b3) * kOneSixteenth) -
        (b1 * b3) * kQuarter;

    if (IsNegligible(r, 0)) {
        // y = 0 is a root; the others solve y^3 + p y + q = 0.
        const double depressedCubic[] = {q, p, 0.0, 1.0};
        CubicRoots(depressedCubic, roots);
        roots.Push(0.0);
    } else {
        // Ferrari needs a resolvent root above the zero tolerance; without one (q negligible, or
        // every root tiny or negative) the quartic is solved as the biquadratic y^4 + p y^2 + r.
        // A resolvent root below 1e-14 means sv below 1e-7, swamped by the resolvent's rounding:
        // dropping q y there is the sv -> 0 limit of the factorisation.
        double u = 0.0;
        if (!IsNegligible(q, 0)) {
            // Resolvent cubic u^3 + 2p u^2 + (p^2 - 4r) u - q^2.
            const double resolvent[] = {-q * q, p * p - kFour * r, p + p, 1.0};
            RootList w;
            CubicRoots(resolvent, w);
            u = FirstAboveZeroTolerance(w);
        }
        if (u > kZeroTolerance) {
            FerrariRoots(p, q, u, roots);
        } else {
            BiquadraticRoots(p, r, roots);
        }
    }

    const double back = b3 * kQuarter;
    for (int i = 0; i < roots.count; ++i) {
        roots.value[i] -= back;
    }
}

void Polynomial::SolveCubic(const std::vector<double>& coefs, std::vector<double>& roots) {
    RootList list;
    CubicRoots(coefs.data(), list);
    list.CopyTo(roots);
}

void Polynomial::SolveQuartic(const std::vector<double>& coefs, std::vector<double>& roots) {
    RootList list;
    QuarticRoots(coefs.data(), list);
    list.CopyTo(roots);
}
