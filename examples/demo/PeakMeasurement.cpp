// Peak finding on the smoothed profile and measurement on cubic splines.
#include "demo/AnalysisSteps.h"

#include "OstraPureMath/Splines.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace opmdemo {
namespace {

constexpr long kNaturalEnds = 1;  // spline end condition: zero second derivative at the ends
constexpr long kMinimumKnots = 6; // CubicSplineMax rejects fewer knots

// Samples that reach minHeight and are the highest within +-separation (the leftmost of equals).
std::vector<long> FindPeakSamples(const std::vector<double>& signal, double minHeight,
                                  long separation) {
    const long n = static_cast<long>(signal.size());
    std::vector<long> found;
    for (long i = 0; i < n; ++i) {
        if (!(signal[i] >= minHeight)) {
            continue;
        }
        bool highest = true;
        for (long j = std::max(0L, i - separation); highest && j <= std::min(n - 1, i + separation);
             ++j) {
            highest = j < i ? signal[j] < signal[i] : (j == i || signal[j] <= signal[i]);
        }
        if (highest) {
            found.push_back(i);
        }
    }
    return found;
}

struct SplinePeak {
    double apex, height, centroid, centroidHeight, area;
};

// Cubic spline through the samples centre-halfWindow .. centre+halfWindow of signal, with knots
// at the sample numbers (so neighbouring knots are one unit apart, as CubicSplineMax expects);
// its maximum and its area-halving point over the whole window.
std::optional<SplinePeak> MeasurePeak(const std::vector<double>& signal, long centre,
                                      long halfWindow) {
    const long n = static_cast<long>(signal.size());
    const long first = std::max(0L, centre - halfWindow);
    const long knots = std::min(n - 1, centre + halfWindow) - first + 1;
    if (knots < kMinimumKnots) {
        return std::nullopt;
    }
    // The Splines arrays are 1-based: element 0 is never used.
    std::vector<double> x(knots + 1), y(knots + 1), cubic(knots + 1), quad(knots + 1),
        lin(knots + 1), second(knots + 1);
    for (long k = 1; k <= knots; ++k) {
        x[k] = static_cast<double>(first + k - 1);
        y[k] = signal[first + k - 1];
    }
    const Splines splines;
    if (!splines.CubicSplines(x.data(), y.data(), kNaturalEnds, knots, cubic.data(), quad.data(),
                              lin.data(), second.data())) {
        throw std::runtime_error("cubic spline construction failed");
    }
    SplinePeak peak{};
    double slope = 0.0;
    if (!splines.CubicSplineMax(x[1], x[knots], knots, x.data(), y.data(), cubic.data(),
                                quad.data(), lin.data(), slope, peak.apex, peak.height)) {
        return std::nullopt;
    }
    splines.CubicSplineCentroid(x[1], x[knots], knots, x.data(), y.data(), cubic.data(),
                                quad.data(), lin.data(), peak.area, peak.centroid,
                                peak.centroidHeight);
    return peak;
}

} // namespace

std::vector<PeakReport> FindPeaks(const Profile& profile, const AnalysisReport& report,
                                  const AnalysisSettings& settings) {
    std::vector<double> signal(profile.Size());
    for (std::size_t i = 0; i < signal.size(); ++i) {
        signal[i] = report.smoothed[i] - report.baseline[i];
    }
    const double minHeight = settings.signalToNoise * report.noise.sigma;
    std::vector<PeakReport> peaks;
    for (long centre : FindPeakSamples(signal, minHeight, settings.peakSeparation)) {
        const std::optional<SplinePeak> measured =
            MeasurePeak(signal, centre, settings.splineHalfWindow);
        if (!measured) {
            continue;
        }
        PeakReport peak;
        peak.apexPosition = measured->apex;
        peak.centroidPosition = measured->centroid;
        peak.apexAbscissa = AbscissaAt(profile, measured->apex);
        peak.centroidAbscissa = AbscissaAt(profile, measured->centroid);
        peak.height = measured->height;
        peak.centroidHeight = measured->centroidHeight;
        peak.baseline = report.baseline[static_cast<std::size_t>(std::lround(measured->apex))];
        peak.area = measured->area;
        peak.signalToNoise = measured->height / report.noise.sigma;
        peaks.push_back(peak);
    }
    return peaks;
}

} // namespace opmdemo
