// The dense solvers against reference LAPACK and OpenBLAS (one thread) on the same inputs in the
// same run: compact SVD vs dgesvd (thin U and V^T), Cholesky inverse vs dpotrf + dpotri, LU
// factor + solve vs dgetrf + dgetrs, and the O(n^2) Vandermonde solution vs dgesv on the explicit
// matrix. Every timed iteration starts from the pristine input: ours copies it into its in-place
// row-pointer matrix, LAPACK's side makes its column-major copy (for Vandermonde: forms the
// explicit matrix). After the runs a table gives our CPU time over each peer's and whether the
// speed targets are met.
#include "LapackPeers.h"
#include "OstraPureMath/Matrix.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const Matrix kMat;

// A 1-based n x n row-pointer matrix, released on destruction; its elements are one block.
class Square {
public:
    explicit Square(long n) : n_(n), a_(kMat.dMatrix(1, n, 1, n)) {}
    Square(const Square&) = delete;
    Square& operator=(const Square&) = delete;
    ~Square() { kMat.dMatrixFree(a_, 1, n_, 1, n_); }
    double** get() const { return a_; }
    void CopyFrom(const Square& other) {
        std::memcpy(a_[1] + 1, other.a_[1] + 1, sizeof(double) * std::size_t(n_ * n_));
    }
    // Column-major copy with leading dimension n, the layout LAPACK takes.
    void ToColumnMajor(std::vector<double>& out) const {
        for (long j = 1; j <= n_; ++j) {
            for (long i = 1; i <= n_; ++i) {
                out[std::size_t((j - 1) * n_ + i - 1)] = a_[i][j];
            }
        }
    }

private:
    long n_;
    double** a_;
};

enum class Kind { Random, SymmetricPositiveDefinite, DiagonallyDominant };

void FillInput(const Square& s, long n, Kind kind) {
    std::mt19937_64 rng(std::uint64_t(n) * 7919u);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    double** a = s.get();
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            a[i][j] = dist(rng);
        }
    }
    if (kind == Kind::SymmetricPositiveDefinite) {
        for (long i = 1; i <= n; ++i) {
            for (long j = 1; j < i; ++j) {
                a[i][j] = a[j][i];
            }
            a[i][i] = double(n) + 1.0; // strictly diagonally dominant and symmetric
        }
    } else if (kind == Kind::DiagonallyDominant) {
        for (long i = 1; i <= n; ++i) {
            a[i][i] += double(n);
        }
    }
}

std::vector<double> RightHandSide(long n) {
    std::vector<double> b(std::size_t(n) + 1);
    for (long i = 1; i <= n; ++i) {
        b[std::size_t(i)] = 1.0 / double(i);
    }
    return b;
}

// Times `call(a)`, `a` a fresh copy of the input of `kind` in every iteration (the call works
// in place); the result is kept alive.
template <class Call> void TimeOursOnFreshCopy(benchmark::State& state, Kind kind, Call call) {
    const long n = long(state.range(0));
    Square input(n), a(n);
    FillInput(input, n, kind);
    for (auto _ : state) {
        a.CopyFrom(input);
        benchmark::DoNotOptimize(call(a));
        benchmark::ClobberMemory();
    }
}

// Times `call(a)`, `a` the column-major copy of the input of `kind` made in every iteration;
// `call` returns LAPACK's info.
template <class Call>
void TimeLapackOnColumnMajorCopy(benchmark::State& state, Kind kind, Call call) {
    const long n = long(state.range(0));
    Square input(n);
    FillInput(input, n, kind);
    std::vector<double> a(std::size_t(n * n));
    for (auto _ : state) {
        input.ToColumnMajor(a);
        benchmark::DoNotOptimize(call(a));
        benchmark::ClobberMemory();
    }
}

void CompactSvdOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    Square v(n);
    std::vector<double> w(std::size_t(n) + 1);
    TimeOursOnFreshCopy(state, Kind::Random, [&](const Square& a) {
        return kMat.SingularValueDecompNRC(a.get(), n, n, w.data(), v.get());
    });
}

void CompactSvdLapack(benchmark::State& state, const LapackPeer* lapack) {
    const int ni = int(state.range(0));
    std::vector<double> s(static_cast<std::size_t>(ni)), u(std::size_t(ni * ni)), vt(u.size());
    int info = 0, lwork = -1;
    double query = 0.0; // the workspace query reads no matrix: u stands in for a
    lapack->dgesvd("S", "S", &ni, &ni, u.data(), &ni, s.data(), u.data(), &ni, vt.data(), &ni,
                   &query, &lwork, &info, 1, 1);
    lwork = int(query);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    TimeLapackOnColumnMajorCopy(state, Kind::Random, [&](std::vector<double>& a) {
        lapack->dgesvd("S", "S", &ni, &ni, a.data(), &ni, s.data(), u.data(), &ni, vt.data(), &ni,
                       work.data(), &lwork, &info, 1, 1);
        return info;
    });
}

void CholeskyInvertOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    Square u(n);
    TimeOursOnFreshCopy(state, Kind::SymmetricPositiveDefinite,
                        [&](const Square& a) { return kMat.CholeskyInvert(a.get(), u.get(), n); });
}

void CholeskyInvertLapack(benchmark::State& state, const LapackPeer* lapack) {
    const int ni = int(state.range(0));
    int info = 0;
    TimeLapackOnColumnMajorCopy(state, Kind::SymmetricPositiveDefinite,
                                [&](std::vector<double>& a) {
                                    lapack->dpotrf("U", &ni, a.data(), &ni, &info, 1);
                                    lapack->dpotri("U", &ni, a.data(), &ni, &info, 1);
                                    return info;
                                });
}

void LuSolveOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    const std::vector<double> rhs = RightHandSide(n);
    std::vector<double> b(rhs.size());
    TimeOursOnFreshCopy(state, Kind::DiagonallyDominant, [&](const Square& a) {
        b = rhs;
        benchmark::DoNotOptimize(kMat.LUDecomposition(a.get(), n, n));
        return kMat.LUSolve(a.get(), b.data(), n, n);
    });
}

void LuSolveLapack(benchmark::State& state, const LapackPeer* lapack) {
    const long n = long(state.range(0));
    const std::vector<double> rhs = RightHandSide(n);
    const int ni = int(n), one = 1;
    std::vector<double> b(rhs.size());
    std::vector<int> ipiv(static_cast<std::size_t>(n));
    int info = 0;
    TimeLapackOnColumnMajorCopy(state, Kind::DiagonallyDominant, [&](std::vector<double>& a) {
        b = rhs;
        lapack->dgetrf(&ni, &ni, a.data(), &ni, ipiv.data(), &info);
        lapack->dgetrs("N", &ni, &one, a.data(), &ni, ipiv.data(), b.data() + 1, &ni, &info, 1);
        return info;
    });
}

// Abscissae in [1, 2): distinct, and their powers up to n - 1 stay normal doubles.
std::vector<double> Abscissae(long n) {
    std::vector<double> x(std::size_t(n) + 1);
    for (long i = 1; i <= n; ++i) {
        x[std::size_t(i)] = 1.0 + double(i - 1) / double(n);
    }
    return x;
}

void VandermondeOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    std::vector<double> x = Abscissae(n), q = RightHandSide(n), w(std::size_t(n) + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kMat.VanderMondeSolution(x.data(), w.data(), q.data(), n));
        benchmark::ClobberMemory();
    }
}

void VandermondeLapack(benchmark::State& state, const LapackPeer* lapack) {
    const long n = long(state.range(0));
    const std::vector<double> x = Abscissae(n), rhs = RightHandSide(n);
    const int ni = int(n), one = 1;
    std::vector<double> v(std::size_t(n * n)), b(rhs.size());
    std::vector<int> ipiv(static_cast<std::size_t>(n));
    int info = 0;
    for (auto _ : state) {
        // Column i of the explicit matrix holds the powers x_i^0 .. x_i^(n-1).
        for (long i = 1; i <= n; ++i) {
            double power = 1.0;
            for (long k = 1; k <= n; ++k) {
                v[std::size_t((i - 1) * n + k - 1)] = power;
                power *= x[std::size_t(i)];
            }
        }
        b = rhs;
        lapack->dgesv(&ni, &one, v.data(), &ni, ipiv.data(), b.data() + 1, &ni, &info);
        benchmark::DoNotOptimize(info);
        benchmark::ClobberMemory();
    }
}

// The speed targets: no slower than reference LAPACK at any size, and no slower than OpenBLAS
// on the sizes host programs use (n <= 16). `label` is "<operation>/<n>".
std::string TargetVerdict(const std::string& label, const std::vector<double>& ratios) {
    const long n = std::stol(label.substr(label.rfind('/') + 1));
    const auto met = [&ratios](std::size_t peer) {
        return peer < ratios.size() && ratios[peer] > 0.0 && ratios[peer] <= 1.0;
    };
    if (n > 16) {
        return met(0) ? "met (ref. <= 1)" : "MISSED (ref. <= 1)";
    }
    return met(0) && met(1) ? "met (both <= 1)" : "MISSED (both <= 1)";
}

// Registers "<op>/ours/<n>" and "<op>/<peer>/<n>" for every size and peer, and their row in the
// table.
void RegisterPair(RatioTable& table, const std::string& op, void (*ours)(benchmark::State&),
                  void (*lapack)(benchmark::State&, const LapackPeer*)) {
    for (long n : {4L, 16L, 64L, 256L}) {
        benchmark::RegisterBenchmark((op + "/ours").c_str(), ours)->Arg(n);
        for (const LapackPeer& peer : LapackPeers()) {
            benchmark::RegisterBenchmark((op + "/" + peer.name).c_str(), lapack, &peer)->Arg(n);
        }
    }
    table.pairs.push_back({op, op + "/ours", {op + "/reference", op + "/openblas"}});
}

} // namespace

int main(int argc, char** argv) {
    RatioTable table("Dense solvers: our time over LAPACK's", "operation/n",
                     {"reference", "OpenBLAS"}, benchmark::kMicrosecond);
    table.verdict = TargetVerdict;
    RegisterPair(table, "CompactSvd", CompactSvdOurs, CompactSvdLapack);
    RegisterPair(table, "CholeskyInvert", CholeskyInvertOurs, CholeskyInvertLapack);
    RegisterPair(table, "LuSolve", LuSolveOurs, LuSolveLapack);
    RegisterPair(table, "Vandermonde", VandermondeOurs, VandermondeLapack);
    return RunBenchmarksWithRatios(argc, argv, table);
}
