// Bit identity of the statistics family over seeded samples (ordinary, few distinct values,
// signed zeros, sorted, huge and tiny, subnormal, infinite and NaN): median, standard deviation,
// RMS, line and smoothing through libTorvik.so, and the polynomial fit's wrapper (what it hands
// to the external routine and how it reads the solution back). Each operation's outputs hash to
// the value recorded for it.
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Statistics.h"
#include "frame/ExternalRoutines.h"
#include "support/BitIdentity.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using identity::Hash;
using identity::Operation;

enum Kind { kUniform, kFewValues, kZeros, kAscending, kDescending, kNasty, kInfinite, kNaN };
constexpr Kind kKinds[] = {kUniform,    kFewValues, kZeros,    kAscending,
                           kDescending, kNasty,     kInfinite, kNaN};

// Zeros of both signs, with a few ones.
constexpr double kZeroOrOne[] = {0.0, -0.0, 1.0, -0.0};

std::vector<double> Samples(long n, Kind kind, identity::Seeded& rng) {
    std::vector<double> v(static_cast<std::size_t>(n));
    for (double& x : v) {
        const double u = rng.Uniform(-100.0, 100.0);
        x = kind == kFewValues ? double(rng.Below(4))
            : kind == kZeros   ? kZeroOrOne[rng.Below(4)]
            : kind == kNasty   ? rng.Nasty()
                               : u;
    }
    if (kind == kAscending || kind == kDescending) {
        std::sort(v.begin(), v.end());
    }
    if (kind == kDescending) {
        std::reverse(v.begin(), v.end());
    }
    if ((kind == kInfinite || kind == kNaN) && n > 0) {
        v[std::size_t(rng.Below(n))] = kind == kNaN ? identity::QuietNaN() : identity::kInf;
        v[std::size_t(rng.Below(n))] = kind == kNaN ? identity::QuietNaN() : -identity::kInf;
    }
    return v;
}

std::string Label(long n, Kind kind) {
    static const char* const names[] = {"uniform",    "fewvalues", "zeros",    "ascending",
                                        "descending", "nasty",     "infinite", "nan"};
    return std::to_string(n) + "/" + names[kind];
}

template <class Each>
void ForEachSample(Operation& op, std::initializer_list<long> sizes, Each each) {
    identity::Seeded rng(41);
    for (const long n : sizes) {
        for (const Kind kind : kKinds) {
            std::vector<double> v = Samples(n, kind, rng);
            Hash h;
            each(v, h);
            op.Record(Label(n, kind), h);
        }
    }
}

double MedeanOf(const std::vector<double>& v) {
    DoubleArray array;
    for (const double x : v) {
        array.Add(x);
    }
    return Statistics::Medean(array);
}

void Medean(Operation& op) {
    ForEachSample(op, {0, 1, 2, 3, 4, 5, 6, 7, 8, 100, 101, 300, 301, 4096, 5000, 5001},
                  [](const std::vector<double>& v, Hash& h) { h.Add(MedeanOf(v)); });
    // Which zero is selected decides the sign of a zero median: many arrays of mixed zeros.
    identity::Seeded rng(42);
    for (const long n : {4L, 6L, 8L, 10L, 12L, 14L, 16L, 32L, 64L, 5000L, 5001L}) {
        Hash h;
        for (int repeat = 0; repeat < 8; ++repeat) {
            h.Add(MedeanOf(Samples(n, kZeros, rng)));
        }
        op.Record(Label(n, kZeros) + "/more", h);
    }
}

// Slices from empty to whole, and a reversed one whose count wraps.
const unsigned long kSlices[][2] = {{0, 0}, {0, 1}, {3, 5}, {0, 7}, {2, 50}, {0, 50}, {9, 4}};

void StandardDeviationAndRms(Operation& op, bool rms) {
    ForEachSample(op, {50}, [rms](const std::vector<double>& v, Hash& h) {
        for (const auto& slice : kSlices) {
            h.Add(rms ? Statistics::RMS(v.data(), slice[0], slice[1])
                      : Statistics::StandardDeviation(v.data(), slice[0], slice[1]));
        }
        const std::vector<double> close(6, 0.1 + 1e-17); // nearly equal: the radicand may be < 0
        h.Add(rms ? Statistics::RMS(close.data(), 0, 6)
                  : Statistics::StandardDeviation(close.data(), 0, 6));
    });
}

// The real external routines for the duration of one operation.
class LibTorvik {
public:
    LibTorvik() { opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm}; }
    ~LibTorvik() { opm::detail::g_externalRoutines = saved_; }

private:
    opm::detail::ExternalRoutineSlots saved_ = opm::detail::g_externalRoutines;
};

void Line(Operation& op) {
    const LibTorvik torvik;
    ForEachSample(op, {1, 2, 3, 36, 300}, [](std::vector<double>& y, Hash& h) {
        std::vector<double> x(y.size()), equal(y.size(), 0.1);
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] = 1000.0 + 0.5 * double(i * i % 7) + double(i);
        }
        for (std::vector<double>* abscissae : {&x, &equal}) {
            double r1 = -1.5, r2 = -2.5, r3 = -3.5;
            h.Add(Statistics::Line(abscissae->data(), y.data(), int(y.size()), r1, r2, r3));
            h.Add(r1).Add(r2).Add(r3);
        }
    });
}

void GaussSmooth(Operation& op) {
    const LibTorvik torvik;
    const int settings[][4] = {{0, -1, 1, 1}, {0, -1, 2, 1}, {3, -4, 3, 2}, {0, -1, 5, 3},
                               {2, 2, 1, 1},  {-1, 3, 1, 1}, {0, -1, 0, 1}, {0, -1, 2, 0}};
    ForEachSample(op, {1, 5, 50, 300}, [&](const std::vector<double>& v, Hash& h) {
        const int n = int(v.size());
        for (const auto& s : settings) { // first, last (from the end when negative), width, passes
            std::vector<double> data = v;
            const int last = s[1] < 0 ? n + s[1] : s[1];
            h.Add(Statistics::GaussSmooth(data.data(), n, s[0], last, s[2], s[3])).Add(data);
        }
    });
}

// Stands in for lesqso: hashes every argument it is handed and writes a solution derived from
// them, so that the wrapper's design rows, right-hand side and coefficient order are pinned.
// (The solution of libTorvik.so itself comes from the machine's LAPACK, whose last bits depend
// on the BLAS installed; the fitting tests check it with tolerances.)
Hash* g_handedOver = nullptr;
int HashingLesqso(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x) {
    g_handedOver->Add(m).Add(n).Add(mda).Add(nda).Add(nb);
    for (int i = 0; i < m; ++i) {
        g_handedOver->Add(a[i], 0, n - 1).Add(b[i], 0, nb - 1);
    }
    for (int j = 0; j < n; ++j) {
        g_handedOver->Add(x[j][0]); // the wrapper's initial solution
        x[j][0] = a[m - 1][j] + double(j);
    }
    return 0;
}

// Fits with abscissae at calibration bins over 0..4000 (the seeded samples as ordinates), or at
// the seeded samples themselves (repeated, huge, non-finite).
void PolynomialCoefsHandedOver(Operation& op) {
    const LibTorvik torvik;
    opm::detail::g_externalRoutines.lesqso = HashingLesqso;
    ForEachSample(op, {1, 2, 3, 6, 100, 1000}, [](const std::vector<double>& v, Hash& h) {
        g_handedOver = &h; // read by HashingLesqso only
        const long m = long(v.size());
        MZBinArray bins, samples;
        MZArray mz;
        for (long i = 0; i < m; ++i) {
            bins.Add(m > 1 ? 4000.0 * double(i) / double(m - 1) : 17.0);
            samples.Add(v[std::size_t(i)]);
            mz.Add(100.0 + 0.4 * bins[i] + v[std::size_t(i)] * 1e-3);
        }
        for (const MZBinArray* abscissae : {&bins, &samples}) {
            for (unsigned degree = 0; degree <= 5; ++degree) {
                DoubleArray coefs;
                try {
                    LeastSquares::PolynomialCoefs(*abscissae, mz, degree, coefs);
                } catch (const CInvalidArgException&) {
                    h.Add(-1L);
                }
                h.Add(std::vector<double>(coefs.GetData(), coefs.GetData() + coefs.GetSize()));
            }
        }
    });
}

const identity::Recorded kRecorded[] = {
    {"Medean", 0x8c755f71cdccb7f2, Medean},
    {"StandardDeviation", 0x43a99965f4fe967e,
     [](Operation& op) { StandardDeviationAndRms(op, false); }},
    {"RMS", 0x42ea7bdb11cfc5df, [](Operation& op) { StandardDeviationAndRms(op, true); }},
    {"Line", 0xc4208b5c65676882, Line},
    {"GaussSmooth", 0x684006a6c5eb129e, GaussSmooth},
    {"PolynomialCoefs", 0x7fea561c053fdb9b, PolynomialCoefsHandedOver, true}, // std::pow
};

TEST(StatisticsBitIdentity, EveryOperationKeepsItsRecordedBits) {
    identity::ExpectRecordedHashes(kRecorded);
}

} // namespace
