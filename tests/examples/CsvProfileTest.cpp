// The CSV profile reader: the abscissa kind of each accepted form. Malformed files and a missing
// one are in the demo's command-line table (SpectrumDemoTest.cpp).
#include "demo/CsvProfile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using opmdemo::AbscissaKind;

TEST(CsvProfile, ReadsSamplesAndAbscissaKindOfEachForm) {
    const struct {
        const char* text;
        AbscissaKind kind;
        std::vector<double> abscissa, intensity;
    } cases[] = {
        // A header wins over whole numbers; without one, whole numbers are bins.
        {" M/Z , Intensity\n500,2\n501,3\n", AbscissaKind::MZ, {500, 501}, {2, 3}},
        {"500,1\n500.5,2\n", AbscissaKind::MZ, {500, 500.5}, {1, 2}},
        {"# exported\r\n\r\n1,2\r\n 2 ,\t3\r\n", AbscissaKind::Bin, {1, 2}, {2, 3}},
        {"\xEF\xBB\xBF\"mz\",\"intensity\",\"noise\"\n500.5,\"2\",9,\n501.5,3,\n",
         AbscissaKind::MZ,
         {500.5, 501.5},
         {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::istringstream in(c.text);
        const opmdemo::Profile profile = opmdemo::ReadCsvProfile(in);
        EXPECT_EQ(profile.kind, c.kind);
        EXPECT_EQ(profile.abscissa, c.abscissa);
        EXPECT_EQ(profile.intensity, c.intensity);
    }
}

} // namespace
