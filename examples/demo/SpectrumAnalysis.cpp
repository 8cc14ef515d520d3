#include "demo/SpectrumAnalysis.h"

#include "demo/AnalysisSteps.h"

namespace opmdemo {

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
