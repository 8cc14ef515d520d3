// Least-squares SVD against dgelss of reference LAPACK and of OpenBLAS (one thread) on the same
// random full-rank problems (one right-hand side). Every side starts from the caller's
// row-pointer matrices and pays for the copies the call needs: ours a row-major copy (the call
// overwrites a and b), LAPACK's the column-major copy. After the runs a table gives our CPU time
// over each dgelss's for every shape.
#include "LapackPeers.h"
#include "OstraPureMath/Matrix.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kTolerance = 1e-12;

// A 1-based row-pointer matrix from Matrix::dMatrix.
struct RowMatrix {
    RowMatrix(long rows, long cols)
        : rows(rows), cols(cols), m(Matrix().dMatrix(1, rows, 1, cols)) {}
    ~RowMatrix() { Matrix().dMatrixFree(m, 1, rows, 1, cols); }
    RowMatrix(const RowMatrix&) = delete;
    RowMatrix& operator=(const RowMatrix&) = delete;
    void CopyFrom(const RowMatrix& other) { std::copy_n(&other.m[1][1], rows * cols, &m[1][1]); }
    long rows, cols;
    double** m;
};

struct Problem {
    Problem(long rows, long cols) : a(rows, cols), b(rows, 1) {
        std::mt19937_64 rng(std::uint64_t(rows * 1000 + cols));
        std::uniform_real_distribution<double> uniform(-1.0, 1.0);
        for (long i = 1; i <= rows; ++i) {
            for (long j = 1; j <= cols; ++j) {
                a.m[i][j] = uniform(rng);
            }
            b.m[i][1] = uniform(rng);
        }
    }
    RowMatrix a, b;
};

void Ours(benchmark::State& state, long m, long n) {
    const Problem problem(m, n);
    RowMatrix a(m, n), b(m, 1), x(n, 1);
    std::vector<double> residual(2);
    for (auto _ : state) {
        a.CopyFrom(problem.a);
        b.CopyFrom(problem.b);
        long rank = n;
        bool converged = false;
        Matrix().SingularValueDecomposition(a.m, b.m, x.m, residual.data(), m, rank, 1, kTolerance,
                                            converged);
        if (!converged || rank != n) {
            state.SkipWithError("unexpected rank or no convergence");
        }
        benchmark::DoNotOptimize(x.m[1][1]);
    }
}

void Dgelss(benchmark::State& state, const LapackPeer* lapack, long m, long n) {
    const Problem problem(m, n);
    int mi = int(m), ni = int(n), nrhs = 1, rank = 0, info = 0, lwork = -1;
    const int ldb = std::max(mi, ni);
    const double rcond = kTolerance;
    std::vector<double> a(static_cast<std::size_t>(m * n));
    std::vector<double> b(static_cast<std::size_t>(ldb)), s(static_cast<std::size_t>(n));
    double query = 0.0;
    lapack->dgelss(&mi, &ni, &nrhs, a.data(), &mi, b.data(), &ldb, s.data(), &rcond, &rank, &query,
                   &lwork, &info);
    lwork = int(query);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    for (auto _ : state) {
        for (long i = 1; i <= m; ++i) {
            for (long j = 1; j <= n; ++j) {
                a[std::size_t((j - 1) * m + i - 1)] = problem.a.m[i][j];
            }
            b[std::size_t(i - 1)] = problem.b.m[i][1];
        }
        lapack->dgelss(&mi, &ni, &nrhs, a.data(), &mi, b.data(), &ldb, s.data(), &rcond, &rank,
                       work.data(), &lwork, &info);
        if (info != 0 || rank != ni) {
            state.SkipWithError("dgelss failed");
        }
        benchmark::DoNotOptimize(b[0]);
    }
}

std::string ShapeName(long m, long n) {
    return std::to_string(m) + "x" + std::to_string(n);
}

} // namespace

int main(int argc, char** argv) {
    RatioTable table("Least-squares SVD: our time over dgelss's", "m x n",
                     {"reference", "OpenBLAS"}, benchmark::kMicrosecond);
    table.pairs = {{"", "Ours", {"Dgelss@reference", "Dgelss@openblas"}}};
    for (long m : {20L, 200L, 1000L}) {
        for (long n : {3L, 10L, 50L, 100L}) {
            if (n > m) {
                continue;
            }
            const std::string shape = "/" + ShapeName(m, n);
            benchmark::RegisterBenchmark(("Ours" + shape).c_str(), Ours, m, n)
                ->Unit(benchmark::kMicrosecond);
            for (const LapackPeer& lapack : LapackPeers()) {
                benchmark::RegisterBenchmark(("Dgelss@" + lapack.name + shape).c_str(), Dgelss,
                                             &lapack, m, n)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    return RunBenchmarksWithRatios(argc, argv, table);
}
