// Eight threads call every family at once, each on data of its own: the opm:: layer over the
// exact routines, the spectrum family, the C interface and the compatible Statistics::Line. Every
// thread's results must be the bits that the same calls give on one thread. Under ThreadSanitizer
// (the tsan preset) the same run also shows that the calls share no mutable state beyond the one
// documented race (the external library's process-wide error code, which only the compatible
// Statistics::Line reads; it is suppressed in ThreadSanitizer.supp).
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/opm.h"
#include "OstraPureMath/opm/CubicSpline.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Polynomials.h"
#include "OstraPureMath/opm/Spectrum.h"
#include "OstraPureMath/opm/Statistics.h"
#include "support/BitIdentity.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using identity::Hash;

// Inputs of one thread: uniform values in [-1, 1) from a generator seeded with the thread.
class Data {
public:
    explicit Data(unsigned seed) : rng_(seed) {}
    double Next() { return rng_.Uniform(-1.0, 1.0); }
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

// Every family through the opm:: layer (a layer over the exact routines), the spectrum family, the
// C interface, and the compatible Statistics::Line, which reads the external library's error
// code. Each thread also meets failures (all abscissae equal) between successful calls: the
// errors are reported per call, so a thread sees only its own.
void EveryFamily(Data& data, Hash& out) {
    const std::size_t m = 20, n = 6;
    const std::vector<double> a = data.Vector(m * n), b = data.Vector(m);
    const opm::LeastSquaresSolution ls =
        opm::least_squares(opm::MatrixView(a.data(), m, n), opm::MatrixView(b.data(), m, 1), 1e-12);
    out.Add(ls.solution.data(), 0, long(n) - 1).Add(ls.singular_values).Add(long(ls.rank));
    out.Add(ls.residual_sum_of_squares).Add(ls.converged);
    const opm::CompactSvd svd = opm::compact_svd(opm::MatrixView(a.data(), m, n));
    out.Add(svd.u.data(), 0, long(m * n) - 1).Add(svd.w).Add(svd.v.data(), 0, long(n * n) - 1);
    std::vector<double> spd = data.Vector(n * n), rhs = data.Vector(n), nodes(n);
    for (std::size_t i = 0; i < n; ++i) { // symmetric, diagonally dominant: positive definite
        for (std::size_t j = 0; j < i; ++j) {
            spd[i * n + j] = spd[j * n + i];
        }
        spd[i * n + i] += 2.0 * double(n);
        nodes[i] = double(i) + 0.25 * data.Next();
    }
    const opm::MatrixView square(spd.data(), n, n);
    out.Add(opm::cholesky_inverse(square).values()).Add(opm::lu_solve(square, rhs));
    out.Add(opm::vandermonde_solve(nodes, rhs));
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
    out.Add(Statistics::Line(x.data(), y.data(), int(x.size()), intercept, slope, r));
    out.Add(intercept).Add(slope).Add(r);
    out.Add(int(opm_fit_line(x.data(), y.data(), x.size(), &intercept, &slope, &r)));
    out.Add(intercept).Add(slope).Add(r);
    out.Add(int(opm_fit_line(flat.data(), y.data(), flat.size(), &intercept, &slope, &r)));
    out.Bytes(opm_last_error(), std::strlen(opm_last_error()));
}

// The hash of every output bit of every family's calls on the data of one seed.
std::uint64_t EveryFamily(unsigned seed) {
    Data data(seed);
    Hash out;
    EveryFamily(data, out);
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
