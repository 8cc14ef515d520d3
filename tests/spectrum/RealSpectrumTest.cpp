// The real MALDI-TOF linear-mode profile of tests/data: properties of its peak list (the
// strongest peaks present with sane widths, no two apexes in one window), not a pinned list.
#include "OstraPureMath/opm/Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Profile {
    std::vector<double> mz, intensity;
};

Profile ReadRealProfile() {
    std::ifstream in(std::string(OPM_TEST_DATA_DIR) + "/maldi_A1-0_A1.csv");
    Profile profile;
    std::string line;
    while (std::getline(in, line)) {
        double mz = 0.0, intensity = 0.0;
        if (std::sscanf(line.c_str(), "%lf,%lf", &mz, &intensity) == 2) {
            profile.mz.push_back(mz);
            profile.intensity.push_back(intensity);
        }
    }
    return profile;
}

// Samples that tower over their surroundings: the highest within +-150 samples, ranked by how
// far they rise above the lowest sample within +-300; the `count` highest-rising.
std::vector<std::size_t> ToweringSamples(const std::vector<double>& y, std::size_t count) {
    std::vector<std::pair<double, std::size_t>> rises;
    for (std::size_t i = 300; i + 300 < y.size(); ++i) {
        if (*std::max_element(y.begin() + i - 150, y.begin() + i + 151) == y[i]) {
            rises.emplace_back(y[i] - *std::min_element(y.begin() + i - 300, y.begin() + i + 301),
                               i);
        }
    }
    std::sort(rises.rbegin(), rises.rend());
    std::vector<std::size_t> samples;
    for (std::size_t k = 0; k < std::min(count, rises.size()); ++k) {
        samples.push_back(rises[k].second);
    }
    return samples;
}

TEST(RealSpectrum, StrongestPeaksOnceWithSaneWidths) {
    const Profile profile = ReadRealProfile();
    ASSERT_EQ(profile.mz.size(), 22431u);
    const std::vector<opm::Peak> peaks = opm::find_peaks(profile.mz, profile.intensity);
    EXPECT_GE(peaks.size(), 20u);
    EXPECT_LE(peaks.size(), 120u);
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const opm::Peak& p = peaks[k];
        const double step = profile.mz[p.first + 1] - profile.mz[p.first];
        const double fwhmSamples = p.fwhm / step;
        SCOPED_TRACE("peak at m/z " + std::to_string(p.apex_mz));
        EXPECT_GT(fwhmSamples, 4.0);
        EXPECT_LT(fwhmSamples, 80.0);
        EXPECT_GE(p.snr, 6.0);
        EXPECT_GT(p.area, p.height * 0.5 * p.fwhm);
        EXPECT_TRUE(p.left_mz < p.centroid_mz && p.centroid_mz < p.right_mz);
        for (const opm::Peak& other : peaks) {
            if (&other != &p) {
                EXPECT_FALSE(p.first <= other.apex_position && other.apex_position <= p.last)
                    << "second apex at m/z " << other.apex_mz << " inside this window";
            }
        }
    }
    for (const std::size_t sample : ToweringSamples(profile.intensity, 10)) {
        const auto near = std::find_if(peaks.begin(), peaks.end(), [&](const opm::Peak& p) {
            return std::fabs(p.apex_position - static_cast<double>(sample)) <= 5.0;
        });
        EXPECT_NE(near, peaks.end())
            << "no peak at the towering sample at m/z " << profile.mz[sample];
    }
}

} // namespace
