// Reference peaks, bin -> m/z calibration and the drift line of the reference errors.
#include "demo/AnalysisSteps.h"

#include "OstraPureMath/opm/Polynomials.h"
#include "OstraPureMath/opm/Statistics.h"

#include <cmath>
#include <optional>
#include <string>

namespace opmdemo {
namespace {

// Coefficients of P' from those of P, lowest power first.
std::vector<double> Derivative(const std::vector<double>& coefficients) {
    std::vector<double> derivative;
    for (std::size_t i = 1; i < coefficients.size(); ++i) {
        derivative.push_back(static_cast<double>(i) * coefficients[i]);
    }
    return derivative;
}

} // namespace

// The most intense peak within the tolerance of each reference mass, judged by the prior
// calibration (bin profiles) or by the abscissa itself (m/z profiles).
std::vector<ReferenceMatch> MatchReferences(const std::vector<PeakReport>& peaks, AbscissaKind kind,
                                            const AnalysisSettings& settings) {
    std::vector<ReferenceMatch> matches;
    for (double reference : settings.referenceMasses) {
        std::optional<ReferenceMatch> best;
        for (std::size_t p = 0; p < peaks.size(); ++p) {
            const double x = peaks[p].found.centroid_mz;
            const double mz =
                kind == AbscissaKind::MZ ? x : opm::polynomial_value(settings.priorCalibration, x);
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
        calibration.note =
            "found " + std::to_string(found) + " of " +
            std::to_string(settings.referenceMasses.size()) + " reference peaks, need " +
            std::to_string(settings.calibrationDegree + 2) + "; peaks reported in bins";
        return calibration;
    }
    std::vector<double> bins, masses;
    for (const ReferenceMatch& match : calibration.references) {
        bins.push_back(match.abscissa);
        masses.push_back(match.referenceMz);
    }
    if (!Attempted(calibration.note, [&] {
            calibration.coefficients =
                opm::fit_polynomial(bins, masses, settings.calibrationDegree);
            return true;
        })) {
        return calibration;
    }
    for (ReferenceMatch& match : calibration.references) {
        match.calibratedMz = opm::polynomial_value(calibration.coefficients, match.abscissa);
    }
    calibration.done = true;
    return calibration;
}

// The peaks in the report's unit: through the new calibration for calibrated bin profiles (the
// width between the mapped half-height points, the area by the calibration's slope at the
// centroid), as found otherwise.
void AssignMasses(AnalysisReport& report) {
    const bool calibrated = report.calibration.done;
    const std::vector<double>& binToMz = report.calibration.coefficients;
    const auto toMz = [&](double x) { return calibrated ? opm::polynomial_value(binToMz, x) : x; };
    const std::vector<double> slope = Derivative(binToMz);
    for (PeakReport& peak : report.peaks) {
        const opm::Peak& found = peak.found;
        peak.apex = toMz(found.apex_mz);
        peak.centroid = toMz(found.centroid_mz);
        peak.fwhm = toMz(found.right_mz) - toMz(found.left_mz);
        peak.area = found.area;
        if (calibrated) {
            peak.area = found.area * opm::polynomial_value(slope, found.centroid_mz);
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
    trend.done = Attempted(trend.note, [&] {
        const opm::LineFit line = opm::fit_line(mz, error);
        trend.intercept = line.intercept;
        trend.slope = line.slope;
        trend.r = line.r;
        return true;
    });
    return trend;
}

} // namespace opmdemo
