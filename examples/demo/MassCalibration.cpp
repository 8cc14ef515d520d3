// Reference peaks, bin -> m/z calibration and the drift line of the reference errors.
#include "demo/AnalysisSteps.h"

#include "OstraPureMath/HostArrays.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/Polynomial.h"
#include "OstraPureMath/Statistics.h"

#include <cmath>
#include <optional>
#include <string>

namespace opmdemo {

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
            const double x = peaks[p].found.centroid_mz;
            const double mz = kind == AbscissaKind::MZ ? x : priorMz.GetY(x);
            if (std::fabs(mz - reference) <= settings.referenceTolerance &&
                (!best || peaks[p].found.height > peaks[best->peak].found.height)) {
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
        calibration.note = "the profile's abscissa is m/z already";
        return calibration;
    }
    if (found < settings.calibrationDegree + 2) {
        calibration.note = "found " + std::to_string(found) + " of " +
                           std::to_string(settings.referenceMasses.size()) +
                           " reference peaks, need " +
                           std::to_string(settings.calibrationDegree + 2) +
                           "; peaks reported in bins";
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

// m/z of every peak: as found for m/z profiles, through the new calibration for bin profiles
// (the width between the mapped half-height points, the area by the calibration's slope at the
// centroid).
void AssignMasses(AnalysisReport& report) {
    std::vector<double> coefficients = report.calibration.coefficients;
    Polynomial binToMz(coefficients);
    const bool isMz = report.kind == AbscissaKind::MZ;
    const auto toMz = [&](double x) { return isMz ? x : binToMz.GetY(x); };
    std::vector<double> slopeCoefficients = binToMz.GetFirstDer();
    Polynomial slope(slopeCoefficients);
    for (PeakReport& peak : report.peaks) {
        const opm::Peak& found = peak.found;
        peak.apexMz = toMz(found.apex_mz);
        peak.centroidMz = toMz(found.centroid_mz);
        peak.fwhmMz = toMz(found.right_mz) - toMz(found.left_mz);
        peak.areaMz = found.area;
        if (!isMz) {
            peak.areaMz = found.area * slope.GetY(found.centroid_mz);
        }
    }
}

MassErrorTrend FitMassErrors(const AnalysisReport& report) {
    MassErrorTrend trend;
    const std::vector<ReferenceMatch>& references = report.calibration.references;
    if (references.size() < 2) {
        trend.note = "needs at least two reference peaks";
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

} // namespace opmdemo
