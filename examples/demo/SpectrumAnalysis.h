// SpectrumAnalysis: what a mass-spectrometry host program does with a profile spectrum, step by
// step, through the library's public interface.
//
// 1. Baseline, local noise and peaks (opm::analyse_spectrum): Gaussian smoothing, SNIP
//    baseline, 1.4826 x the median absolute deviation in a sliding window as the local noise,
//    local maxima at S/N >= a threshold, each measured on a cubic spline through its own
//    window (apex, centroid, area, width at half height).
// 2. Recognise the reference peaks and calibrate bin -> m/z by least squares
//    (opm::fit_polynomial), convert with opm::polynomial_value.
// 3. Fit a straight line to the mass errors of the reference peaks as observed before the
//    calibration: how far the stored calibration has drifted (opm::fit_line).
// 4. Separate two overlapping peaks of known m/z and width: their bins come from the calibration
//    by opm::polynomial_roots, their amplitudes from opm::least_squares (through the singular
//    value decomposition).
#pragma once

#include "demo/Profile.h"

#include "OstraPureMath/opm/Spectrum.h"

#include <cstddef>
#include <string>
#include <vector>

namespace opmdemo {

struct KnownPair {
    double mz[2];     // m/z of the two peaks
    double sigmaBins; // their common Gaussian width (standard deviation), in bins
};

// Peak picking that serves a MALDI-TOF linear-mode profile (about 20 000 samples, peaks 10-50
// samples wide at half height): the library's defaults.
opm::PeakParameters DefaultPeakParameters();

struct AnalysisSettings {
    opm::PeakParameters peaks = DefaultPeakParameters();
    std::vector<double> referenceMasses;
    std::vector<double> priorCalibration; // bin -> m/z, lowest power first; finds the references
    double referenceTolerance = 0.3;      // m/z window around a reference mass
    unsigned calibrationDegree = 2;
    bool hasPair = false;
    KnownPair pair = {};
};

// One reported peak: the library's measurement in the profile's abscissa, and in the report's
// unit: m/z when the report has m/z (hasMz), else the profile's bins.
struct PeakReport {
    opm::Peak found;                   // apex_mz etc. in the profile's abscissa (bins or m/z)
    double apex = 0.0, centroid = 0.0; // in the report's unit
    double fwhm = 0.0, area = 0.0;     // width in the report's unit, area in intensity x that unit
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
    double intercept = 0.0, slope = 0.0, r = 0.0; // error (m/z) = intercept + slope * m/z
};

struct DeconvolutionReport {
    bool done = false;
    std::string note;
    double mz[2] = {0.0, 0.0};
    double bin[2] = {0.0, 0.0}; // from the calibration by opm::polynomial_roots
    double amplitude[2] = {0.0, 0.0};
    std::size_t samples = 0; // rows of the least-squares problem
    std::size_t rank = 0;
    bool converged = false;
    double residualSumOfSquares = 0.0;
};

struct AnalysisReport {
    AbscissaKind kind = AbscissaKind::Bin;
    bool hasMz = false;             // peaks carry m/z (m/z profile, or bin profile calibrated)
    opm::SpectrumAnalysis spectrum; // smoothed profile, baseline, local noise, peaks
    bool noiseless = false;         // the local noise is zero everywhere: nothing can be assessed
    std::vector<PeakReport> peaks;  // in increasing position
    CalibrationReport calibration;
    MassErrorTrend trend;
    DeconvolutionReport deconvolution;
};

// Runs the whole workflow on a profile of at least min_knots samples. Raises opm::Error when
// the peak picking refuses the profile or the settings; calibration, trend and deconvolution
// that cannot be done are reported as skipped with a note instead.
AnalysisReport AnalyseSpectrum(const Profile& profile, const AnalysisSettings& settings);

} // namespace opmdemo
