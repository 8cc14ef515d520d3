// The CSV profile reader: accepted forms, and every malformed file named by its line.
#include "demo/CsvProfile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using opmdemo::AbscissaKind;
using opmdemo::CsvError;
using opmdemo::Profile;
using opmdemo::ReadCsvProfile;

Profile Read(const std::string& text) {
    std::istringstream in(text);
    return ReadCsvProfile(in);
}

struct AcceptedCase {
    const char* name;
    const char* text;
    AbscissaKind kind;
    std::vector<double> abscissa;
    std::vector<double> intensity;
};

class CsvAccepted : public testing::TestWithParam<AcceptedCase> {};

TEST_P(CsvAccepted, ReadsSamplesAndAbscissaKind) {
    const AcceptedCase& c = GetParam();
    const Profile profile = Read(c.text);
    EXPECT_EQ(profile.kind, c.kind);
    EXPECT_EQ(profile.abscissa, c.abscissa);
    EXPECT_EQ(profile.intensity, c.intensity);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CsvAccepted,
    testing::Values(
        AcceptedCase{
            "BinHeader", "bin,intensity\n0,5\n1,7.5\n", AbscissaKind::Bin, {0, 1}, {5, 7.5}},
        AcceptedCase{"MzHeaderAnyCase",
                     " M/Z , Intensity\n500.1,2\n500.2,3\n",
                     AbscissaKind::MZ,
                     {500.1, 500.2},
                     {2, 3}},
        AcceptedCase{"MzHeaderOnWholeNumbers",
                     "mz,intensity\n500,1\n501,2\n",
                     AbscissaKind::MZ,
                     {500, 501},
                     {1, 2}},
        AcceptedCase{
            "NoHeaderWholeNumbersAreBins", "3,1\n4,-2\n", AbscissaKind::Bin, {3, 4}, {1, -2}},
        AcceptedCase{
            "NoHeaderFractionsAreMz", "500,1\n500.5,2\n", AbscissaKind::MZ, {500, 500.5}, {1, 2}},
        AcceptedCase{"CrLfBlankAndCommentLines",
                     "# exported\r\nbin,intensity\r\n\r\n1,2\r\n 2 ,\t3\r\n",
                     AbscissaKind::Bin,
                     {1, 2},
                     {2, 3}}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return info.param.name; });

struct ErrorCase {
    const char* name;
    const char* text;
    std::size_t line;
    const char* fragment; // part of the message that says what is wrong
};

class CsvMalformed : public testing::TestWithParam<ErrorCase> {};

TEST_P(CsvMalformed, NamesTheLine) {
    const ErrorCase& c = GetParam();
    try {
        Read(c.text);
        FAIL() << "accepted a malformed file";
    } catch (const CsvError& error) {
        const std::string message = error.what();
        EXPECT_EQ(error.line(), c.line);
        EXPECT_EQ(message.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(c.fragment), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CsvMalformed,
    testing::Values(ErrorCase{"EmptyFile", "", 1, "no data"},
                    ErrorCase{"OnlyBlankLines", "\n\n", 3, "no data"},
                    ErrorCase{"HeaderOnly", "bin,intensity\n", 2, "no data after the header"},
                    ErrorCase{"NonNumericIntensity", "bin,intensity\n1,5\n2,abc\n", 3,
                              "field 2 'abc'"},
                    ErrorCase{"NonNumericAbscissa", "1,5\n2x,6\n", 2, "field 1 '2x'"},
                    ErrorCase{"EmptyField", "1,5\n2,\n", 2, "field 2 ''"},
                    ErrorCase{"ThreeColumns", "1,5\n2,6,7\n", 2, "found 3"},
                    ErrorCase{"OneColumn", "1,5\n2,6\n3\n", 3, "found 1"},
                    ErrorCase{"HeaderInTheMiddle", "1,5\n2,6\nbin,intensity\n3,7\n", 3, "header"},
                    ErrorCase{"SecondHeader", "bin,intensity\nmz,intensity\n", 2, "header"},
                    ErrorCase{"UnknownAbscissaName", "time,intensity\n1,2\n", 1, "'time'"},
                    ErrorCase{"RepeatedAbscissa", "1,5\n2,6\n2,7\n", 3, "line 2"},
                    ErrorCase{"DecreasingAbscissa", "1,5\n# note\n3,6\n2,7\n", 4, "line 3"},
                    ErrorCase{"NaNIntensity", "1,5\n2,nan\n", 2, "not a finite number"},
                    ErrorCase{"InfiniteAbscissa", "1,5\ninf,6\n", 2, "not a finite number"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST(CsvFile, MissingFileIsReportedWithItsName) {
    try {
        opmdemo::ReadCsvProfileFile("/nonexistent/profile.csv");
        FAIL() << "opened a missing file";
    } catch (const CsvError& error) {
        EXPECT_EQ(error.line(), 0u);
        EXPECT_NE(std::string(error.what()).find("/nonexistent/profile.csv"), std::string::npos);
    }
}

} // namespace
