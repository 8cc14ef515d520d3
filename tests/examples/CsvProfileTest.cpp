// The CSV profile reader: the abscissa kind of each accepted form. Malformed files and a missing
// one are in the demo's command-line table (SpectrumDemoTest.cpp).
#include "demo/CsvProfile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using opmdemo::AbscissaKind;
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
        AcceptedCase{"MzHeaderAnyCaseOnWholeNumbers",
                     " M/Z , Intensity\n500,2\n501,3\n",
                     AbscissaKind::MZ,
                     {500, 501},
                     {2, 3}},
        AcceptedCase{
            "NoHeaderFractionsAreMz", "500,1\n500.5,2\n", AbscissaKind::MZ, {500, 500.5}, {1, 2}},
        AcceptedCase{"CrLfBlankAndCommentLinesWholeNumbersAreBins",
                     "# exported\r\n\r\n1,2\r\n 2 ,\t3\r\n",
                     AbscissaKind::Bin,
                     {1, 2},
                     {2, 3}},
        AcceptedCase{"BomQuotesTrailingCommaExtraColumns",
                     "\xEF\xBB\xBF\"mz\",\"intensity\",\"noise\"\n500.5,\"2\",9,\n501.5,3,\n",
                     AbscissaKind::MZ,
                     {500.5, 501.5},
                     {2, 3}}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return info.param.name; });

} // namespace
