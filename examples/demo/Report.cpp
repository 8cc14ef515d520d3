#include "demo/Report.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace opmdemo {
namespace {

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

void Heading(std::ostream& out, const std::string& title) {
    out << '\n' << title << '\n' << std::string(title.size(), '-') << '\n';
}

const char* AbscissaName(const AnalysisReport& report) {
    return report.kind == AbscissaKind::Bin ? "bin" : "m/z";
}

void PrintInput(std::ostream& out, const std::string& source, const Profile& profile) {
    out << "OstraPureMath spectrum demo\n===========================\n"
        << Format("%-18s %s\n", "Input", source.c_str())
        << Format("%-18s %zu, abscissa in %s from %.4f to %.4f\n", "Samples", profile.Size(),
                  profile.kind == AbscissaKind::Bin ? "detector bins" : "m/z",
                  profile.abscissa.front(), profile.abscissa.back());
}

void PrintNoise(std::ostream& out, const AnalysisSettings& settings, const AnalysisReport& report) {
    const NoiseEstimate& noise = report.noise;
    Heading(out, "Smoothing and noise");
    out << Format("%-18s Gaussian, half-width %d samples, %d pass(es)\n", "Smoothing",
                  settings.smoothHalfWidth, settings.smoothPasses)
        << Format("%-18s %.2f counts at the first sample, %.2f at the last (block medians)\n",
                  "Baseline", noise.baselineFirst, noise.baselineLast)
        << Format("%-18s %.3f counts (median standard deviation of %zu blocks)\n", "Noise sigma",
                  noise.sigma, noise.blocks)
        << Format("%-18s samples %zu-%zu: SD %.3f, RMS about the baseline %.3f counts\n",
                  "Quietest block", noise.quietFirst, noise.quietLast - 1, noise.quietSigma,
                  noise.quietRms)
        << Format("%-18s S/N %.0f, %.2f counts above the baseline (smoothed)\n", "Peak threshold",
                  settings.signalToNoise, settings.signalToNoise * noise.sigma);
}

void PrintCalibration(std::ostream& out, const AnalysisReport& report) {
    const CalibrationReport& calibration = report.calibration;
    Heading(out, "Calibration bin -> m/z");
    if (!calibration.done) {
        out << "Skipped: " << calibration.note << '\n';
        return;
    }
    out << Format("Least squares, degree %zu, over %zu reference peaks (centroids):\n",
                  calibration.coefficients.size() - 1, calibration.references.size())
        << "  m/z =";
    for (std::size_t k = 0; k < calibration.coefficients.size(); ++k) {
        const double c = calibration.coefficients[k];
        out << (k == 0   ? Format(" %.6f", c)
                : k == 1 ? Format(" %+.6e b", c)
                         : Format(" %+.6e b^%zu", c, k));
    }
    out << "\n\n"
        << Format("  %10s %12s | %10s %9s | %12s %9s %9s\n", "ref. m/z", "centroid bin",
                  "stored cal", "error mDa", "recalibrated", "error mDa", "error ppm");
    double sumSquares = 0.0;
    for (const ReferenceMatch& match : calibration.references) {
        const double before = match.observedMz - match.referenceMz;
        const double after = match.calibratedMz - match.referenceMz;
        const double ppm = after / match.referenceMz * 1e6;
        sumSquares += ppm * ppm;
        out << Format("  %10.4f %12.3f | %10.4f %9.2f | %12.4f %9.3f %9.3f\n", match.referenceMz,
                      match.abscissa, match.observedMz, before * 1e3, match.calibratedMz,
                      after * 1e3, ppm);
    }
    out << Format("  RMS error after recalibration %.3f ppm\n",
                  std::sqrt(sumSquares / static_cast<double>(calibration.references.size())));
}

void PrintPeaks(std::ostream& out, const AnalysisSettings& settings, const AnalysisReport& report) {
    Heading(out, Format("Peaks (S/N >= %.0f; cubic spline over %ld samples each)",
                        settings.signalToNoise, 2 * settings.splineHalfWindow + 1));
    const char* x = AbscissaName(report);
    out << Format("  %3s %9s %11s %13s %13s %9s %10s %7s\n", "#",
                  (std::string("apex ") + x).c_str(), "apex m/z",
                  (std::string("centroid ") + x).c_str(), "centroid m/z", "height", "area", "S/N");
    int number = 0;
    for (const PeakReport& peak : report.peaks) {
        const std::string apexMz = report.hasMz ? Format("%.4f", peak.apexMz) : "-";
        const std::string centroidMz = report.hasMz ? Format("%.4f", peak.centroidMz) : "-";
        out << Format("  %3d %9.3f %11s %13.3f %13s %9.1f %10.1f %7.1f\n", ++number,
                      peak.apexAbscissa, apexMz.c_str(), peak.centroidAbscissa, centroidMz.c_str(),
                      peak.height, peak.area, peak.signalToNoise);
    }
    out << "  (height in counts above the baseline, area in counts x samples)\n";
}

void PrintTrend(std::ostream& out, const AnalysisReport& report) {
    const MassErrorTrend& trend = report.trend;
    Heading(out, report.kind == AbscissaKind::Bin
                     ? "Drift of the stored calibration (line through the reference errors)"
                     : "Mass-error trend of the profile's m/z (line through the reference errors)");
    if (!trend.done) {
        out << "Skipped: " << trend.note << '\n';
        return;
    }
    const std::vector<ReferenceMatch>& references = report.calibration.references;
    out << Format("  error = %.3f mDa %+.5f mDa per m/z unit (r = %.4f)\n", trend.intercept * 1e3,
                  trend.slope * 1e3, trend.r);
    for (const double mz : {references.front().referenceMz, references.back().referenceMz}) {
        out << Format("  at m/z %9.4f: %+.2f mDa (%+.1f ppm)\n", mz,
                      (trend.intercept + trend.slope * mz) * 1e3,
                      (trend.intercept + trend.slope * mz) / mz * 1e6);
    }
}

void PrintDeconvolution(std::ostream& out, const NoiseEstimate& noise,
                        const DeconvolutionReport& pair) {
    Heading(out, "Overlapping pair (least squares over two known Gaussian shapes, SVD)");
    if (!pair.done) {
        out << "Skipped: " << pair.note << '\n';
        return;
    }
    out << Format("  %10s %12s %18s\n", "m/z", "bin (Solve)", "amplitude, counts");
    for (int k = 0; k < 2; ++k) {
        out << Format("  %10.4f %12.3f %18.1f\n", pair.mz[k], pair.bin[k], pair.amplitude[k]);
    }
    const double rms =
        pair.samples > 2
            ? std::sqrt(pair.residualSumOfSquares / static_cast<double>(pair.samples - 2))
            : 0.0;
    out << Format("  %ld samples, rank %ld, %s; residual sum of squares %.1f counts^2\n",
                  pair.samples, pair.rank, pair.converged ? "converged" : "NOT converged",
                  pair.residualSumOfSquares)
        << Format("  residual RMS %.3f counts (noise sigma %.3f)\n", rms, noise.sigma);
}

} // namespace

void PrintReport(std::ostream& out, const std::string& source, const Profile& profile,
                 const AnalysisSettings& settings, const AnalysisReport& report) {
    PrintInput(out, source, profile);
    PrintNoise(out, settings, report);
    PrintCalibration(out, report);
    PrintPeaks(out, settings, report);
    PrintTrend(out, report);
    PrintDeconvolution(out, report.noise, report.deconvolution);
}

} // namespace opmdemo
