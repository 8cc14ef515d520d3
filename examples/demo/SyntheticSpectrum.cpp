#include "demo/SyntheticSpectrum.h"

#include <cmath>
#include <cstdint>

namespace opmdemo {
namespace {

constexpr std::size_t kBinCount = 4000;
constexpr double kPeakSigma = 1.2;  // bins
constexpr double kNoiseSigma = 2.0; // counts
constexpr double kBaselineStart = 40.0;
constexpr double kBaselineSlope = 0.004;    // counts per bin
constexpr double kIsotopeSpacing = 1.00336; // 13C - 12C, singly charged
constexpr double kIsotopeRatios[] = {1.0, 0.62, 0.21};
constexpr std::uint64_t kSeed = 0x5EED0F0057A1ULL;
constexpr double kTwoPi = 6.283185307179586;

struct Cluster {
    double monoisotopicMz;
    double height;
};
// Far enough apart in m/z that no two clusters overlap; isotopes are 17-20 bins apart.
constexpr Cluster kClusters[] = {{512.2841, 900.0},  {548.3172, 1500.0}, {590.2519, 600.0},
                                 {622.0290, 2200.0}, {655.4023, 1100.0}, {698.3345, 700.0}};
constexpr SyntheticPeak kWeakPeak = {610.1000, 0.0, 6.0};
constexpr SyntheticPeak kOverlapping[2] = {{575.3000, 0.0, 1000.0}, {575.4500, 0.0, 650.0}};

// splitmix64 (Steele, Lea and Flood): tiny, fast, and identical on every platform.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform on (0, 1]: the top 53 bits, shifted by one so that log() never sees zero.
    double Uniform() { return (static_cast<double>(Next() >> 11) + 1.0) * 0x1.0p-53; }
    // Standard normal deviate by the Box-Muller transform (one of the pair is used).
    double Normal() {
        const double radius = std::sqrt(-2.0 * std::log(Uniform()));
        return radius * std::cos(kTwoPi * Uniform());
    }

private:
    std::uint64_t m_state;
};

// Inverse of a quadratic bin -> m/z calibration, in the form that avoids cancellation.
double BinOfMz(const std::vector<double>& c, double mz) {
    const double offset = mz - c[0];
    return 2.0 * offset / (c[1] + std::sqrt(c[1] * c[1] + 4.0 * c[2] * offset));
}

SyntheticPeak Placed(SyntheticPeak peak, const std::vector<double>& calibration) {
    peak.bin = BinOfMz(calibration, peak.mz);
    return peak;
}

double Gaussian(const SyntheticPeak& peak, double bin) {
    const double z = (bin - peak.bin) / kPeakSigma;
    return peak.height * std::exp(-0.5 * z * z);
}

} // namespace

double EvaluatePolynomial(const std::vector<double>& coefficients, double x) {
    double sum = 0.0;
    for (auto c = coefficients.rbegin(); c != coefficients.rend(); ++c) {
        sum = sum * x + *c;
    }
    return sum;
}

SyntheticSpectrum MakeSyntheticSpectrum() {
    SyntheticSpectrum s;
    s.trueCalibration = {500.0, 0.05, 1.0e-6};
    s.priorCalibration = {500.015, 0.049992, 1.0e-6};
    s.peakSigma = kPeakSigma;
    s.noiseSigma = kNoiseSigma;
    for (const Cluster& cluster : kClusters) {
        s.referenceMasses.push_back(cluster.monoisotopicMz);
        for (std::size_t k = 0; k < std::size(kIsotopeRatios); ++k) {
            const SyntheticPeak peak = {cluster.monoisotopicMz + kIsotopeSpacing * k, 0.0,
                                        cluster.height * kIsotopeRatios[k]};
            s.peaks.push_back(Placed(peak, s.trueCalibration));
        }
    }
    s.peaks.push_back(Placed(kWeakPeak, s.trueCalibration));
    for (int i = 0; i < 2; ++i) {
        s.overlapping[i] = Placed(kOverlapping[i], s.trueCalibration);
    }

    SplitMix64 random(kSeed);
    s.profile.kind = AbscissaKind::Bin;
    for (std::size_t i = 0; i < kBinCount; ++i) {
        const double bin = static_cast<double>(i);
        double counts = kBaselineStart + kBaselineSlope * bin + kNoiseSigma * random.Normal();
        for (const SyntheticPeak& peak : s.peaks) {
            counts += Gaussian(peak, bin);
        }
        counts += Gaussian(s.overlapping[0], bin) + Gaussian(s.overlapping[1], bin);
        s.profile.abscissa.push_back(bin);
        s.profile.intensity.push_back(counts);
    }
    return s;
}

} // namespace opmdemo
