// The demo's report on its built-in spectrum, checked against the generator's truth, and the
// demo program's behaviour on its command line.
#include "demo/DemoApp.h"
#include "demo/SpectrumAnalysis.h"
#include "demo/SyntheticSpectrum.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <sstream>
#include <unistd.h>

namespace {

using namespace opmdemo;

constexpr double kPositionTolerance = 0.25; // bins, for apexes and centroids

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

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
        const double distance = std::fabs(peak.found.apex_position - bin);
        if (distance <= reach &&
            (!nearest || distance < std::fabs(nearest->found.apex_position - bin))) {
            nearest = &peak;
        }
    }
    return nearest;
}

TEST(SpectrumDemo, LocalNoiseMatchesTheGenerator) {
    const BuiltIn& demo = Demo();
    for (const double noise : demo.report.spectrum.noise) {
        ASSERT_NEAR(noise, demo.spectrum.noiseSigma, 0.15 * demo.spectrum.noiseSigma);
    }
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
    const double threshold = demo.settings.peaks.snr * demo.spectrum.noiseSigma;
    int expected = 0;
    for (const SyntheticPeak& truth : demo.spectrum.peaks) {
        ASSERT_TRUE(truth.height > 2.0 * threshold || truth.height <= 0.5 * threshold)
            << "the generator must keep peaks clear of the threshold";
        const PeakReport* found = NearestPeak(demo.report, truth.bin, 3.0);
        if (truth.height <= 0.5 * threshold) {
            EXPECT_EQ(found, nullptr) << "weak peak at m/z " << truth.mz << " was reported";
            continue;
        }
        ++expected;
        ASSERT_NE(found, nullptr) << "peak at m/z " << truth.mz << " not found";
        EXPECT_NEAR(found->found.apex_position, truth.bin, kPositionTolerance)
            << "m/z " << truth.mz;
        EXPECT_NEAR(found->found.centroid_mz, truth.bin, kPositionTolerance) << "m/z " << truth.mz;
        const double mzTolerance = kPositionTolerance * MzPerBin(demo.spectrum, truth.bin);
        EXPECT_NEAR(found->apex, truth.mz, mzTolerance);
        EXPECT_NEAR(found->centroid, truth.mz, mzTolerance);
    }
    // Nothing else is reported, apart from the merged maximum of the overlapping pair.
    int inPair = 0;
    for (const PeakReport& peak : demo.report.peaks) {
        inPair += std::fabs(peak.found.apex_position - demo.spectrum.overlapping[0].bin) < 6.0;
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
    EXPECT_EQ(pair.rank, 2u);
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
        EXPECT_NEAR(report.peaks[i].found.apex_position, demo.report.peaks[i].found.apex_position,
                    1e-9);
        EXPECT_DOUBLE_EQ(report.peaks[i].apex, report.peaks[i].found.apex_mz);
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

std::string ReadAll(const std::string& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// The built-in profile as "bin,intensity" lines, each with `suffix` appended, intensities times
// `scale`.
std::string ExportedProfile(const char* header, const char* suffix, double scale = 1.0) {
    const Profile& profile = Demo().spectrum.profile;
    std::ostringstream csv;
    csv << header << std::setprecision(17);
    for (std::size_t i = 0; i < profile.Size(); ++i) {
        csv << profile.abscissa[i] << ',' << profile.intensity[i] * scale << suffix << '\n';
    }
    return csv.str();
}

std::string Repeated(const char* line, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += std::to_string(i) + line;
    }
    return text;
}

TEST_F(DemoProgram, BuiltInRunWritesReportPeakListAndPicture) {
    const std::string svg = Path("picture.svg"), peaks = Path("peaks.csv");
    ASSERT_EQ(Run({"--svg", svg, "--peaks", peaks, "--log", "--range", "500:600"}), 0) << err.str();
    for (const char* section : {"Calibration bin -> m/z", "Peaks (S/N",
                                "Drift of the stored calibration", "Overlapping pair"}) {
        EXPECT_NE(out.str().find(section), std::string::npos) << section;
    }
    const std::string list = ReadAll(peaks);
    EXPECT_EQ(list.rfind("apex_mz,centroid_mz,height,area,fwhm,snr\n", 0), 0u);
    EXPECT_EQ(Count(list, "\n"), Demo().report.peaks.size() + 1);
    const std::string text = ReadAll(svg);
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("</svg>"), std::string::npos);
    EXPECT_EQ(Count(text, "<polyline"), 4u); // raw, smoothed, baseline, threshold
    EXPECT_NE(text.find("S/N 6 threshold"), std::string::npos);
    std::size_t inRange = 0;
    for (const PeakReport& peak : Demo().report.peaks) {
        inRange += peak.apex >= 500.0 && peak.apex <= 600.0;
    }
    EXPECT_EQ(Count(text, "l-4,-7h8z"), inRange); // apex markers
}

TEST_F(DemoProgram, ExportedCsvGivesTheSameReportAsTheBuiltInData) {
    ASSERT_EQ(Run({"--svg", Path("a.svg")}), 0);
    const std::string builtIn = out.str();
    ASSERT_EQ(Run({"--csv", WriteFile("p.csv", ExportedProfile("bin,intensity\n", "")), "--svg",
                   Path("b.svg")}),
              0)
        << err.str();
    const auto body = [](const std::string& report) {
        const std::size_t from = report.find("Smoothing, baseline");
        return report.substr(from, report.find("SVG picture") - from);
    };
    EXPECT_EQ(body(out.str()), body(builtIn));
}

TEST_F(DemoProgram, BadCommandLinesExitTwo) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--frobnicate"},
                                               {"--svg"},
                                               {"--range", "600:500"},
                                               {"--range", "5"},
                                               {"--snr", "0"},
                                               {"--noise-window", "x"},
                                               {"--smooth-passes", "-1"}}) {
        EXPECT_EQ(Run(arguments), 2) << arguments[0];
        EXPECT_NE(err.str().find("opm-demo: "), std::string::npos) << arguments[0];
    }
    EXPECT_EQ(Run({"--csv", Path("missing.csv")}), 2);
    EXPECT_NE(err.str().find("missing.csv"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("Usage:"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Input hygiene: every form of input a user may bring, accepted or rejected, as the program
// answers it. Accepted variants of the built-in profile give the same peak list as its plain
// export; rejected inputs exit 2 naming the line, quoting at most 40 characters of a field.

struct HygieneCase {
    const char* name;
    std::function<std::string()> input;
    int exit;
    const char* message; // in the report (exit 0) or in the error message (exit 2)
    double scale;        // of the intensities (exit 0 with a peak list)
};

class InputHygiene : public DemoProgram, public testing::WithParamInterface<HygieneCase> {};

TEST_P(InputHygiene, AnswersAsDocumented) {
    const HygieneCase& c = GetParam();
    const std::string peaks = Path("peaks.csv");
    const int status =
        Run({"--csv", WriteFile("in.csv", c.input()), "--peaks", peaks, "--svg", Path("s.svg")});
    ASSERT_EQ(status, c.exit) << err.str();
    const std::string& text = c.exit == 0 ? out.str() : err.str();
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
    if (c.exit == 2) {
        EXPECT_LT(err.str().size(), 200u) << "the message echoes too much of the input";
        return;
    }
    EXPECT_EQ(Lower(out.str() + err.str() + ReadAll(peaks)).find("nan"), std::string::npos);
    if (c.scale == 0.0) {
        return;
    }
    ASSERT_EQ(Run({"--csv", WriteFile("plain.csv", ExportedProfile("bin,intensity\n", "")),
                   "--peaks", Path("plain.csv.peaks"), "--svg", Path("s.svg")}),
              0);
    std::istringstream expected(ReadAll(Path("plain.csv.peaks"))), actual(ReadAll(peaks));
    std::string wanted, got;
    std::getline(expected, wanted);
    std::getline(actual, got);
    while (std::getline(expected, wanted)) {
        ASSERT_TRUE(std::getline(actual, got)) << "fewer peaks";
        double w[6], g[6];
        ASSERT_EQ(std::sscanf(wanted.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", w, w + 1, w + 2, w + 3,
                              w + 4, w + 5),
                  6);
        ASSERT_EQ(std::sscanf(got.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", g, g + 1, g + 2, g + 3, g + 4,
                              g + 5),
                  6);
        for (int k = 0; k < 6; ++k) {
            const double expect = k == 2 || k == 3 ? w[k] * c.scale : w[k];
            EXPECT_NEAR(g[k], expect, 1e-8 * std::fabs(expect)) << "column " << k << ": " << got;
        }
    }
    EXPECT_FALSE(std::getline(actual, got)) << "more peaks";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputHygiene,
    testing::Values(
        HygieneCase{"ByteOrderMark",
                    [] {
                        return ExportedProfile("\xEF\xBB\xBF"
                                               "bin,intensity\n",
                                               "");
                    },
                    0, "Peaks (S/N", 1.0},
        HygieneCase{"QuotedHeader", [] { return ExportedProfile("\"bin\",\"intensity\"\n", ""); },
                    0, "Peaks (S/N", 1.0},
        HygieneCase{"TrailingComma", [] { return ExportedProfile("bin,intensity,\n", ","); }, 0,
                    "Peaks (S/N", 1.0},
        HygieneCase{"ExtraColumns", [] { return ExportedProfile("bin,intensity,x\n", ",7,8"); }, 0,
                    "Peaks (S/N", 1.0},
        HygieneCase{"Tiny", [] { return ExportedProfile("", "", 1e-150); }, 0, "Peaks (S/N",
                    1e-150},
        HygieneCase{"Huge", [] { return ExportedProfile("", "", 1e150); }, 0, "Peaks (S/N", 1e150},
        HygieneCase{"Constant", [] { return Repeated(",5\n", 50); }, 0, "no peak can be assessed",
                    0.0},
        HygieneCase{"AllZero", [] { return Repeated(",0\n", 50); }, 0, "no peak can be assessed",
                    0.0},
        HygieneCase{"NotANumber", [] { return "bin,intensity\n1,5\n2,abc\n"; }, 2,
                    "line 3: field 2 'abc' is not a number", 0.0},
        HygieneCase{"HugeField", [] { return "1,5\n2," + std::string(10'000'000, '7') + "x\n"; }, 2,
                    "line 2: field 2 '7777777777777777777777777777777777777777'...", 0.0},
        HygieneCase{"NaN", [] { return "1,5\n2,nan\n"; }, 2, "line 2: field 2 'nan'", 0.0},
        HygieneCase{"Overflow", [] { return "1,5\n2,1e999\n"; }, 2,
                    "line 2: field 2 '1e999' is not a finite number", 0.0},
        HygieneCase{"Decreasing", [] { return "1,5\n# note\n3,6\n2,7\n"; }, 2,
                    "line 4: abscissa '2' is not greater than the one on line 3", 0.0},
        HygieneCase{"OneColumn", [] { return "1,5\n2,6\n3\n"; }, 2, "line 3: expected 2", 0.0},
        HygieneCase{"BadHeader", [] { return "time,intensity\n1,2\n"; }, 2, "line 1: header", 0.0},
        HygieneCase{"HeaderLater", [] { return "1,5\nbin,intensity\n"; }, 2,
                    "line 2: unexpected header", 0.0},
        HygieneCase{"Empty", [] { return ""; }, 2, "line 1: no data", 0.0},
        HygieneCase{"TooFewSamples", [] { return Repeated(",5\n", 6); }, 2,
                    "line 7: only 6 samples", 0.0}),
    [](const testing::TestParamInfo<HygieneCase>& info) { return info.param.name; });

// The real executable, as a child process: the exit status reaches the shell.
TEST_F(DemoProgram, ExecutableExitsTwoOnMalformedFile) {
    const std::string csv = WriteFile("bad.csv", "1,5\n2,x\n");
#if defined(_WIN32)
    // cmd.exe takes the outer quotes off and hands the exit status back as it is.
    const std::string demo =
        std::filesystem::absolute(OPM_DEMO_EXECUTABLE).make_preferred().string();
    const std::string command = "\"\"" + demo + "\" --csv \"" + csv + "\" --svg \"" +
                                Path("s.svg") + "\" >NUL 2>\"" + Path("err.txt") + "\"\"";
    EXPECT_EQ(std::system(command.c_str()), 2);
#else
    const std::string command = std::string("'") + OPM_DEMO_EXECUTABLE + "' --csv '" + csv +
                                "' --svg '" + Path("s.svg") + "' >/dev/null 2>'" + Path("err.txt") +
                                "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
#endif
    std::ifstream errors(Path("err.txt"));
    const std::string message((std::istreambuf_iterator<char>(errors)),
                              std::istreambuf_iterator<char>());
    EXPECT_NE(message.find("line 2:"), std::string::npos) << message;
}

} // namespace
