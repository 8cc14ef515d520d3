#include "demo/SpectrumAnalysis.h"

#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/HostArrays.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Splines.h"
#include "OstraPureMath/Statistics.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace opmdemo {
namespace {

constexpr long kNaturalEnds = 1;         // spline end condition: zero second derivative at the ends
constexpr long kMinimumKnots = 6;        // CubicSplineMax rejects fewer knots
constexpr double kRankTolerance = 1e-10; // relative to the largest singular value
constexpr long kMaxSvdRows = 1000;       // capacity of SingularValueDecomposition's work vectors
constexpr double kPairMargin = 4.0;      // least-squares window: +-4 sigma around the pair

// Copies values into one of the framework's arrays (DoubleArray, MZArray, MZBinArray).
template <class Array> void Fill(Array& array, const double* values, std::size_t count) {
    array.SetSize(static_cast<INT_PTR>(count));
    for (std::size_t i = 0; i < count; ++i) {
        array[static_cast<INT_PTR>(i)] = values[i];
    }
}

double MedianOf(const double* values, std::size_t count) {
    DoubleArray array;
    Fill(array, values, count);
    return Statistics::Medean(array);
}

// Row-pointer matrix [1..rows] x [1..cols] from Matrix::dMatrix, released when it goes.
class RowMatrix {
public:
    RowMatrix(const Matrix& owner, long rows, long cols)
        : m_owner(owner), m_rows(rows), m_cols(cols), m_data(owner.dMatrix(1, rows, 1, cols)) {}
    ~RowMatrix() { m_owner.dMatrixFree(m_data, 1, m_rows, 1, m_cols); }
    RowMatrix(const RowMatrix&) = delete;
    RowMatrix& operator=(const RowMatrix&) = delete;

    double** get() const { return m_data; }
    double* operator[](long row) const { return m_data[row]; }

private:
    const Matrix& m_owner;
    long m_rows, m_cols;
    double** m_data;
};

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

// The most intense peak within the tolerance of each reference mass, judged by the prior
// calibration (bin profiles) or by the abscissa itself (m/z profiles).
std::vector<ReferenceMatch> MatchReferences(const std::vector<PeakReport>& peaks, AbscissaKind kind,
                                            const AnalysisSettings& settings) {
    std::vector<double> prior = settings.priorCalibration;
    Polynomial priorMz(prior);
    std::vector<ReferenceMatch> matches;
    for (double reference : settings.referenceMasses) {
        std::optional<ReferenceMatch> best;
        for (std::size_t p = 0; p < peaks.size(); ++p) {
            const double x = peaks[p].centroidAbscissa;
            const double mz = kind == AbscissaKind::MZ ? x : priorMz.GetY(x);
            if (std::fabs(mz - reference) <= settings.referenceTolerance &&
                (!best || peaks[p].height > peaks[best->peak].height)) {
                best = ReferenceMatch{reference, x, mz, 0.0, p};
            }
        }
        if (best) {
            matches.push_back(*best);
        }
    }
    return matches;
}

CalibrationReport Calibrate(AbscissaKind kind, std::vector<ReferenceMatch> matches,
                            const AnalysisSettings& settings) {
    CalibrationReport calibration;
    calibration.references = std::move(matches);
    const std::size_t found = calibration.references.size();
    if (kind == AbscissaKind::MZ) {
        calibration.note = "the profile's abscissa is m/z already; calibration skipped";
        return calibration;
    }
    if (found < settings.calibrationDegree + 2) {
        calibration.note = "found " + std::to_string(found) + " of " +
                           std::to_string(settings.referenceMasses.size()) +
                           " reference peaks, need " +
                           std::to_string(settings.calibrationDegree + 2) +
                           "; calibration skipped, peaks reported in bins";
        return calibration;
    }
    MZBinArray bins;
    MZArray masses;
    bins.SetSize(static_cast<INT_PTR>(found));
    masses.SetSize(static_cast<INT_PTR>(found));
    for (std::size_t i = 0; i < found; ++i) {
        bins[static_cast<INT_PTR>(i)] = calibration.references[i].abscissa;
        masses[static_cast<INT_PTR>(i)] = calibration.references[i].referenceMz;
    }
    DoubleArray coefficients;
    LeastSquares::PolynomialCoefs(bins, masses, settings.calibrationDegree, coefficients);
    calibration.coefficients.assign(coefficients.GetData(),
                                    coefficients.GetData() + coefficients.GetSize());
    Polynomial binToMz(calibration.coefficients);
    for (ReferenceMatch& match : calibration.references) {
        match.calibratedMz = binToMz.GetY(match.abscissa);
    }
    calibration.done = true;
    return calibration;
}

void AssignMasses(AnalysisReport& report) {
    std::vector<double> coefficients = report.calibration.coefficients;
    Polynomial binToMz(coefficients);
    for (PeakReport& peak : report.peaks) {
        const bool isMz = report.kind == AbscissaKind::MZ;
        peak.apexMz = isMz ? peak.apexAbscissa : binToMz.GetY(peak.apexAbscissa);
        peak.centroidMz = isMz ? peak.centroidAbscissa : binToMz.GetY(peak.centroidAbscissa);
    }
}

MassErrorTrend FitMassErrors(const AnalysisReport& report) {
    MassErrorTrend trend;
    const std::vector<ReferenceMatch>& references = report.calibration.references;
    if (references.size() < 2) {
        trend.note = "needs at least two reference peaks; skipped";
        return trend;
    }
    std::vector<double> mz, error;
    for (const ReferenceMatch& match : references) {
        mz.push_back(match.referenceMz);
        error.push_back(match.observedMz - match.referenceMz);
    }
    trend.status = Statistics::Line(mz.data(), error.data(), static_cast<int>(mz.size()),
                                    trend.intercept, trend.slope, trend.r);
    trend.done = trend.status == 0;
    if (!trend.done) {
        trend.note = "straight-line fit reported code " + std::to_string(trend.status);
    }
    return trend;
}

// The root of calibration(bin) = mz that lies inside [low, high], if any.
std::optional<double> BinOfMass(Polynomial& calibration, double mz, double low, double high) {
    std::vector<double> roots;
    calibration.Solve(mz, roots);
    for (double root : roots) {
        if (root >= low && root <= high) {
            return root;
        }
    }
    return std::nullopt;
}

double Gaussian(double x, double centre, double sigma) {
    const double z = (x - centre) / sigma;
    return std::exp(-0.5 * z * z);
}

// Least squares over two known shapes: intensity - baseline ~ a1 g1(bin) + a2 g2(bin).
DeconvolutionReport SeparatePair(const Profile& profile, const AnalysisReport& report,
                                 const AnalysisSettings& settings) {
    DeconvolutionReport result;
    if (!settings.hasPair) {
        result.note = "no pair of overlapping peaks is defined for this profile; skipped";
        return result;
    }
    if (!report.calibration.done) {
        result.note = "needs a bin -> m/z calibration; skipped";
        return result;
    }
    std::vector<double> coefficients = report.calibration.coefficients;
    Polynomial calibration(coefficients);
    const double sigma = settings.pair.sigmaBins;
    for (int k = 0; k < 2; ++k) {
        result.mz[k] = settings.pair.mz[k];
        const std::optional<double> bin =
            BinOfMass(calibration, result.mz[k], profile.abscissa.front(), profile.abscissa.back());
        if (!bin) {
            result.note = "m/z " + std::to_string(result.mz[k]) + " lies outside the profile";
            return result;
        }
        result.bin[k] = *bin;
    }
    const double low = std::min(result.bin[0], result.bin[1]) - kPairMargin * sigma;
    const double high = std::max(result.bin[0], result.bin[1]) + kPairMargin * sigma;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < profile.Size(); ++i) {
        if (profile.abscissa[i] >= low && profile.abscissa[i] <= high) {
            rows.push_back(i);
        }
    }
    const long m = static_cast<long>(rows.size());
    if (m < 2 || m > kMaxSvdRows) {
        result.note = "the pair spans " + std::to_string(m) + " samples; skipped";
        return result;
    }
    const Matrix matrix;
    RowMatrix a(matrix, m, 2), b(matrix, m, 1), x(matrix, 2, 1);
    std::vector<double> residual(2); // 1-based: residual[1]
    for (long r = 1; r <= m; ++r) {
        const std::size_t i = rows[static_cast<std::size_t>(r - 1)];
        a[r][1] = Gaussian(profile.abscissa[i], result.bin[0], sigma);
        a[r][2] = Gaussian(profile.abscissa[i], result.bin[1], sigma);
        b[r][1] = profile.intensity[i] - report.baseline[i];
    }
    long rank = 2;
    matrix.SingularValueDecomposition(a.get(), b.get(), x.get(), residual.data(), m, rank, 1,
                                      kRankTolerance, result.converged);
    result.samples = m;
    result.rank = rank;
    result.amplitude[0] = x[1][1];
    result.amplitude[1] = x[2][1];
    result.residualSumOfSquares = residual[1];
    result.done = true;
    return result;
}

} // namespace

AnalysisReport AnalyseSpectrum(const Profile& profile, const AnalysisSettings& settings) {
    AnalysisReport report;
    report.kind = profile.kind;
    report.smoothed = Smooth(profile.intensity, settings);
    report.noise = EstimateNoise(profile.intensity, settings.noiseBlock, report.baseline);
    report.peaks = FindPeaks(profile, report, settings);
    report.calibration =
        Calibrate(profile.kind, MatchReferences(report.peaks, profile.kind, settings), settings);
    report.hasMz = profile.kind == AbscissaKind::MZ || report.calibration.done;
    if (report.hasMz) {
        AssignMasses(report);
    }
    report.trend = FitMassErrors(report);
    report.deconvolution = SeparatePair(profile, report, settings);
    return report;
}

} // namespace opmdemo
