#include "demo/Report.h"

#include <algorithm>
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

double MedianOf(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

void PrintBaselineAndNoise(std::ostream& out, const AnalysisSettings& settings,
                           const AnalysisReport& report) {
    const opm::PeakParameters& p = settings.peaks;
    const opm::SpectrumAnalysis& spectrum = report.spectrum;
    Heading(out, "Smoothing, baseline and local noise");
    out << Format("%-18s Gaussian, half-width %d samples, %d pass(es)\n", "Smoothing",
                  p.smoothing_half_width, p.smoothing_passes)
        << Format("%-18s %s, width %zu samples: %.4g at the first sample, %.4g at the last\n",
                  "Baseline",
                  p.baseline == opm::BaselineMethod::snip ? "SNIP" : "moving minimum/median",
                  p.baseline_width, spectrum.baseline.front(), spectrum.baseline.back())
        << Format("%-18s 1.4826 x MAD over %zu samples: %.4g at the first sample, median %.4g, "
                  "%.4g at the last\n",
                  "Local noise", p.noise_window, spectrum.noise.front(), MedianOf(spectrum.noise),
                  spectrum.noise.back());
    if (report.noiseless) {
        out << Format("%-18s none: the local noise is zero everywhere (constant intensities), "
                      "so no peak can be assessed\n",
                      "Peak threshold");
        return;
    }
    out << Format("%-18s S/N %g: smoothed height above the baseline >= %g x local noise\n",
                  "Peak threshold", p.snr, p.snr);
    if (spectrum.unassessed > 0) {
        out << Format("%-18s %zu local maxima lie where the local noise is zero and cannot be "
                      "assessed\n",
                      "Not assessed", spectrum.unassessed);
    }
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
    Heading(out, Format("Peaks (S/N >= %g; cubic spline over each peak's own window)",
                        settings.peaks.snr));
    if (report.noiseless) {
        out << "  none: no peak can be assessed without noise\n";
        return;
    }
    const char* x = report.hasMz ? "m/z" : AbscissaName(report);
    out << Format("  %3s %12s %12s %10s %10s %8s %7s %7s\n", "#",
                  (std::string("apex ") + x).c_str(), (std::string("centroid ") + x).c_str(),
                  "height", "area", "FWHM", "S/N", "window");
    int number = 0;
    bool flagged = false;
    for (const PeakReport& peak : report.peaks) {
        const opm::Peak& found = peak.found;
        flagged = flagged || !found.spline_apex;
        out << Format("  %3d %12.4f %12.4f %10.4g %10.4g %8.4f %7.1f %7zu%s\n", ++number, peak.apex,
                      peak.centroid, found.height, peak.area, peak.fwhm, found.snr,
                      found.last - found.first + 1, found.spline_apex ? "" : " *");
    }
    out << Format("  (height above the baseline; area in intensity x %s; window in samples)\n", x);
    if (flagged) {
        out << "  * the spline maximum search failed: apex at the highest sample\n";
    }
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

void PrintDeconvolution(std::ostream& out, double noise, const DeconvolutionReport& pair) {
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
    out << Format("  %zu samples, rank %zu, %s; residual sum of squares %.1f counts^2\n",
                  pair.samples, pair.rank, pair.converged ? "converged" : "NOT converged",
                  pair.residualSumOfSquares)
        << Format("  residual RMS %.3f counts (median local noise %.3f)\n", rms, noise);
}

} // namespace

void PrintReport(std::ostream& out, const std::string& source, const Profile& profile,
                 const AnalysisSettings& settings, const AnalysisReport& report) {
    PrintInput(out, source, profile);
    PrintBaselineAndNoise(out, settings, report);
    PrintCalibration(out, report);
    PrintPeaks(out, settings, report);
    PrintTrend(out, report);
    PrintDeconvolution(out, MedianOf(report.spectrum.noise), report.deconvolution);
}

} // namespace opmdemo
