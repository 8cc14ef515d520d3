// Spline arrays for the tests, sized exactly as the contract needs (x, y, secondDer: n elements;
// coefficients: n elements, of which index n must stay untouched) and handed to the library as
// 1-based pointers, so that AddressSanitizer reports any access to index 0 or beyond index n.
#pragma once

#include "OstraPureMath/Splines.h"

#include <gtest/gtest.h>

#include <vector>

// Reaches the private evaluation members.
class SplinesTestAccess {
public:
    static double Eval(const Splines& s, double X, long n, const double* x, const double* y,
                       const double* c3, const double* c2, const double* c1) {
        return s.CubicSplineEval(X, n, x, y, c3, c2, c1);
    }
    static double Der(const Splines& s, double X, long n, const double* x, const double* c3,
                      const double* c2, const double* c1) {
        return s.CubicSplineDer(X, n, x, c3, c2, c1);
    }
};

namespace splines_test {

// Value placed in every output element before a call, to show which ones were written.
constexpr double kSentinel = -7.25e33;

struct Spline {
    Spline(std::vector<double> xs, std::vector<double> ys)
        : n(long(xs.size())), x(std::move(xs)), y(std::move(ys)), c3(n, kSentinel),
          c2(n, kSentinel), c1(n, kSentinel), m(n, kSentinel) {}

    // 1-based view of a 0-based vector.
    static double* One(std::vector<double>& v) { return v.data() - 1; }
    static const double* One(const std::vector<double>& v) { return v.data() - 1; }

    Spline& Build(long code) {
        EXPECT_TRUE(
            Splines().CubicSplines(One(x), One(y), code, n, One(c3), One(c2), One(c1), One(m)));
        return *this;
    }
    double Eval(double X) const {
        return SplinesTestAccess::Eval(Splines(), X, n, One(x), One(y), One(c3), One(c2), One(c1));
    }
    double Der(double X) const {
        return SplinesTestAccess::Der(Splines(), X, n, One(x), One(c3), One(c2), One(c1));
    }
    double Integral(double from, double to) const {
        double area = kSentinel;
        Splines().CubicSplineIntegrate(from, to, n, One(x), One(y), One(c3), One(c2), One(c1),
                                       area);
        return area;
    }
    double Solve(double target, double lo, double hi) const {
        double root = kSentinel;
        Splines().CubicSplineSolve(target, lo, hi, n, One(x), One(y), One(c3), One(c2), One(c1),
                                   root);
        return root;
    }
    // 1-based element access for expectations.
    double M(long k) const { return m[k - 1]; }
    double Cubic(long i) const { return c3[i - 1]; }
    double Quad(long i) const { return c2[i - 1]; }
    double Lin(long i) const { return c1[i - 1]; }
    double X(long k) const { return x[k - 1]; }

    long n;
    std::vector<double> x, y, c3, c2, c1, m;
};

} // namespace splines_test
