// One check per family: seeded inputs go through the compatible routine, opm:: and the C
// interface; each path puts all its outputs, in one order, into a vector, and the three vectors
// must hold the same bits (whatever bits the compatible routines give in this build).
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
#include "support/BitIdentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Values = std::vector<double>;

// Every element of actual has the bits of the same element of expected.
void ExpectSameBits(const Values& expected, const Values& actual, const char* what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    EXPECT_EQ(std::memcmp(expected.data(), actual.data(), 8 * expected.size()), 0) << what;
}

// Appends numbers and arrays, in order, to one path's outputs.
void Add(Values& out, double value) {
    out.push_back(value);
}
void Add(Values& out, opm::Span<const double> v) {
    out.insert(out.end(), v.begin(), v.end());
}
template <class... T> void Put(Values& out, const T&... values) {
    (Add(out, values), ...);
}

struct Paths {
    Values compat, modern, c;
    void ExpectAgree() const {
        EXPECT_GT(compat.size(), 100u); // the check covers a real amount of output
        ExpectSameBits(compat, modern, "opm:: against the compatible routines");
        ExpectSameBits(compat, c, "the C interface against the compatible routines");
    }
};

// Seeded inputs: sizes, uniform values, and strictly increasing values.
struct Rng : identity::Seeded {
    using Seeded::Seeded;
    std::size_t Size(std::size_t lo, std::size_t hi) { return lo + Below(long(hi - lo + 1)); }
    Values Random(std::size_t count, double lo, double hi) {
        Values v(count);
        std::generate(v.begin(), v.end(), [&] { return Uniform(lo, hi); });
        return v;
    }
    Values Increasing(std::size_t count, double minStep, double maxStep) {
        Values v(count, Uniform(-5.0, 5.0));
        for (std::size_t i = 1; i < count; ++i) {
            v[i] = v[i - 1] + Uniform(minStep, maxStep);
        }
        return v;
    }
};

// A row-major matrix as the compatible interface takes it (from Matrix::dMatrix, 1-based).
struct Rows {
    Rows(long rows, long cols, const Values& v = {})
        : m(rows), n(cols), a(Matrix().dMatrix(1, rows, 1, cols)) {
        for (long i = 0; i < m * n; ++i) {
            a[1 + i / n][1 + i % n] = v.empty() ? 0.0 : v[std::size_t(i)];
        }
    }
    ~Rows() { Matrix().dMatrixFree(a, 1, m, 1, n); }
    // The elements row by row (the block is contiguous from a[1][1]).
    opm::Span<const double> All() const { return {a[1] + 1, std::size_t(m * n)}; }
    long m, n;
    double** a;
};

// A 0-based vector as a 1-based array (element 0 unused), and elements 1..count of one.
Values OneBased(const Values& v) {
    Values out(1, 0.0);
    out.insert(out.end(), v.begin(), v.end());
    return out;
}
opm::Span<const double> FromOne(const Values& v, std::size_t count) {
    return {v.data() + 1, count};
}

TEST(Equivalence, DenseLinearAlgebra) {
    Rng rng(14);
    Paths p;
    const Matrix mat;
    for (int trial = 0; trial < 30; ++trial) {
        // Least squares by the SVD, some systems rank-deficient (two equal columns).
        const std::size_t n = rng.Size(1, 7), m = n + rng.Size(0, 5), nb = rng.Size(1, 3);
        Values a = rng.Random(m * n, -10, 10), b = rng.Random(m * nb, -10, 10);
        for (std::size_t i = 0; trial % 4 == 0 && i < m; ++i) {
            a[i * n] = a[i * n + n - 1];
        }
        const double tolerance = trial % 3 == 0 ? 0.0 : (trial % 3 == 1 ? 1e-12 : 1e-3);
        Rows A(m, n, a), B(m, nb, b), X(n, nb);
        Values residual(nb + 1);
        long rank = n;
        bool converged = false;
        ASSERT_TRUE(mat.SingularValueDecomposition(A.a, B.a, X.a, residual.data(), m, rank, nb,
                                                   tolerance, converged));
        Put(p.compat, X.All(), FromOne(residual, nb), rank, converged);
        const opm::LeastSquaresSolution s =
            opm::least_squares({a.data(), m, n}, {b.data(), m, nb}, tolerance);
        Put(p.modern, s.solution.values(), s.residual_sum_of_squares, s.rank, s.converged);
        Values x(n * nb), sv(n), res(nb);
        std::size_t cRank = 0;
        int cConverged = -1;
        ASSERT_EQ(opm_least_squares(a.data(), m, n, b.data(), nb, tolerance, x.data(), sv.data(),
                                    &cRank, res.data(), &cConverged),
                  OPM_OK);
        Put(p.c, x, res, cRank, cConverged);
        // The singular values are the driver's own: the C interface hands out the same.
        ExpectSameBits(s.singular_values, sv, "singular values through C");

        // Compact SVD and its back-substitution (m may be below n here).
        const std::size_t cm = rng.Size(1, 7), cn = rng.Size(1, 7);
        const Values ca = rng.Random(cm * cn, -5, 5), cb = rng.Random(cm, -5, 5);
        Rows U(cm, cn, ca), V(cn, cn);
        Values w(cn + 1), b1 = OneBased(cb), xs(cn + 1);
        ASSERT_TRUE(mat.SingularValueDecompNRC(U.a, cm, cn, w.data(), V.a));
        mat.SingularValueBackSubNRC(U.a, w.data(), V.a, cm, cn, b1.data(), xs.data());
        Put(p.compat, U.All(), FromOne(w, cn), V.All(), FromOne(xs, cn));
        const opm::CompactSvd svd = opm::compact_svd({ca.data(), cm, cn});
        Put(p.modern, svd.u.values(), svd.w, svd.v.values(),
            opm::compact_svd_solve(svd.u, svd.w, svd.v, cb));
        Values cu(cm * cn), cw(cn), cv(cn * cn), cx(cn);
        ASSERT_EQ(opm_compact_svd(ca.data(), cm, cn, cu.data(), cw.data(), cv.data()), OPM_OK);
        ASSERT_EQ(opm_compact_svd_solve(cu.data(), cw.data(), cv.data(), cm, cn, cb.data(), 0.0,
                                        cx.data()),
                  OPM_OK);
        Put(p.c, cu, cw, cv, cx);

        // Cholesky factor and inverse of a symmetric diagonally dominant matrix; LU solve of a
        // diagonally dominant one; Vandermonde weights over distinct abscissae.
        const std::size_t k = rng.Size(1, 7);
        const Values rhs = rng.Random(k, -3, 3), nodes = rng.Increasing(k, 0.3, 1.5);
        Values spd = rng.Random(k * k, -1, 1), dominant = rng.Random(k * k, -1, 1);
        for (std::size_t i = 0; i < k; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                spd[i * k + j] = spd[j * k + i];
            }
            spd[i * k + i] += double(k);
            dominant[i * k + i] += double(k) + 1.0;
        }
        Rows S(k, k, spd), F(k, k), Inv(k, k, spd), Fi(k, k), LU(k, k, dominant);
        Values lx = OneBased(rhs), vx = OneBased(nodes), vq = OneBased(rhs), vw(k + 1);
        mat.CholeskyDecomposition(S.a, F.a, k);
        mat.CholeskyInvert(Inv.a, Fi.a, k);
        ASSERT_TRUE(mat.LUDecomposition(LU.a, k, k));
        mat.LUSolve(LU.a, lx.data(), k, k);
        mat.VanderMondeSolution(vx.data(), vw.data(), vq.data(), k);
        Put(p.compat, F.All(), Inv.All(), FromOne(lx, k), FromOne(vw, k));
        const opm::MatrixView spdView(spd.data(), k, k);
        Put(p.modern, opm::cholesky_factor(spdView).values(),
            opm::cholesky_inverse(spdView).values(), opm::lu_solve({dominant.data(), k, k}, rhs),
            opm::vandermonde_solve(nodes, rhs));
        Values cf(k * k), ci(k * k), cl(k), cvw(k);
        ASSERT_EQ(opm_cholesky_factor(spd.data(), k, cf.data()), OPM_OK);
        ASSERT_EQ(opm_cholesky_inverse(spd.data(), k, ci.data()), OPM_OK);
        ASSERT_EQ(opm_lu_solve(dominant.data(), k, rhs.data(), cl.data()), OPM_OK);
        ASSERT_EQ(opm_vandermonde_solve(nodes.data(), rhs.data(), k, cvw.data()), OPM_OK);
        Put(p.c, cf, ci, cl, cvw);
    }
    p.ExpectAgree();
}

TEST(Equivalence, Polynomials) {
    Rng rng(15);
    Paths p;
    for (int trial = 0; trial < 200; ++trial) {
        // Degree 1 to 4 for the roots, half of them products of (x - r) over quarter-step roots
        // (repeats happen), so that the closed forms take their several-root branches; degree
        // 0 to 5 for the extrema.
        const std::size_t degree = 1 + trial % 4;
        Values coefs = rng.Random(degree + 1, -4, 4);
        if (trial % 2 == 0) {
            coefs = {1.0}; // times (x - root) per root: c[i] = c[i - 1] - root c[i]
            for (std::size_t r = 0; r < degree; ++r) {
                const double root = std::round(rng.Uniform(-3, 3) * 4) / 4;
                coefs.insert(coefs.begin(), 0.0);
                for (std::size_t i = 0; i + 1 < coefs.size(); ++i) {
                    coefs[i] -= root * coefs[i + 1];
                }
            }
        }
        const Values ext = rng.Random(rng.Size(1, 6), -4, 4);
        const double y = rng.Uniform(-2, 2), at = rng.Uniform(-3, 3);
        const double x1 = rng.Uniform(-3, 0), x2 = rng.Uniform(0.5, 3);
        Values copy = coefs, extCopy = ext, roots, extrema;
        ::Polynomial poly(copy), extPoly(extCopy);
        // A target between P(x1) and P(x2), so that [x1, x2] brackets a solution.
        const double between = 0.5 * (poly.GetY(x1) + poly.GetY(x2));
        poly.Solve(y, roots);
        extPoly.GetExtremaX(extrema);
        Put(p.compat, poly.GetY(at),
            Equation::PolynomialBiSectionSolution(&between, &x1, &x2, coefs.data(), degree),
            roots.size(), roots, extrema.size(), extrema);
        const Values mRoots = opm::polynomial_roots(coefs, y),
                     mExtrema = opm::polynomial_extrema(ext);
        Put(p.modern, opm::polynomial_value(coefs, at),
            opm::polynomial_bisection(coefs, between, x1, x2), mRoots.size(), mRoots,
            mExtrema.size(), mExtrema);
        double cValue = 0, cRoot = 0, cRoots[OPM_MAX_ROOTS], cExtrema[OPM_MAX_ROOTS];
        std::size_t rootCount = 0, extremumCount = 0;
        ASSERT_EQ(opm_polynomial_value(coefs.data(), coefs.size(), at, &cValue), OPM_OK);
        ASSERT_EQ(opm_polynomial_bisection(coefs.data(), coefs.size(), between, x1, x2, &cRoot),
                  OPM_OK);
        ASSERT_EQ(opm_polynomial_roots(coefs.data(), coefs.size(), y, cRoots, &rootCount), OPM_OK);
        ASSERT_EQ(opm_polynomial_extrema(ext.data(), ext.size(), cExtrema, &extremumCount), OPM_OK);
        Put(p.c, cValue, cRoot, rootCount, opm::Span<const double>(cRoots, rootCount),
            extremumCount, opm::Span<const double>(cExtrema, extremumCount));
    }
    p.ExpectAgree();
}

TEST(Equivalence, CubicSplines) {
    Rng rng(16);
    Paths p;
    // The C interface hands out no coefficients; they are compared between the other two paths
    // and pin everything the three paths compute from them.
    Values compatCoefficients, modernCoefficients;
    const Splines sp;
    for (int trial = 0; trial < 60; ++trial) {
        // Peaks sampled at sample numbers (the spacing the maximum is made for) and at random
        // spacings, under the four end conditions.
        const std::size_t n = rng.Size(6, 18);
        const int ends = 1 + trial % 4;
        const Values x0 = trial % 3 == 0 ? rng.Increasing(n, 0.2, 2.0) : rng.Increasing(n, 1, 1);
        const double centre = x0[rng.Size(2, n - 3)];
        Values y0(n);
        for (std::size_t k = 0; k < n; ++k) {
            y0[k] = 50 * std::exp(-0.5 * std::pow((x0[k] - centre) / 1.7, 2)) + rng.Uniform(0, 3);
        }
        const double s0 = rng.Uniform(-1, 1), s1 = rng.Uniform(-1, 1), lo = x0.front(),
                     hi = x0.back(), from = rng.Uniform(lo - 1, hi), to = rng.Uniform(lo, hi + 1);
        // A target between the values at the bracket's ends, for the inverse.
        const double left = x0[1], right = x0[n - 2], target = 0.5 * (y0[1] + y0[n - 2]);

        Values x = OneBased(x0), y = OneBased(y0), c3(n + 1), c2(n + 1), c1(n + 1), m2(n + 1);
        m2[1] = s0, m2[n] = s1;
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
        Put(compatCoefficients, FromOne(c3, n - 1), FromOne(c2, n - 1), FromOne(c1, n - 1),
            FromOne(m2, n));
        // The maximum's height and slope and the centroid's height are the routine's own
        // evaluations there: they pin value() and slope() of the other paths.
        Put(p.compat, area, root, found, xc, cArea, yc,
            found ? Values{xMax, yMax, slope} : Values{});

        const opm::CubicSpline spline(x0, y0, opm::EndCondition(ends), s0, s1);
        Put(modernCoefficients, spline.cubic_coefficients(), spline.quadratic_coefficients(),
            spline.linear_coefficients(), spline.second_derivatives());
        const auto maximum = spline.maximum(lo, hi);
        const opm::SplineCentroid centroid = spline.centroid(lo, hi);
        Put(p.modern, spline.integral(from, to), spline.solve(target, left, right),
            maximum.has_value(), centroid.x, centroid.area, spline.value(centroid.x),
            maximum ? Values{maximum->x, maximum->height, spline.slope(maximum->x)} : Values{});

        opm_spline* handle = nullptr;
        ASSERT_EQ(
            opm_spline_create(x0.data(), y0.data(), n, opm_end_condition(ends), s0, s1, &handle),
            OPM_OK);
        double cIntegral = 0, cRoot = 0, cAt = 0, cHeight = 0, cx = 0, cArea2 = 0, cy = 0,
               cSlope = 0;
        int cFound = -1;
        EXPECT_EQ(opm_spline_integral(handle, from, to, &cIntegral), OPM_OK);
        EXPECT_EQ(opm_spline_solve(handle, target, left, right, &cRoot), OPM_OK);
        EXPECT_EQ(opm_spline_maximum(handle, lo, hi, &cFound, &cAt, &cHeight), OPM_OK);
        EXPECT_EQ(opm_spline_centroid(handle, lo, hi, &cx, &cArea2), OPM_OK);
        EXPECT_EQ(opm_spline_value(handle, cx, &cy), OPM_OK);
        EXPECT_EQ(opm_spline_slope(handle, cAt, &cSlope), OPM_OK);
        opm_spline_destroy(handle);
        Put(p.c, cIntegral, cRoot, cFound, cx, cArea2, cy,
            cFound == 1 ? Values{cAt, cHeight, cSlope} : Values{});
    }
    p.ExpectAgree();
    ExpectSameBits(compatCoefficients, modernCoefficients, "opm:: spline coefficients");
}

TEST(Equivalence, StatisticsAndFitting) {
    modern_test::UseRealExternalRoutines();
    Rng rng(17);
    Paths p;
    for (int trial = 0; trial < 60; ++trial) {
        // Mostly spread samples, sometimes nearly equal ones (where the one-pass formula can
        // give NaN: the bits must still agree).
        const std::size_t n = rng.Size(2, 40);
        Values data = rng.Random(n, -100, 100);
        for (std::size_t i = 0; trial % 5 == 0 && i < n; ++i) {
            data[i] = 1e8 + 1e-8 * data[i];
        }
        Values xs = rng.Increasing(n, 0.1, 3.0), ys = rng.Random(n, -50, 50);
        const unsigned degree = unsigned(rng.Size(0, std::min<std::size_t>(4, n - 1)));
        const int half_width = int(rng.Size(1, 5)), passes = int(rng.Size(1, 3));
        DoubleArray samples, coefs;
        MZBinArray bins;
        MZArray mz;
        for (std::size_t i = 0; i < n; ++i) {
            samples.Add(data[i]);
            bins.Add(xs[i]);
            mz.Add(ys[i]);
        }

        double intercept = 0, slope = 0, r = 0;
        ASSERT_EQ(Statistics::Line(xs.data(), ys.data(), int(n), intercept, slope, r), 0);
        Values smoothed = data;
        ASSERT_EQ(
            Statistics::GaussSmooth(smoothed.data(), int(n), 0, int(n) - 1, half_width, passes), 0);
        LeastSquares::PolynomialCoefs(bins, mz, degree, coefs);
        Put(p.compat, Statistics::Medean(samples), Statistics::StandardDeviation(data.data(), 0, n),
            Statistics::RMS(data.data(), 0, n), intercept, slope, r, smoothed,
            opm::Span<const double>(coefs.GetData(), std::size_t(coefs.GetSize())));

        const opm::LineFit fit = opm::fit_line(xs, ys);
        Values mSmoothed = data;
        opm::gaussian_smooth(mSmoothed, half_width, passes);
        Put(p.modern, opm::median(data), opm::standard_deviation(data), opm::rms(data),
            fit.intercept, fit.slope, fit.r, mSmoothed, opm::fit_polynomial(xs, ys, degree));

        double median = 0, deviation = 0, rootMeanSquare = 0, a = 0, b = 0, cr = 0;
        Values cSmoothed = data, cCoefs(degree + 1);
        ASSERT_EQ(opm_median(data.data(), n, &median), OPM_OK);
        ASSERT_EQ(opm_standard_deviation(data.data(), n, &deviation), OPM_OK);
        ASSERT_EQ(opm_rms(data.data(), n, &rootMeanSquare), OPM_OK);
        ASSERT_EQ(opm_fit_line(xs.data(), ys.data(), n, &a, &b, &cr), OPM_OK);
        ASSERT_EQ(opm_gaussian_smooth(cSmoothed.data(), n, half_width, passes), OPM_OK);
        ASSERT_EQ(opm_fit_polynomial(xs.data(), ys.data(), n, degree, cCoefs.data()), OPM_OK);
        Put(p.c, median, deviation, rootMeanSquare, a, b, cr, cSmoothed, cCoefs);
    }
    p.ExpectAgree();
}

} // namespace
