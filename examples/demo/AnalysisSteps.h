// The steps of AnalyseSpectrum, one source file per step; internal to the analysis.
#pragma once

#include "demo/SpectrumAnalysis.h"

#include "OstraPureMath/opm/Error.h"

#include <string>

namespace opmdemo {

// Runs step(), which returns whether it was done (and sets `note` when it was not), and returns
// that. When the library refuses the step's data (an opm::Error), its message becomes `note`,
// the reason the step was skipped, and the result is false.
template <class Step> bool Attempted(std::string& note, Step&& step) {
    try {
        return step();
    } catch (const opm::Error& error) {
        note = error.what();
        return false;
    }
}

// MassCalibration.cpp: reference peaks, calibration, m/z of every peak, drift line.
std::vector<ReferenceMatch> MatchReferences(const std::vector<PeakReport>& peaks, AbscissaKind kind,
                                            const AnalysisSettings& settings);
CalibrationReport Calibrate(AbscissaKind kind, std::vector<ReferenceMatch> matches,
                            const AnalysisSettings& settings);
void AssignMasses(AnalysisReport& report);
MassErrorTrend FitMassErrors(const AnalysisReport& report);
// PairSeparation.cpp: amplitudes of two overlapping peaks of known m/z and width.
DeconvolutionReport SeparatePair(const Profile& profile, const AnalysisReport& report,
                                 const AnalysisSettings& settings);

} // namespace opmdemo
