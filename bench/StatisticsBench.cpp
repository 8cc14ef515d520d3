// Statistics::Medean against std::nth_element on a copy, and LeastSquares::PolynomialCoefs
// against dgelsd of reference LAPACK and of OpenBLAS (one thread) called directly on the same
// design matrix, in one run; a table of our CPU time over each peer's closes the run.
// It links libOstraPureMath.so like a host program: the module's load-time binding fills the
// entry slots of libTorvik.so, which solves by its own pivoted QR with iterative refinement.
#include "LapackPeers.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Statistics.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> RandomSamples(long n) {
    std::mt19937_64 engine(12345);
    std::uniform_real_distribution<double> uniform(0.0, 1000.0);
    std::vector<double> values(static_cast<std::size_t>(n));
    for (double& v : values) {
        v = uniform(engine);
    }
    return values;
}

void BM_Medean(benchmark::State& state) {
    const std::vector<double> values = RandomSamples(state.range(0));
    DoubleArray array;
    array.SetSize(INT_PTR(values.size()));
    std::copy(values.begin(), values.end(), array.GetData());
    for (auto _ : state) {
        benchmark::DoNotOptimize(Statistics::Medean(array));
    }
}

// The same median with the standard library: nth_element on a copy, and for an even count the
// largest element of the lower half.
void BM_NthElement(benchmark::State& state) {
    const std::vector<double> values = RandomSamples(state.range(0));
    for (auto _ : state) {
        std::vector<double> copy(values);
        const auto middle = copy.begin() + long(copy.size() / 2);
        std::nth_element(copy.begin(), middle, copy.end());
        double median = *middle;
        if (copy.size() % 2 == 0) {
            median = (*std::max_element(copy.begin(), middle) + median) * 0.5;
        }
        benchmark::DoNotOptimize(median);
    }
}

// Calibration-like samples: bins spread over 0..4000, m/z from a cubic.
struct Calibration {
    explicit Calibration(long m) {
        for (long i = 0; i < m; ++i) {
            const double b = 4000.0 * double(i) / double(m - 1);
            bins.Add(b);
            mz.Add(100.0 + b * (0.4 + b * (2.5e-5 - b * 1.5625e-9)));
        }
    }
    MZBinArray bins;
    MZArray mz;
};

void BM_PolynomialCoefs(benchmark::State& state) {
    const Calibration data(state.range(1));
    const unsigned degree = unsigned(state.range(0));
    DoubleArray coefs;
    for (auto _ : state) {
        LeastSquares::PolynomialCoefs(data.bins, data.mz, degree, coefs);
        benchmark::DoNotOptimize(coefs.GetData());
    }
}

// dgelsd on the same design matrix (descending powers, constant column last), built once; each
// iteration copies the matrix and right-hand side, which dgelsd overwrites. Workspace sized once.
void BM_Dgelsd(benchmark::State& state, const LapackPeer* lapack) {
    const Calibration data(state.range(1));
    const int n = int(state.range(0)) + 1;
    const int m = int(state.range(1));
    const std::size_t rows = static_cast<std::size_t>(m);
    std::vector<double> design(rows * static_cast<std::size_t>(n));
    std::vector<double> rhs(rows);
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) {
            design[std::size_t(i + j * m)] = std::pow(data.bins[i], double(n - 1 - j));
        }
        rhs[std::size_t(i)] = data.mz[i];
    }
    std::vector<double> a(design);
    std::vector<double> b(rhs);
    std::vector<double> s(static_cast<std::size_t>(n));
    const int nrhs = 1;
    const double rcond = double(m) * DBL_EPSILON;
    int rank = 0, info = 0, lwork = -1, liwork = 0;
    double workSize = 0;
    lapack->dgelsd(&m, &n, &nrhs, a.data(), &m, b.data(), &m, s.data(), &rcond, &rank, &workSize,
                   &lwork, &liwork, &info);
    lwork = int(workSize);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    std::vector<int> iwork(static_cast<std::size_t>(std::max(liwork, 1)));
    for (auto _ : state) {
        a = design;
        b = rhs;
        lapack->dgelsd(&m, &n, &nrhs, a.data(), &m, b.data(), &m, s.data(), &rcond, &rank,
                       work.data(), &lwork, iwork.data(), &info);
        benchmark::DoNotOptimize(b.data());
    }
}

void MedianSizes(benchmark::internal::Benchmark* b) {
    for (long n : {5L, 6L, 51L, 50L, 501L, 500L, 5001L, 5000L, 10001L, 10000L, 50001L, 50000L,
                   1000001L, 1000000L}) {
        b->Arg(n);
    }
}

void FitSizes(benchmark::internal::Benchmark* b) {
    for (long degree = 1; degree <= 5; ++degree) {
        for (long m : {10L, 100L, 1000L, 10000L}) {
            b->Args({degree, m});
        }
    }
    b->Args({3, 4000}); // a calibration fit
}

BENCHMARK(BM_Medean)->Apply(MedianSizes);
BENCHMARK(BM_NthElement)->Apply(MedianSizes);
BENCHMARK(BM_PolynomialCoefs)->Apply(FitSizes);

} // namespace

int main(int argc, char** argv) {
    for (const LapackPeer& lapack : LapackPeers()) {
        benchmark::RegisterBenchmark(("BM_Dgelsd@" + lapack.name).c_str(), BM_Dgelsd, &lapack)
            ->Apply(FitSizes);
    }
    RatioTable table("Median: our time over nth_element's; polynomial fit: over dgelsd's",
                     "benchmark", {"nth_el./ref.", "OpenBLAS"}, benchmark::kNanosecond);
    table.pairs = {{"BM_Medean", "BM_Medean", {"BM_NthElement", ""}},
                   {"BM_PolynomialCoefs",
                    "BM_PolynomialCoefs",
                    {"BM_Dgelsd@reference", "BM_Dgelsd@openblas"}}};
    return RunBenchmarksWithRatios(argc, argv, table);
}
