// The spectrum family against oracles: a hand-checked SNIP case, brute-force sliding medians
// and deviations, and synthetic spectra whose peaks are known exactly.
#include "OstraPureMath/opm/Spectrum.h"
#include "OstraPureMath/opm/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {

// ---------------------------------------------------------------------------------------------
// Baselines and sliding statistics

// Clipping [1, 2, 6, 3, 8, 4, 5] by hand: widths 2 then 1 leave the straight line 1..5 under
// it (width 2 gives [1, 2, 4.5, 3, 5.5, 4, 5]); widths 1 then 2 stop at 2.25 on sample 2.
TEST(SnipBaseline, HandCheckedClipping) {
    const std::vector<double> y = {1, 2, 6, 3, 8, 4, 5};
    opm::SnipParameters linear;
    linear.half_width = 2;
    linear.lls = false;
    EXPECT_EQ(opm::snip_baseline(y, linear), (std::vector<double>{1, 2, 2.5, 3, 3.5, 4, 5}));
    linear.decreasing = false;
    EXPECT_EQ(opm::snip_baseline(y, linear), (std::vector<double>{1, 2, 2.25, 3, 3.5, 4, 5}));
}

// In the LLS domain a flat spectrum stays where it is (the transform and its inverse agree) and
// the baseline never rises above the intensities.
TEST(SnipBaseline, LlsKeepsFlatSpectraAndStaysBelow) {
    std::vector<double> y(300, 100.0);
    for (const double b : opm::snip_baseline(y)) {
        EXPECT_NEAR(b, 100.0, 1e-9);
    }
    std::mt19937_64 random(7);
    std::exponential_distribution<double> counts(0.01);
    for (double& v : y) {
        v = counts(random);
    }
    const std::vector<double> base = opm::snip_baseline(y);
    for (std::size_t i = 0; i < y.size(); ++i) {
        EXPECT_LE(base[i], y[i] * (1.0 + 1e-12)) << i;
    }
}

// The window of sample i as the family defines it: `window` samples (odd, at most n), centred
// and shifted inwards at the ends.
std::vector<double> WindowOf(const std::vector<double>& v, std::size_t i, std::size_t window) {
    window = std::min(window | 1, (v.size() - 1) | 1);
    const std::size_t start = std::min(i > window / 2 ? i - window / 2 : 0, v.size() - window);
    return std::vector<double>(v.begin() + start, v.begin() + start + window);
}

double MedianBySorting(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double BruteForceNoise(const std::vector<double>& v, std::size_t i, std::size_t window) {
    std::vector<double> w = WindowOf(v, i, window);
    const double m = MedianBySorting(w);
    for (double& x : w) {
        x = std::fabs(x - m);
    }
    return 1.4826 * MedianBySorting(w);
}

// Noise-like data with many ties, and two clusters that alternate so that the deviation's rank
// block jumps across half the window from one window to the next.
std::vector<std::vector<double>> SlidingTestData() {
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> ties(997), clusters(500);
    for (double& x : ties) {
        x = std::round(4.0 * normal(random)) / 4.0;
    }
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        clusters[i] = (i % 2 ? 100.0 : 0.0) + 0.01 * normal(random);
    }
    return {ties, clusters};
}

TEST(SlidingStatistics, LocalNoiseEqualsSortedWindowsBitForBit) {
    for (const std::vector<double>& v : SlidingTestData()) {
        for (const std::size_t window : {1, 2, 7, 64, 301, 2001}) {
            const std::vector<double> noise = opm::local_noise(v, window);
            std::size_t mismatches = 0;
            for (std::size_t i = 0; i < v.size(); ++i) {
                mismatches += noise[i] != BruteForceNoise(v, i, window);
            }
            EXPECT_EQ(mismatches, 0u) << "n " << v.size() << ", window " << window;
        }
    }
}

TEST(SlidingStatistics, MovingMinimumBaselineEqualsSortedWindows) {
    for (const std::vector<double>& v : SlidingTestData()) {
        for (const std::size_t window : {3, 51}) {
            std::vector<double> minima(v.size());
            for (std::size_t i = 0; i < v.size(); ++i) {
                const std::vector<double> w = WindowOf(v, i, window);
                minima[i] = *std::min_element(w.begin(), w.end());
            }
            const std::vector<double> baseline = opm::moving_minimum_baseline(v, window);
            for (std::size_t i = 0; i < v.size(); ++i) {
                ASSERT_EQ(baseline[i], MedianBySorting(WindowOf(minima, i, window))) << i;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Synthetic spectra with known truth

// A TOF-like profile: m/z = (a + b i)^2 from 1000 to 4000 over 6000 samples, an exponential
// baseline falling from 2050 to 60 counts, Gaussian noise falling tenfold along the axis, and
// Gaussian peaks of growing width whose heights are set as multiples of the local noise.
struct Synthetic {
    static constexpr std::size_t kSamples = 6000;
    static constexpr double kSmoothingVariance = 0.9243; // of the default kernel, in samples^2
    struct Truth {
        double position, sigma, height, snr;
    };
    std::vector<double> mz, intensity;
    std::vector<Truth> peaks;

    static double Noise(double i) { return 20.0 * std::exp(-i / 2600.0) + 2.0; }
    double MzStep(double i) const { return 2.0 * b * (a + b * i); }
    double Mz(double i) const { return (a + b * i) * (a + b * i); }

    Synthetic() {
        for (int k = 0; k < 12; ++k) {
            const double position = 300.0 + 450.0 * k + 0.37 * k;
            const double snr = std::vector<double>{12, 20, 40, 90, 250}[k % 5];
            peaks.push_back({position, 2.5 + 0.25 * k, snr * Noise(position), snr});
        }
        std::mt19937_64 random(2024);
        std::normal_distribution<double> normal(0.0, 1.0);
        for (std::size_t i = 0; i < kSamples; ++i) {
            const double x = static_cast<double>(i);
            mz.push_back(Mz(x));
            double y = 2000.0 * std::exp(-x / 1500.0) + 50.0 + Noise(x) * normal(random);
            for (const Truth& p : peaks) {
                y += p.height *
                     std::exp(-0.5 * (x - p.position) * (x - p.position) / (p.sigma * p.sigma));
            }
            intensity.push_back(y);
        }
    }

private:
    const double a = std::sqrt(1000.0);
    const double b = (std::sqrt(4000.0) - std::sqrt(1000.0)) / kSamples;
};

// Every peak is found once, nothing else is, and each measurement lies within a tolerance set
// by its own noise: positions to a few FWHM / (S/N), heights to a few noise sigmas, areas and
// widths to a few percent (the baseline under the noise is biased by about one sigma).
// Intensities scaled by 1e-150 or 1e150 give the same peaks, with heights and areas scaled.
TEST(SyntheticSpectrum, EveryPeakOnceWithinNoiseTolerancesAtAnyScale) {
    const Synthetic s;
    for (const double factor : {1.0, 1e-150, 1e150}) {
        std::vector<double> scaled = s.intensity;
        for (double& y : scaled) {
            y *= factor;
        }
        const std::vector<opm::Peak> found = opm::find_peaks(s.mz, scaled);
        ASSERT_EQ(found.size(), s.peaks.size()) << factor;
        for (std::size_t k = 0; k < found.size(); ++k) {
            const Synthetic::Truth& t = s.peaks[k];
            const opm::Peak& p = found[k];
            const double step = s.MzStep(t.position);
            const double width = std::sqrt(t.sigma * t.sigma + Synthetic::kSmoothingVariance);
            const double height = t.height * t.sigma / width; // the smoothed peak's height
            const double fwhm = 2.0 * std::sqrt(2.0 * std::log(2.0)) * width;
            const double sigma = Synthetic::Noise(t.position);
            const double positionTolerance = (3.0 * fwhm * sigma / height + 0.05) * step;
            const double trueMz = s.Mz(t.position);
            SCOPED_TRACE("peak " + std::to_string(k) + " at m/z " + std::to_string(trueMz));
            EXPECT_NEAR(p.apex_mz, trueMz, positionTolerance);
            EXPECT_NEAR(p.centroid_mz, trueMz, positionTolerance);
            EXPECT_NEAR(p.height / factor, height, 3.0 * sigma + 0.02 * height);
            const double area = t.height * t.sigma * std::sqrt(2.0 * M_PI) * step;
            EXPECT_NEAR(p.area / factor, area,
                        0.05 * area + 3.0 * sigma * std::sqrt(5.0 * width) * step);
            EXPECT_NEAR(p.fwhm, fwhm * step, (0.06 + 3.0 * sigma / height) * fwhm * step);
            EXPECT_NEAR(p.snr, height / sigma, 0.3 * height / sigma);
            EXPECT_TRUE(p.spline_apex);
            EXPECT_TRUE(p.first <= p.apex_position && p.apex_position <= p.last);
            if (k > 0) {
                EXPECT_GT(p.apex_position, static_cast<double>(found[k - 1].last));
            }
        }
    }
}

// Constant intensities have no noise: no peak can be assessed, and nothing is NaN.
TEST(SyntheticSpectrum, ConstantIntensitiesAssessNothing) {
    std::vector<double> mz(100), flat(100, 0.0);
    for (std::size_t i = 0; i < mz.size(); ++i) {
        mz[i] = 500.0 + static_cast<double>(i);
    }
    flat[50] = 1.0; // a lone spike on zeros: a maximum, but the noise there is zero
    const opm::SpectrumAnalysis analysis = opm::analyse_spectrum(mz, flat);
    EXPECT_TRUE(analysis.peaks.empty());
    EXPECT_EQ(analysis.unassessed, 1u);
    for (const double noise : analysis.noise) {
        EXPECT_EQ(noise, 0.0);
    }
}

// ---------------------------------------------------------------------------------------------
// The batch call and the error policy

// A symmetric Gaussian window: apex and centroid at its centre; a rising window has no interior
// maximum, so its apex is the highest sample, flagged.
TEST(MeasureWindows, SymmetricPeakAndFailedSearch) {
    std::vector<double> x(40), y(40);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = 100.0 + 0.5 * static_cast<double>(i);
        y[i] = i < 20 ? 1e-3 * std::exp(-0.5 * (i - 10.0) * (i - 10.0) / 4.0) : double(i);
    }
    const std::vector<std::size_t> first = {2, 25}, last = {18, 35};
    const std::vector<opm::WindowPeak> peaks = opm::measure_windows(x, y, first, last);
    EXPECT_TRUE(peaks[0].apex_found);
    EXPECT_NEAR(peaks[0].apex_x, 105.0, 1e-6);
    EXPECT_NEAR(peaks[0].centroid_x, 105.0, 1e-6);
    EXPECT_NEAR(peaks[0].area, 1e-3 * 2.0 * std::sqrt(2.0 * M_PI) * 0.5, 1e-4 * peaks[0].area);
    EXPECT_FALSE(peaks[1].apex_found);
    EXPECT_EQ(peaks[1].apex_x, x[35]);
    EXPECT_EQ(peaks[1].apex_y, y[35]);
}

// The real MALDI profile in tests/data: every strong raw maximum (the highest sample within 100
// samples either side, 10 000 counts above the lowest there) lies within the half-height bounds
// of exactly one reported peak; every peak is wider than a few samples and narrower than 1 % of
// its m/z, and no apex lies within another peak's bounds.
TEST(RealSpectrum, StrongMaximaReportedOnceWithSaneWidths) {
    std::ifstream file(std::string(OPM_TEST_DATA_DIR) + "/maldi_A1-0_A1.csv");
    std::vector<double> mz, y;
    std::string line;
    for (double x = 0, v = 0; std::getline(file, line);) {
        if (std::sscanf(line.c_str(), "%lf,%lf", &x, &v) == 2) {
            mz.push_back(x), y.push_back(v);
        }
    }
    ASSERT_EQ(mz.size(), 22431u);
    const std::vector<opm::Peak> peaks = opm::find_peaks(mz, y);
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const opm::Peak& p = peaks[k];
        EXPECT_TRUE(p.left_mz < p.apex_mz && p.apex_mz < p.right_mz) << p.apex_mz;
        EXPECT_GT(p.fwhm, 3.0 * (mz[p.first + 1] - mz[p.first])) << p.apex_mz;
        EXPECT_LT(p.fwhm, 0.01 * p.apex_mz) << p.apex_mz;
        EXPECT_TRUE(k == 0 ||
                    (peaks[k - 1].right_mz < p.apex_mz && peaks[k - 1].apex_mz < p.left_mz))
            << p.apex_mz;
    }
    std::size_t strong = 0;
    for (std::size_t i = 100; i + 100 < y.size(); ++i) {
        const auto from = y.begin() + long(i) - 100, to = from + 201;
        if (std::max_element(from, to) == from + 100 && y[i] - *std::min_element(from, to) >= 1e4) {
            std::size_t holding = 0;
            for (const opm::Peak& p : peaks) {
                holding += p.left_mz <= mz[i] && mz[i] <= p.right_mz;
            }
            EXPECT_EQ(holding, 1u) << "raw maximum at m/z " << mz[i];
            ++strong;
        }
    }
    EXPECT_EQ(strong, 12u);
}

TEST(SpectrumErrors, BadInputsThrowInvalidArgument) {
    const Synthetic s;
    std::vector<double> mz = s.mz, y = s.intensity;
    const auto refused = [](auto call) {
        try {
            call();
        } catch (const opm::InvalidArgument&) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { opm::find_peaks({mz.data(), 5}, {y.data(), 5}); }));
    EXPECT_TRUE(refused([&] { opm::find_peaks({nullptr, y.size()}, y); }));
    EXPECT_TRUE(refused([&] { opm::local_noise(y, 0); }));
    opm::PeakParameters zeroSnr;
    zeroSnr.snr = 0.0;
    EXPECT_TRUE(refused([&] { opm::find_peaks(mz, y, zeroSnr); }));
    y[10] = std::nan("");
    EXPECT_TRUE(refused([&] { opm::find_peaks(mz, y); }));
    EXPECT_TRUE(refused([&] { opm::snip_baseline(y); }));
    y[10] = 0.0;
    mz[20] = mz[19];
    EXPECT_TRUE(refused([&] { opm::find_peaks(mz, y); }));
    EXPECT_TRUE(refused([&] { opm::find_peaks(s.mz, {y.data(), y.size() - 1}); }));
    const std::size_t first = 30, last = 33;
    EXPECT_TRUE(refused([&] { opm::measure_windows(s.mz, y, {&first, 1}, {&last, 1}); }));
}

} // namespace
