// The CSV profile reader: the abscissa kind of each accepted form, and a missing file. Malformed
// files are in the demo's input-hygiene table (SpectrumDemoTest.cpp).
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
                     {2, 3}},
        AcceptedCase{"BomQuotesTrailingCommaExtraColumns",
                     "\xEF\xBB\xBF\"mz\",\"intensity\",\"noise\"\n500.5,\"2\",9,\n501.5,3,\n",
                     AbscissaKind::MZ,
                     {500.5, 501.5},
                     {2, 3}}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return info.param.name; });

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
