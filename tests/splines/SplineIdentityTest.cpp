// Bit identity of the spline family over seeded splines: every end condition on knots that are
// evenly spaced, uneven, far from the origin, closely spaced, repeated, out of order or
// descending, from 2 to 300 knots; evaluation, derivative, integral, inverse, maximum and
// centroid on each. Each operation's outputs hash to the value recorded for it.
#include "SplineFixture.h"
#include "support/BitIdentity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

using identity::Hash;
using identity::Operation;

enum Knots { kUnit, kUneven, kFar, kClose, kRepeated, kSwapped, kDescending };
const char* const kKnotNames[] = {"unit",     "uneven",  "far",       "close",
                                  "repeated", "swapped", "descending"};

// Splines not yet built: knots of the given kind, ordinates a peak (positive or negative), a
// constant or nasty values; m[1] and m[n] hold the end slopes (code 4) or the caller's values.
Spline Samples(long n, Knots knots, int shape, identity::Seeded& rng) {
    Spline s{std::vector<double>(std::size_t(n)), std::vector<double>(std::size_t(n))};
    double x = knots == kFar ? 1e6 : 1.0;
    for (long k = 0; k < n; ++k) {
        s.x[k] = x;
        x += knots == kUneven ? rng.Uniform(0.1, 2.0) : knots == kClose ? 1e-7 : 1.0;
        const double t = (s.x[k] - s.x[0]) / double(n) * 8.0 - 4.0;
        s.y[k] = shape == 0   ? 100.0 * std::exp(-t * t) + 1.0
                 : shape == 1 ? -50.0 * std::exp(-t * t)
                 : shape == 2 ? 3.5
                              : rng.Nasty();
    }
    if (knots == kRepeated && n > 2) {
        s.x[n / 2] = s.x[n / 2 - 1];
    } else if (knots == kSwapped && n > 3) {
        std::swap(s.x[n / 2], s.x[n / 2 - 1]);
    } else if (knots == kDescending) {
        std::reverse(s.x.begin(), s.x.end());
    }
    s.m.front() = rng.Uniform(-2.0, 2.0);
    s.m.back() = rng.Uniform(-2.0, 2.0);
    return s;
}

// Calls `each(spline, hash)` on every seeded spline built with every end condition its size
// allows, recording one case per spline.
template <class Each> void ForEachSpline(Operation& op, Each each) {
    identity::Seeded rng(31);
    int index = 0;
    for (const long n : {2L, 3L, 4L, 6L, 12L, 300L}) {
        for (const Knots knots : {kUnit, kUneven, kFar, kClose, kRepeated, kSwapped, kDescending}) {
            for (const long code : {1L, 2L, 3L, 4L, 0L, 7L}) {
                if ((code == 2 && n < 3) || (code == 3 && n < 4)) {
                    continue;
                }
                const int shape = index++ % 4;
                Spline s = Samples(n, knots, shape, rng);
                s.Build(code);
                Hash h;
                each(s, h);
                op.Record(std::to_string(n) + "/" + kKnotNames[knots] + "/code" +
                              std::to_string(code) + "/shape" + std::to_string(shape),
                          h);
            }
        }
    }
}

// Abscissae around a spline: every knot and midpoint, beyond both ends, and not numbers.
std::vector<double> Abscissae(const Spline& s) {
    std::vector<double> at = {s.x.front() - 1.0, s.x.back() + 1.0, identity::QuietNaN(),
                              identity::kInf, -identity::kInf};
    for (long k = 0; k < s.n; ++k) {
        at.push_back(s.x[k]);
        if (k + 1 < s.n) {
            at.push_back(0.5 * (s.x[k] + s.x[k + 1]));
        }
    }
    return at;
}

// Windows inside, across and outside the knots, reversed, and not numbers.
std::vector<std::array<double, 2>> Windows(const Spline& s) {
    const double first = s.x.front(), last = s.x.back(), middle = s.x[s.n / 2];
    const double quarter = s.x[s.n / 4] + 0.3 * (s.x[s.n / 4 + 1] - s.x[s.n / 4]);
    return {{first, last},
            {last, first},
            {quarter, last},
            {first, middle},
            {quarter, middle},
            {first - 2.0, last + 2.0},
            {middle, middle},
            {last + 1.0, last + 2.0},
            {identity::QuietNaN(), last},
            {s.x[1], s.x[s.n - 2]}};
}

void Build(Operation& op) {
    ForEachSpline(op, [](const Spline& s, Hash& h) {
        h.Add(s.x).Add(s.y).Add(s.c3).Add(s.c2).Add(s.c1).Add(s.m);
    });
}

void EvalAndDer(Operation& op) {
    ForEachSpline(op, [](const Spline& s, Hash& h) {
        for (const double X : Abscissae(s)) {
            h.Add(s.Eval(X)).Add(s.Der(X));
        }
    });
}

void Integrate(Operation& op) {
    ForEachSpline(op, [](const Spline& s, Hash& h) {
        for (const auto& w : Windows(s)) {
            h.Add(s.Integral(w[0], w[1]));
        }
    });
}

void Solve(Operation& op) {
    ForEachSpline(op, [](const Spline& s, Hash& h) {
        const long k = s.n / 2;
        const double crossing = 0.5 * (s.y[k - 1] + s.y[k]);
        for (const double target : {crossing, 1e6, identity::QuietNaN()}) {
            for (const auto& w : Windows(s)) {
                h.Add(s.Solve(target, w[0], w[1]));
            }
            h.Add(s.Solve(target, 0.0, identity::kInf));
        }
    });
}

void Max(Operation& op) {
    ForEachSpline(op, [](const Spline& s, Hash& h) {
        for (const auto& w : Windows(s)) {
            const MaxResult r = s.Max(w[0], w[1]);
            h.Add(r.found).Add(r.slope).Add(r.xMax).Add(r.yMax);
        }
    });
}

void Centroid(Operation& op) {
    ForEachSpline(op, [](const Spline& s, Hash& h) {
        for (const auto& w : Windows(s)) {
            const CentroidResult r = s.Centroid(w[0], w[1]);
            h.Add(r.area).Add(r.xCentroid).Add(r.yCentroid);
        }
    });
}

const identity::Recorded kRecorded[] = {
    {"CubicSplines", 0x1d41dafb5c485b17, Build, true}, // ordinates through std::exp
    {"CubicSplineEvalDer", 0xad4903d9c77f4068, EvalAndDer, true},
    {"CubicSplineIntegrate", 0xeb1d1de7e1697428, Integrate},
    {"CubicSplineSolve", 0xb6070d565dda276d, Solve},
    {"CubicSplineMax", 0xcf4cb854b3895a59, Max},
    {"CubicSplineCentroid", 0x1ff32194dc236078, Centroid},
};

TEST(SplineBitIdentity, EveryOperationKeepsItsRecordedBits) {
    identity::ExpectRecordedHashes(kRecorded);
}

} // namespace
