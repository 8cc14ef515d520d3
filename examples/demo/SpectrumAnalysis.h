// SpectrumAnalysis: what a mass-spectrometry host program does with a profile spectrum, step by
// step, through the library's public interface.
//
// 1. Smooth the profile (Statistics::GaussSmooth) and estimate baseline and noise block by
//    block (Statistics::Medean, StandardDeviation, RMS).
// 2. Find every peak whose smoothed height reaches a signal-to-noise threshold and measure it
//    on a cubic spline through the samples around it, knots at sample numbers
//    (Splines::CubicSplines, CubicSplineMax, CubicSplineCentroid).
// 3. Recognise the reference peaks and calibrate bin -> m/z by least squares
//    (LeastSquares::PolynomialCoefs), convert with Polynomial::GetY.
// 4. Fit a straight line to the mass errors of the reference peaks as observed before the
//    calibration: how far the stored calibration has drifted (Statistics::Line).
// 5. Separate two overlapping peaks of known m/z and width: their bins come from the calibration
//    by Polynomial::Solve, their amplitudes from Matrix::SingularValueDecomposition.
#pragma once

#include "demo/Profile.h"

#include <cstddef>
#include <string>
#include <vector>

namespace opmdemo {

struct KnownPair {
    double mz[2];     // m/z of the two peaks
    double sigmaBins; // their common Gaussian width (standard deviation), in bins
};

struct AnalysisSettings {
    int smoothHalfWidth = 2; // Gaussian kernel of +-2 samples, sigma = 1 sample
    int smoothPasses = 1;
    std::size_t noiseBlock = 100; // samples per baseline/noise block
    double signalToNoise = 10.0;  // smoothed height over noise sigma needed to report a peak
    long peakSeparation = 3;      // a peak is the highest smoothed sample within +-3 samples
    long splineHalfWindow = 6;    // knots: the peak sample and 6 samples either side
    std::vector<double> referenceMasses;
    std::vector<double> priorCalibration; // bin -> m/z, lowest power first; finds the references
    double referenceTolerance = 0.3;      // m/z window around a reference mass
    unsigned calibrationDegree = 2;
    bool hasPair = false;
    KnownPair pair = {};
};

struct NoiseEstimate {
    double sigma = 0.0; // median of the blocks' standard deviations
    std::size_t blocks = 0;
    std::size_t quietFirst = 0, quietLast = 0;      // block of smallest spread, [first, last)
    double quietSigma = 0.0;                        // its standard deviation
    double quietRms = 0.0;                          // its RMS about the baseline
    double baselineFirst = 0.0, baselineLast = 0.0; // baseline at the first and last sample
};

struct PeakReport {
    double apexPosition = 0.0;                         // in samples from the first
    double centroidPosition = 0.0;                     // area-halving point, in samples
    double apexAbscissa = 0.0, centroidAbscissa = 0.0; // same, in the profile's abscissa
    double apexMz = 0.0, centroidMz = 0.0;             // valid when the report has m/z (hasMz)
    double height = 0.0;                               // spline maximum above the baseline
    double centroidHeight = 0.0; // spline value at the centroid, above the baseline
    double baseline = 0.0;       // baseline under the apex
    double area = 0.0;           // above the baseline, counts x samples
    double signalToNoise = 0.0;
};

struct ReferenceMatch {
    double referenceMz = 0.0;
    double abscissa = 0.0;     // centroid of the matched peak, in the profile's abscissa
    double observedMz = 0.0;   // its m/z by the stored calibration (bins) or as read (m/z)
    double calibratedMz = 0.0; // its m/z by the new calibration (bin profiles, when done)
    std::size_t peak = 0;      // index into AnalysisReport::peaks
};

struct CalibrationReport {
    bool done = false;
    std::string note;                 // why it was skipped
    std::vector<double> coefficients; // bin -> m/z, lowest power first
    std::vector<ReferenceMatch> references;
};

// Straight line through the observed errors (observedMz - referenceMz) against referenceMz.
struct MassErrorTrend {
    bool done = false;
    std::string note;
    int status = 0;                               // Statistics::Line result
    double intercept = 0.0, slope = 0.0, r = 0.0; // error (m/z) = intercept + slope * m/z
};

struct DeconvolutionReport {
    bool done = false;
    std::string note;
    double mz[2] = {0.0, 0.0};
    double bin[2] = {0.0, 0.0}; // from the calibration by Polynomial::Solve
    double amplitude[2] = {0.0, 0.0};
    long samples = 0; // rows of the least-squares problem
    long rank = 0;
    bool converged = false;
    double residualSumOfSquares = 0.0;
};

struct AnalysisReport {
    AbscissaKind kind = AbscissaKind::Bin;
    bool hasMz = false;           // peaks carry m/z (m/z profile, or bin profile calibrated)
    std::vector<double> smoothed; // smoothed profile, absolute counts
    std::vector<double> baseline; // per sample
    NoiseEstimate noise;
    std::vector<PeakReport> peaks; // in increasing position
    CalibrationReport calibration;
    MassErrorTrend trend;
    DeconvolutionReport deconvolution;
};

// Runs the whole workflow on a non-empty profile. Raises std::runtime_error when a library call
// reports failure (the smoothing, the spline construction); calibration, trend and
// deconvolution that cannot be done are reported as skipped with a note instead.
AnalysisReport AnalyseSpectrum(const Profile& profile, const AnalysisSettings& settings);

} // namespace opmdemo
