#include "demo/SpectrumAnalysis.h"

#include "demo/AnalysisSteps.h"

#include <algorithm>

namespace opmdemo {

opm::PeakParameters DefaultPeakParameters() {
    return opm::PeakParameters();
}

AnalysisReport AnalyseSpectrum(const Profile& profile, const AnalysisSettings& settings) {
    AnalysisReport report;
    report.kind = profile.kind;
    report.spectrum = opm::analyse_spectrum(profile.abscissa, profile.intensity, settings.peaks);
    report.noiseless = std::all_of(report.spectrum.noise.begin(), report.spectrum.noise.end(),
                                   [](double noise) { return noise == 0.0; });
    for (const opm::Peak& peak : report.spectrum.peaks) {
        report.peaks.push_back(PeakReport{peak});
    }
    report.calibration =
        Calibrate(profile.kind, MatchReferences(report.peaks, profile.kind, settings), settings);
    report.hasMz = profile.kind == AbscissaKind::MZ || report.calibration.done;
    AssignMasses(report);
    report.trend = FitMassErrors(report);
    report.deconvolution = SeparatePair(profile, report, settings);
    return report;
}

} // namespace opmdemo
