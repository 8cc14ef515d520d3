// The demo program, run as a process (Run(): exit status as the shell sees it, output and error
// read back): its report on the built-in spectrum against the generator's truth, and its answer
// to each command line and input file.
#include "demo/DemoApp.h"
#include "demo/SpectrumAnalysis.h"
#include "demo/SyntheticSpectrum.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace opmdemo;

std::string ReadAll(const std::string& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::size_t Count(const std::string& text, const std::string& what, std::size_t from = 0) {
    const std::size_t at = text.find(what, from);
    return at == std::string::npos ? 0 : 1 + Count(text, what, at + 1);
}

class DemoProgram : public testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(m_dir); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    int Run(const std::vector<std::string>& arguments) {
        const auto quote = [](const std::string& text) { return "\"" + text + "\""; };
        std::string command =
            quote(std::filesystem::absolute(OPM_DEMO_EXECUTABLE).make_preferred().string());
        for (const std::string& argument : arguments) {
            command += " " + quote(argument);
        }
        command += " >" + quote(Path("out.txt")) + " 2>" + quote(Path("err.txt"));
#if defined(_WIN32)
        const int status = std::system(quote(command).c_str()); // cmd.exe takes these quotes off
#else
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        out = ReadAll(Path("out.txt")), err = ReadAll(Path("err.txt"));
        return status;
    }

    const std::filesystem::path m_dir =
        std::filesystem::temp_directory_path() / ("opm-demo-test-" + std::to_string(::getpid()));
    std::string out, err;
};

// The calibration fits every reference; each peak well above the threshold is reported once, at its
// true apex and centroid, nothing else but the overlapping pair; the list and picture agree.
TEST_F(DemoProgram, BuiltInRunReportsEveryTruePeakOnceInReportListAndPicture) {
    const SyntheticSpectrum spectrum = MakeSyntheticSpectrum();
    const AnalysisSettings settings = DemoSettings(spectrum);
    const AnalysisReport report = AnalyseSpectrum(spectrum.profile, settings);
    ASSERT_TRUE(report.calibration.done) << report.calibration.note;
    EXPECT_EQ(report.calibration.references.size(), spectrum.referenceMasses.size());
    for (const ReferenceMatch& match : report.calibration.references) {
        EXPECT_NEAR(match.calibratedMz, match.referenceMz, 1e-6 * match.referenceMz);
    }
    const double threshold = settings.peaks.snr * spectrum.noiseSigma, tolerance = 0.25; // bins
    std::size_t matched = 0, inPair = 0, inRange = 0;
    for (const SyntheticPeak& truth : spectrum.peaks) {
        const bool strong = truth.height > 2.0 * threshold;
        ASSERT_TRUE(strong || truth.height <= 0.5 * threshold) << "too near the threshold";
        const double mzPerBin =
            spectrum.trueCalibration[1] + 2.0 * spectrum.trueCalibration[2] * truth.bin;
        std::size_t near = 0;
        for (const PeakReport& peak : report.peaks) {
            if (std::fabs(peak.found.apex_position - truth.bin) <= 3.0 && ++near) {
                EXPECT_NEAR(peak.found.apex_position, truth.bin, tolerance) << truth.mz;
                EXPECT_NEAR(peak.apex, truth.mz, tolerance * mzPerBin);
                EXPECT_NEAR(peak.centroid, truth.mz, tolerance * mzPerBin);
                EXPECT_NEAR(peak.area, peak.found.area * mzPerBin, 1e-3 * peak.area);
            }
        }
        EXPECT_EQ(near, strong ? 1u : 0u) << "peak at m/z " << truth.mz;
        matched += near;
    }
    for (const PeakReport& peak : report.peaks) {
        inPair += std::fabs(peak.found.apex_position - spectrum.overlapping[0].bin) < 6.0;
        inRange += peak.apex >= 500.0 && peak.apex <= 600.0;
    }
    EXPECT_GE(inPair, 1u);
    EXPECT_EQ(report.peaks.size(), matched + inPair);

    ASSERT_EQ(Run({"--svg", Path("p.svg"), "--peaks", Path("p.csv"), "--range", "500:600"}), 0);
    EXPECT_EQ(ReadAll(Path("p.csv")).rfind("apex_mz,centroid_mz,height,area,fwhm,snr\n", 0), 0u);
    EXPECT_EQ(Count(ReadAll(Path("p.csv")), "\n"), report.peaks.size() + 1);
    EXPECT_EQ(Count(ReadAll(Path("p.svg")), "<polyline"), 4u); // raw, smoothed, baseline, threshold
    EXPECT_EQ(Count(ReadAll(Path("p.svg")), "l-4,-7h8z"), inRange); // apex markers
    for (const char* s : {"Calibration bin ->", "Peaks (S/N", "Drift of the", "Overlapping pair"}) {
        EXPECT_NE(out.find(s), std::string::npos) << s;
    }
}

// Bad options and rejected files exit 2 with a message naming what is wrong (a file's line, at
// most 40 characters of a field), accepted ones exit 0.
TEST_F(DemoProgram, AnswersEachCommandLineAsDocumented) {
    std::string samples6, samples50, mz7, huge = "1,5\n2," + std::string(10'000'000, '7') + "x\n";
    for (int i = 0; i < 50; ++i) {
        (i < 6 ? samples6 : samples50) += std::to_string(i) + ",5\n";
        mz7 += i < 7 ? std::to_string(500 + i) + "," + std::to_string(i + 2) + "\n" : "";
    }
    const std::string none = "none", seven = "7, abscissa in m/z from 500.0000 to 506.0000";
    const std::string bom = "\xEF\xBB\xBF\"mz\",\"intensity\",\"x\"\n\"500\",\"2\",9,\n";
    const struct {
        std::vector<std::string> arguments; // "--csv" is followed by a file holding the row's text
        std::string file;
        int exit;
        std::string message; // in the output (exit 0) or in the error message (exit 2)
    } cases[] = {
        {{"--help"}, none, 0, "Usage:"},
        {{"--frobnicate"}, none, 2, "opm-demo: "},
        {{"--range", "600:500"}, none, 2, "opm-demo: "},
        {{"--smooth-passes", "-1"}, none, 2, "opm-demo: "},
        {{"--csv", "/nonexistent/missing.csv"}, none, 2, "missing.csv"},
        {{"--csv"}, samples6 + samples50, 0, "no peak can be assessed"},
        // Accepted forms: a header wins over whole numbers; without one, whole numbers are bins;
        // comments, blank lines, CRLF, spaces, a BOM, quotes and extra fields are accepted.
        {{"--csv"}, " M/Z , Intensity\n" + mz7, 0, seven},
        {{"--csv"}, "499.5,1\n" + mz7, 0, "8, abscissa in m/z from 499.5000 to 506.0000"},
        {{"--csv"}, "#\r\n\r\n1,2\r\n 2 ,\t3\r\n" + samples50, 0, "46, abscissa in detector bins"},
        {{"--csv"}, bom + mz7.substr(6), 0, seven},
        {{"--csv"}, "bin,intensity\n1,5\n2,abc\n", 2, "line 3: field 2 'abc' is not a number"},
        {{"--csv"}, huge, 2, "line 2: field 2 '" + std::string(40, '7') + "'..."},
        {{"--csv"}, "1,5\n2,1e999\n", 2, "line 2: field 2 '1e999' is not a finite number"},
        {{"--csv"}, "1,5\n# x\n3,6\n2,7\n", 2, "line 4: abscissa '2' is not greater than"},
        {{"--csv"}, "1,5\n2,6\n3\n", 2, "line 3: expected 2"},
        {{"--csv"}, "time,intensity\n1,2\n", 2, "line 1: header"},
        {{"--csv"}, "", 2, "line 1: no data"},
        {{"--csv"}, samples6, 2, "line 7: only 6 samples"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        if (c.file != none) {
            std::ofstream(Path("in.csv")) << c.file;
            arguments.push_back(Path("in.csv"));
        }
        arguments.insert(arguments.end(), {"--svg", Path("s.svg")});
        SCOPED_TRACE(c.message);
        ASSERT_EQ(Run(arguments), c.exit) << err;
        EXPECT_NE((c.exit == 0 ? out : err).find(c.message), std::string::npos) << out << err;
        EXPECT_TRUE(c.arguments[0] != "--csv" || err.size() < 200) << "the input is echoed";
    }
}

} // namespace
