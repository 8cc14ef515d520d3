// Per-thread work storage: operations that take it, called at once from several threads on
// different data, give every thread the bits the same calls give on one thread.
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/Splines.h"
#include "OstraPureMath/Statistics.h"
#include "frame/ExternalRoutines.h"
#include "support/BitIdentity.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

const Matrix kMat;

// Rows of n doubles from one block, 1-based like dMatrix's.
struct Rows {
    Rows(long rows, long cols, identity::Seeded& rng)
        : data(std::size_t(rows * cols), 0.0), pointers(std::size_t(rows) + 1) {
        for (double& x : data) {
            x = rng.Uniform(-1.0, 1.0);
        }
        for (long i = 1; i <= rows; ++i) {
            pointers[std::size_t(i)] = data.data() + (i - 1) * cols - 1;
        }
    }
    double** get() { return pointers.data(); }
    std::vector<double> data;
    std::vector<double*> pointers;
};

// The outputs of every operation that takes per-thread storage, on inputs made from `seed`,
// sized differently for each seed so that the storage grows and shrinks between calls.
std::uint64_t AllOperations(std::uint64_t seed) {
    identity::Seeded rng(seed);
    const long n = 3 + long(seed % 7), m = 2 * n + 5;
    identity::Hash h;
    Rows a(m, n, rng), b(m, 2, rng), x(n, 2, rng), u(n, n, rng), v(n, n, rng), s(n, n, rng);
    double residual[3];
    long rank = n;
    bool converged = false;
    h.Add(kMat.SingularValueDecomposition(a.get(), b.get(), x.get(), residual, m, rank, 2, 1e-12,
                                          converged));
    h.Add(a.data).Add(b.data).Add(x.data).Add(rank);
    std::vector<double> w(std::size_t(n) + 1), col(std::size_t(m) + 1, 0.5), sol(w.size());
    h.Add(kMat.SingularValueDecompNRC(b.get(), m, 2, w.data(), v.get())).Add(b.data).Add(w);
    h.Add(kMat.SingularValueBackSubNRC(b.get(), w.data(), v.get(), m, 2, col.data(), sol.data()));
    h.Add(sol);
    for (long i = 1; i <= n; ++i) {
        s.get()[i][i] += double(n); // positive definite
    }
    h.Add(kMat.CholeskyInvert(s.get(), u.get(), n)).Add(s.data).Add(u.data);
    h.Add(kMat.VanderMondeSolution(x.get()[1], sol.data(), col.data(), n)).Add(sol);
    std::vector<double> knots(std::size_t(m) + 1), c3(knots.size()), c2(c3), c1(c3), m2(c3);
    DoubleArray samples;
    MZBinArray bins;
    MZArray mz;
    for (long k = 1; k <= m; ++k) {
        knots[std::size_t(k)] = double(k) + rng.Uniform(0.0, 0.5);
        samples.Add(rng.Uniform(-5.0, 5.0));
        bins.Add(knots[std::size_t(k)]);
        mz.Add(samples[k - 1]);
    }
    Splines().CubicSplines(knots.data(), col.data(), 1, m, c3.data(), c2.data(), c1.data(),
                           m2.data());
    h.Add(c3).Add(c2).Add(c1).Add(m2).Add(Statistics::Medean(samples));
    DoubleArray coefs;
    LeastSquares::PolynomialCoefs(bins, mz, 2, coefs);
    return h.Add(std::vector<double>(coefs.GetData(), coefs.GetData() + coefs.GetSize())).Value();
}

// Echoes the design matrix's first column as the solution: deterministic, and reads the
// wrapper's per-thread storage.
int EchoLesqso(int, int n, int, int, double** a, double**, int, double** x) {
    for (int j = 0; j < n; ++j) {
        x[j][0] = a[j][0];
    }
    return 0;
}

TEST(ThreadScratch, ConcurrentCallsGiveTheSingleThreadedBits) {
    const opm::detail::ExternalRoutineSlots saved = opm::detail::g_externalRoutines;
    opm::detail::g_externalRoutines.lesqso = EchoLesqso;
    constexpr int kThreads = 6;
    constexpr int kSeedsPerThread = 20;
    std::vector<std::uint64_t> expected(kThreads * kSeedsPerThread);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = AllOperations(i);
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &expected, &mismatches] {
            for (int round = 0; round < 20; ++round) {
                for (int k = 0; k < kSeedsPerThread; ++k) {
                    const std::size_t seed = std::size_t(t * kSeedsPerThread + k);
                    mismatches += AllOperations(seed) != expected[seed];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    opm::detail::g_externalRoutines = saved;
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
