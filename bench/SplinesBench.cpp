// Cubic splines against GSL's natural cubic spline (gsl_spline, cspline) on the same data in the
// same run: construction, construction with one full-range integral, one full-range integral, one
// inverse (bisection, about 40 evaluations) for several knot counts, and maximum + centroid on a
// 16-knot peak. The closing table gives our CPU time over GSL's for each pair. Without GSL only our
// side runs.
#include "OstraPureMath/Splines.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#ifdef OPM_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_spline.h>
#endif

#include <cmath>
#include <utility>
#include <vector>

namespace {

// Knots slightly uneven, ordinates an oscillation with a drift; one spline per knot count.
struct Samples {
    explicit Samples(long count) : n(count), x(n), y(n), c3(n), c2(n), c1(n), m(n) {
        for (long k = 0; k < n; ++k) {
            x[k] = double(k) + 0.3 * std::sin(double(k));
            y[k] = 10.0 * std::sin(0.37 * double(k)) + 0.05 * double(k);
        }
        Build();
    }
    Samples(std::vector<double> xs, std::vector<double> ys)
        : n(long(xs.size())), x(std::move(xs)), y(std::move(ys)), c3(n), c2(n), c1(n), m(n) {
        Build();
    }
    void Build() {
        Splines().CubicSplines(One(x), One(y), 1, n, One(c3), One(c2), One(c1), One(m));
    }
    static double* One(std::vector<double>& v) { return v.data() - 1; }
    static const double* One(const std::vector<double>& v) { return v.data() - 1; }

    long n;
    std::vector<double> x, y, c3, c2, c1, m;
};

// A bracket of width 1e-4 around a crossing in the middle of the knots, so that the bisection
// takes about 20 passes (40 evaluations).
struct InverseProblem {
    double target, lo, hi;
};
InverseProblem MiddleCrossing(const Samples& s) {
    const long k = s.n / 2;
    const double target = 0.5 * (s.y[k] + s.y[k + 1]);
    double root = 0.0;
    Splines().CubicSplineSolve(target, s.x[k], s.x[k + 1], s.n, Samples::One(s.x),
                               Samples::One(s.y), Samples::One(s.c3), Samples::One(s.c2),
                               Samples::One(s.c1), root);
    return {target, root - 3.7e-5, root + 6.3e-5};
}

Samples Peak16() {
    std::vector<double> x, y;
    for (int k = 1; k <= 16; ++k) {
        x.push_back(k);
        y.push_back(100.0 * std::exp(-std::pow((k - 8.3) / 2.5, 2.0)) + 1.0);
    }
    return Samples(x, y);
}

void OursBuild(benchmark::State& state) {
    Samples s(state.range(0));
    for (auto _ : state) {
        Splines().CubicSplines(Samples::One(s.x), Samples::One(s.y), 1, s.n, Samples::One(s.c3),
                               Samples::One(s.c2), Samples::One(s.c1), Samples::One(s.m));
        benchmark::DoNotOptimize(s.c1.data());
        benchmark::ClobberMemory();
    }
}

// Construction and one full-range integral: what a host does with a fresh spline.
void OursBuildIntegral(benchmark::State& state) {
    Samples s(state.range(0));
    for (auto _ : state) {
        Splines().CubicSplines(Samples::One(s.x), Samples::One(s.y), 1, s.n, Samples::One(s.c3),
                               Samples::One(s.c2), Samples::One(s.c1), Samples::One(s.m));
        double area = 0.0;
        Splines().CubicSplineIntegrate(s.x.front(), s.x.back(), s.n, Samples::One(s.x),
                                       Samples::One(s.y), Samples::One(s.c3), Samples::One(s.c2),
                                       Samples::One(s.c1), area);
        benchmark::DoNotOptimize(area);
    }
}

void OursIntegral(benchmark::State& state) {
    const Samples s(state.range(0));
    for (auto _ : state) {
        double area = 0.0;
        Splines().CubicSplineIntegrate(s.x.front(), s.x.back(), s.n, Samples::One(s.x),
                                       Samples::One(s.y), Samples::One(s.c3), Samples::One(s.c2),
                                       Samples::One(s.c1), area);
        benchmark::DoNotOptimize(area);
    }
}

void OursInverse(benchmark::State& state) {
    const Samples s(state.range(0));
    const InverseProblem p = MiddleCrossing(s);
    for (auto _ : state) {
        double root = 0.0;
        Splines().CubicSplineSolve(p.target, p.lo, p.hi, s.n, Samples::One(s.x), Samples::One(s.y),
                                   Samples::One(s.c3), Samples::One(s.c2), Samples::One(s.c1),
                                   root);
        benchmark::DoNotOptimize(root);
    }
}

void OursMaxCentroid(benchmark::State& state) {
    const Samples s = Peak16();
    for (auto _ : state) {
        double slope = 0.0, xMax = 0.0, yMax = 0.0, area = 0.0, xc = 0.0, yc = 0.0;
        const Splines sp;
        benchmark::DoNotOptimize(sp.CubicSplineMax(
            1.0, 16.0, s.n, Samples::One(s.x), Samples::One(s.y), Samples::One(s.c3),
            Samples::One(s.c2), Samples::One(s.c1), slope, xMax, yMax));
        sp.CubicSplineCentroid(1.0, 16.0, s.n, Samples::One(s.x), Samples::One(s.y),
                               Samples::One(s.c3), Samples::One(s.c2), Samples::One(s.c1), area, xc,
                               yc);
        benchmark::DoNotOptimize(xMax);
        benchmark::DoNotOptimize(xc);
    }
}

#ifdef OPM_HAVE_GSL
constexpr double kTolerance = 1e-10; // the library's search tolerance, mirrored by the peers

// One gsl_spline with its accelerator, initialised on the same samples.
struct GslSpline {
    explicit GslSpline(const Samples& s)
        : spline(gsl_spline_alloc(gsl_interp_cspline, std::size_t(s.n))),
          acc(gsl_interp_accel_alloc()) {
        gsl_spline_init(spline, s.x.data(), s.y.data(), std::size_t(s.n));
    }
    ~GslSpline() {
        gsl_interp_accel_free(acc);
        gsl_spline_free(spline);
    }
    GslSpline(const GslSpline&) = delete;
    GslSpline& operator=(const GslSpline&) = delete;
    double Eval(double X) const { return gsl_spline_eval(spline, X, acc); }

    gsl_spline* spline;
    gsl_interp_accel* acc;
};

// The same bisection as the library's inverse, on gsl_spline_eval.
double GslBisect(const GslSpline& g, double target, double lo, double hi) {
    for (;;) {
        const double mid = (lo + hi) * 0.5;
        const double fMid = g.Eval(mid) - target;
        const double fLo = g.Eval(lo) - target;
        if (fLo * fMid < 0.0) {
            hi = mid;
        } else {
            lo = mid;
        }
        if (std::fabs(lo - hi) < kTolerance || std::fabs(fMid) < kTolerance) {
            return mid;
        }
    }
}

void GslBuild(benchmark::State& state) {
    const Samples s(state.range(0));
    GslSpline g(s);
    for (auto _ : state) {
        gsl_spline_init(g.spline, s.x.data(), s.y.data(), std::size_t(s.n));
        benchmark::ClobberMemory();
    }
}

void GslBuildIntegral(benchmark::State& state) {
    const Samples s(state.range(0));
    GslSpline g(s);
    for (auto _ : state) {
        gsl_spline_init(g.spline, s.x.data(), s.y.data(), std::size_t(s.n));
        benchmark::DoNotOptimize(gsl_spline_eval_integ(g.spline, s.x.front(), s.x.back(), g.acc));
    }
}

void GslIntegral(benchmark::State& state) {
    const Samples s(state.range(0));
    const GslSpline g(s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(gsl_spline_eval_integ(g.spline, s.x.front(), s.x.back(), g.acc));
    }
}

void GslInverse(benchmark::State& state) {
    const Samples s(state.range(0));
    const GslSpline g(s);
    const InverseProblem p = MiddleCrossing(s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GslBisect(g, p.target, p.lo, p.hi));
    }
}

// Peer of maximum + centroid: the highest knot, a bisection on the derivative over its two
// intervals, and the library's area-halving bisection on gsl_spline_eval_integ.
void GslMaxCentroid(benchmark::State& state) {
    const Samples s = Peak16();
    const GslSpline g(s);
    for (auto _ : state) {
        long best = 1;
        for (long k = 1; k < s.n - 1; ++k) {
            if (s.y[k] > s.y[best]) {
                best = k;
            }
        }
        double lo = s.x[best - 1], hi = s.x[best + 1], xMax = lo;
        while (std::fabs(hi - lo) >= kTolerance) {
            xMax = 0.5 * (lo + hi);
            if (gsl_spline_eval_deriv(g.spline, xMax, g.acc) > 0.0) {
                lo = xMax;
            } else {
                hi = xMax;
            }
        }
        const double area = gsl_spline_eval_integ(g.spline, 1.0, 16.0, g.acc);
        const double half = 0.5 * area;
        double left = 1.0, right = 16.0, xc = left;
        for (;;) {
            xc = (left + right) * 0.5;
            const double partial = gsl_spline_eval_integ(g.spline, 1.0, xc, g.acc);
            if (half - half / 1e6 <= partial && partial <= half + half / 1e6) {
                break;
            }
            (partial - half < 0.0 ? left : right) = xc;
            if (std::fabs(left - right) < kTolerance) {
                break;
            }
        }
        benchmark::DoNotOptimize(xMax);
        benchmark::DoNotOptimize(g.Eval(xc));
    }
}
#endif

void KnotCounts(benchmark::internal::Benchmark* b) {
    for (long n : {8L, 32L, 256L, 4096L}) {
        b->Arg(n);
    }
}

BENCHMARK(OursBuild)->Apply(KnotCounts);
BENCHMARK(OursBuildIntegral)->Apply(KnotCounts);
BENCHMARK(OursIntegral)->Apply(KnotCounts);
BENCHMARK(OursInverse)->Apply(KnotCounts);
BENCHMARK(OursMaxCentroid);
#ifdef OPM_HAVE_GSL
BENCHMARK(GslBuild)->Apply(KnotCounts);
BENCHMARK(GslBuildIntegral)->Apply(KnotCounts);
BENCHMARK(GslIntegral)->Apply(KnotCounts);
BENCHMARK(GslInverse)->Apply(KnotCounts);
BENCHMARK(GslMaxCentroid);
#endif

} // namespace

int main(int argc, char** argv) {
    RatioTable table("Splines: our time over GSL's", "piece/knots", {"GSL"},
                     benchmark::kNanosecond);
    table.pairs = {{"Build", "OursBuild", {"GslBuild"}},
                   {"BuildIntegral", "OursBuildIntegral", {"GslBuildIntegral"}},
                   {"Integral", "OursIntegral", {"GslIntegral"}},
                   {"Inverse", "OursInverse", {"GslInverse"}},
                   {"MaxCentroid", "OursMaxCentroid", {"GslMaxCentroid"}}};
#ifdef OPM_HAVE_GSL
    gsl_set_error_handler_off(); // a failing GSL call returns its status instead of aborting
#endif
    return RunBenchmarksWithRatios(argc, argv, table);
}
