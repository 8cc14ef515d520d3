// Line, GaussSmooth and PolynomialCoefs: what they validate, pass and read back (fake external
// routines in the entry slots), their exit paths, and real fits through libTorvik.so
// (calibration-like data).
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Statistics.h"
#include "frame/ExternalRoutines.h"
#include "torvik/Torvik.h"

#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// What the fakes saw (every fake records its integer arguments).
struct Calls {
    std::vector<long long> args;
    std::vector<const void*> pointers;
    std::vector<std::vector<double>> designRows;
    std::vector<double> rhs;
} g_calls;
int g_fakeErrorCode = 0;

int FakeStline(double* x, double* y, int n, double* r1, double* r2, double* r3) {
    g_calls.pointers = {x, y, r1, r2, r3};
    g_calls.args = {n};
    *r1 = 1.5, *r2 = 2.5, *r3 = 3.5;
    g_fakeErrorCode = 7;
    return 99; // not what Line returns
}

int FakeStgssm(double* data, int n, int first, int last, int halfWidth, int passes) {
    g_calls.pointers = {data};
    g_calls.args = {n, first, last, halfWidth, passes};
    return -5;
}

// Records the call and writes 10 (j + 1) into solution row j, so that the reversal shows.
int FakeLesqso(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x) {
    g_calls.args = {m, n, mda, nda, nb};
    for (int i = 0; i < m; ++i) {
        g_calls.designRows.emplace_back(a[i], a[i] + n);
        g_calls.rhs.push_back(b[i][0]);
    }
    for (int j = 0; j < n; ++j) {
        EXPECT_NE(x[j], b[j]); // the solution has storage of its own
        x[j][0] = 10.0 * (j + 1);
    }
    return 0;
}

std::vector<double> Elements(const DoubleArray& array) {
    return std::vector<double>(array.GetData(), array.GetData() + array.GetSize());
}

// Abscissae and ordinates as the host arrays (the framework's arrays are not copyable).
struct Samples {
    Samples(const std::vector<double>& b, const std::vector<double>& m) {
        for (const double v : b) {
            bins.Add(v);
        }
        for (const double v : m) {
            mz.Add(v);
        }
    }
    MZBinArray bins;
    MZArray mz;
};

class Fitting : public ::testing::Test {
protected:
    void SetUp() override {
        opm::detail::g_externalRoutines = {FakeLesqso, FakeStline, &g_fakeErrorCode, FakeStgssm};
        g_calls = Calls{};
    }
    void TearDown() override { opm::detail::g_externalRoutines = saved_; }
    static void UseLibTorvik() {
        opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
    }

private:
    opm::detail::ExternalRoutineSlots saved_ = opm::detail::g_externalRoutines;
};

TEST_F(Fitting, LineValidatesAndPassesItsArgumentsInOrder) {
    double x[] = {1, 2, 3}, y[] = {3, 4, 5}, r1 = 8, r2 = 8, r3 = 8;
    const struct {
        double *x, *y;
        int n;
    } bad[] = {{nullptr, y, 2}, {x, nullptr, 2}, {x, y, 0}, {x, y, -3}};
    for (const auto& c : bad) {
        EXPECT_EQ(Statistics::Line(c.x, c.y, c.n, r1, r2, r3), -1);
    }
    EXPECT_EQ(r1 + r2 + r3, 24.0);
    EXPECT_TRUE(g_calls.args.empty()); // the library is not called

    EXPECT_EQ(Statistics::Line(x, y, 3, r1, r2, r3), 7); // the library's error code
    EXPECT_EQ(g_calls.pointers, (std::vector<const void*>{x, y, &r1, &r2, &r3}));
    EXPECT_EQ(g_calls.args, (std::vector<long long>{3}));
    EXPECT_EQ(std::vector<double>({r1, r2, r3}), (std::vector<double>{1.5, 2.5, 3.5}));

    EXPECT_EQ(Statistics::GaussSmooth(x, -4, 11, 22, 33, 44), -5); // negative result unchanged
    EXPECT_EQ(g_calls.pointers, (std::vector<const void*>{x}));
    EXPECT_EQ(g_calls.args, (std::vector<long long>{-4, 11, 22, 33, 44}));
}

// Leaves a trace on standard error, which a death test can match.
int TracingStline(double*, double*, int, double*, double*, double*) {
    std::fputs("stline called\n", stderr);
    return 0;
}

TEST_F(Fitting, NullSlotsEndTheProcessWithStatusOne) {
    double x[] = {1, 2}, y[] = {3, 4}, r = 0;
    const Samples samples({1, 2, 3}, {1, 2, 3}), shortMz({1, 2, 3}, {1, 2});
    DoubleArray coefs;
    opm::detail::g_externalRoutines.stline = nullptr;
    EXPECT_EXIT(Statistics::Line(x, y, 2, r, r, r), ::testing::ExitedWithCode(1), "");
    opm::detail::g_externalRoutines.stline = TracingStline;
    opm::detail::g_externalRoutines.sciErrCode = nullptr; // tested only after the call
    EXPECT_EXIT(Statistics::Line(x, y, 2, r, r, r), ::testing::ExitedWithCode(1), "stline called");
    opm::detail::g_externalRoutines.stgssm = nullptr;
    EXPECT_EXIT(Statistics::GaussSmooth(x, 2, 0, 1, 1, 1), ::testing::ExitedWithCode(1), "");
    opm::detail::g_externalRoutines.lesqso = nullptr;
    EXPECT_EXIT(LeastSquares::PolynomialCoefs(samples.bins, samples.mz, 1, coefs),
                ::testing::ExitedWithCode(1), "");
    // The slot is tested only after the work storage is filled: a short mzArray raises first.
    EXPECT_THROW(LeastSquares::PolynomialCoefs(shortMz.bins, shortMz.mz, 1, coefs),
                 CInvalidArgException);
}

TEST_F(Fitting, PolynomialDesignRowsCoefficientReversalAndRefusals) {
    DoubleArray coefs;
    const Samples three({2, 3, 5}, {7, 8, 9}), two({2, 3}, {7, 8});
    LeastSquares::PolynomialCoefs(three.bins, three.mz, 2, coefs);
    EXPECT_EQ(g_calls.args, (std::vector<long long>{3, 3, 3, 3, 1}));
    EXPECT_EQ(g_calls.designRows,
              (std::vector<std::vector<double>>{{4, 2, 1}, {9, 3, 1}, {25, 5, 1}}));
    EXPECT_EQ(g_calls.rhs, (std::vector<double>{7, 8, 9}));
    EXPECT_EQ(Elements(coefs), (std::vector<double>{30, 20, 10})); // [0] from the last row
    g_calls = Calls{};
    LeastSquares::PolynomialCoefs(two.bins, two.mz, 0, coefs);
    EXPECT_EQ(g_calls.designRows, (std::vector<std::vector<double>>{{1}, {1}}));
    EXPECT_EQ(Elements(coefs), (std::vector<double>{10}));

    g_calls = Calls{};
    coefs.SetSize(0);
    for (int i = 0; i < 5; ++i) {
        coefs.Add(5.0); // stale contents
    }
    const Samples shortMz({1, 2, 3, 4}, {1, 2, 3}), tooFew({1, 2}, {1, 2});
    EXPECT_THROW(LeastSquares::PolynomialCoefs(shortMz.bins, shortMz.mz, 2, coefs),
                 CInvalidArgException);
    EXPECT_EQ(coefs.GetSize(), 3);
    // Too few samples are refused before anything is allocated: a degree of 2^27 would
    // otherwise zero-fill 1 GiB of coefficients first.
    for (const unsigned degree : {2u, 1u << 27, ~0u}) {
        EXPECT_THROW(LeastSquares::PolynomialCoefs(tooFew.bins, tooFew.mz, degree, coefs),
                     CInvalidArgException);
        EXPECT_EQ(Elements(coefs), (std::vector<double>{5, 5, 5})); // left as it was
    }
    EXPECT_THROW(LeastSquares::PolynomialCoefs(MZBinArray(), MZArray(), 0, coefs),
                 CInvalidArgException);
    EXPECT_TRUE(g_calls.args.empty());
}

// An array of INT_MAX samples (a reserved mapping; only the pages near the end are touched)
// smoothed at its last sample: the window's end, last + halfWidth, lies beyond INT_MAX.
TEST_F(Fitting, GaussSmoothAtTheEndOfAnArrayOfIntMaxSamples) {
    UseLibTorvik();
    const std::size_t bytes = std::size_t(INT_MAX) * sizeof(double);
#if defined(_WIN32) // reserved address space; only its last 64 KiB committed
    char* const block =
        static_cast<char*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(block, nullptr);
    ASSERT_NE(VirtualAlloc(block + bytes - 65536, 65536, MEM_COMMIT, PAGE_READWRITE), nullptr);
#else
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
#endif
    double* const data = reinterpret_cast<double*>(block);
    const int last = INT_MAX - 1;
    data[last - 2] = 4.0, data[last - 1] = 2.0, data[last] = 1.0;
    EXPECT_EQ(Statistics::GaussSmooth(data, INT_MAX, last, last, 2, 1), 0);
    // sigma = 1: weights 1, exp(-1/2), exp(-2) over the samples at offsets 0, -1, -2.
    const double w1 = std::exp(-0.5), w2 = std::exp(-2.0);
    EXPECT_NEAR(data[last], (1.0 + w1 * 2.0 + w2 * 4.0) / (1.0 + w1 + w2), 1e-15);
#if defined(_WIN32)
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, bytes);
#endif
}

// |actual - expected| <= tolerance |expected| for each coefficient.
void ExpectCoefficients(const DoubleArray& actual, const std::vector<double>& expected,
                        double tolerance) {
    ASSERT_EQ(actual.GetSize(), INT_PTR(expected.size()));
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(actual[INT_PTR(k)], expected[k], tolerance * std::fabs(expected[k])) << k;
    }
}

// The NIST StRD certified fits through libTorvik.so are in tests/torvik.
TEST_F(Fitting, CalibrationFitThroughLibTorvik) {
    UseLibTorvik();
    DoubleArray coefs;
    const std::vector<double> c = {100.0, 0.4, 2.5e-5, -1.5625e-9}; // bins 0..4000 -> 100..2000
    std::vector<double> x, y;
    for (int b = 0; b <= 4000; b += 4) {
        x.push_back(b);
        y.push_back(c[0] + b * (c[1] + b * (c[2] + b * c[3])));
    }
    const Samples calibration(x, y);
    LeastSquares::PolynomialCoefs(calibration.bins, calibration.mz, 3, coefs);
    ExpectCoefficients(coefs, c, 1e-9);
}

} // namespace
