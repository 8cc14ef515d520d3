// SyntheticSpectrum: the demo's built-in data, a deterministic profile spectrum with known truth.
//
// About 4000 detector bins carry isotope clusters of Gaussian peaks, one pair of overlapping
// peaks and one peak too weak to report, on a sloping baseline with Gaussian noise drawn from a
// seeded generator of our own (splitmix64), so the data are the same on every machine.
#pragma once

#include "demo/Profile.h"

#include <vector>

namespace opmdemo {

// One Gaussian peak of the generator: height * exp(-((bin - centre) / sigma)^2 / 2).
struct SyntheticPeak {
    double mz;     // true m/z of the peak
    double bin;    // true centre in bins (apex and area-halving point of the noise-free peak)
    double height; // counts above the baseline
};

struct SyntheticSpectrum {
    Profile profile; // bins 0, 1, ..., with intensities in counts
    // True bin -> m/z calibration, lowest power first.
    std::vector<double> trueCalibration;
    // The instrument's stored calibration, slightly drifted from the truth: good enough to
    // recognise the reference peaks, not to report masses.
    std::vector<double> priorCalibration;
    // Isolated peaks (every isotope cluster member and the weak peak), in increasing m/z.
    std::vector<SyntheticPeak> peaks;
    // Two peaks closer than their width, to be separated by least squares.
    SyntheticPeak overlapping[2];
    // Known m/z of the monoisotopic peak of every cluster, used for calibration.
    std::vector<double> referenceMasses;
    double peakSigma;  // common width (standard deviation) of every peak, in bins
    double noiseSigma; // standard deviation of the added noise, in counts
};

// Builds the built-in spectrum; every call returns identical data.
SyntheticSpectrum MakeSyntheticSpectrum();

// Evaluates a polynomial given lowest power first (Horner); used for the generator's truth.
double EvaluatePolynomial(const std::vector<double>& coefficients, double x);

} // namespace opmdemo
