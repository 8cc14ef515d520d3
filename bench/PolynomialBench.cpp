// Polynomial::Solve on cubics and quartics and Polynomial::GetExtremaX on quintics, against GSL's
// closed-form cubic solver (gsl_poly_solve_cubic) and its companion-matrix QR solver
// (gsl_poly_complex_solve) on the same coefficients in the same run, when GSL is installed.
// Each benchmark sweeps one fixed set of polynomials; the time per call is the reported time
// divided by the set size. After the run a table gives our CPU time per call over the peer's.
#include "OstraPureMath/Polynomial.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#ifdef OPM_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_poly.h>
#endif

#include <random>
#include <vector>

namespace {

constexpr int kSetSize = 256;

// coefs * factor, both lowest power first.
std::vector<double> Multiply(const std::vector<double>& coefs, const std::vector<double>& factor) {
    std::vector<double> product(coefs.size() + factor.size() - 1, 0.0);
    for (std::size_t i = 0; i < coefs.size(); ++i) {
        for (std::size_t j = 0; j < factor.size(); ++j) {
            product[i + j] += coefs[i] * factor[j];
        }
    }
    return product;
}

// kSetSize polynomials lead * (x - r1)(x - r2)... with leads in [0.5, 2] and real parts in
// [-5, 5]; in every other one, each pair of real roots is replaced by a complex pair s +- it, so
// cubics take both Cardano branches and quartics and quintics have two or four real roots less.
std::vector<std::vector<double>> MakeSet(int degree, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> real(-5.0, 5.0);
    std::uniform_real_distribution<double> imaginary(0.5, 3.0);
    std::uniform_real_distribution<double> lead(0.5, 2.0);
    std::vector<std::vector<double>> set;
    for (int i = 0; i < kSetSize; ++i) {
        std::vector<double> coefs{lead(rng)};
        int k = 0;
        if (i % 2 == 1) {
            for (; k + 2 <= degree; k += 2) {
                const double s = real(rng);
                const double t = imaginary(rng);
                coefs = Multiply(coefs, {s * s + t * t, -2.0 * s, 1.0});
            }
        }
        for (; k < degree; ++k) {
            coefs = Multiply(coefs, {-real(rng), 1.0});
        }
        set.push_back(coefs);
    }
    return set;
}

const std::vector<std::vector<double>>& Cubics() {
    static const auto set = MakeSet(3, 11u);
    return set;
}
const std::vector<std::vector<double>>& Quartics() {
    static const auto set = MakeSet(4, 12u);
    return set;
}
const std::vector<std::vector<double>>& Quintics() {
    static const auto set = MakeSet(5, 13u);
    return set;
}

std::vector<Polynomial> MakePolynomials(const std::vector<std::vector<double>>& set) {
    std::vector<Polynomial> polynomials;
    for (std::vector<double> coefs : set) {
        polynomials.emplace_back(coefs);
    }
    return polynomials;
}

void Finish(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kSetSize);
}

// Runs `op(p, out)` on every polynomial of the set per iteration; `out` (roots or extrema) is
// kept alive.
template <class Operation>
void SweepOurs(benchmark::State& state, const std::vector<std::vector<double>>& set, Operation op) {
    auto polynomials = MakePolynomials(set);
    std::vector<double> out;
    for (auto _ : state) {
        for (Polynomial& p : polynomials) {
            op(p, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    Finish(state);
}

void RootsAtZero(Polynomial& p, std::vector<double>& roots) {
    p.Solve(0.0, roots);
}

void ExtremaX(Polynomial& p, std::vector<double>& extrema) {
    p.GetExtremaX(extrema);
}

void BM_OpmSolveCubic(benchmark::State& state) {
    SweepOurs(state, Cubics(), RootsAtZero);
}
BENCHMARK(BM_OpmSolveCubic);

void BM_OpmSolveQuartic(benchmark::State& state) {
    SweepOurs(state, Quartics(), RootsAtZero);
}
BENCHMARK(BM_OpmSolveQuartic);

void BM_OpmExtremaQuintic(benchmark::State& state) {
    SweepOurs(state, Quintics(), ExtremaX);
}
BENCHMARK(BM_OpmExtremaQuintic);

#ifdef OPM_HAVE_GSL

// gsl_poly_solve_cubic takes the monic form x^3 + a x^2 + b x + c: the normalisation is part of
// each call, as it is inside Polynomial::Solve.
void BM_GslSolveCubic(benchmark::State& state) {
    const auto& set = Cubics();
    for (auto _ : state) {
        for (const auto& c : set) {
            double x0, x1, x2;
            const int n =
                gsl_poly_solve_cubic(c[2] / c[3], c[1] / c[3], c[0] / c[3], &x0, &x1, &x2);
            benchmark::DoNotOptimize(n);
            benchmark::DoNotOptimize(x0);
        }
    }
    Finish(state);
}
BENCHMARK(BM_GslSolveCubic);

// All complex roots by the companion matrix's eigenvalues; the workspace is made once.
void SolveWithGslComplex(benchmark::State& state, const std::vector<std::vector<double>>& set) {
    const std::size_t n = set.front().size();
    gsl_poly_complex_workspace* work = gsl_poly_complex_workspace_alloc(n);
    std::vector<double> z(2 * (n - 1));
    for (auto _ : state) {
        for (const auto& c : set) {
            const int status = gsl_poly_complex_solve(c.data(), n, work, z.data());
            benchmark::DoNotOptimize(status);
            benchmark::DoNotOptimize(z.data());
        }
    }
    gsl_poly_complex_workspace_free(work);
    Finish(state);
}

void BM_GslComplexSolveCubic(benchmark::State& state) {
    SolveWithGslComplex(state, Cubics());
}
BENCHMARK(BM_GslComplexSolveCubic);

void BM_GslComplexSolveQuartic(benchmark::State& state) {
    SolveWithGslComplex(state, Quartics());
}
BENCHMARK(BM_GslComplexSolveQuartic);

// The quintics' derivatives (quartics), formed outside the timed loop; GetExtremaX forms its own.
void BM_GslComplexSolveQuinticDerivative(benchmark::State& state) {
    std::vector<std::vector<double>> derivatives;
    for (const auto& c : Quintics()) {
        std::vector<double> d;
        for (std::size_t i = 1; i < c.size(); ++i) {
            d.push_back(double(i) * c[i]);
        }
        derivatives.push_back(d);
    }
    SolveWithGslComplex(state, derivatives);
}
BENCHMARK(BM_GslComplexSolveQuinticDerivative);

#endif

} // namespace

int main(int argc, char** argv) {
    RatioTable table("Polynomials: our time per polynomial over GSL's", "ours / peer", {"GSL"},
                     benchmark::kNanosecond);
    table.callsPerIteration = kSetSize;
    table.pairs = {
        {"OpmSolveCubic / GslSolveCubic", "BM_OpmSolveCubic", {"BM_GslSolveCubic"}},
        {"OpmSolveCubic / GslComplexSolveCubic", "BM_OpmSolveCubic", {"BM_GslComplexSolveCubic"}},
        {"OpmSolveQuartic / GslComplexSolveQuartic",
         "BM_OpmSolveQuartic",
         {"BM_GslComplexSolveQuartic"}},
        {"OpmExtremaQuintic / GslComplexSolveQuinticDerivative",
         "BM_OpmExtremaQuintic",
         {"BM_GslComplexSolveQuinticDerivative"}},
    };
#ifdef OPM_HAVE_GSL
    gsl_set_error_handler_off(); // a failing GSL call returns its status instead of aborting
#endif
    return RunBenchmarksWithRatios(argc, argv, table);
}
