// The steps of AnalyseSpectrum, one source file per step; internal to the analysis.
#pragma once

#include "demo/SpectrumAnalysis.h"

#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/Framework.h"

namespace opmdemo {

// Copies values into one of the framework's arrays (DoubleArray, MZArray, MZBinArray).
template <class Array> void Fill(Array& array, const double* values, std::size_t count) {
    array.SetSize(static_cast<INT_PTR>(count));
    for (std::size_t i = 0; i < count; ++i) {
        array[static_cast<INT_PTR>(i)] = values[i];
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
