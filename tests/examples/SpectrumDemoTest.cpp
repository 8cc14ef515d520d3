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
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
        const double distance = std::fabs(peak.found.apex_position - bin);
        if (distance <= reach &&
            (!nearest || distance < std::fabs(nearest->found.apex_position - bin))) {
            nearest = &peak;
        }
    }
    return nearest;
}

// The calibration takes every reference to its mass; every synthetic peak well above the
// threshold is reported once, at its true apex and centroid (in bins, and in m/z through the
// fitted calibration); every peak well below it is not reported.
TEST(SpectrumDemo, FindsEverySyntheticPeakAtItsTruePosition) {
    const BuiltIn& demo = Demo();
    const CalibrationReport& calibration = demo.report.calibration;
    ASSERT_TRUE(calibration.done) << calibration.note;
    EXPECT_EQ(calibration.references.size(), demo.spectrum.referenceMasses.size());
    for (const ReferenceMatch& match : calibration.references) {
        EXPECT_NEAR(match.calibratedMz, match.referenceMz, 1e-6 * match.referenceMz);
    }
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
        // The area in intensity x m/z is the area over bins times the local m/z per bin.
        const double area = found->found.area * MzPerBin(demo.spectrum, truth.bin);
        EXPECT_NEAR(found->area, area, 1e-3 * area);
    }
    // Nothing else is reported, apart from the merged maximum of the overlapping pair.
    int inPair = 0;
    for (const PeakReport& peak : demo.report.peaks) {
        inPair += std::fabs(peak.found.apex_position - demo.spectrum.overlapping[0].bin) < 6.0;
    }
    EXPECT_GE(inPair, 1);
    EXPECT_EQ(static_cast<int>(demo.report.peaks.size()), expected + inPair);
}

// ---------------------------------------------------------------------------------------------
// The program on its command line.

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

std::string Repeated(const char* line, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += std::to_string(i) + line;
    }
    return text;
}

TEST_F(DemoProgram, BuiltInRunWritesReportPeakListAndPicture) {
    const std::string svg = Path("picture.svg"), peaks = Path("peaks.csv");
    ASSERT_EQ(Run({"--svg", svg, "--peaks", peaks, "--range", "500:600"}), 0) << err.str();
    const std::string list = ReadAll(peaks);
    EXPECT_EQ(list.rfind("apex_mz,centroid_mz,height,area,fwhm,snr\n", 0), 0u);
    EXPECT_EQ(Count(list, "\n"), Demo().report.peaks.size() + 1);
    const std::string text = ReadAll(svg);
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_EQ(Count(text, "<polyline"), 4u); // raw, smoothed, baseline, threshold
    std::size_t inRange = 0;
    for (const PeakReport& peak : Demo().report.peaks) {
        inRange += peak.apex >= 500.0 && peak.apex <= 600.0;
    }
    EXPECT_EQ(Count(text, "l-4,-7h8z"), inRange); // apex markers
    for (const char* section : {"Calibration bin -> m/z", "Peaks (S/N",
                                "Drift of the stored calibration", "Overlapping pair"}) {
        EXPECT_NE(out.str().find(section), std::string::npos) << section;
    }
}

// Every command line a user may bring and what the program answers: bad options and rejected
// files exit 2 with a message naming what is wrong (a file's line, at most 40 characters of a
// field), accepted ones exit 0. "IN" stands for a file holding the row's text.
TEST_F(DemoProgram, AnswersEachCommandLineAsDocumented) {
    const struct {
        std::vector<std::string> arguments;
        std::string file;
        int exit;
        const char* message; // in the output (exit 0) or in the error message (exit 2)
    } cases[] = {
        {{"--help"}, "", 0, "Usage:"},
        {{"--frobnicate"}, "", 2, "opm-demo: "},
        {{"--range", "600:500"}, "", 2, "opm-demo: "},
        {{"--smooth-passes", "-1"}, "", 2, "opm-demo: "},
        {{"--csv", "/nonexistent/missing.csv"}, "", 2, "missing.csv"},
        {{"--csv", "IN"}, Repeated(",5\n", 50), 0, "no peak can be assessed"},
        {{"--csv", "IN"},
         "bin,intensity\n1,5\n2,abc\n",
         2,
         "line 3: field 2 'abc' is not a number"},
        {{"--csv", "IN"},
         "1,5\n2," + std::string(10'000'000, '7') + "x\n",
         2,
         "line 2: field 2 '7777777777777777777777777777777777777777'..."},
        {{"--csv", "IN"}, "1,5\n2,1e999\n", 2, "line 2: field 2 '1e999' is not a finite number"},
        {{"--csv", "IN"},
         "1,5\n# note\n3,6\n2,7\n",
         2,
         "line 4: abscissa '2' is not greater than the one on line 3"},
        {{"--csv", "IN"}, "1,5\n2,6\n3\n", 2, "line 3: expected 2"},
        {{"--csv", "IN"}, "time,intensity\n1,2\n", 2, "line 1: header"},
        {{"--csv", "IN"}, "", 2, "line 1: no data"},
        {{"--csv", "IN"}, Repeated(",5\n", 6), 2, "line 7: only 6 samples"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        for (std::string& argument : arguments) {
            argument = argument == "IN" ? WriteFile("in.csv", c.file) : argument;
        }
        arguments.insert(arguments.end(), {"--svg", Path("s.svg")});
        SCOPED_TRACE(c.message);
        ASSERT_EQ(Run(arguments), c.exit) << err.str();
        const std::string& text = c.exit == 0 ? out.str() : err.str();
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        if (c.arguments[0] == "--csv") {
            EXPECT_LT(err.str().size(), 200u) << "the message echoes too much of the input";
        }
    }
}

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
    EXPECT_NE(ReadAll(Path("err.txt")).find("line 2:"), std::string::npos);
}

} // namespace
