// The demo's report on its built-in spectrum, checked against the generator's truth, and the
// demo program's behaviour on its command line.
#include "demo/DemoApp.h"
#include "demo/SpectrumAnalysis.h"
#include "demo/SyntheticSpectrum.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <unistd.h>

namespace {

using namespace opmdemo;

constexpr double kPositionTolerance = 0.25; // bins, for apexes and centroids

struct BuiltIn {
    SyntheticSpectrum spectrum = MakeSyntheticSpectrum();
    AnalysisSettings settings = DemoSettings(spectrum);
    AnalysisReport report = AnalyseSpectrum(spectrum.profile, settings);
};

const BuiltIn& Demo() {
    static const BuiltIn demo;
    return demo;
}

// Local m/z per bin of the true calibration: converts a bin tolerance to m/z.
double MzPerBin(const SyntheticSpectrum& s, double bin) {
    return s.trueCalibration[1] + 2.0 * s.trueCalibration[2] * bin;
}

// The reported peak whose apex is nearest to bin, or null when none lies within reach.
const PeakReport* NearestPeak(const AnalysisReport& report, double bin, double reach) {
    const PeakReport* nearest = nullptr;
    for (const PeakReport& peak : report.peaks) {
        if (std::fabs(peak.apexPosition - bin) <= reach &&
            (!nearest ||
             std::fabs(peak.apexPosition - bin) < std::fabs(nearest->apexPosition - bin))) {
            nearest = &peak;
        }
    }
    return nearest;
}

TEST(SpectrumDemo, NoiseEstimateMatchesTheGenerator) {
    const BuiltIn& demo = Demo();
    EXPECT_NEAR(demo.report.noise.sigma, demo.spectrum.noiseSigma, 0.1 * demo.spectrum.noiseSigma);
    EXPECT_NEAR(demo.report.noise.quietRms, demo.report.noise.quietSigma,
                0.1 * demo.report.noise.quietSigma);
}

// The fitted calibration agrees with the true one at every bin of the profile to within a
// small fraction of a bin.
TEST(SpectrumDemo, CalibrationFollowsTheTrueCalibration) {
    const BuiltIn& demo = Demo();
    const CalibrationReport& calibration = demo.report.calibration;
    ASSERT_TRUE(calibration.done) << calibration.note;
    EXPECT_EQ(calibration.references.size(), demo.spectrum.referenceMasses.size());
    for (const ReferenceMatch& match : calibration.references) {
        EXPECT_LT(std::fabs(match.calibratedMz - match.referenceMz) / match.referenceMz, 1e-6)
            << "reference " << match.referenceMz;
    }
    for (double bin : demo.spectrum.profile.abscissa) {
        const double fitted = EvaluatePolynomial(calibration.coefficients, bin);
        const double truth = EvaluatePolynomial(demo.spectrum.trueCalibration, bin);
        ASSERT_LT(std::fabs(fitted - truth), 0.05 * MzPerBin(demo.spectrum, bin)) << "bin " << bin;
    }
}

// Every synthetic peak well above the threshold is reported once, at its true apex and centroid;
// every peak well below it is not reported.
TEST(SpectrumDemo, FindsEverySyntheticPeakAtItsTruePosition) {
    const BuiltIn& demo = Demo();
    const double threshold = demo.settings.signalToNoise * demo.spectrum.noiseSigma;
    int expected = 0;
    for (const SyntheticPeak& truth : demo.spectrum.peaks) {
        ASSERT_TRUE(truth.height > 2.0 * threshold || truth.height < 0.5 * threshold)
            << "the generator must keep peaks clear of the threshold";
        const PeakReport* found = NearestPeak(demo.report, truth.bin, 3.0);
        if (truth.height < 0.5 * threshold) {
            EXPECT_EQ(found, nullptr) << "weak peak at m/z " << truth.mz << " was reported";
            continue;
        }
        ++expected;
        ASSERT_NE(found, nullptr) << "peak at m/z " << truth.mz << " not found";
        EXPECT_NEAR(found->apexPosition, truth.bin, kPositionTolerance) << "m/z " << truth.mz;
        EXPECT_NEAR(found->centroidPosition, truth.bin, kPositionTolerance) << "m/z " << truth.mz;
        const double mzTolerance = kPositionTolerance * MzPerBin(demo.spectrum, truth.bin);
        EXPECT_NEAR(found->apexMz, truth.mz, mzTolerance);
        EXPECT_NEAR(found->centroidMz, truth.mz, mzTolerance);
    }
    // Nothing else is reported, apart from the merged maximum of the overlapping pair.
    int inPair = 0;
    for (const PeakReport& peak : demo.report.peaks) {
        inPair += std::fabs(peak.apexPosition - demo.spectrum.overlapping[0].bin) < 6.0;
    }
    EXPECT_GE(inPair, 1);
    EXPECT_EQ(static_cast<int>(demo.report.peaks.size()), expected + inPair);
}

// The line through the reference errors before recalibration follows the drift of the stored
// calibration from the true one.
TEST(SpectrumDemo, MassErrorTrendFollowsTheStoredCalibrationDrift) {
    const BuiltIn& demo = Demo();
    const MassErrorTrend& trend = demo.report.trend;
    ASSERT_TRUE(trend.done) << trend.note;
    EXPECT_EQ(trend.status, 0);
    for (const SyntheticPeak& truth : demo.spectrum.peaks) {
        const auto& refs = demo.spectrum.referenceMasses;
        if (std::find(refs.begin(), refs.end(), truth.mz) != refs.end()) {
            const double drift =
                EvaluatePolynomial(demo.spectrum.priorCalibration, truth.bin) - truth.mz;
            EXPECT_NEAR(trend.intercept + trend.slope * truth.mz, drift, 1e-3)
                << "m/z " << truth.mz;
        }
    }
}

TEST(SpectrumDemo, SeparatesTheOverlappingPairWithinOnePercent) {
    const BuiltIn& demo = Demo();
    const DeconvolutionReport& pair = demo.report.deconvolution;
    ASSERT_TRUE(pair.done) << pair.note;
    EXPECT_TRUE(pair.converged);
    EXPECT_EQ(pair.rank, 2);
    for (int k = 0; k < 2; ++k) {
        const SyntheticPeak& truth = demo.spectrum.overlapping[k];
        EXPECT_NEAR(pair.bin[k], truth.bin, 0.05);
        EXPECT_NEAR(pair.amplitude[k], truth.height, 0.01 * truth.height);
    }
    // What is left over is the noise.
    const double rms = std::sqrt(pair.residualSumOfSquares / static_cast<double>(pair.samples - 2));
    EXPECT_GT(rms, 0.5 * demo.spectrum.noiseSigma);
    EXPECT_LT(rms, 1.5 * demo.spectrum.noiseSigma);
}

// The same spectrum exported as m/z,intensity: peaks are reported in m/z, calibration and the
// pair (which needs bins) are skipped with a reason.
TEST(SpectrumDemo, MzProfileSkipsCalibrationGracefully) {
    const BuiltIn& demo = Demo();
    Profile profile = demo.spectrum.profile;
    profile.kind = AbscissaKind::MZ;
    for (double& x : profile.abscissa) {
        x = EvaluatePolynomial(demo.spectrum.trueCalibration, x);
    }
    const AnalysisReport report = AnalyseSpectrum(profile, demo.settings);
    EXPECT_FALSE(report.calibration.done);
    EXPECT_NE(report.calibration.note.find("m/z already"), std::string::npos);
    EXPECT_FALSE(report.deconvolution.done);
    ASSERT_EQ(report.peaks.size(), demo.report.peaks.size());
    for (std::size_t i = 0; i < report.peaks.size(); ++i) {
        EXPECT_NEAR(report.peaks[i].apexPosition, demo.report.peaks[i].apexPosition, 1e-9);
        EXPECT_DOUBLE_EQ(report.peaks[i].apexMz, report.peaks[i].apexAbscissa);
    }
    EXPECT_TRUE(report.trend.done) << report.trend.note;
}

// ---------------------------------------------------------------------------------------------
// The program.

class DemoProgram : public testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("opm-demo-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const char* name) const { return (m_dir / name).string(); }
    std::string WriteFile(const char* name, const std::string& text) const {
        std::ofstream(Path(name)) << text;
        return Path(name);
    }
    int Run(const std::vector<std::string>& arguments) {
        out.str("");
        err.str("");
        return RunDemo(arguments, out, err);
    }

    std::filesystem::path m_dir;
    std::ostringstream out, err;
};

TEST_F(DemoProgram, BuiltInRunPrintsTheReportAndWritesTheSvg) {
    const std::string svg = Path("picture.svg");
    ASSERT_EQ(Run({"--svg", svg}), 0) << err.str();
    for (const char* section : {"Calibration bin -> m/z", "Peaks (S/N",
                                "Drift of the stored calibration", "Overlapping pair"}) {
        EXPECT_NE(out.str().find(section), std::string::npos) << section;
    }
    std::ifstream file(svg);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("</svg>"), std::string::npos);
    std::size_t circles = 0;
    for (std::size_t at = text.find("<circle"); at != std::string::npos;
         at = text.find("<circle", at + 1)) {
        ++circles;
    }
    EXPECT_EQ(circles, Demo().report.peaks.size());
}

TEST_F(DemoProgram, ExportedCsvGivesTheSameReportAsTheBuiltInData) {
    const Profile& profile = Demo().spectrum.profile;
    std::ostringstream csv;
    csv << "bin,intensity\n" << std::setprecision(17);
    for (std::size_t i = 0; i < profile.Size(); ++i) {
        csv << profile.abscissa[i] << ',' << profile.intensity[i] << '\n';
    }
    ASSERT_EQ(Run({"--svg", Path("a.svg")}), 0);
    const std::string builtIn = out.str();
    ASSERT_EQ(Run({"--csv", WriteFile("p.csv", csv.str()), "--svg", Path("b.svg")}), 0)
        << err.str();
    const auto body = [](const std::string& report) {
        return report.substr(report.find("Smoothing and noise"),
                             report.find("SVG picture") - report.find("Smoothing and noise"));
    };
    EXPECT_EQ(body(out.str()), body(builtIn));
}

TEST_F(DemoProgram, MalformedCsvExitsTwoNamingTheLine) {
    const std::string csv = WriteFile("bad.csv", "bin,intensity\n0,1\n1,2\n2,x\n");
    EXPECT_EQ(Run({"--csv", csv, "--svg", Path("s.svg")}), 2);
    EXPECT_NE(err.str().find("line 4:"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(Path("s.svg")));
}

TEST_F(DemoProgram, BadCommandLinesExitTwo) {
    EXPECT_EQ(Run({"--csv", Path("missing.csv")}), 2);
    EXPECT_NE(err.str().find("missing.csv"), std::string::npos);
    EXPECT_EQ(Run({"--frobnicate"}), 2);
    EXPECT_NE(err.str().find("Usage:"), std::string::npos);
    EXPECT_EQ(Run({"--svg"}), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("Usage:"), std::string::npos);
}

// The real executable, as a child process: the exit status reaches the shell.
TEST_F(DemoProgram, ExecutableExitsTwoOnMalformedFile) {
    const std::string csv = WriteFile("bad.csv", "1,5\n2,6,7\n");
    const std::string command = std::string("'") + OPM_DEMO_EXECUTABLE + "' --csv '" + csv +
                                "' --svg '" + Path("s.svg") + "' >/dev/null 2>'" + Path("err.txt") +
                                "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::ifstream errors(Path("err.txt"));
    const std::string message((std::istreambuf_iterator<char>(errors)),
                              std::istreambuf_iterator<char>());
    EXPECT_NE(message.find("line 2:"), std::string::npos) << message;
}

} // namespace
