// Eight threads call every family at once, each on data of its own: the exact interface, the
// opm:: layer, the spectrum family and the C interface. Every thread's results must be the bits
// that the same calls give on one thread. Under ThreadSanitizer (the tsan preset) the same run
// also shows that the calls share no mutable state beyond the one documented race (the external
// library's process-wide error code, which only the compatible Statistics::Line reads; it is
// suppressed in ThreadSanitizer.supp).
#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Splines.h"
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/opm.h"
#include "OstraPureMath/opm/CubicSpline.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "OstraPureMath/opm/Spectrum.h"
#include "OstraPureMath/opm/Statistics.h"
#include "matrix/MatrixTestSupport.h"
#include "support/BitIdentity.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using identity::Hash;
using mtest::OwnedMatrix;

// Inputs of one thread: uniform values in [-1, 1) from a generator seeded with the thread.
class Data {
public:
    explicit Data(unsigned seed) : rng_(seed) {}
    double Next() { return rng_.Uniform(-1.0, 1.0); }
    void Fill(OwnedMatrix& a) {
        for (long i = 1; i <= a.rows(); ++i) {
            for (long j = 1; j <= a.cols(); ++j) {
                a[i][j] = Next();
            }
        }
    }
    std::vector<double> Vector(std::size_t n) {
        std::vector<double> v(n);
        for (double& x : v) {
            x = Next();
        }
        return v;
    }

private:
    identity::Seeded rng_;
};

void MatrixFamily(Data& data, Hash& out) {
    const Matrix mat;
    const long m = 30, n = 12, nb = 2;
    OwnedMatrix a(m, n), b(m, nb), x(n, nb), v(n, n), s(n, n), u(n, n);
    data.Fill(a), data.Fill(b);
    std::vector<double> residual(nb + 1), w(n + 1), rhs = data.Vector(m + 1), sol(n + 1);
    long rank = n;
    bool converged = false;
    mat.SingularValueDecomposition(a.get(), b.get(), x.get(), residual.data(), m, rank, nb, 1e-12,
                                   converged);
    out.Add(a.Values()).Add(x.Values()).Add(residual).Add(rank).Add(converged);

    data.Fill(a);
    out.Add(mat.SingularValueDecompNRC(a.get(), m, n, w.data(), v.get()));
    mat.SingularValueBackSubNRC(a.get(), w.data(), v.get(), m, n, rhs.data(), sol.data());
    out.Add(a.Values()).Add(v.Values()).Add(w).Add(sol);

    // s = v^T v + n I is positive definite.
    mat.MultiplyByATranspose(v.get(), v.get(), s.get(), n, n, n);
    for (long i = 1; i <= n; ++i) {
        s[i][i] += double(n);
    }
    mat.CholeskyInvert(s.get(), u.get(), n);
    out.Add(s.Values()).Add(u.Values());
    data.Fill(s);
    for (long i = 1; i <= n; ++i) {
        s[i][i] += 2.0 * double(n);
    }
    out.Add(mat.LUDecomposition(s.get(), n, n));
    mat.LUSolve(s.get(), rhs.data(), n, n);
    out.Add(s.Values()).Add(rhs);
    std::vector<double> nodes(n + 1), q = data.Vector(n + 1);
    for (long i = 1; i <= n; ++i) {
        nodes[std::size_t(i)] = double(i) + 0.25 * data.Next();
    }
    mat.VanderMondeSolution(nodes.data(), w.data(), q.data(), n);
    out.Add(w);
}

void PolynomialFamily(Data& data, Hash& out) {
    for (std::size_t terms = 2; terms <= 6; ++terms) {
        std::vector<double> c = data.Vector(terms), roots, extrema;
        Polynomial p(c);
        p.Solve(0.1, roots);
        p.GetExtremaX(extrema);
        out.Add(roots).Add(extrema).Add(p.GetFirstDer()).Add(p.GetY(0.3));
        const double y = 0.0, lo = -3.0, hi = 3.0;
        out.Add(Equation::PolynomialBiSectionSolution(&y, &lo, &hi, c.data(), unsigned(terms - 1)));
    }
}

void SplinesFamily(Data& data, Hash& out) {
    const long n = 40;
    std::vector<double> x(n + 1), y(n + 1), c3(n + 1), c2(n + 1), c1(n + 1), m(n + 1);
    for (long k = 1; k <= n; ++k) {
        x[std::size_t(k)] = double(k);
        y[std::size_t(k)] = 2.0 + data.Next();
    }
    const Splines s;
    for (long code = 1; code <= 4; ++code) {
        m[1] = 0.5, m[n] = -0.5;
        out.Add(
            s.CubicSplines(x.data(), y.data(), code, n, c3.data(), c2.data(), c1.data(), m.data()));
        out.Add(c3).Add(c2).Add(c1).Add(m);
    }
    double area = 0, root = 0, slope = 0, xMax = 0, yMax = 0, xc = 0, yc = 0;
    s.CubicSplineIntegrate(3.5, 30.25, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                           area);
    s.CubicSplineSolve(2.0, 10.0, 11.0, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                       root);
    out.Add(s.CubicSplineMax(5.0, 35.0, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                             slope, xMax, yMax));
    s.CubicSplineCentroid(5.0, 35.0, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(), area,
                          xc, yc);
    out.Add(area).Add(root).Add(slope).Add(xMax).Add(yMax).Add(xc).Add(yc);
}

void StatisticsFamily(Data& data, Hash& out) {
    std::vector<double> x(64), y = data.Vector(64);
    DoubleArray values;
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = double(i) + 0.5 * data.Next();
        values.Add(y[i]);
    }
    out.Add(Statistics::Medean(values));
    out.Add(Statistics::StandardDeviation(y.data(), 3, 60));
    out.Add(Statistics::RMS(y.data(), 0, 64));
    double intercept = 0, slope = 0, r = 0;
    out.Add(Statistics::Line(x.data(), y.data(), 64, intercept, slope, r));
    out.Add(intercept).Add(slope).Add(r);
    out.Add(Statistics::GaussSmooth(y.data(), 64, 5, 58, 4, 2));
    out.Add(y);

    MZBinArray bins;
    MZArray mz;
    for (std::size_t i = 0; i < x.size(); ++i) {
        bins.Add(x[i] * 50.0);
        mz.Add(100.0 + x[i] * (0.4 + x[i] * 1e-4) + 1e-3 * y[i]);
    }
    DoubleArray coefs;
    LeastSquares::PolynomialCoefs(bins, mz, 2, coefs);
    out.Add(coefs.GetData(), 0, long(coefs.GetSize()) - 1);

    std::stringbuf buffer;
    CArchive store(buffer, CArchive::store);
    values.Serialize(store);
    CArchive load(buffer, CArchive::load);
    DoubleArray back;
    back.Serialize(load);
    out.Add(back.GetData(), 0, long(back.GetSize()) - 1);
}

// The opm:: layer over every family, the spectrum family and the C interface. Each thread also
// meets failures (all abscissae equal) between successful calls: the errors are reported per
// call, so a thread sees only its own.
void ModernLayer(Data& data, Hash& out) {
    const std::size_t m = 20, n = 6;
    const std::vector<double> a = data.Vector(m * n), b = data.Vector(m);
    const opm::LeastSquaresSolution ls =
        opm::least_squares(opm::MatrixView(a.data(), m, n), opm::MatrixView(b.data(), m, 1), 1e-12);
    out.Add(ls.solution.data(), 0, long(n) - 1).Add(ls.singular_values).Add(long(ls.rank));
    out.Add(ls.residual_sum_of_squares).Add(ls.converged);
    const opm::CompactSvd svd = opm::compact_svd(opm::MatrixView(a.data(), m, n));
    out.Add(svd.u.data(), 0, long(m * n) - 1).Add(svd.w).Add(svd.v.data(), 0, long(n * n) - 1);
    const std::vector<double> c = data.Vector(5);
    out.Add(opm::polynomial_roots(c, 0.1)).Add(opm::polynomial_extrema(c));
    const std::vector<double> increasing = {0.1 * data.Next() - 1.0, 1.0, 0.0, 1.0};
    out.Add(opm::polynomial_bisection(increasing, 0.0, -3.0, 3.0));

    std::vector<double> x(64), y(64), mz(400), intensity(400);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = double(i) + 0.5 * data.Next();
        y[i] = 3.0 + data.Next();
    }
    const opm::CubicSpline spline(x, y);
    out.Add(spline.value(10.3)).Add(spline.integral(2.0, 50.0));
    const auto peak = spline.maximum(5.0, 40.0);
    out.Add(peak ? peak->x : -1.0).Add(peak ? peak->height : -1.0);
    out.Add(opm::median(y)).Add(opm::standard_deviation(y)).Add(opm::rms(y));
    const opm::LineFit line = opm::fit_line(x, y);
    out.Add(line.intercept).Add(line.slope).Add(line.r);
    out.Add(opm::fit_polynomial(x, y, 2));
    opm::gaussian_smooth(y, 3, 2);
    out.Add(y);
    for (std::size_t i = 0; i < mz.size(); ++i) {
        mz[i] = 1000.0 + 0.1 * double(i);
        const double d1 = double(i) - 120.0 - 5.0 * data.Next(), d2 = double(i) - 260.0;
        intensity[i] = 50.0 + 900.0 * std::exp(-d1 * d1 / 18.0) + 400.0 * std::exp(-d2 * d2 / 8.0) +
                       3.0 * data.Next();
    }
    for (const opm::Peak& p : opm::analyse_spectrum(mz, intensity).peaks) {
        out.Add(p.apex_mz).Add(p.centroid_mz).Add(p.height).Add(p.area).Add(p.snr);
    }

    std::vector<double> flat(8, 2.0);
    try {
        opm::fit_line(flat, y);
        out.Add(-1L);
    } catch (const opm::Error& e) {
        out.Add(int(e.status())).Bytes(e.what(), std::strlen(e.what()));
    }
    double intercept = 0, slope = 0, r = 0;
    out.Add(int(opm_fit_line(x.data(), y.data(), x.size(), &intercept, &slope, &r)));
    out.Add(intercept).Add(slope).Add(r);
    out.Add(int(opm_fit_line(flat.data(), y.data(), flat.size(), &intercept, &slope, &r)));
    out.Bytes(opm_last_error(), std::strlen(opm_last_error()));
}

// The hash of every output bit of every family's calls on the data of one seed.
std::uint64_t EveryFamily(unsigned seed) {
    Data data(seed);
    Hash out;
    MatrixFamily(data, out);
    PolynomialFamily(data, out);
    SplinesFamily(data, out);
    StatisticsFamily(data, out);
    ModernLayer(data, out);
    return out.Value();
}

TEST(ConcurrentCallers, EightThreadsGetTheSingleThreadedBits) {
    constexpr unsigned kThreads = 8;
    constexpr int kRounds = 25;
    std::vector<std::uint64_t> expected;
    for (unsigned t = 0; t < kThreads; ++t) {
        expected.push_back(EveryFamily(t));
    }
    std::vector<std::vector<std::uint64_t>> got(kThreads);
    std::atomic<unsigned> ready{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Start together, so that the calls overlap.
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
                std::this_thread::yield();
            }
            for (int round = 0; round < kRounds; ++round) {
                got[t].push_back(EveryFamily(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (unsigned t = 0; t < kThreads; ++t) {
        EXPECT_FALSE(t > 0 && expected[t] == expected[0]) << "thread " << t << ": same data";
        EXPECT_EQ(got[t], std::vector<std::uint64_t>(kRounds, expected[t])) << "thread " << t;
    }
}

} // namespace
