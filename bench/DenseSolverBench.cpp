// The dense solvers against LAPACK on the same inputs in the same run: compact SVD vs dgesvd
// (thin U and V^T), Cholesky inverse vs dpotrf + dpotri, LU factor + solve vs dgetrf + dgetrs,
// and the O(n^2) Vandermonde solution vs dgesv on the explicit matrix. Every timed iteration
// starts from the pristine input: ours copies it into its in-place row-pointer matrix, LAPACK's
// side makes its column-major copy (for Vandermonde: forms the explicit matrix). After the runs a
// table gives our CPU time over the peer's and whether the speed target is met.
#include "OstraPureMath/Matrix.h"
#include "support/Lapack.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
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

void CompactSvdOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    Square input(n), a(n), v(n);
    FillInput(input, n, Kind::Random);
    std::vector<double> w(std::size_t(n) + 1);
    for (auto _ : state) {
        a.CopyFrom(input);
        benchmark::DoNotOptimize(kMat.SingularValueDecompNRC(a.get(), n, n, w.data(), v.get()));
        benchmark::ClobberMemory();
    }
}

void CompactSvdLapack(benchmark::State& state) {
    const long n = long(state.range(0));
    Square input(n);
    FillInput(input, n, Kind::Random);
    const int ni = int(n);
    std::vector<double> a(std::size_t(n * n)), s(static_cast<std::size_t>(n)), u(a.size()),
        vt(a.size());
    int info = 0, lwork = -1;
    double query = 0.0;
    dgesvd_("S", "S", &ni, &ni, a.data(), &ni, s.data(), u.data(), &ni, vt.data(), &ni, &query,
            &lwork, &info, 1, 1);
    lwork = int(query);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    for (auto _ : state) {
        input.ToColumnMajor(a);
        dgesvd_("S", "S", &ni, &ni, a.data(), &ni, s.data(), u.data(), &ni, vt.data(), &ni,
                work.data(), &lwork, &info, 1, 1);
        benchmark::DoNotOptimize(info);
        benchmark::ClobberMemory();
    }
}

void CholeskyInvertOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    Square input(n), a(n), u(n);
    FillInput(input, n, Kind::SymmetricPositiveDefinite);
    for (auto _ : state) {
        a.CopyFrom(input);
        benchmark::DoNotOptimize(kMat.CholeskyInvert(a.get(), u.get(), n));
        benchmark::ClobberMemory();
    }
}

void CholeskyInvertLapack(benchmark::State& state) {
    const long n = long(state.range(0));
    Square input(n);
    FillInput(input, n, Kind::SymmetricPositiveDefinite);
    const int ni = int(n);
    std::vector<double> a(std::size_t(n * n));
    int info = 0;
    for (auto _ : state) {
        input.ToColumnMajor(a);
        dpotrf_("U", &ni, a.data(), &ni, &info, 1);
        dpotri_("U", &ni, a.data(), &ni, &info, 1);
        benchmark::DoNotOptimize(info);
        benchmark::ClobberMemory();
    }
}

void LuSolveOurs(benchmark::State& state) {
    const long n = long(state.range(0));
    Square input(n), a(n);
    FillInput(input, n, Kind::DiagonallyDominant);
    const std::vector<double> rhs = RightHandSide(n);
    std::vector<double> b(rhs.size());
    for (auto _ : state) {
        a.CopyFrom(input);
        b = rhs;
        benchmark::DoNotOptimize(kMat.LUDecomposition(a.get(), n, n));
        benchmark::DoNotOptimize(kMat.LUSolve(a.get(), b.data(), n, n));
        benchmark::ClobberMemory();
    }
}

void LuSolveLapack(benchmark::State& state) {
    const long n = long(state.range(0));
    Square input(n);
    FillInput(input, n, Kind::DiagonallyDominant);
    const std::vector<double> rhs = RightHandSide(n);
    const int ni = int(n), one = 1;
    std::vector<double> a(std::size_t(n * n)), b(rhs.size());
    std::vector<int> ipiv(static_cast<std::size_t>(n));
    int info = 0;
    for (auto _ : state) {
        input.ToColumnMajor(a);
        b = rhs;
        dgetrf_(&ni, &ni, a.data(), &ni, ipiv.data(), &info);
        dgetrs_("N", &ni, &one, a.data(), &ni, ipiv.data(), b.data() + 1, &ni, &info, 1);
        benchmark::DoNotOptimize(info);
        benchmark::ClobberMemory();
    }
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

void VandermondeLapack(benchmark::State& state) {
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
        dgesv_(&ni, &one, v.data(), &ni, ipiv.data(), b.data() + 1, &ni, &info);
        benchmark::DoNotOptimize(info);
        benchmark::ClobberMemory();
    }
}

// Keeps the CPU time per iteration of every run, keyed by (operation, side, n).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            const std::string& name = run.run_name.function_name;
            const std::size_t slash = name.rfind('/');
            const double seconds = run.cpu_accumulated_time / double(run.iterations);
            times_[{name.substr(0, slash), std::stol(run.run_name.args)}][name.substr(slash + 1)] =
                seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatioTable() const {
        std::printf("\n%-16s %5s %12s %12s %8s  %s\n", "operation", "n", "ours [us]", "LAPACK [us]",
                    "ratio", "target");
        for (const auto& [key, sides] : times_) {
            const auto ours = sides.find("ours");
            const auto peer = sides.find("lapack");
            if (ours == sides.end() || peer == sides.end()) {
                continue;
            }
            const long n = key.second;
            const double ratio = ours->second / peer->second;
            std::printf("%-16s %5ld %12.3f %12.3f %8.3f  %s\n", key.first.c_str(), n,
                        ours->second * 1e6, peer->second * 1e6, ratio,
                        TargetVerdict(key.first, n, ratio).c_str());
        }
    }

private:
    // Vandermonde must beat the dense solve from n = 16 on; the others must be no slower than
    // LAPACK up to n = 16 and within a factor 2 up to n = 256.
    static std::string TargetVerdict(const std::string& op, long n, double ratio) {
        double limit = 0.0;
        if (op == "Vandermonde") {
            if (n < 16) {
                return "(none)";
            }
            limit = 1.0;
        } else {
            limit = n <= 16 ? 1.0 : 2.0;
        }
        char text[32];
        std::snprintf(text, sizeof text, "%s (<= %.0f)", ratio <= limit ? "met" : "MISSED", limit);
        return text;
    }

    std::map<std::pair<std::string, long>, std::map<std::string, double>> times_;
};

void RegisterPair(const char* op, void (*ours)(benchmark::State&),
                  void (*lapack)(benchmark::State&)) {
    for (long n : {4L, 16L, 64L, 256L}) {
        benchmark::RegisterBenchmark((std::string(op) + "/ours").c_str(), ours)->Arg(n);
        benchmark::RegisterBenchmark((std::string(op) + "/lapack").c_str(), lapack)->Arg(n);
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterPair("CompactSvd", CompactSvdOurs, CompactSvdLapack);
    RegisterPair("CholeskyInvert", CholeskyInvertOurs, CholeskyInvertLapack);
    RegisterPair("LuSolve", LuSolveOurs, LuSolveLapack);
    RegisterPair("Vandermonde", VandermondeOurs, VandermondeLapack);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatioTable();
    benchmark::Shutdown();
    return 0;
}
