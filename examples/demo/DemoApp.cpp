#include "demo/DemoApp.h"

#include "demo/CsvProfile.h"
#include "demo/PeakList.h"
#include "demo/Report.h"
#include "demo/SvgPlot.h"

#include "OstraPureMath/opm/Polynomials.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>

namespace opmdemo {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;

const char* const kUsage =
    "Usage: opm-demo [--csv PATH] [--peaks PATH] [--svg PATH] [--log] [--range LO:HI]\n"
    "                [--snr X] [--smooth-width N] [--smooth-passes N] [--baseline-width N]\n"
    "                [--noise-window N] [--help]\n"
    "\n"
    "Analyses a profile mass spectrum with OstraPureMath: smoothing, SNIP baseline, local noise\n"
    "(1.4826 x the median absolute deviation in a sliding window), peaks at S/N >= a threshold\n"
    "measured on cubic splines over each peak's own width (apex, centroid, area, FWHM); then\n"
    "bin -> m/z calibration on reference peaks, mass-error trend, and the least-squares\n"
    "separation of two overlapping peaks (built-in data). Prints a report and draws the\n"
    "spectrum as SVG.\n"
    "\n"
    "  --csv PATH          analyse the CSV profile PATH (bin,intensity or mz,intensity; header\n"
    "                      optional; further columns ignored) instead of the built-in spectrum\n"
    "  --peaks PATH        write the peak list to PATH as CSV:\n"
    "                      apex_mz,centroid_mz,height,area,fwhm,snr (bins where there is no m/z)\n"
    "  --svg PATH          write the picture to PATH (default: spectrum.svg)\n"
    "  --log               logarithmic intensity axis in the picture\n"
    "  --range LO:HI       draw only m/z (or bins) LO to HI\n"
    "  --snr X             S/N a peak must reach (default 6)\n"
    "  --smooth-width N    Gaussian smoothing half-width in samples, 0 for none (default 2)\n"
    "  --smooth-passes N   smoothing passes (default 1)\n"
    "  --baseline-width N  SNIP clipping half-width in samples (default 100)\n"
    "  --noise-window N    local-noise window in samples (default 1001)\n"
    "  --help              print this text\n";

struct Options {
    std::optional<std::string> csvPath, peaksPath;
    std::string svgPath = "spectrum.svg";
    bool logarithmic = false;
    double from = 0.0, to = 0.0;
    opm::PeakParameters peaks = DefaultPeakParameters();
    bool help = false;
};

std::optional<double> ParseDouble(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<long> ParseCount(const std::string& text, long low, long high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool ParseRange(const std::string& text, Options& options) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::optional<double> from = ParseDouble(text.substr(0, colon));
    const std::optional<double> to = ParseDouble(text.substr(colon + 1));
    if (!from || !to || !(*from < *to)) {
        return false;
    }
    options.from = *from;
    options.to = *to;
    return true;
}

// Parses the arguments; returns nothing (after a message on err) when they are not understood.
std::optional<Options> ParseArguments(const std::vector<std::string>& arguments,
                                      std::ostream& err) {
    Options options;
    opm::PeakParameters& p = options.peaks;
    constexpr long kLargestCount = 1000000;
    // Options that take a value: each sets its field and says whether the value was good.
    const std::vector<std::pair<const char*, std::function<bool(const std::string&)>>> valued = {
        {"--csv", [&](const std::string& v) { return options.csvPath = v, true; }},
        {"--peaks", [&](const std::string& v) { return options.peaksPath = v, true; }},
        {"--svg", [&](const std::string& v) { return options.svgPath = v, true; }},
        {"--range", [&](const std::string& v) { return ParseRange(v, options); }},
        {"--snr",
         [&](const std::string& v) {
             const std::optional<double> snr = ParseDouble(v);
             return snr && *snr > 0.0 && (p.snr = *snr, true);
         }},
        {"--smooth-width",
         [&](const std::string& v) {
             const std::optional<long> n = ParseCount(v, 0, 1000);
             return n && (p.smoothing_half_width = static_cast<int>(*n), true);
         }},
        {"--smooth-passes",
         [&](const std::string& v) {
             const std::optional<long> n = ParseCount(v, 0, 100);
             return n && (p.smoothing_passes = static_cast<int>(*n), true);
         }},
        {"--baseline-width",
         [&](const std::string& v) {
             const std::optional<long> n = ParseCount(v, 1, kLargestCount);
             return n && (p.baseline_width = static_cast<std::size_t>(*n), true);
         }},
        {"--noise-window",
         [&](const std::string& v) {
             const std::optional<long> n = ParseCount(v, 1, kLargestCount);
             return n && (p.noise_window = static_cast<std::size_t>(*n), true);
         }},
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--log") {
            options.logarithmic = true;
            continue;
        }
        const auto option = std::find_if(valued.begin(), valued.end(),
                                         [&](const auto& o) { return argument == o.first; });
        if (option == valued.end() || i + 1 == arguments.size()) {
            err << "opm-demo: "
                << (option == valued.end() ? "unexpected argument '" : "missing value after '")
                << QuotedField(argument).substr(1) << "\n"
                << kUsage;
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (!option->second(value)) {
            err << "opm-demo: bad value " << QuotedField(value) << " for " << argument << '\n';
            return std::nullopt;
        }
    }
    return options;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

SpectrumPlot MakePlot(const std::string& source, const Profile& profile,
                      const AnalysisReport& report, const Options& options) {
    const opm::SpectrumAnalysis& spectrum = report.spectrum;
    SpectrumPlot plot;
    plot.title = "OstraPureMath demo: " + source;
    plot.xLabel = report.hasMz ? "m/z" : "detector bin";
    plot.x = profile.abscissa;
    if (report.calibration.done) {
        for (double& x : plot.x) {
            x = opm::polynomial_value(report.calibration.coefficients, x);
        }
    }
    plot.raw = profile.intensity;
    plot.smoothed = spectrum.smoothed;
    plot.baseline = spectrum.baseline;
    if (!report.noiseless) {
        const double snr = options.peaks.snr;
        for (std::size_t i = 0; i < spectrum.baseline.size(); ++i) {
            plot.threshold.push_back(spectrum.baseline[i] + snr * spectrum.noise[i]);
        }
        char label[64];
        std::snprintf(label, sizeof label, "S/N %g threshold", snr);
        plot.thresholdLabel = label;
    }
    for (const PeakReport& peak : report.peaks) {
        plot.apexes.push_back({peak.apex, peak.found.baseline + peak.found.height});
    }
    plot.logarithmic = options.logarithmic;
    plot.from = options.from;
    plot.to = options.to;
    return plot;
}

template <class Write> bool WriteFile(const std::string& path, Write&& write) {
    std::ofstream file(path);
    write(file);
    file.close();
    return static_cast<bool>(file);
}

} // namespace

AnalysisSettings DemoSettings(const SyntheticSpectrum& spectrum) {
    AnalysisSettings settings;
    settings.referenceMasses = spectrum.referenceMasses;
    settings.priorCalibration = spectrum.priorCalibration;
    settings.hasPair = true;
    settings.pair = {{spectrum.overlapping[0].mz, spectrum.overlapping[1].mz}, spectrum.peakSigma};
    return settings;
}

int RunDemo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::optional<Options> options = ParseArguments(arguments, err);
    if (!options) {
        return kExitBadInput;
    }
    if (options->help) {
        out << kUsage;
        return 0;
    }
    const SyntheticSpectrum builtIn = MakeSyntheticSpectrum();
    AnalysisSettings settings = DemoSettings(builtIn);
    settings.peaks = options->peaks;
    Profile profile = builtIn.profile;
    std::string source = "built-in synthetic spectrum";
    if (options->csvPath) {
        try {
            profile = ReadCsvProfileFile(*options->csvPath, settings.peaks.min_knots);
        } catch (const CsvError& error) {
            err << "opm-demo: " << *options->csvPath << ": " << error.what() << '\n';
            return kExitBadInput;
        }
        source = FileName(*options->csvPath);
    }
    try {
        const AnalysisReport report = AnalyseSpectrum(profile, settings);
        PrintReport(out, source, profile, settings, report);
        if (options->peaksPath) {
            if (!WriteFile(*options->peaksPath,
                           [&](std::ostream& file) { WritePeakList(file, report); })) {
                err << "opm-demo: cannot write " << *options->peaksPath << '\n';
                return kExitFailure;
            }
            out << "\nPeak list written to " << *options->peaksPath << '\n';
        }
        const SpectrumPlot plot = MakePlot(source, profile, report, *options);
        if (!WriteFile(options->svgPath, [&](std::ostream& file) { WriteSvg(file, plot); })) {
            err << "opm-demo: cannot write " << options->svgPath << '\n';
            return kExitFailure;
        }
        out << (options->peaksPath ? "" : "\n") << "SVG picture written to " << options->svgPath
            << '\n';
    } catch (const std::exception& error) {
        err << "opm-demo: analysis failed: " << error.what() << '\n';
        return kExitFailure;
    }
    return 0;
}

} // namespace opmdemo
