// libTorvik.so: lesqso against exact solutions and LAPACK dgelsd, stline against closed-form
// sums, stgssm against the kernel it documents, every failure code; its extended-precision
// kernels; and the NIST StRD certified fits through the library's PolynomialCoefs and Line.
#include "torvik/Torvik.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Statistics.h"
#include "frame/ExternalRoutines.h"
#include "support/Lapack.h"
#include "torvik/ExtendedPrecision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A row-major matrix with the array of row pointers the routines take.
struct Rows {
    Rows(int rowCount, int columnCount, std::vector<double> values = {}) : data(std::move(values)) {
        data.resize(std::size_t(rowCount) * std::size_t(columnCount), 0.0);
        for (int i = 0; i < rowCount; ++i) {
            pointers.push_back(data.data() + std::size_t(i) * std::size_t(columnCount));
        }
    }
    double& at(int i, int j) { return pointers[std::size_t(i)][j]; }
    double** get() { return pointers.data(); }
    std::vector<double> data;
    std::vector<double*> pointers;
};

// |actual - expected| <= tolerance * max(|expected|, floor), element by element.
void ExpectRelativelyNear(const std::vector<double>& actual, const std::vector<double>& expected,
                          double tolerance, double floor = 1e-300) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance * std::max(std::fabs(expected[i]), floor))
            << "element " << i;
    }
}

// Minimum-norm least-squares solution by LAPACK dgelsd on the unscaled matrix (the independent
// oracle), singular values below rcond times the largest treated as zero; row-major result.
std::vector<double> DgelsdSolution(Rows& a, int m, int n, Rows& b, int nb, double rcond = -1.0) {
    const int ldb = std::max(m, n), lwork = 1 << 16;
    std::vector<double> matrix(std::size_t(m * n)), rhs(std::size_t(ldb * nb), 0.0), s(n), x;
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) {
            matrix[std::size_t(i + j * m)] = a.at(i, j);
        }
        for (int c = 0; c < nb; ++c) {
            rhs[std::size_t(i + c * ldb)] = b.at(i, c);
        }
    }
    int rank = 0, info = 0;
    std::vector<double> work(static_cast<std::size_t>(lwork));
    std::vector<int> iwork(std::size_t(1) << 14);
    dgelsd_(&m, &n, &nb, matrix.data(), &m, rhs.data(), &ldb, s.data(), &rcond, &rank, work.data(),
            &lwork, iwork.data(), &info);
    EXPECT_EQ(info, 0);
    for (int j = 0; j < n; ++j) {
        for (int c = 0; c < nb; ++c) {
            x.push_back(rhs[std::size_t(j + c * ldb)]);
        }
    }
    return x;
}

TEST(Lesqso, ExactSolutions) {
    const struct {
        int m, n;
        std::vector<double> a, x;
    } cases[] = {
        {1, 1, {4.0}, {0.25}},
        {2, 2, {2, 1, 1, 3}, {1.0, -2.0}},
        {3, 3, {4, -2, 1, -2, 4, -2, 1, -2, 4}, {0.5, 1.5, -3.0}},
        {5, 2, {1, 1, 1, 2, 1, 3, 1, 4, 1, 5}, {-7.0, 0.125}}, // consistent overdetermined
        {4, 3, {1e6, 1, 0, 2e6, 0, 1, 3e6, 1, 1, 4e6, 2, 0}, {2e-6, 3.0, -1.0}}, // wide scales
    };
    for (const auto& c : cases) {
        Rows a(c.m, c.n, c.a), b(c.m, 1), x(c.n, 1);
        for (int i = 0; i < c.m; ++i) {
            for (int j = 0; j < c.n; ++j) {
                b.at(i, 0) += a.at(i, j) * c.x[std::size_t(j)];
            }
        }
        sci_err_code = -1;
        EXPECT_EQ(lesqso(c.m, c.n, c.m, c.n, a.get(), b.get(), 1, x.get()), 0);
        EXPECT_EQ(sci_err_code, 0);
        ExpectRelativelyNear(x.data, c.x, 1e-13);
    }
}

TEST(Lesqso, AgreesWithLapackOnRandomProblems) {
    std::mt19937 engine(20240611);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    // Beyond 256 + n rows the solver reduces the rows block by block.
    const int shapes[][3] = {{3, 3, 1},   {6, 2, 1},    {20, 7, 2},   {50, 10, 3},
                             {200, 4, 1}, {1000, 5, 2}, {700, 40, 1}, {2, 5, 1}};
    for (const auto& [m, n, nb] : shapes) {
        Rows a(m, n), b(m, nb), x(n, nb);
        std::generate(a.data.begin(), a.data.end(), [&] { return uniform(engine); });
        std::generate(b.data.begin(), b.data.end(), [&] { return uniform(engine); });
        EXPECT_EQ(lesqso(m, n, m + 2, n + 1, a.get(), b.get(), nb, x.get()), 0);
        ExpectRelativelyNear(x.data, DgelsdSolution(a, m, n, b, nb), 1e-10, 1e-3);
    }
}

TEST(Lesqso, RankDeficientSystemGivesCodeTwoAndTheMinimumNormSolution) {
    // Second column = 1000 x first: minimum norm (1, 1000)/(1 + 1e6), not the column-scaled one.
    Rows a(3, 2, {1, 1000, 2, 2000, 3, 3000}), b(3, 1, {1, 2, 3}), x(2, 1);
    EXPECT_EQ(lesqso(3, 2, 3, 2, a.get(), b.get(), 1, x.get()), 2);
    EXPECT_EQ(sci_err_code, 2);
    ExpectRelativelyNear(x.data, {1.0 / 1000001.0, 1000.0 / 1000001.0}, 1e-12);
    // A zero column contributes nothing.
    Rows z(4, 3, {1, 0, 1, 1, 0, 2, 1, 0, 3, 1, 0, 4}), y(4, 1, {3, 5, 7, 9}), w(3, 1);
    EXPECT_EQ(lesqso(4, 3, 4, 3, z.get(), y.get(), 1, w.get()), 2);
    ExpectRelativelyNear(w.data, {1.0, 0.0, 2.0}, 1e-12, 1e-12);
    // Many rows (reduced block by block): columns t, 1 and 1000 t - 3 span two directions.
    const int m = 900;
    Rows big(m, 3), rhs(m, 1), solution(3, 1);
    for (int i = 0; i < m; ++i) {
        const double t = 0.01 * i;
        big.at(i, 0) = t, big.at(i, 1) = 1.0, big.at(i, 2) = 1000.0 * t - 3.0;
        rhs.at(i, 0) = std::sin(t);
    }
    EXPECT_EQ(lesqso(m, 3, m, 3, big.get(), rhs.get(), 1, solution.get()), 2);
    ExpectRelativelyNear(solution.data, DgelsdSolution(big, m, 3, rhs, 1, 1e-12), 1e-9);
}

TEST(Lesqso, AliasedSolutionRowsAndFailuresThatLeaveTheSolutionUntouched) {
    Rows a(5, 2, {1, 1, 1, 2, 1, 3, 1, 4, 1, 6}), b(5, 2, {1, 2, 3, 5, 2, 2, 4, 1, 7, 0});
    Rows separate(2, 2);
    EXPECT_EQ(lesqso(5, 2, 5, 2, a.get(), b.get(), 2, separate.get()), 0);
    EXPECT_EQ(lesqso(5, 2, 5, 2, a.get(), b.get(), 2, b.get()), 0); // x rows are b rows 0, 1
    EXPECT_EQ(std::vector<double>(b.data.begin(), b.data.begin() + 4), separate.data);

    enum Null { kNone, kA, kB, kX, kRowOfA };
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        int m, n, mda, nda, nb, code;
        Null null;
        double a00, b10;
    } cases[] = {
        {"m = 0", 0, 2, 3, 2, 1, 1, kNone, 1, 1},
        {"n = 0", 3, 0, 3, 2, 1, 1, kNone, 1, 1},
        {"nb = 0", 3, 2, 3, 2, 0, 1, kNone, 1, 1},
        {"mda < m", 3, 2, 2, 2, 1, 1, kNone, 1, 1},
        {"nda < n", 3, 2, 3, 1, 1, 1, kNone, 1, 1},
        {"a null", 3, 2, 3, 2, 1, 1, kA, 1, 1},
        {"b null", 3, 2, 3, 2, 1, 1, kB, 1, 1},
        {"x null", 3, 2, 3, 2, 1, 1, kX, 1, 1},
        {"row null", 3, 2, 3, 2, 1, 1, kRowOfA, 1, 1},
        {"NaN in A", 3, 2, 3, 2, 1, 3, kNone, kNaN, 1},
        {"infinity in B", 3, 2, 3, 2, 1, 3, kNone, 1, -inf},
    };
    for (const auto& c : cases) {
        Rows a(3, 2, {c.a00, 1, 1, 2, 1, 3}), b(3, 1, {1, c.b10, 2}), x(2, 1, {42, 43});
        if (c.null == kRowOfA) {
            a.pointers[2] = nullptr;
        }
        sci_err_code = -1;
        const int code =
            lesqso(c.m, c.n, c.mda, c.nda, c.null == kA ? nullptr : a.get(),
                   c.null == kB ? nullptr : b.get(), c.nb, c.null == kX ? nullptr : x.get());
        SCOPED_TRACE(c.what);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(sci_err_code, c.code);
        EXPECT_EQ(x.data, (std::vector<double>{42, 43}));
    }
    // Finite data whose solution, 1e600, is beyond the range of double.
    Rows tiny(2, 1, {1e-300, 2e-300}), huge(2, 1, {1e300, 2e300}), x(1, 1, {42});
    EXPECT_EQ(lesqso(2, 1, 2, 1, tiny.get(), huge.get(), 1, x.get()), 5);
    EXPECT_EQ(x.data, (std::vector<double>{42}));
}

TEST(Stline, ExactAndNoisyLinesAgainstClosedFormSums) {
    const struct {
        std::vector<double> x, y;
    } cases[] = {
        {{0, 1}, {3, 5}},
        {{-2, 0.5, 3, 10}, {9, 4, -1, -15}}, // y = 5 - 2x, exact
        {{1, 2, 3, 4, 5}, {2, 4, 5, 4, 5}},  // textbook: 2.2 + 0.6x
        {{1000.5, 1001.25, 1002, 1003.5, 1004}, {7.1, 7.9, 9.2, 10.8, 11.5}},
    };
    for (const auto& c : cases) {
        const int n = int(c.x.size());
        long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        for (int i = 0; i < n; ++i) {
            sx += c.x[i], sy += c.y[i], sxx += (long double)c.x[i] * c.x[i];
            syy += (long double)c.y[i] * c.y[i], sxy += (long double)c.x[i] * c.y[i];
        }
        const long double dxx = n * sxx - sx * sx, dyy = n * syy - sy * sy, dxy = n * sxy - sx * sy;
        const double slope = double(dxy / dxx), intercept = double((sy - dxy / dxx * sx) / n);
        std::vector<double> x = c.x, y = c.y;
        double b0 = 0, b1 = 0, r = 0;
        EXPECT_EQ(stline(x.data(), y.data(), n, &b0, &b1, &r), 0);
        EXPECT_NEAR(b1, slope, 1e-12 * std::fabs(slope));
        EXPECT_NEAR(b0, intercept, 1e-11 * std::max(1.0, std::fabs(intercept)));
        EXPECT_NEAR(r, double(dxy / std::sqrt(dxx * dyy)), 1e-13);
        EXPECT_EQ(x, c.x); // inputs are not written
        EXPECT_EQ(y, c.y);
    }
}

TEST(Stline, DegenerateExtremeAndInvalidInput) {
    const double big = 1e308;
    const struct {
        std::vector<double> x, y;
        int code;
        double intercept, slope, r;
    } lines[] = {
        {{2, 2, 2}, {1, 2, 6}, 2, 3, 0, 0},             // equal abscissae: mean of y, 0, 0
        {{0.1, 0.1, 0.1}, {1, 2, 4}, 2, 7.0 / 3, 0, 0}, // their mean does not round back to 0.1
        {{big, big}, {big, big}, 2, big, 0, 0},         // sums beyond the range of double
        {{big, -big}, {big, big / 10}, 0, 0.55 * big, 0.45, 1},
        {{1, 2, 3}, {4, 4, 4}, 0, 4, 0, 0}, // no spread in y: r = 0
    };
    for (auto c : lines) {
        double b0 = 9, b1 = 9, r = 9;
        EXPECT_EQ(stline(c.x.data(), c.y.data(), int(c.x.size()), &b0, &b1, &r), c.code);
        EXPECT_EQ(sci_err_code, c.code);
        EXPECT_DOUBLE_EQ(b0, c.intercept); // to 4 units in the last place
        EXPECT_DOUBLE_EQ(b1, c.slope);
        EXPECT_DOUBLE_EQ(r, c.r);
    }
    double xs[] = {1, 2, 3}, y[] = {1, 2, 6}, nanY[] = {1, kNaN, 2}, tiny[] = {0, 1e-300},
           huge[] = {0, 1e300}, b0 = 9, b1 = 9, r = 9;
    const struct {
        double *x, *y;
        int n;
        double* out;
        int code;
    } cases[] = {{xs, y, 1, &b0, 1},       {xs, y, 0, &b0, 1},     {nullptr, y, 3, &b0, 1},
                 {xs, nullptr, 3, &b0, 1}, {xs, y, 3, nullptr, 1}, {xs, nanY, 3, &b0, 3},
                 {tiny, huge, 2, &b0, 5}}; // a slope of 1e600
    for (const auto& c : cases) {
        b0 = b1 = r = 9;
        EXPECT_EQ(stline(c.x, c.y, c.n, c.out, &b1, &r), c.code);
        EXPECT_EQ(sci_err_code, c.code);
        EXPECT_EQ(b0 + b1 + r, 27.0);
    }
}

TEST(Stgssm, ConstantStaysConstantAndAnImpulseGivesTheNormalisedKernel) {
    const int cases[][5] = {
        {30, 0, 29, 5, 1}, {30, 0, 3, 7, 3}, {12, 9, 11, 2, 2}, {1, 0, 0, 4, 1}};
    for (const auto& [n, first, last, halfWidth, passes] : cases) { // kernel truncated at ends
        for (const double value : {3.75, -DBL_MAX}) { // weighted sums of DBL_MAX overflow
            std::vector<double> data(std::size_t(n), value);
            EXPECT_EQ(stgssm(data.data(), n, first, last, halfWidth, passes), 0);
            for (const double v : data) {
                EXPECT_DOUBLE_EQ(v, value);
            }
        }
    }
    std::vector<double> data(41, 0.0), kernel;
    data[20] = 1.0;
    EXPECT_EQ(stgssm(data.data(), 41, 0, 40, 4, 1), 0);
    double total = 0;
    for (int k = -4; k <= 4; ++k) { // sigma = halfWidth / 2
        kernel.push_back(std::exp(-double(k * k) / (2.0 * 2.0 * 2.0)));
        total += kernel.back();
    }
    for (int i = 0; i < 41; ++i) {
        EXPECT_NEAR(data[std::size_t(i)], std::abs(i - 20) <= 4 ? kernel[i - 16] / total : 0.0,
                    1e-15);
    }
    // Three more passes, still clear of the array's ends: the sum is preserved.
    EXPECT_EQ(stgssm(data.data(), 41, 2, 38, 4, 3), 0);
    EXPECT_NEAR(std::accumulate(data.begin(), data.end(), 0.0), 1.0, 1e-14);
}

TEST(Stgssm, ContextIsReadNotWrittenAndFailuresReturnTheNegatedCode) {
    std::vector<double> data(20, 1.0);
    std::fill(data.begin() + 8, data.begin() + 12, 0.0);
    std::vector<double> twice = data;
    EXPECT_EQ(stgssm(data.data(), 20, 8, 11, 2, 2), 0);
    for (const int i : {0, 5, 7, 12, 13, 19}) {
        EXPECT_EQ(data[std::size_t(i)], 1.0); // context untouched
    }
    EXPECT_GT(data[8], 0.1); // but read: the ones at 6 and 7 reach sample 8
    // The context never changes, so two one-pass calls are exactly one two-pass call.
    EXPECT_EQ(stgssm(twice.data(), 20, 8, 11, 2, 1), 0);
    EXPECT_EQ(stgssm(twice.data(), 20, 8, 11, 2, 1), 0);
    EXPECT_EQ(twice, data);

    std::vector<double> bad = {1, 2, 3, 4, 5, 6, 7, 8};
    const int cases[][6] = {
        {0, 8, 0, 7, 2, 1}, {1, 0, 0, 0, 2, 1}, {1, 8, -1, 3, 2, 1}, {1, 8, 4, 3, 2, 1},
        {1, 8, 0, 8, 2, 1}, {1, 8, 0, 7, 0, 1}, {1, 8, 0, 7, 2, 0},
    }; // data given, n, first, last, halfWidth, passes
    for (const auto& [given, n, first, last, halfWidth, passes] : cases) {
        EXPECT_EQ(stgssm(given ? bad.data() : nullptr, n, first, last, halfWidth, passes), -1);
        EXPECT_EQ(sci_err_code, 1);
    }
    EXPECT_EQ(bad, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    bad[1] = kNaN;
    EXPECT_EQ(stgssm(bad.data(), 8, 3, 5, 2, 1), -3); // NaN in the context within reach
    EXPECT_EQ(sci_err_code, 3);
    EXPECT_EQ(bad[3], 4.0);
    EXPECT_EQ(stgssm(bad.data(), 8, 4, 5, 2, 1), 0); // beyond reach: not read
    EXPECT_TRUE(std::isnan(bad[1]));
}

// Sums that double arithmetic loses entirely, in both extended kernels: long double where the
// exact value fits its 64 bits, double-double always (the kernel every platform can fall back on).
TEST(ExtendedPrecision, RecoversWhatDoubleRoundsAway) {
    const double e30 = 0x1p-30, e52 = 0x1p-52;
    const struct {
        double a, b, c, exact; // a * b - c
        bool fitsLongDouble;
    } cases[] = {
        {1 + e30, 1 - e30, 1, -0x1p-60, true},
        {1 + e52, 1 - e52, 1, -0x1p-104, false},
        {1e16 + 2, 1, 1e16, 2, true},
        {3, 1.0 / 3, 1, -0x1p-54, true}, // 1/3 rounded down by 2^-54 / 3
    };
    for (const auto& c : cases) {
        EXPECT_EQ(torvik::Rounded(torvik::DoubleDouble(c.a) * c.b - torvik::DoubleDouble(c.c)),
                  c.exact);
        if (c.fitsLongDouble && torvik::kLongDoubleIsWider) {
            EXPECT_EQ(torvik::Rounded(static_cast<long double>(c.a) * c.b - c.c), c.exact);
        }
    }
    // Division and accumulation keep about 104 bits.
    const torvik::DoubleDouble third = torvik::DoubleDouble(1.0) / torvik::DoubleDouble(3.0);
    EXPECT_LE(std::fabs(torvik::Rounded(third * 3.0 - torvik::DoubleDouble(1.0))), 0x1p-104);
    torvik::DoubleDouble sum(1.0);
    for (const double term : {1e-30, -1.0, 1e-30}) {
        torvik::Accumulate(sum, torvik::DoubleDouble(term));
    }
    EXPECT_EQ(torvik::Rounded(sum), 2e-30);
}

// Runs a test with the library's entry slots filled by libTorvik.so itself.
class ThroughTheLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
    }
    void TearDown() override { opm::detail::g_externalRoutines = saved_; }

    static std::vector<double> PolynomialCoefs(const std::vector<double>& x,
                                               const std::vector<double>& y, unsigned degree) {
        MZBinArray bins;
        MZArray mz;
        for (std::size_t i = 0; i < x.size(); ++i) {
            bins.Add(x[i]);
            mz.Add(y[i]);
        }
        DoubleArray coefs;
        LeastSquares::PolynomialCoefs(bins, mz, degree, coefs);
        return std::vector<double>(coefs.GetData(), coefs.GetData() + coefs.GetSize());
    }

private:
    opm::detail::ExternalRoutineSlots saved_ = opm::detail::g_externalRoutines;
};

// A NIST StRD data set from tests/data: the certified coefficients ("#   Bk = ...") and residual
// sum of squares, and the data rows.
struct Certified {
    explicit Certified(const std::string& name) {
        std::ifstream file(std::string(OPM_TEST_DATA_DIR) + "/" + name);
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream values(line.substr(line.find('=') + 1));
            double value = 0;
            if (line.rfind("#   B", 0) == 0 && values >> value) {
                coefficients.push_back(value);
            } else if (line.rfind("#   residual sum of squares", 0) == 0 && values >> value) {
                rss = value;
            } else if (!line.empty() && line[0] != '#') {
                std::istringstream row(line);
                rows.emplace_back(std::istream_iterator<double>(row),
                                  std::istream_iterator<double>());
            }
        }
    }
    std::vector<double> Column(std::size_t j) const {
        std::vector<double> values;
        for (const auto& row : rows) {
            values.push_back(row[j]);
        }
        return values;
    }
    std::vector<double> coefficients;
    double rss = 0;
    std::vector<std::vector<double>> rows;
};

// Residual sum of squares in double-double: the certified value has more digits than a sum of
// squares in double keeps. A polynomial in column 0 fits column 1 (Horner); otherwise column 0
// is fitted by coefficient 0 plus coefficient j times column j.
double ResidualSumOfSquares(const Certified& set, const std::vector<double>& c, bool polynomial) {
    torvik::DoubleDouble sum(0.0);
    for (const auto& row : set.rows) {
        torvik::DoubleDouble fit(polynomial ? c.back() : c[0]);
        for (std::size_t k = 1; k < c.size(); ++k) {
            fit = polynomial ? fit * row[0] + torvik::DoubleDouble(c[c.size() - 1 - k])
                             : fit + torvik::DoubleDouble(c[k]) * row[k];
        }
        const torvik::DoubleDouble r = torvik::DoubleDouble(row[polynomial ? 1 : 0]) - fit;
        sum = sum + r * r;
    }
    return torvik::Rounded(sum);
}

// Every certified coefficient to 12 significant digits and the residual sum of squares to 10,
// through the library's PolynomialCoefs and Line, and Longley's six variables through lesqso.
TEST_F(ThroughTheLibrary, NistCertifiedValues) {
    enum Route { kPolynomialCoefs, kLine, kLesqso };
    const struct {
        const char* file;
        Route route;
    } sets[] = {{"norris.txt", kPolynomialCoefs},
                {"norris.txt", kLine},
                {"pontius.txt", kPolynomialCoefs},
                {"filip.txt", kPolynomialCoefs},
                {"longley.txt", kLesqso}};
    for (const auto& set : sets) {
        SCOPED_TRACE(set.file);
        const Certified data(set.file);
        const std::size_t d = data.coefficients.size();
        ASSERT_GT(d, 1u);
        std::vector<double> c(d), x = data.Column(0), y = data.Column(1);
        if (set.route == kPolynomialCoefs) {
            c = PolynomialCoefs(x, y, unsigned(d - 1));
        } else if (set.route == kLine) {
            EXPECT_EQ(Statistics::Line(x.data(), y.data(), int(x.size()), c[0], c[1], y[0]), 0);
        } else {
            const int m = int(data.rows.size());
            Rows a(m, int(d)), b(m, 1), solution(int(d), 1);
            for (int i = 0; i < m; ++i) {
                b.at(i, 0) = data.rows[std::size_t(i)][0];
                a.at(i, 0) = 1.0;
                for (std::size_t j = 1; j < d; ++j) {
                    a.at(i, int(j)) = data.rows[std::size_t(i)][j];
                }
            }
            EXPECT_EQ(lesqso(m, int(d), m, int(d), a.get(), b.get(), 1, solution.get()), 0);
            c = solution.data;
        }
        ExpectRelativelyNear(c, data.coefficients, 1e-12);
        EXPECT_NEAR(ResidualSumOfSquares(data, c, set.route != kLesqso), data.rss,
                    1e-10 * data.rss);
    }
}

TEST_F(ThroughTheLibrary, PolynomialsAtAbscissaeInTheMillionsAndAtTwoFarApart) {
    // Exact data (dyadic coefficients, integer abscissae 1e6..1e6+400): the fit is exact.
    const std::vector<double> c = {-7.5, 0.25, 0x1p-20};
    std::vector<double> x, y;
    for (int i = 0; i <= 40; ++i) {
        x.push_back(1e6 + 10.0 * i);
        y.push_back(c[0] + c[1] * x.back() + c[2] * (x.back() * x.back()));
    }
    ExpectRelativelyNear(PolynomialCoefs(x, y, 2), c, 4 * DBL_EPSILON);
    // 300 points at two abscissae, degree 2 (rank 2): t^2 at 1.3e154 is near the top of the range.
    x.clear(), y.clear();
    for (int i = 0; i < 300; ++i) {
        x.push_back(i % 2 ? 1.3e154 : 2.0);
        y.push_back(i % 2 ? 5.0 : 7.0);
    }
    const std::vector<double> fit = PolynomialCoefs(x, y, 2);
    EXPECT_EQ(sci_err_code, 2);
    for (const double t : {2.0, 1.3e154}) { // the fit passes through both
        EXPECT_NEAR(fit[0] + fit[1] * t + fit[2] * t * t, t == 2.0 ? 7.0 : 5.0, 1e-13);
    }
}

} // namespace
