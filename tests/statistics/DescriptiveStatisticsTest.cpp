// Median, standard deviation and root mean square: the documented cases, the selection against
// a sort, and the slice arithmetic of the unsigned indices.
#include "OstraPureMath/Statistics.h"
#include "statistics/StatisticsInternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// Medean and KthSmallest on a DoubleArray holding values; the array must keep its order.
void ExpectMedianAndSelection(const std::vector<double>& values, double median,
                              const std::vector<double>& sorted = {}) {
    DoubleArray array;
    for (const double v : values) {
        array.Add(v);
    }
    EXPECT_EQ(Statistics::Medean(array), median) << "n = " << values.size();
    for (std::size_t k = 0; k < sorted.size(); k += 1 + sorted.size() / 7) {
        EXPECT_EQ(Statistics::KthSmallest(array, INT_PTR(k)), sorted[k]);
    }
    EXPECT_EQ(std::vector<double>(array.GetData(), array.GetData() + array.GetSize()), values);
}

TEST(Medean, DocumentedCasesAndTies) {
    const struct {
        std::vector<double> values;
        double median;
    } cases[] = {{{}, 0.0},
                 {{7}, 7.0},
                 {{1, 3}, 2.0},
                 {{3, 1, 2}, 2.0},
                 {{4, 1, 3, 2}, 2.5},
                 {{5, 5, 5, 1, 9}, 5.0},
                 {{2, 2, 1, 1}, 1.5},
                 {{9, 8, 7, 6, 5, 4, 3}, 6.0},
                 {{-1, 4, 4, 4, -1, 0}, 2.0}};
    for (const auto& c : cases) {
        ExpectMedianAndSelection(c.values, c.median);
    }
}

TEST(Medean, AgreesWithASortedCopyOnRandomArraysOfManySizes) {
    std::mt19937 engine(7);
    std::uniform_real_distribution<double> uniform(-100.0, 100.0);
    std::uniform_int_distribution<int> fewValues(0, 4);
    for (int n = 1; n <= 300; n += (n < 40 ? 1 : 37)) {
        for (const bool ties : {false, true}) {
            std::vector<double> values(static_cast<std::size_t>(n));
            for (double& v : values) {
                v = ties ? double(fewValues(engine)) : uniform(engine);
            }
            std::vector<double> sorted = values;
            std::sort(sorted.begin(), sorted.end());
            const std::size_t h = std::size_t(n / 2);
            ExpectMedianAndSelection(values, n % 2 ? sorted[h] : (sorted[h - 1] + sorted[h]) * 0.5,
                                     sorted);
        }
    }
}

TEST(SlicesStatistics, DocumentedStandardDeviationAndRmsCases) {
    const double sample[] = {2, 4, 4, 4, 5, 5, 7, 9}, shifted[] = {100, 1, 2, 3}, pair[] = {3, 4};
    const struct {
        const double* data;
        unsigned long first, last;
        double sd, rms;
    } cases[] = {
        {sample, 0, 8, std::sqrt(32.0 / 7.0), std::sqrt(232.0 / 8.0)},
        {sample, 3, 4, 0.0, 4.0}, // one element
        {sample, 5, 5, 0.0, 0.0}, // empty
        {pair, 0, 2, std::sqrt(0.5), std::sqrt(12.5)},
        {shifted, 1, 4, 1.0, std::sqrt(14.0 / 3.0)},
        {shifted, 3, 1, 0.0, 0.0}, // last < first: the count wraps, nothing is read
        {shifted, 4, 0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(Statistics::StandardDeviation(c.data, c.first, c.last), c.sd);
        EXPECT_DOUBLE_EQ(Statistics::RMS(c.data, c.first, c.last), c.rms);
    }
    EXPECT_EQ(Statistics::SumOfSquares(shifted, 1, 4), 14.0);
    EXPECT_EQ(Statistics::SumOfSquares(shifted, 2, 2), 0.0);
    // One-pass formula, not clamped: rounding makes sumSq * n - sum^2 slightly negative here.
    for (const auto& [value, n] : {std::pair{0.7, 5}, {0.3, 7}, {100000000.1, 5}}) {
        const std::vector<double> equal(n, value);
        EXPECT_TRUE(std::isnan(Statistics::StandardDeviation(equal.data(), 0, equal.size())));
    }
}

} // namespace
