#include "demo/DemoApp.h"

#include "demo/CsvProfile.h"
#include "demo/Report.h"
#include "demo/SvgPlot.h"

#include "OstraPureMath/Polynomial.h"

#include <fstream>
#include <optional>

namespace opmdemo {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;

const char* const kUsage =
    "Usage: opm-demo [--csv PATH] [--svg PATH] [--help]\n"
    "\n"
    "Analyses a profile mass spectrum with OstraPureMath: smoothing and noise, peak apexes and\n"
    "centroids on cubic splines, bin -> m/z calibration on reference peaks, mass-error trend,\n"
    "and the least-squares separation of two overlapping peaks. Prints a report and draws the\n"
    "spectrum as SVG.\n"
    "\n"
    "  --csv PATH   analyse the two-column CSV profile PATH (bin,intensity or mz,intensity,\n"
    "               header line optional) instead of the built-in synthetic spectrum\n"
    "  --svg PATH   write the picture to PATH (default: spectrum.svg)\n"
    "  --help       print this text\n";

struct Options {
    std::optional<std::string> csvPath;
    std::string svgPath = "spectrum.svg";
    bool help = false;
};

// Parses the arguments; returns nothing (after a message on err) when they are not understood.
std::optional<Options> ParseArguments(const std::vector<std::string>& arguments,
                                      std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--csv" && i + 1 < arguments.size()) {
            options.csvPath = arguments[++i];
        } else if (argument == "--svg" && i + 1 < arguments.size()) {
            options.svgPath = arguments[++i];
        } else {
            err << "opm-demo: unexpected argument '" << argument << "'\n" << kUsage;
            return std::nullopt;
        }
    }
    return options;
}

SpectrumPlot MakePlot(const std::string& source, const Profile& profile,
                      const AnalysisReport& report) {
    SpectrumPlot plot;
    plot.title = "OstraPureMath demo: " + source;
    plot.xLabel = report.hasMz ? "m/z" : "detector bin";
    plot.x = profile.abscissa;
    if (report.calibration.done) {
        std::vector<double> coefficients = report.calibration.coefficients;
        Polynomial binToMz(coefficients);
        for (double& x : plot.x) {
            x = binToMz.GetY(x);
        }
    }
    plot.raw = profile.intensity;
    plot.smoothed = report.smoothed;
    for (const PeakReport& peak : report.peaks) {
        const double apex = report.hasMz ? peak.apexMz : peak.apexAbscissa;
        const double centroid = report.hasMz ? peak.centroidMz : peak.centroidAbscissa;
        plot.apexes.push_back({apex, peak.baseline + peak.height});
        plot.centroids.push_back({centroid, peak.baseline + peak.centroidHeight});
    }
    return plot;
}

bool WriteSvgFile(const std::string& path, const SpectrumPlot& plot) {
    std::ofstream file(path);
    WriteSvg(file, plot);
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
    const AnalysisSettings settings = DemoSettings(builtIn);
    Profile profile = builtIn.profile;
    std::string source = "built-in synthetic spectrum";
    if (options->csvPath) {
        try {
            profile = ReadCsvProfileFile(*options->csvPath);
        } catch (const CsvError& error) {
            err << "opm-demo: " << *options->csvPath << ": " << error.what() << '\n';
            return kExitBadInput;
        }
        source = *options->csvPath;
    }
    try {
        const AnalysisReport report = AnalyseSpectrum(profile, settings);
        PrintReport(out, source, profile, settings, report);
        if (!WriteSvgFile(options->svgPath, MakePlot(source, profile, report))) {
            err << "opm-demo: cannot write " << options->svgPath << '\n';
            return kExitFailure;
        }
        out << "\nSVG picture written to " << options->svgPath << '\n';
    } catch (const std::exception& error) {
        err << "opm-demo: analysis failed: " << error.what() << '\n';
        return kExitFailure;
    }
    return 0;
}

} // namespace opmdemo
