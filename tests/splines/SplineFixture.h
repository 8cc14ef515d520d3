// Spline arrays sized exactly as the contract needs (n elements each; index n of the coefficient
// arrays must stay untouched), handed over as 1-based pointers so that AddressSanitizer reports
// any access to index 0 or beyond index n.
#pragma once

#include "OstraPureMath/Splines.h"

#include <gtest/gtest.h>

#include <vector>

// Placed in every output before a call, to show which ones were written.
constexpr double kSentinel = -7.25e33;

struct MaxResult {
    bool found;
    double slope = kSentinel, xMax = kSentinel, yMax = kSentinel;
};
struct CentroidResult {
    double area = kSentinel, xCentroid = kSentinel, yCentroid = kSentinel;
};

// The test-side spline; as the friend of Splines it reaches the private evaluation members.
class SplinesTestAccess {
public:
    SplinesTestAccess(std::vector<double> xs, std::vector<double> ys)
        : n(long(xs.size())), x(std::move(xs)), y(std::move(ys)), c3(n, kSentinel),
          c2(n, kSentinel), c1(n, kSentinel), m(n, kSentinel) {}

    // 1-based view of a 0-based vector.
    static double* One(std::vector<double>& v) { return v.data() - 1; }
    static const double* One(const std::vector<double>& v) { return v.data() - 1; }

    SplinesTestAccess& Build(long code) {
        EXPECT_TRUE(
            Splines().CubicSplines(One(x), One(y), code, n, One(c3), One(c2), One(c1), One(m)));
        return *this;
    }
    double Eval(double X) const {
        return Splines().CubicSplineEval(X, n, One(x), One(y), One(c3), One(c2), One(c1));
    }
    double Der(double X) const {
        return Splines().CubicSplineDer(X, n, One(x), One(c3), One(c2), One(c1));
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
    MaxResult Max(double a, double b, long knots = 0) const {
        MaxResult r;
        r.found = Splines().CubicSplineMax(a, b, knots ? knots : n, One(x), One(y), One(c3),
                                           One(c2), One(c1), r.slope, r.xMax, r.yMax);
        return r;
    }
    CentroidResult Centroid(double a, double b) const {
        CentroidResult r;
        Splines().CubicSplineCentroid(a, b, n, One(x), One(y), One(c3), One(c2), One(c1), r.area,
                                      r.xCentroid, r.yCentroid);
        return r;
    }
    // 1-based element access.
    double Cubic(long i) const { return c3[i - 1]; }
    double Quad(long i) const { return c2[i - 1]; }
    double Lin(long i) const { return c1[i - 1]; }
    double X(long k) const { return x[k - 1]; }
    void ExpectIndexNUntouched() const {
        EXPECT_EQ(Cubic(n), kSentinel);
        EXPECT_EQ(Quad(n), kSentinel);
        EXPECT_EQ(Lin(n), kSentinel);
    }

    long n;
    std::vector<double> x, y, c3, c2, c1, m;
};
using Spline = SplinesTestAccess;
