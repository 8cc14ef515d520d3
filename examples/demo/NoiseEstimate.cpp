// Smoothing, baseline and noise of a profile.
#include "demo/AnalysisSteps.h"

#include "OstraPureMath/Statistics.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace opmdemo {
namespace {

double MedianOf(const double* values, std::size_t count) {
    DoubleArray array;
    Fill(array, values, count);
    return Statistics::Medean(array);
}

// Piecewise-linear curve through (centres[b], levels[b]), flat beyond the outer centres.
std::vector<double> JoinBlockLevels(const std::vector<double>& centres,
                                    const std::vector<double>& levels, std::size_t n) {
    std::vector<double> curve(n);
    std::size_t b = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i);
        while (b + 1 < centres.size() && centres[b + 1] <= x) {
            ++b;
        }
        if (x <= centres[b] || b + 1 == centres.size()) {
            curve[i] = levels[b];
        } else {
            const double t = (x - centres[b]) / (centres[b + 1] - centres[b]);
            curve[i] = levels[b] + t * (levels[b + 1] - levels[b]);
        }
    }
    return curve;
}

} // namespace

std::vector<double> Smooth(const std::vector<double>& raw, const AnalysisSettings& settings) {
    std::vector<double> smoothed = raw;
    const int n = static_cast<int>(smoothed.size());
    const int status = Statistics::GaussSmooth(smoothed.data(), n, 0, n - 1,
                                               settings.smoothHalfWidth, settings.smoothPasses);
    if (status != 0) {
        throw std::runtime_error("Gaussian smoothing failed with code " + std::to_string(-status));
    }
    return smoothed;
}

// Baseline: the median of each block, joined linearly between block centres. Noise: the median
// of the blocks' standard deviations, which the few blocks that hold peaks cannot move.
NoiseEstimate EstimateNoise(const std::vector<double>& raw, std::size_t blockSize,
                            std::vector<double>& baseline) {
    const std::size_t n = raw.size();
    const std::size_t blocks = std::max<std::size_t>(1, n / blockSize);
    std::vector<double> centres(blocks), levels(blocks);
    DoubleArray spreads;
    spreads.SetSize(static_cast<INT_PTR>(blocks));
    NoiseEstimate noise;
    noise.blocks = blocks;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t first = b * n / blocks;
        const std::size_t last = (b + 1) * n / blocks;
        levels[b] = MedianOf(raw.data() + first, last - first);
        centres[b] = 0.5 * static_cast<double>(first + last - 1);
        const double spread = Statistics::StandardDeviation(raw.data(), first, last);
        spreads[static_cast<INT_PTR>(b)] = spread;
        if (b == 0 || spread < noise.quietSigma) {
            noise.quietSigma = spread;
            noise.quietFirst = first;
            noise.quietLast = last;
        }
    }
    noise.sigma = Statistics::Medean(spreads);
    baseline = JoinBlockLevels(centres, levels, n);
    std::vector<double> residual(n);
    for (std::size_t i = 0; i < n; ++i) {
        residual[i] = raw[i] - baseline[i];
    }
    noise.quietRms = Statistics::RMS(residual.data(), noise.quietFirst, noise.quietLast);
    noise.baselineFirst = baseline.front();
    noise.baselineLast = baseline.back();
    return noise;
}

} // namespace opmdemo
