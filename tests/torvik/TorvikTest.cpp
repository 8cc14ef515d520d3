// libTorvik.so: lesqso against LAPACK dgelsd, stline against closed-form sums, stgssm against
// the kernel it documents, every failure code; and the NIST StRD certified fits through the
// library's PolynomialCoefs and Line and through lesqso.
#include "torvik/Torvik.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Statistics.h"
#include "frame/ExternalRoutines.h"
#include "support/Lapack.h"

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

// Minimum-norm least-squares solution by LAPACK dgelsd on the unscaled matrix, singular values
// below rcond times the largest treated as zero; row-major result.
std::vector<double> DgelsdSolution(Rows& a, int m, int n, Rows& b, int nb, double rcond) {
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

// Random full-rank problems (beyond 256 + n rows the solver reduces the rows block by block;
// 2 x 5 is underdetermined, of full rank 2) and a rank-deficient one with columns t, 1 and 1000 t -
// 3: code 2 and the minimum-norm solution.
TEST(Lesqso, AgreesWithLapack) {
    std::mt19937 engine(20240611);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    const int shapes[][3] = {{3, 3, 1},    {20, 7, 2},   {200, 4, 1},
                             {1000, 5, 2}, {700, 40, 1}, {2, 5, 1}};
    for (const auto& [m, n, nb] : shapes) {
        Rows a(m, n), b(m, nb), x(n, nb);
        std::generate(a.data.begin(), a.data.end(), [&] { return uniform(engine); });
        std::generate(b.data.begin(), b.data.end(), [&] { return uniform(engine); });
        EXPECT_EQ(lesqso(m, n, m + 2, n + 1, a.get(), b.get(), nb, x.get()), 0);
        ExpectRelativelyNear(x.data, DgelsdSolution(a, m, n, b, nb, -1.0), 1e-10, 1e-3);
    }
    const int m = 900;
    Rows big(m, 3), rhs(m, 1), solution(3, 1);
    for (int i = 0; i < m; ++i) {
        const double t = 0.01 * i;
        big.at(i, 0) = t, big.at(i, 1) = 1.0, big.at(i, 2) = 1000.0 * t - 3.0;
        rhs.at(i, 0) = std::sin(t);
    }
    EXPECT_EQ(lesqso(m, 3, m, 3, big.get(), rhs.get(), 1, solution.get()), 2);
    EXPECT_EQ(sci_err_code, 2);
    ExpectRelativelyNear(solution.data, DgelsdSolution(big, m, 3, rhs, 1, 1e-12), 1e-9);
}

// The solution rows may be the rows of b; refused calls leave the solution untouched.
TEST(Lesqso, AliasedSolutionRowsAndFailureCodes) {
    Rows a(5, 2, {1, 1, 1, 2, 1, 3, 1, 4, 1, 6}), b(5, 2, {1, 2, 3, 5, 2, 2, 4, 1, 7, 0});
    Rows separate(2, 2);
    EXPECT_EQ(lesqso(5, 2, 5, 2, a.get(), b.get(), 2, separate.get()), 0);
    EXPECT_EQ(lesqso(5, 2, 5, 2, a.get(), b.get(), 2, b.get()), 0); // x rows are b rows 0, 1
    EXPECT_EQ(std::vector<double>(b.data.begin(), b.data.begin() + 4), separate.data);

    const struct {
        int m, n, mda, nda, nb, code;
        bool nullRow;
        double a00, b10;
    } cases[] = {
        {0, 2, 3, 2, 1, 1, false, 1, 1},         {3, 2, 3, 2, 0, 1, false, 1, 1},
        {3, 2, 2, 2, 1, 1, false, 1, 1},         {3, 2, 3, 1, 1, 1, false, 1, 1},
        {3, 2, 3, 2, 1, 1, true, 1, 1},          {3, 2, 3, 2, 1, 3, false, kNaN, 1},
        {3, 2, 3, 2, 1, 3, false, 1, -HUGE_VAL},
    };
    for (const auto& c : cases) {
        Rows a3(3, 2, {c.a00, 1, 1, 2, 1, 3}), b3(3, 1, {1, c.b10, 2}), x(2, 1, {42, 43});
        if (c.nullRow) {
            a3.pointers[2] = nullptr;
        }
        EXPECT_EQ(lesqso(c.m, c.n, c.mda, c.nda, a3.get(), b3.get(), c.nb, x.get()), c.code);
        EXPECT_EQ(sci_err_code, c.code);
        EXPECT_EQ(x.data, (std::vector<double>{42, 43}));
    }
    EXPECT_EQ(lesqso(3, 2, 3, 2, a.get(), b.get(), 1, nullptr), 1);
    // Finite data whose solution, 1e600, is beyond the range of double.
    Rows tiny(2, 1, {1e-300, 2e-300}), huge(2, 1, {1e300, 2e300}), x(1, 1, {42});
    EXPECT_EQ(lesqso(2, 1, 2, 1, tiny.get(), huge.get(), 1, x.get()), 5);
    EXPECT_EQ(x.data, (std::vector<double>{42}));
}

// Beyond the certified line (Norris), the degenerate, extreme and invalid inputs with their
// documented codes and outputs.
TEST(Stline, DocumentedCodesAndOutputs) {
    const double big = 1e308;
    const struct {
        std::vector<double> x, y;
        int code;
        double intercept, slope, r;
    } lines[] = {
        {{1, 2, 3, 4, 5}, {2, 4, 5, 4, 5}, 0, 2.2, 0.6, std::sqrt(0.6)}, // textbook
        {{2, 2, 2}, {1, 2, 6}, 2, 3, 0, 0},       // equal abscissae: mean of y, 0, 0
        {{0.1, 0.1, 0.1}, {1, 2, 6}, 2, 3, 0, 0}, // their mean does not round back to them
        {{big, big}, {big, big}, 2, big, 0, 0},   // sums beyond the range of double
        {{big, -big}, {big, big / 10}, 0, 0.55 * big, 0.45, 1},
        {{1, 2, 3}, {4, 4, 4}, 0, 4, 0, 0}, // no spread in y: r = 0
        {{1}, {1}, 1, 9, 9, 9},             // n < 2: untouched
        {{1, 2, 3}, {1, kNaN, 2}, 3, 9, 9, 9},
        {{0, 1e-300}, {0, 1e300}, 5, 9, 9, 9}, // a slope of 1e600
    };
    for (auto c : lines) {
        double b0 = 9, b1 = 9, r = 9;
        EXPECT_EQ(stline(c.x.data(), c.y.data(), int(c.x.size()), &b0, &b1, &r), c.code);
        EXPECT_EQ(sci_err_code, c.code);
        EXPECT_DOUBLE_EQ(b0, c.intercept);
        EXPECT_DOUBLE_EQ(b1, c.slope);
        EXPECT_DOUBLE_EQ(r, c.r);
    }
}

// A constant stays constant (also where the kernel is truncated at the array's ends and where
// weighted sums of DBL_MAX would overflow); an impulse becomes the normalised kernel
// exp(-k^2 / (2 sigma^2)), sigma = halfWidth / 2, and more passes keep its sum.
TEST(Stgssm, ConstantsStayAndAnImpulseGivesTheKernel) {
    const int cases[][5] = {
        {30, 0, 29, 5, 1}, {30, 0, 3, 7, 3}, {12, 9, 11, 2, 2}, {1, 0, 0, 4, 1}};
    for (const auto& [n, first, last, halfWidth, passes] : cases) {
        for (const double value : {3.75, -DBL_MAX}) {
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
    for (int k = -4; k <= 4; ++k) {
        kernel.push_back(std::exp(-double(k * k) / (2.0 * 2.0 * 2.0)));
        total += kernel.back();
    }
    for (int i = 0; i < 41; ++i) {
        EXPECT_NEAR(data[std::size_t(i)], std::abs(i - 20) <= 4 ? kernel[i - 16] / total : 0.0,
                    1e-15);
    }
    EXPECT_EQ(stgssm(data.data(), 41, 2, 38, 4, 3), 0);
    EXPECT_NEAR(std::accumulate(data.begin(), data.end(), 0.0), 1.0, 1e-14);
}

// Samples outside [first, last] are read as context, never written: two one-pass calls are
// exactly one two-pass call. Failures return the negated code and write nothing.
TEST(Stgssm, ContextIsReadNotWrittenAndFailuresWriteNothing) {
    std::vector<double> data(20, 1.0);
    std::fill(data.begin() + 8, data.begin() + 12, 0.0);
    std::vector<double> twice = data;
    EXPECT_EQ(stgssm(data.data(), 20, 8, 11, 2, 2), 0);
    EXPECT_EQ(data[7], 1.0);
    EXPECT_EQ(data[12], 1.0);
    EXPECT_GT(data[8], 0.1); // the ones at 6 and 7 reach sample 8
    EXPECT_EQ(stgssm(twice.data(), 20, 8, 11, 2, 1), 0);
    EXPECT_EQ(stgssm(twice.data(), 20, 8, 11, 2, 1), 0);
    EXPECT_EQ(twice, data);

    std::vector<double> bad = {1, 2, 3, 4, 5, 6, 7, 8};
    const int cases[][5] = {{0, 0, 0, 2, 1}, {8, -1, 3, 2, 1}, {8, 4, 3, 2, 1},
                            {8, 0, 8, 2, 1}, {8, 0, 7, 0, 1},  {8, 0, 7, 2, 0}};
    for (const auto& [n, first, last, halfWidth, passes] : cases) {
        EXPECT_EQ(stgssm(bad.data(), n, first, last, halfWidth, passes), -1);
        EXPECT_EQ(sci_err_code, 1);
    }
    EXPECT_EQ(stgssm(nullptr, 8, 0, 7, 2, 1), -1);
    EXPECT_EQ(bad, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    bad[1] = kNaN;
    EXPECT_EQ(stgssm(bad.data(), 8, 3, 5, 2, 1), -3); // NaN in the context within reach
    EXPECT_EQ(bad[3], 4.0);
    EXPECT_EQ(stgssm(bad.data(), 8, 4, 5, 2, 1), 0); // beyond reach: not read
}

// A NIST StRD data set from tests/data: the certified coefficients ("#   Bk = ...") and the data
// rows.
struct Certified {
    explicit Certified(const std::string& name) {
        std::ifstream file(std::string(OPM_TEST_DATA_DIR) + "/" + name);
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream values(line.substr(line.find('=') + 1));
            double value = 0;
            if (line.rfind("#   B", 0) == 0 && values >> value) {
                coefficients.push_back(value);
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
    std::vector<std::vector<double>> rows;
};

// Every certified coefficient to 12 significant digits: polynomials through the library's
// PolynomialCoefs (Norris, Pontius, Filip of degree 10), the line through Line, and Longley's
// six variables through lesqso.
TEST(Certified, NistStrdCoefficients) {
    const opm::detail::ExternalRoutineSlots saved = opm::detail::g_externalRoutines;
    opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
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
            MZBinArray bins;
            MZArray mz;
            for (std::size_t i = 0; i < x.size(); ++i) {
                bins.Add(x[i]);
                mz.Add(y[i]);
            }
            DoubleArray coefs;
            LeastSquares::PolynomialCoefs(bins, mz, unsigned(d - 1), coefs);
            c.assign(coefs.GetData(), coefs.GetData() + coefs.GetSize());
        } else if (set.route == kLine) { // r from the certified R-squared
            double r = 0.0;
            EXPECT_EQ(Statistics::Line(x.data(), y.data(), int(x.size()), c[0], c[1], r), 0);
            EXPECT_NEAR(r * r, 0.999993745883712, 1e-13);
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
    }
    opm::detail::g_externalRoutines = saved;
}

// 300 points at two abscissae, degree 2 (rank 2), t^2 at 1.3e154 near the top of the range:
// returns (it once looped for ever) with code 2, the fit passing through both points.
TEST(Certified, RankDeficientFitNearTheTopOfTheRangeReturns) {
    const opm::detail::ExternalRoutineSlots saved = opm::detail::g_externalRoutines;
    opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
    MZBinArray bins;
    MZArray mz;
    for (int i = 0; i < 300; ++i) {
        bins.Add(i % 2 ? 1.3e154 : 2.0);
        mz.Add(i % 2 ? 5.0 : 7.0);
    }
    DoubleArray c;
    LeastSquares::PolynomialCoefs(bins, mz, 2, c);
    EXPECT_EQ(sci_err_code, 2);
    for (const double t : {2.0, 1.3e154}) {
        EXPECT_NEAR(c[0] + c[1] * t + c[2] * t * t, t == 2.0 ? 7.0 : 5.0, 1e-13);
    }
    opm::detail::g_externalRoutines = saved;
}

} // namespace
