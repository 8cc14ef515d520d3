// Eight threads call every family at once, each on data of its own; every thread's results must
// be the bits that the same calls give on one thread. Under ThreadSanitizer (the tsan preset)
// the same run also shows that the calls share no mutable state beyond the one documented race
// (the external library's process-wide error code, suppressed in ThreadSanitizer.supp).
#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Splines.h"
#include "OstraPureMath/Statistics.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// Every output bit of one thread's calls, in call order.
class Bits {
public:
    void Add(double v) {
        std::uint64_t b = 0;
        std::memcpy(&b, &v, 8);
        bits_.push_back(b);
    }
    void Add(const double* v, long first, long last) {
        for (long i = first; i <= last; ++i) {
            Add(v[i]);
        }
    }
    void Add(const std::vector<double>& v) { Add(v.data(), 0, long(v.size()) - 1); }
    void AddCount(long long c) { bits_.push_back(std::uint64_t(c)); }
    bool operator==(const Bits& other) const { return bits_ == other.bits_; }
    std::size_t Size() const { return bits_.size(); }

private:
    std::vector<std::uint64_t> bits_;
};

// A 1-based row-pointer matrix made by Matrix::dMatrix, released with it.
class Frame {
public:
    Frame(long rows, long cols)
        : rows_(rows), cols_(cols), a_(Matrix().dMatrix(1, rows, 1, cols)) {}
    ~Frame() { Matrix().dMatrixFree(a_, 1, rows_, 1, cols_); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    double** operator*() const { return a_; }
    void AddTo(Bits& bits, long rows, long cols) const {
        for (long i = 1; i <= rows; ++i) {
            bits.Add(a_[i], 1, cols);
        }
    }

private:
    long rows_, cols_;
    double** a_;
};

// Inputs of one thread: uniform values in [-1, 1) from a generator seeded with the thread.
class Data {
public:
    explicit Data(unsigned seed) : gen_(seed) {}
    double Next() { return std::uniform_real_distribution<double>(-1.0, 1.0)(gen_); }
    void Fill(Frame& f, long rows, long cols) {
        for (long i = 1; i <= rows; ++i) {
            for (long j = 1; j <= cols; ++j) {
                (*f)[i][j] = Next();
            }
        }
    }
    std::vector<double> Vector(std::size_t n) {
        std::vector<double> v(n);
        for (double& x : v) {
            x = Next();
        }
        return v;
    }

private:
    std::mt19937_64 gen_;
};

void MatrixFamily(Data& data, Bits& out) {
    const Matrix mat;
    const long m = 30, n = 12, nb = 2;
    Frame a(m, n), b(m, nb), x(n, nb), v(n, n), s(n, n), u(n, n);
    data.Fill(a, m, n);
    data.Fill(b, m, nb);
    std::vector<double> residual(nb + 1), w(n + 1), rhs = data.Vector(m + 1), sol(n + 1);
    long rank = n;
    bool converged = false;
    mat.SingularValueDecomposition(*a, *b, *x, residual.data(), m, rank, nb, 1e-12, converged);
    a.AddTo(out, n, n), x.AddTo(out, n, nb), out.Add(residual), out.AddCount(rank);
    out.AddCount(converged);

    data.Fill(a, m, n);
    out.AddCount(mat.SingularValueDecompNRC(*a, m, n, w.data(), *v));
    mat.SingularValueBackSubNRC(*a, w.data(), *v, m, n, rhs.data(), sol.data());
    a.AddTo(out, m, n), v.AddTo(out, n, n), out.Add(w.data(), 1, n), out.Add(sol.data(), 1, n);

    // s = v^T v + n I is positive definite.
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            double dot = i == j ? double(n) : 0.0;
            for (long k = 1; k <= n; ++k) {
                dot += (*v)[k][i] * (*v)[k][j];
            }
            (*s)[i][j] = dot;
        }
    }
    mat.CholeskyInvert(*s, *u, n);
    s.AddTo(out, n, n), u.AddTo(out, n, n);
    data.Fill(s, n, n);
    for (long i = 1; i <= n; ++i) {
        (*s)[i][i] += 2.0 * double(n);
    }
    out.AddCount(mat.LUDecomposition(*s, n, n));
    mat.LUSolve(*s, rhs.data(), n, n);
    s.AddTo(out, n, n), out.Add(rhs.data(), 1, n);
    std::vector<double> nodes(n + 1), q = data.Vector(n + 1);
    for (long i = 1; i <= n; ++i) {
        nodes[std::size_t(i)] = double(i) + 0.25 * data.Next();
    }
    mat.VanderMondeSolution(nodes.data(), w.data(), q.data(), n);
    out.Add(w.data(), 1, n);
}

void PolynomialFamily(Data& data, Bits& out) {
    for (std::size_t terms = 2; terms <= 6; ++terms) {
        std::vector<double> c = data.Vector(terms), roots, extrema;
        Polynomial p(c);
        p.Solve(0.1, roots);
        p.GetExtremaX(extrema);
        out.Add(roots), out.Add(extrema), out.Add(p.GetFirstDer()), out.Add(p.GetY(0.3));
        const double y = 0.0, lo = -3.0, hi = 3.0;
        out.Add(Equation::PolynomialBiSectionSolution(&y, &lo, &hi, c.data(), unsigned(terms - 1)));
    }
}

void SplinesFamily(Data& data, Bits& out) {
    const long n = 40;
    std::vector<double> x(n + 1), y(n + 1), c3(n + 1), c2(n + 1), c1(n + 1), m(n + 1);
    for (long k = 1; k <= n; ++k) {
        x[std::size_t(k)] = double(k);
        y[std::size_t(k)] = 2.0 + data.Next();
    }
    const Splines s;
    for (long code = 1; code <= 4; ++code) {
        m[1] = 0.5, m[n] = -0.5;
        out.AddCount(
            s.CubicSplines(x.data(), y.data(), code, n, c3.data(), c2.data(), c1.data(), m.data()));
        out.Add(c3), out.Add(c2), out.Add(c1), out.Add(m);
    }
    double area = 0, root = 0, slope = 0, xMax = 0, yMax = 0, xc = 0, yc = 0;
    s.CubicSplineIntegrate(3.5, 30.25, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                           area);
    s.CubicSplineSolve(2.0, 10.0, 11.0, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                       root);
    out.AddCount(s.CubicSplineMax(5.0, 35.0, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(),
                                  slope, xMax, yMax));
    s.CubicSplineCentroid(5.0, 35.0, n, x.data(), y.data(), c3.data(), c2.data(), c1.data(), area,
                          xc, yc);
    for (const double r : {area, root, slope, xMax, yMax, xc, yc}) {
        out.Add(r);
    }
}

void StatisticsFamily(Data& data, Bits& out) {
    std::vector<double> x(64), y = data.Vector(64);
    DoubleArray values;
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = double(i) + 0.5 * data.Next();
        values.Add(y[i]);
    }
    out.Add(Statistics::Medean(values));
    out.Add(Statistics::StandardDeviation(y.data(), 3, 60));
    out.Add(Statistics::RMS(y.data(), 0, 64));
    double intercept = 0, slope = 0, r = 0;
    out.AddCount(Statistics::Line(x.data(), y.data(), 64, intercept, slope, r));
    out.Add(intercept), out.Add(slope), out.Add(r);
    out.AddCount(Statistics::GaussSmooth(y.data(), 64, 5, 58, 4, 2));
    out.Add(y);

    MZBinArray bins;
    MZArray mz;
    for (std::size_t i = 0; i < x.size(); ++i) {
        bins.Add(x[i] * 50.0);
        mz.Add(100.0 + x[i] * (0.4 + x[i] * 1e-4) + 1e-3 * y[i]);
    }
    DoubleArray coefs;
    LeastSquares::PolynomialCoefs(bins, mz, 2, coefs);
    out.Add(coefs.GetData(), 0, long(coefs.GetSize()) - 1);

    std::stringbuf buffer;
    CArchive store(buffer, CArchive::store);
    values.Serialize(store);
    CArchive load(buffer, CArchive::load);
    DoubleArray back;
    back.Serialize(load);
    out.Add(back.GetData(), 0, long(back.GetSize()) - 1);
}

Bits EveryFamily(unsigned seed) {
    Data data(seed);
    Bits out;
    MatrixFamily(data, out);
    PolynomialFamily(data, out);
    SplinesFamily(data, out);
    StatisticsFamily(data, out);
    return out;
}

TEST(ConcurrentCallers, EightThreadsGetTheSingleThreadedBits) {
    constexpr unsigned kThreads = 8;
    constexpr int kRounds = 25;
    std::vector<Bits> expected;
    for (unsigned t = 0; t < kThreads; ++t) {
        expected.push_back(EveryFamily(t));
    }
    std::vector<std::vector<Bits>> got(kThreads);
    std::atomic<unsigned> ready{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Start together, so that the calls overlap.
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
                std::this_thread::yield();
            }
            for (int round = 0; round < kRounds; ++round) {
                got[t].push_back(EveryFamily(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (unsigned t = 0; t < kThreads; ++t) {
        ASSERT_GT(expected[t].Size(), 1000u);
        EXPECT_FALSE(t > 0 && expected[t] == expected[0])
            << "thread " << t << ": data not distinct";
        for (int round = 0; round < kRounds; ++round) {
            EXPECT_TRUE(got[t][std::size_t(round)] == expected[t])
                << "thread " << t << ", round " << round;
        }
    }
}

} // namespace
