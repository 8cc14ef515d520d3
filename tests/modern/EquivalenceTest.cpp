// One check per family: seeded random inputs go through the compatible routine, through opm::
// and through the C interface. Each path gathers all its outputs, in the same order, into one
// vector, and the three vectors must hold the same bits. The compatible routines' results may
// change (other work improves them); the three paths must agree in every build.
#include "ModernTestSupport.h"
#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/HostArrays.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Splines.h"
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/opm.h"
#include "OstraPureMath/opm/CubicSpline.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "OstraPureMath/opm/Statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using modern_test::ExpectSameBits;

struct Paths {
    std::vector<double> compat, modern, c;

    void ExpectAgree() const {
        EXPECT_GT(compat.size(), 100u); // the check covers a real amount of output
        ExpectSameBits(compat, modern, "opm:: against the compatible routines");
        ExpectSameBits(compat, c, "the C interface against the compatible routines");
    }
};

void Append(std::vector<double>& out, const std::vector<double>& values) {
    out.insert(out.end(), values.begin(), values.end());
}

class Rng {
public:
    explicit Rng(unsigned seed) : engine_(seed) {}
    double Uniform(double lo, double hi) {
        return std::uniform_real_distribution<>(lo, hi)(engine_);
    }
    long Int(long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(engine_); }
    std::vector<double> Values(long count, double lo, double hi) {
        std::vector<double> v(static_cast<std::size_t>(count));
        for (double& e : v) {
            e = Uniform(lo, hi);
        }
        return v;
    }
    // count strictly increasing values, steps in [minStep, maxStep].
    std::vector<double> Increasing(long count, double minStep, double maxStep) {
        std::vector<double> v(static_cast<std::size_t>(count));
        double x = Uniform(-5.0, 5.0);
        for (double& e : v) {
            e = x;
            x += Uniform(minStep, maxStep);
        }
        return v;
    }

private:
    std::mt19937_64 engine_;
};

// A row-major matrix as the compatible interface takes it (from Matrix::dMatrix, 1-based).
class Rows {
public:
    Rows(long rows, long cols, const std::vector<double>& rowMajor = {})
        : rows_(rows), cols_(cols), a_(Matrix().dMatrix(1, rows, 1, cols)) {
        for (long i = 0; i < rows * cols; ++i) {
            a_[1 + i / cols][1 + i % cols] = rowMajor.empty() ? 0.0 : rowMajor[std::size_t(i)];
        }
    }
    ~Rows() { Matrix().dMatrixFree(a_, 1, rows_, 1, cols_); }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;
    double** get() const { return a_; }
    std::vector<double> Values(long rows, long cols) const {
        std::vector<double> v;
        for (long i = 1; i <= rows; ++i) {
            v.insert(v.end(), a_[i] + 1, a_[i] + 1 + cols);
        }
        return v;
    }
    std::vector<double> Values() const { return Values(rows_, cols_); }

private:
    long rows_, cols_;
    double** a_;
};

// A 0-based vector as a 1-based array (element 0 unused) and back.
std::vector<double> OneBased(const std::vector<double>& v) {
    std::vector<double> out(1, 0.0);
    Append(out, v);
    return out;
}
std::vector<double> ZeroBased(const std::vector<double>& v, std::size_t count) {
    return std::vector<double>(v.begin() + 1, v.begin() + 1 + long(count));
}

TEST(Equivalence, DenseLinearAlgebra) {
    Rng rng(14);
    Paths p;
    const Matrix mat;
    for (int trial = 0; trial < 30; ++trial) {
        const long n = rng.Int(1, 7), m = n + rng.Int(0, 5), nb = rng.Int(1, 3);
        std::vector<double> a = rng.Values(m * n, -10, 10), b = rng.Values(m * nb, -10, 10);
        if (trial % 4 == 0 && n > 1) { // a rank-deficient matrix: two equal columns
            for (long i = 0; i < m; ++i) {
                a[std::size_t(i * n)] = a[std::size_t(i * n + n - 1)];
            }
        }
        const double tolerance = trial % 3 == 0 ? 0.0 : (trial % 3 == 1 ? 1e-12 : 1e-3);

        // Least squares by the SVD: solution, residuals, rank, converged.
        Rows A(m, n, a), B(m, nb, b), X(n, nb);
        std::vector<double> residual(std::size_t(nb) + 1);
        long rank = n;
        bool converged = false;
        ASSERT_TRUE(mat.SingularValueDecomposition(A.get(), B.get(), X.get(), residual.data(), m,
                                                   rank, nb, tolerance, converged));
        Append(p.compat, X.Values());
        Append(p.compat, ZeroBased(residual, std::size_t(nb)));
        p.compat.insert(p.compat.end(), {double(rank), double(converged)});
        const opm::LeastSquaresSolution s =
            opm::leastSquares({a.data(), std::size_t(m), std::size_t(n)},
                              {b.data(), std::size_t(m), std::size_t(nb)}, tolerance);
        Append(p.modern, s.solution.values());
        Append(p.modern, s.residualSumOfSquares);
        p.modern.insert(p.modern.end(), {double(s.rank), double(s.converged)});
        const std::size_t un = std::size_t(n), unb = std::size_t(nb);
        std::vector<double> x(un * unb), sv(un), res(unb);
        std::size_t cRank = 0;
        int cConverged = -1;
        ASSERT_EQ(opm_least_squares(a.data(), std::size_t(m), std::size_t(n), b.data(),
                                    std::size_t(nb), tolerance, x.data(), sv.data(), &cRank,
                                    res.data(), &cConverged),
                  OPM_OK);
        Append(p.c, x);
        Append(p.c, res);
        p.c.insert(p.c.end(), {double(cRank), double(cConverged)});
        // The singular values are the driver's own: the C interface agrees, and they give the
        // rank the driver chose (those above max(tolerance, 1e-15) times the largest).
        ExpectSameBits(s.singularValues, sv, "singular values through C");
        const double threshold = std::max(tolerance, 1e-15) * s.singularValues[0];
        EXPECT_EQ(std::count_if(sv.begin(), sv.end(), [&](double d) { return d > threshold; }),
                  rank);

        // Compact SVD and its back-substitution (m may be below n here).
        const long cm = rng.Int(1, 7), cn = rng.Int(1, 7);
        const std::vector<double> ca = rng.Values(cm * cn, -5, 5), cb = rng.Values(cm, -5, 5);
        Rows U(cm, cn, ca), V(cn, cn);
        std::vector<double> w(std::size_t(cn) + 1), bb = OneBased(cb), xs(std::size_t(cn) + 1);
        ASSERT_TRUE(mat.SingularValueDecompNRC(U.get(), cm, cn, w.data(), V.get()));
        mat.SingularValueBackSubNRC(U.get(), w.data(), V.get(), cm, cn, bb.data(), xs.data());
        for (const auto& part : {U.Values(), ZeroBased(w, std::size_t(cn)), V.Values(),
                                 ZeroBased(xs, std::size_t(cn))}) {
            Append(p.compat, part);
        }
        const opm::CompactSvd svd = opm::compactSvd({ca.data(), std::size_t(cm), std::size_t(cn)});
        for (const auto& part : {svd.u.values(), svd.w, svd.v.values(),
                                 opm::compactSvdSolve(svd.u, svd.w, svd.v, cb)}) {
            Append(p.modern, part);
        }
        const std::size_t ucm = std::size_t(cm), ucn = std::size_t(cn);
        std::vector<double> cu(ucm * ucn), cw(ucn), cv(ucn * ucn), cx(ucn);
        ASSERT_EQ(opm_compact_svd(ca.data(), std::size_t(cm), std::size_t(cn), cu.data(), cw.data(),
                                  cv.data()),
                  OPM_OK);
        ASSERT_EQ(opm_compact_svd_solve(cu.data(), cw.data(), cv.data(), std::size_t(cm),
                                        std::size_t(cn), cb.data(), 0.0, cx.data()),
                  OPM_OK);
        for (const auto& part : {cu, cw, cv, cx}) {
            Append(p.c, part);
        }

        // Cholesky factor and inverse of G^T G + n I; LU solve of a diagonally dominant
        // matrix; Vandermonde weights over distinct abscissae.
        const std::size_t k = std::size_t(rng.Int(1, 7));
        const std::vector<double> g = rng.Values(long(k * k), -1, 1);
        std::vector<double> spd(k * k), dominant = rng.Values(long(k * k), -1, 1);
        for (std::size_t i = 0; i < k; ++i) {
            for (std::size_t j = 0; j < k; ++j) {
                for (std::size_t t = 0; t < k; ++t) {
                    spd[i * k + j] += g[t * k + i] * g[t * k + j];
                }
            }
            spd[i * k + i] += double(k);
            dominant[i * k + i] += double(k) + 1.0;
        }
        const std::vector<double> rhs = rng.Values(long(k), -3, 3);
        const std::vector<double> nodes = rng.Increasing(long(k), 0.3, 1.5);
        const long order = long(k);
        Rows S(order, order, spd), F(order, order), Inv(order, order, spd), Fi(order, order),
            LU(order, order, dominant);
        std::vector<double> lx = OneBased(rhs), vx = OneBased(nodes), vq = OneBased(rhs), vw(k + 1);
        mat.CholeskyDecomposition(S.get(), F.get(), order);
        mat.CholeskyInvert(Inv.get(), Fi.get(), order);
        ASSERT_TRUE(mat.LUDecomposition(LU.get(), order, order));
        mat.LUSolve(LU.get(), lx.data(), order, order);
        mat.VanderMondeSolution(vx.data(), vw.data(), vq.data(), order);
        for (const auto& part : {F.Values(), Inv.Values(), ZeroBased(lx, k), ZeroBased(vw, k)}) {
            Append(p.compat, part);
        }
        const opm::MatrixView spdView(spd.data(), k, k);
        for (const auto& part :
             {opm::choleskyFactor(spdView).values(), opm::choleskyInverse(spdView).values(),
              opm::luSolve({dominant.data(), k, k}, rhs), opm::vandermondeSolve(nodes, rhs)}) {
            Append(p.modern, part);
        }
        std::vector<double> cf(k * k), ci(k * k), cl(k), cvw(k);
        ASSERT_EQ(opm_cholesky_factor(spd.data(), k, cf.data()), OPM_OK);
        ASSERT_EQ(opm_cholesky_inverse(spd.data(), k, ci.data()), OPM_OK);
        ASSERT_EQ(opm_lu_solve(dominant.data(), k, rhs.data(), cl.data()), OPM_OK);
        ASSERT_EQ(opm_vandermonde_solve(nodes.data(), rhs.data(), k, cvw.data()), OPM_OK);
        for (const auto& part : {cf, ci, cl, cvw}) {
            Append(p.c, part);
        }
    }
    p.ExpectAgree();
}

TEST(Equivalence, Polynomials) {
    Rng rng(15);
    Paths p;
    for (int trial = 0; trial < 200; ++trial) {
        // Degree 1 to 4 for the roots (some built from known real roots, so that the cubic and
        // quartic closed forms take their several-root branches), up to 5 for the extrema.
        const long degree = 1 + trial % 4;
        std::vector<double> coefs = rng.Values(degree + 1, -4, 4);
        if (trial % 2 == 0) { // the product of (x - root) over quarter-step roots
            std::vector<double> product(1, 1.0);
            for (long r = 0; r < degree; ++r) {
                const double root = std::round(rng.Uniform(-3, 3) * 4) / 4; // repeats happen
                std::vector<double> next(product.size() + 1, 0.0);
                for (std::size_t i = 0; i < product.size(); ++i) {
                    next[i + 1] += product[i];
                    next[i] -= root * product[i];
                }
                product = next;
            }
            coefs = product;
        }
        const std::vector<double> ext = rng.Values(rng.Int(1, 6), -4, 4);
        const double y = rng.Uniform(-2, 2), at = rng.Uniform(-3, 3);
        // A bracket with a change of sign for the bisection: y between P(x1) and P(x2).
        const double x1 = rng.Uniform(-3, 0), x2 = rng.Uniform(0.5, 3);
        std::vector<double> copy = coefs, extCopy = ext;
        ::Polynomial poly(copy), extPoly(extCopy);
        const double between = 0.5 * (poly.GetY(x1) + poly.GetY(x2));

        std::vector<double> roots, extrema;
        poly.Solve(y, roots);
        extPoly.GetExtremaX(extrema);
        const unsigned d = unsigned(degree);
        p.compat.insert(
            p.compat.end(),
            {poly.GetY(at), double(roots.size()), double(extrema.size()),
             Equation::PolynomialBiSectionSolution(&between, &x1, &x2, coefs.data(), d)});
        Append(p.compat, roots);
        Append(p.compat, extrema);

        const std::vector<double> mRoots = opm::polynomialRoots(coefs, y);
        const std::vector<double> mExtrema = opm::polynomialExtrema(ext);
        p.modern.insert(p.modern.end(), {opm::polynomialValue(coefs, at), double(mRoots.size()),
                                         double(mExtrema.size()),
                                         opm::polynomialBisection(coefs, between, x1, x2)});
        Append(p.modern, mRoots);
        Append(p.modern, mExtrema);

        double cValue = 0.0, cRoot = 0.0, cRoots[OPM_MAX_ROOTS], cExtrema[OPM_MAX_ROOTS];
        std::size_t rootCount = 0, extremumCount = 0;
        ASSERT_EQ(opm_polynomial_value(coefs.data(), coefs.size(), at, &cValue), OPM_OK);
        ASSERT_EQ(opm_polynomial_roots(coefs.data(), coefs.size(), y, cRoots, &rootCount), OPM_OK);
        ASSERT_EQ(opm_polynomial_extrema(ext.data(), ext.size(), cExtrema, &extremumCount), OPM_OK);
        ASSERT_EQ(opm_polynomial_bisection(coefs.data(), coefs.size(), between, x1, x2, &cRoot),
                  OPM_OK);
        p.c.insert(p.c.end(), {cValue, double(rootCount), double(extremumCount), cRoot});
        p.c.insert(p.c.end(), cRoots, cRoots + rootCount);
        p.c.insert(p.c.end(), cExtrema, cExtrema + extremumCount);
    }
    p.ExpectAgree();
}

TEST(Equivalence, CubicSplines) {
    Rng rng(16);
    Paths p;
    // The C interface hands out no coefficients; they are compared between the other two paths
    // and pin everything the three paths compute from them.
    std::vector<double> compatCoefficients, modernCoefficients;
    const Splines sp;
    for (int trial = 0; trial < 60; ++trial) {
        // Peaks sampled at sample numbers (the spacing the maximum is made for) and at random
        // spacings, under the four end conditions.
        const long n = rng.Int(6, 18);
        const std::size_t size = std::size_t(n);
        const int ends = 1 + trial % 4;
        const std::vector<double> x0 =
            trial % 3 == 0 ? rng.Increasing(n, 0.2, 2.0) : rng.Increasing(n, 1.0, 1.0);
        std::vector<double> y0(size, 0.0);
        const double centre = x0[std::size_t(rng.Int(2, n - 3))];
        for (std::size_t k = 0; k < size; ++k) {
            y0[k] = 50.0 * std::exp(-0.5 * std::pow((x0[k] - centre) / 1.7, 2)) + rng.Uniform(0, 3);
        }
        const double s0 = rng.Uniform(-1, 1), s1 = rng.Uniform(-1, 1);
        const double lo = x0.front(), hi = x0.back(), from = rng.Uniform(lo - 1, hi),
                     to = rng.Uniform(lo, hi + 1);
        // A target between the values at the bracket's ends, for the inverse.
        const double left = x0[1], right = x0[size - 2], target = 0.5 * (y0[1] + y0[size - 2]);

        std::vector<double> x = OneBased(x0), y = OneBased(y0);
        std::vector<double> c3(x.size()), c2(x.size()), c1(x.size()), m2(x.size());
        m2[1] = s0, m2[size] = s1;
        sp.CubicSplines(x.data(), y.data(), ends, n, c3.data(), c2.data(), c1.data(), m2.data());
        double area = 0, root = 0, slope = 0, xMax = 0, yMax = 0, cArea = 0, xc = 0, yc = 0;
        sp.CubicSplineIntegrate(from, to, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                                area);
        sp.CubicSplineSolve(target, left, right, n, x.data(), y.data(), c3.data(), c2.data(),
                            c1.data(), root);
        const bool found = sp.CubicSplineMax(lo, hi, n, x.data(), y.data(), c3.data(), c2.data(),
                                             c1.data(), slope, xMax, yMax) &&
                           yMax != 0.0;
        sp.CubicSplineCentroid(lo, hi, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                               cArea, xc, yc);
        for (const auto& part : {ZeroBased(c3, size - 1), ZeroBased(c2, size - 1),
                                 ZeroBased(c1, size - 1), ZeroBased(m2, size)}) {
            Append(compatCoefficients, part);
        }
        // The maximum's height and slope and the centroid's height are the routine's own
        // evaluations there: they pin value() and slope() of the other paths.
        p.compat.insert(p.compat.end(), {area, root, double(found), xc, cArea, yc});
        if (found) {
            p.compat.insert(p.compat.end(), {xMax, yMax, slope});
        }

        const opm::CubicSpline spline(x0, y0, opm::EndCondition(ends), s0, s1);
        for (const auto& part : {spline.cubicCoefficients(), spline.quadraticCoefficients(),
                                 spline.linearCoefficients(), spline.secondDerivatives()}) {
            modernCoefficients.insert(modernCoefficients.end(), part.begin(), part.end());
        }
        const auto maximum = spline.maximum(lo, hi);
        const opm::SplineCentroid centroid = spline.centroid(lo, hi);
        p.modern.insert(p.modern.end(),
                        {spline.integral(from, to), spline.solve(target, left, right),
                         double(maximum.has_value()), centroid.x, centroid.area,
                         spline.value(centroid.x)});
        if (maximum) {
            p.modern.insert(p.modern.end(),
                            {maximum->x, maximum->height, spline.slope(maximum->x)});
        }

        opm_spline* handle = nullptr;
        ASSERT_EQ(
            opm_spline_create(x0.data(), y0.data(), size, opm_end_condition(ends), s0, s1, &handle),
            OPM_OK);
        double cIntegral = 0, cRoot = 0, cAt = 0, cHeight = 0, cx = 0, cCentroidArea = 0, cy = 0,
               cSlope = 0;
        int cFound = -1;
        EXPECT_EQ(opm_spline_integral(handle, from, to, &cIntegral), OPM_OK);
        EXPECT_EQ(opm_spline_solve(handle, target, left, right, &cRoot), OPM_OK);
        EXPECT_EQ(opm_spline_maximum(handle, lo, hi, &cFound, &cAt, &cHeight), OPM_OK);
        EXPECT_EQ(opm_spline_centroid(handle, lo, hi, &cx, &cCentroidArea), OPM_OK);
        EXPECT_EQ(opm_spline_value(handle, cx, &cy), OPM_OK);
        EXPECT_EQ(opm_spline_slope(handle, cAt, &cSlope), OPM_OK);
        opm_spline_destroy(handle);
        p.c.insert(p.c.end(), {cIntegral, cRoot, double(cFound), cx, cCentroidArea, cy});
        if (cFound == 1) {
            p.c.insert(p.c.end(), {cAt, cHeight, cSlope});
        }
    }
    p.ExpectAgree();
    ExpectSameBits(compatCoefficients, modernCoefficients, "opm:: spline coefficients");
}

TEST(Equivalence, StatisticsAndFitting) {
    modern_test::UseRealExternalRoutines();
    Rng rng(17);
    Paths p;
    for (int trial = 0; trial < 60; ++trial) {
        const long n = rng.Int(2, 40);
        // Mostly spread samples, sometimes nearly equal ones (where the one-pass formula can
        // give NaN: the bits must still agree).
        std::vector<double> data = rng.Values(n, -100, 100);
        if (trial % 5 == 0) {
            for (double& v : data) {
                v = 1e8 + 1e-8 * v;
            }
        }
        std::vector<double> xs = rng.Increasing(n, 0.1, 3.0), ys = rng.Values(n, -50, 50);
        const unsigned degree = unsigned(rng.Int(0, std::min(4L, n - 1)));
        const int halfWidth = int(rng.Int(1, 5)), passes = int(rng.Int(1, 3));
        DoubleArray array;
        for (const double v : data) {
            array.Add(v);
        }
        MZBinArray bins;
        MZArray mz;
        for (long i = 0; i < n; ++i) {
            bins.Add(xs[std::size_t(i)]);
            mz.Add(ys[std::size_t(i)]);
        }
        const unsigned long count = (unsigned long)n;

        double intercept = 0, slope = 0, r = 0;
        ASSERT_EQ(Statistics::Line(xs.data(), ys.data(), int(n), intercept, slope, r), 0);
        std::vector<double> smoothed = data;
        ASSERT_EQ(
            Statistics::GaussSmooth(smoothed.data(), int(n), 0, int(n) - 1, halfWidth, passes), 0);
        DoubleArray coefs;
        LeastSquares::PolynomialCoefs(bins, mz, degree, coefs);
        p.compat.insert(p.compat.end(),
                        {Statistics::Medean(array),
                         Statistics::StandardDeviation(data.data(), 0, count),
                         Statistics::RMS(data.data(), 0, count), intercept, slope, r});
        Append(p.compat, smoothed);
        p.compat.insert(p.compat.end(), coefs.GetData(), coefs.GetData() + coefs.GetSize());

        const opm::LineFit fit = opm::fitLine(xs, ys);
        std::vector<double> mSmoothed = data;
        opm::gaussianSmooth(mSmoothed, halfWidth, passes);
        p.modern.insert(p.modern.end(), {opm::median(data), opm::standardDeviation(data),
                                         opm::rms(data), fit.intercept, fit.slope, fit.r});
        Append(p.modern, mSmoothed);
        Append(p.modern, opm::fitPolynomial(xs, ys, degree));

        const std::size_t size = data.size();
        double median = 0, deviation = 0, rootMeanSquare = 0, a = 0, b = 0, cr = 0;
        std::vector<double> cSmoothed = data, cCoefs(degree + 1);
        ASSERT_EQ(opm_median(data.data(), size, &median), OPM_OK);
        ASSERT_EQ(opm_standard_deviation(data.data(), size, &deviation), OPM_OK);
        ASSERT_EQ(opm_rms(data.data(), size, &rootMeanSquare), OPM_OK);
        ASSERT_EQ(opm_fit_line(xs.data(), ys.data(), size, &a, &b, &cr), OPM_OK);
        ASSERT_EQ(opm_gaussian_smooth(cSmoothed.data(), size, halfWidth, passes), OPM_OK);
        ASSERT_EQ(opm_fit_polynomial(xs.data(), ys.data(), size, degree, cCoefs.data()), OPM_OK);
        p.c.insert(p.c.end(), {median, deviation, rootMeanSquare, a, b, cr});
        Append(p.c, cSmoothed);
        Append(p.c, cCoefs);
    }
    p.ExpectAgree();
}

} // namespace
