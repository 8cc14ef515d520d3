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

// A DoubleArray holding values (the framework's arrays are not copyable).
struct Samples {
    explicit Samples(const std::vector<double>& values) {
        for (double v : values) {
            array.Add(v);
        }
    }
    DoubleArray array;
};

std::vector<double> Elements(const DoubleArray& array) {
    return std::vector<double>(array.GetData(), array.GetData() + array.GetSize());
}

TEST(Medean, DocumentedCasesAndTiesLeaveTheInputInItsOrder) {
    struct Case {
        std::vector<double> values;
        double median;
    };
    const Case cases[] = {
        {{}, 0.0},
        {{7}, 7.0},
        {{1, 3}, 2.0},
        {{3, 1, 2}, 2.0},
        {{4, 1, 3, 2}, 2.5},
        {{5, 5, 5, 1, 9}, 5.0},
        {{2, 2, 1, 1}, 1.5},
        {{9, 8, 7, 6, 5, 4, 3}, 6.0},
        {{-1, 4, 4, 4, -1, 0}, 2.0},
    };
    for (const Case& c : cases) {
        const Samples samples(c.values);
        EXPECT_EQ(Statistics::Medean(samples.array), c.median);
        EXPECT_EQ(Elements(samples.array), c.values);
    }
}

TEST(Medean, AgreesWithASortedCopyOnRandomArraysOfManySizes) {
    std::mt19937 engine(7);
    std::uniform_real_distribution<double> uniform(-100.0, 100.0);
    std::uniform_int_distribution<int> fewValues(0, 4);
    for (int n = 1; n <= 300; n += (n < 40 ? 1 : 37)) {
        for (bool ties : {false, true}) {
            std::vector<double> values(static_cast<std::size_t>(n));
            for (double& v : values) {
                v = ties ? double(fewValues(engine)) : uniform(engine);
            }
            std::vector<double> sorted = values;
            std::sort(sorted.begin(), sorted.end());
            const std::size_t h = std::size_t(n / 2);
            const double expected = n % 2 ? sorted[h] : (sorted[h - 1] + sorted[h]) * 0.5;
            const Samples samples(values);
            EXPECT_EQ(Statistics::Medean(samples.array), expected) << "n = " << n;
            for (int k = 0; k < n; k += 1 + n / 7) {
                EXPECT_EQ(Statistics::KthSmallest(samples.array, k), sorted[std::size_t(k)]);
            }
            EXPECT_EQ(Elements(samples.array), values);
        }
    }
}

TEST(SlicesStatistics, DocumentedStandardDeviationAndRmsCases) {
    const double sample[] = {2, 4, 4, 4, 5, 5, 7, 9};
    const double shifted[] = {100, 1, 2, 3};
    const double pair[] = {3, 4};
    struct Case {
        const double* data;
        unsigned long first, last;
        double sd, rms;
    };
    const Case cases[] = {
        {sample, 0, 8, std::sqrt(32.0 / 7.0), std::sqrt(232.0 / 8.0)},
        {sample, 3, 4, 0.0, 4.0}, // one element
        {sample, 5, 5, 0.0, 0.0}, // empty
        {pair, 0, 2, std::sqrt(0.5), std::sqrt(12.5)},
        {shifted, 1, 4, 1.0, std::sqrt(14.0 / 3.0)},
        {shifted, 3, 1, 0.0, 0.0}, // last < first: the count wraps, nothing is read
        {shifted, 4, 0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(Statistics::StandardDeviation(c.data, c.first, c.last), c.sd);
        EXPECT_DOUBLE_EQ(Statistics::RMS(c.data, c.first, c.last), c.rms);
    }
    EXPECT_EQ(Statistics::SumOfSquares(shifted, 1, 4), 14.0);
    EXPECT_EQ(Statistics::SumOfSquares(shifted, 2, 2), 0.0);
}

TEST(SlicesStatistics, OnePassFormulaGivesNaNForNearlyEqualSamples) {
    // Rounding makes sumSq * n - sum^2 slightly negative here, and it is not clamped.
    const std::vector<double> fives(5, 0.7), sevens(7, 0.3);
    const std::vector<double> large = {100000000.1, 100000000.1, 100000000.1, 100000000.1,
                                       100000000.1};
    for (const std::vector<double>* data : {&fives, &sevens, &large}) {
        EXPECT_TRUE(std::isnan(Statistics::StandardDeviation(data->data(), 0, data->size())));
    }
}

} // namespace
