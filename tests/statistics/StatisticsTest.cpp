// Statistics and LeastSquares: the median against a sorted copy, the standard deviation and RMS
// against hand sums with the slice rules of the unsigned indices; the fits through libTorvik.so
// (the argument refusals, an array of INT_MAX samples; the certified fits are in TorvikTest.cpp)
// and the process exit when an entry slot is empty.
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/LeastSquares.h"
#include "frame/ExternalRoutines.h"
#include "torvik/Torvik.h"

#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> Elements(const DoubleArray& array) {
    return std::vector<double>(array.GetData(), array.GetData() + array.GetSize());
}

// Sizes 0 to 300, distinct values and few values with many ties; the array keeps its order.
TEST(Medean, AgreesWithASortedCopy) {
    std::mt19937 engine(7);
    std::uniform_real_distribution<double> uniform(-100.0, 100.0);
    for (int n = 0; n <= 300; n += (n < 12 ? 1 : 37)) {
        for (const bool ties : {false, true}) {
            DoubleArray array;
            for (int i = 0; i < n; ++i) {
                array.Add(ties ? std::floor(uniform(engine) / 40.0) : uniform(engine));
            }
            std::vector<double> before = Elements(array), sorted = before;
            std::sort(sorted.begin(), sorted.end());
            const std::size_t h = std::size_t(n / 2);
            const double median = n == 0  ? 0.0
                                  : n % 2 ? sorted[h]
                                          : (sorted[h - 1] + sorted[h]) * 0.5;
            EXPECT_EQ(Statistics::Medean(array), median) << "n = " << n;
            EXPECT_EQ(Elements(array), before);
        }
    }
}

TEST(SlicesStatistics, StandardDeviationAndRmsOverHalfOpenSlices) {
    const double sample[] = {2, 4, 4, 4, 5, 5, 7, 9}, shifted[] = {100, 1, 2, 3};
    const struct {
        const double* data;
        unsigned long first, last;
        double sd, rms;
    } cases[] = {
        {sample, 0, 8, std::sqrt(32.0 / 7.0), std::sqrt(232.0 / 8.0)},
        {sample, 3, 4, 0.0, 4.0}, // one element
        {sample, 5, 5, 0.0, 0.0}, // empty
        {shifted, 1, 4, 1.0, std::sqrt(14.0 / 3.0)},
        {shifted, 3, 1, 0.0, 0.0}, // last < first: the count wraps, nothing is read
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(Statistics::StandardDeviation(c.data, c.first, c.last), c.sd);
        EXPECT_DOUBLE_EQ(Statistics::RMS(c.data, c.first, c.last), c.rms);
    }
    // One-pass formula, not clamped: rounding makes S2 n - S1^2 slightly negative here.
    const std::vector<double> equal(5, 0.7);
    EXPECT_TRUE(std::isnan(Statistics::StandardDeviation(equal.data(), 0, equal.size())));
}

// Runs a test with the library's entry slots filled by libTorvik.so itself.
class Fitting : public ::testing::Test {
protected:
    void SetUp() override {
        opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
    }
    void TearDown() override { opm::detail::g_externalRoutines = saved_; }

private:
    opm::detail::ExternalRoutineSlots saved_ = opm::detail::g_externalRoutines;
};

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

// Line's own refusals leave the references alone; PolynomialCoefs refuses too few samples
// before anything is allocated (a degree of 2^27 would otherwise zero-fill 1 GiB first) with
// coefArray as it was, and a short mzArray after sizing coefArray.
TEST_F(Fitting, RefusedArguments) {
    double x[] = {1, 2, 3}, y[] = {3, 4, 5}, r1 = 8, r2 = 8, r3 = 8;
    EXPECT_EQ(Statistics::Line(nullptr, y, 2, r1, r2, r3), -1);
    EXPECT_EQ(Statistics::Line(x, nullptr, 2, r1, r2, r3), -1);
    EXPECT_EQ(Statistics::Line(x, y, 0, r1, r2, r3), -1);
    EXPECT_EQ(r1 + r2 + r3, 24.0);
    DoubleArray coefs;
    coefs.SetSize(3);
    std::fill(coefs.GetData(), coefs.GetData() + 3, 5.0);
    const Samples shortMz({1, 2, 3, 4}, {1, 2, 3}), tooFew({1, 2}, {1, 2});
    for (const unsigned degree : {2u, 1u << 27, ~0u}) {
        EXPECT_THROW(LeastSquares::PolynomialCoefs(tooFew.bins, tooFew.mz, degree, coefs),
                     CInvalidArgException);
        EXPECT_EQ(Elements(coefs), (std::vector<double>{5, 5, 5}));
    }
    EXPECT_THROW(LeastSquares::PolynomialCoefs(shortMz.bins, shortMz.mz, 1, coefs),
                 CInvalidArgException);
    EXPECT_EQ(coefs.GetSize(), 2);
}

// An array of INT_MAX samples (a reserved mapping; only the pages near the end are touched)
// smoothed at its last sample: the window's end, last + halfWidth, lies beyond INT_MAX.
TEST_F(Fitting, GaussSmoothAtTheEndOfAnArrayOfIntMaxSamples) {
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

TEST_F(Fitting, EmptySlotsEndTheProcessWithStatusOne) {
    double x[] = {1, 2}, y[] = {3, 4}, r = 0;
    const Samples samples({1, 2, 3}, {1, 2, 3});
    DoubleArray coefs;
    opm::detail::g_externalRoutines.sciErrCode = nullptr; // tested only after the call
    EXPECT_EXIT(Statistics::Line(x, y, 2, r, r, r), ::testing::ExitedWithCode(1), "");
    opm::detail::g_externalRoutines = {nullptr, nullptr, nullptr, nullptr};
    EXPECT_EXIT(Statistics::Line(x, y, 2, r, r, r), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Statistics::GaussSmooth(x, 2, 0, 1, 1, 1), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(LeastSquares::PolynomialCoefs(samples.bins, samples.mz, 1, coefs),
                ::testing::ExitedWithCode(1), "");
}

} // namespace
