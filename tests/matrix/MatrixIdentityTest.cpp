// Bit identity of every Matrix operation over seeded inputs, well-conditioned and nasty: each
// operation's output bits (results, flags, every element of every array it may write) hash to
// the value recorded for it.
#include "MatrixTestSupport.h"
#include "support/BitIdentity.h"

#include <string>

namespace {

using identity::Hash;
using identity::Operation;
using mtest::OwnedMatrix;

const Matrix kMat;

// Kinds of input matrix; each fills rows x cols from the seeded generator.
enum Kind { kWell, kNasty, kRankDeficient, kNearSingular, kZero, kHuge, kTiny, kNaN, kInf };
constexpr Kind kKinds[] = {kWell, kNasty, kRankDeficient, kNearSingular, kZero,
                           kHuge, kTiny,  kNaN,           kInf};

OwnedMatrix Input(long rows, long cols, Kind kind, identity::Seeded& rng) {
    OwnedMatrix a(rows, cols);
    for (long i = 1; i <= rows; ++i) {
        for (long j = 1; j <= cols; ++j) {
            const double u = rng.Uniform(-1.0, 1.0);
            a[i][j] = kind == kNasty  ? rng.Nasty()
                      : kind == kZero ? 0.0
                      : kind == kHuge ? u * 1e160
                      : kind == kTiny ? u * 1e-160
                                      : u;
            if (kind == kRankDeficient && j > (cols + 1) / 2) {
                a[i][j] = a[i][j - (cols + 1) / 2]; // repeated columns
            } else if (kind == kNearSingular && j == cols && cols > 1) {
                a[i][j] = a[i][1] + 1e-13 * u;
            }
        }
    }
    if (kind == kNaN || kind == kInf) {
        a[(rows + 1) / 2][(cols + 1) / 2] = kind == kNaN ? identity::QuietNaN() : -identity::kInf;
    }
    return a;
}

std::string Label(long rows, long cols, Kind kind) {
    static const char* const names[] = {"well", "nasty", "rankdef", "nearsingular", "zero",
                                        "huge", "tiny",  "nan",     "inf"};
    return std::to_string(rows) + "x" + std::to_string(cols) + "/" + names[kind];
}

// Symmetric input for Cholesky: B^T B + n I from an input matrix of the given kind (an
// indefinite and a singular one come from kNearSingular and kZero).
OwnedMatrix SymmetricInput(long n, Kind kind, identity::Seeded& rng) {
    const OwnedMatrix b = Input(n, n, kind, rng);
    OwnedMatrix a(n, n);
    kMat.MultiplyByATranspose(b.get(), b.get(), a.get(), n, n, n);
    for (long i = 1; i <= n; ++i) {
        a[i][i] += kind == kNearSingular ? -double(n) : kind == kZero ? 0.0 : double(n);
    }
    return a;
}

void LeastSquaresSvd(Operation& op) {
    identity::Seeded rng(11);
    // m, n and nb (cycling through 0..3 when 0); the last three only on well-conditioned input:
    // more right-hand sides than one block of factors holds, and two sizes refused untouched.
    const long shapes[][3] = {{1, 1, 0},    {2, 1, 0},    {2, 2, 0},   {3, 3, 0},
                              {5, 3, 0},    {10, 10, 0},  {20, 10, 0}, {300, 10, 0},
                              {120, 50, 0}, {4, 3, 1005}, {2, 3, 1},   {1001, 1, 1}};
    const double tolerances[] = {1e-12, 0.0, -1e-3, 2.0, identity::QuietNaN(), 1e-6};
    int index = 0;
    for (const auto& shape : shapes) {
        for (const Kind kind : kKinds) {
            if (shape[2] != 0 && kind != kWell) {
                continue;
            }
            const long m = shape[0], cols = shape[1], nb = shape[2] ? shape[2] : index % 4;
            OwnedMatrix a = Input(m, cols, kind, rng), b = Input(m, nb + 1, kWell, rng);
            OwnedMatrix x(cols, nb + 1);
            std::vector<double> residual(std::size_t(nb) + 2);
            long n = cols;
            bool converged = false;
            Hash h;
            h.Add(kMat.SingularValueDecomposition(a.get(), b.get(), x.get(), residual.data(), m, n,
                                                  nb, tolerances[index++ % 6], converged));
            h.Add(n).Add(converged).Add(a.Values()).Add(b.Values()).Add(x.Values());
            op.Record(Label(m, cols, kind) + "/nb" + std::to_string(nb), h.Add(residual));
        }
    }
}

void CompactSvdAndBackSubstitution(Operation& op, bool backSubstitution) {
    identity::Seeded rng(12);
    const long shapes[][2] = {{1, 1}, {2, 2}, {3, 2}, {2, 3}, {4, 4}, {8, 5}, {30, 30}, {150, 60}};
    for (const auto& shape : shapes) {
        for (const Kind kind : kKinds) {
            const long m = shape[0], n = shape[1];
            OwnedMatrix a = Input(m, n, kind, rng), v(n, n, 0.0);
            std::vector<double> w(std::size_t(n) + 1), b(std::size_t(m) + 1), x(w.size());
            const bool converged = kMat.SingularValueDecompNRC(a.get(), m, n, w.data(), v.get());
            Hash h;
            if (!backSubstitution) {
                h.Add(converged).Add(a.Values()).Add(w.data(), 1, n).Add(v.Values());
            } else {
                for (long i = 1; i <= m; ++i) {
                    b[std::size_t(i)] = rng.Uniform(-1.0, 1.0);
                }
                w[std::size_t(n)] = 0.0; // a dropped component
                h.Add(kMat.SingularValueBackSubNRC(a.get(), w.data(), v.get(), m, n, b.data(),
                                                   x.data()));
                h.Add(x.data(), 1, n);
            }
            op.Record(Label(m, n, kind), h);
        }
    }
}

void CholeskyFactorAndInverse(Operation& op, bool invert) {
    identity::Seeded rng(13);
    for (const long n : {1L, 2L, 3L, 5L, 16L, 40L, 200L}) {
        for (const Kind kind : kKinds) {
            OwnedMatrix a = SymmetricInput(n, kind, rng), u(n, n, -1.0);
            Hash h;
            h.Add(invert ? kMat.CholeskyInvert(a.get(), u.get(), n)
                         : kMat.CholeskyDecomposition(a.get(), u.get(), n));
            op.Record(Label(n, n, kind), h.Add(a.Values()).Add(u.Values()));
        }
    }
}

// LU factor of each input, then (when it succeeded) the solve with a seeded right-hand side.
void LuFactorAndSolve(Operation& op, bool solve) {
    identity::Seeded rng(14);
    for (const long n : {1L, 2L, 3L, 5L, 16L, 64L, 200L}) {
        for (const Kind kind : kKinds) {
            OwnedMatrix a = Input(n, n, kind, rng);
            for (long i = 1; i <= n && kind != kNasty; ++i) {
                a[i][i] += kind == kRankDeficient ? 0.0 : double(n); // most pivots pass the test
            }
            if (kind == kTiny && n > 1) {
                a[1][1] = 1e-10; // exactly the tolerance passes
            }
            std::vector<double> b(std::size_t(n) + 1);
            for (long i = 1; i <= n; ++i) {
                b[std::size_t(i)] = rng.Uniform(-1.0, 1.0);
            }
            const bool factored = kMat.LUDecomposition(a.get(), n, n);
            Hash h;
            if (!solve) {
                h.Add(factored).Add(a.Values());
            } else if (factored) {
                h.Add(kMat.LUSolve(a.get(), b.data(), n, n)).Add(b.data(), 1, n);
            }
            op.Record(Label(n, n, kind), h);
        }
    }
}

void Vandermonde(Operation& op) {
    identity::Seeded rng(15);
    for (const long n : {1L, 2L, 3L, 8L, 20L, 60L}) {
        for (const Kind kind : {kWell, kNasty, kRankDeficient, kHuge, kTiny, kNaN}) {
            const OwnedMatrix xq = Input(2, n, kind, rng); // abscissae in row 1, q in row 2
            std::vector<double> w(std::size_t(n) + 1);
            Hash h;
            h.Add(kMat.VanderMondeSolution(xq[1], w.data(), xq[2], n)).Add(w.data(), 1, n);
            op.Record(Label(1, n, kind), h);
        }
    }
}

// Vectors and pairs for the reflections and rotations: special values and seeded nasty ones.
std::vector<double> Specials() {
    identity::Seeded rng(16);
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 3.0, -4.0, 1e300, -1e-300, 0x1.0p-1070};
    v.insert(v.end(), {identity::kInf, -identity::kInf, identity::QuietNaN()});
    for (int i = 0; i < 20; ++i) {
        v.push_back(rng.Nasty());
    }
    return v;
}

void Householder(Operation& op) {
    const std::vector<double> specials = Specials();
    identity::Seeded rng(17);
    for (const long m : {1L, 2L, 5L, 40L}) {
        for (std::size_t s = 0; s < specials.size(); ++s) {
            OwnedMatrix v(1, m), c(1, m);
            for (long i = 1; i <= m; ++i) {
                v[1][i] = rng.Nasty();
                c[1][i] = rng.Uniform(-1.0, 1.0);
            }
            v[1][1] = specials[s];
            if (s % 5 == 4) {
                std::fill(&v[1][1], &v[1][m] + 1, 0.0); // zero segment: refused
            }
            double up = -2.0, b = -3.0;
            Hash h;
            h.Add(kMat.HouseHolderTransform(v[1], up, b, m, 1, 2)).Add(up).Add(b);
            h.Add(kMat.HouseHolderTransformVector(v[1], up, b, c[1], m, 1, 2)).Add(c.Values());
            h.Add(kMat.HouseHolderTransformVector(v[1], up, b, v[1], m, 1, 2)).Add(v.Values());
            op.Record(std::to_string(m) + "/" + std::to_string(s), h);
        }
    }
}

void Givens(Operation& op) {
    const std::vector<double> specials = Specials();
    for (std::size_t i = 0; i < specials.size(); ++i) {
        for (std::size_t j = 0; j < specials.size(); ++j) {
            double a = specials[i], b = specials[j], c = 0.0, s = 0.0;
            Hash h;
            h.Add(kMat.GivensRotationDefinition(a, b, c, s)).Add(a).Add(b).Add(c).Add(s);
            double x = 0.75, y = -1.25;
            h.Add(kMat.GivensRotationTwoComponent(x, y, c, s)).Add(x).Add(y);
            h.Add(kMat.GivensRotationVector(a, b, c, s)).Add(a).Add(b).Add(c).Add(s);
            h.Add(kMat.Pythag(specials[i], specials[j]));
            op.Record(std::to_string(i) + "/" + std::to_string(j), h);
        }
    }
}

// The elementwise, row and column operations and the product with a transpose, in one sequence
// on one seeded matrix.
void Elementwise(Operation& op) {
    identity::Seeded rng(18);
    for (const long n : {1L, 2L, 7L}) {
        OwnedMatrix a = Input(n + 1, n, kNasty, rng), c(n, n, -1.0);
        std::vector<double> v(std::size_t(n) + 2), y(v.size());
        std::vector<short> flags(v.size());
        for (std::size_t i = 0; i < v.size(); ++i) {
            y[i] = rng.Nasty();
            flags[i] = short(rng.Below(3));
        }
        Hash h;
        h.Add(kMat.GetColumnVector(a.get(), v.data(), n + 1, n, n)).Add(v);
        h.Add(kMat.ReplaceIthRowVector(a.get(), v.data(), n + 1, n, 1)).Add(a.Values());
        h.Add(kMat.ScalarMultiply(v.data(), v.data(), -2.5, n)).Add(v);
        h.Add(kMat.GetRowVector(a.get(), y.data(), n + 1, n, n + 1)).Add(y);
        h.Add(kMat.ReplaceIthColumnVector(a.get(), y.data(), n + 1, n, 1)).Add(a.Values());
        h.Add(kMat.ReplaceSubVector(v.data(), y.data(), n, n, flags.data())).Add(v);
        h.Add(kMat.MultiplyByATranspose(a.get(), a.get(), c.get(), n, n + 1, n)).Add(c.Values());
        h.Add(kMat.MultiplyByATranspose(a.get(), a.get(), c.get(), n, 0, n)).Add(c.Values());
        h.Add(kMat.ZeroVector(v.data(), n)).Add(v);
        h.Add(kMat.ZeroMatrix(a.get(), n, n)).Add(a.Values());
        op.Record(std::to_string(n), h);
    }
}

const identity::Recorded kRecorded[] = {
    {"SingularValueDecomposition", 0x9e66282a0d5accae, LeastSquaresSvd},
    {"SingularValueDecompNRC", 0x70a36c8a789fac59,
     [](Operation& op) { CompactSvdAndBackSubstitution(op, false); }},
    {"SingularValueBackSubNRC", 0xd6f9a4f05d9cc77a,
     [](Operation& op) { CompactSvdAndBackSubstitution(op, true); }},
    {"CholeskyDecomposition", 0x999b1809bbb8f534,
     [](Operation& op) { CholeskyFactorAndInverse(op, false); }},
    {"CholeskyInvert", 0xf745ea67e83a832e,
     [](Operation& op) { CholeskyFactorAndInverse(op, true); }},
    {"LUDecomposition", 0x4b11bf55982dda94, [](Operation& op) { LuFactorAndSolve(op, false); }},
    {"LUSolve", 0xd6d53f34874bf7fa, [](Operation& op) { LuFactorAndSolve(op, true); }},
    {"VanderMondeSolution", 0x42bdd6908af9bc98, Vandermonde},
    {"HouseHolderTransform", 0xaa8f32947b69c5ca, Householder},
    {"GivensRotationAndPythag", 0x200246923e0c935a, Givens},
    {"ElementwiseRowsColumns", 0x3568f31cf75c75d3, Elementwise},
};

TEST(MatrixBitIdentity, EveryOperationKeepsItsRecordedBits) {
    identity::ExpectRecordedHashes(kRecorded);
}

} // namespace
