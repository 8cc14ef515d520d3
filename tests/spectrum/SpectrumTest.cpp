// The spectrum family against oracles: a hand-checked SNIP case, brute-force sliding medians
// and deviations, and synthetic spectra whose peaks are known exactly.
#include "OstraPureMath/opm/Spectrum.h"
#include "OstraPureMath/opm/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <numeric>
#include <random>
#include <string>

namespace {

// Clipping [1, 2, 6, 3, 8, 4, 5] by hand: widths 2 then 1 leave the straight line 1..5 under
// it (width 2 gives [1, 2, 4.5, 3, 5.5, 4, 5]); widths 1 then 2 stop at 2.25 on sample 2. In the
// LLS domain a flat spectrum stays where it is and the baseline never rises above the data.
TEST(SnipBaseline, HandCheckedClippingAndLlsDomain) {
    std::vector<double> y = {1, 2, 6, 3, 8, 4, 5};
    opm::SnipParameters linear;
    linear.half_width = 2;
    linear.lls = false;
    EXPECT_EQ(opm::snip_baseline(y, linear), (std::vector<double>{1, 2, 2.5, 3, 3.5, 4, 5}));
    linear.decreasing = false;
    EXPECT_EQ(opm::snip_baseline(y, linear), (std::vector<double>{1, 2, 2.25, 3, 3.5, 4, 5}));
    y.assign(300, 100.0);
    const auto flat = opm::snip_baseline(y);
    EXPECT_NEAR(*std::min_element(flat.begin(), flat.end()), 100.0, 1e-9);
    EXPECT_NEAR(*std::max_element(flat.begin(), flat.end()), 100.0, 1e-9);
    std::mt19937_64 random(7);
    std::exponential_distribution<double> counts(0.01);
    std::generate(y.begin(), y.end(), [&] { return counts(random); });
    const std::vector<double> base = opm::snip_baseline(y);
    for (std::size_t i = 0; i < y.size(); ++i) {
        EXPECT_LE(base[i], y[i] * (1.0 + 1e-12)) << i;
    }
}

// Sample i's window: `window` samples (odd, at most n), centred, shifted inwards at the ends.
std::vector<double> WindowOf(const std::vector<double>& v, std::size_t i, std::size_t window) {
    window = std::min(window | 1, (v.size() - 1) | 1);
    const std::size_t start = std::min(i > window / 2 ? i - window / 2 : 0, v.size() - window);
    return std::vector<double>(v.begin() + start, v.begin() + start + window);
}

double MedianBySorting(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Local noise (1.4826 x MAD) and the moving-minimum baseline (median of window minima) equal sorted
// windows bit for bit, on ties and on alternating clusters (the MAD's rank block jumps each step).
TEST(SlidingStatistics, LocalNoiseAndMovingMinimumEqualSortedWindows) {
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> ties(997), clusters(500);
    std::generate(ties.begin(), ties.end(), [&] { return std::round(4.0 * normal(random)) / 4.0; });
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        clusters[i] = (i % 2 ? 100.0 : 0.0) + 0.01 * normal(random);
    }
    for (const std::vector<double>& v : {ties, clusters}) {
        for (const std::size_t window : {1, 2, 7, 51, 64, 301, 2001}) {
            const std::vector<double> noise = opm::local_noise(v, window);
            std::vector<double> minima(v.size());
            std::size_t mismatches = 0;
            for (std::size_t i = 0; i < v.size(); ++i) {
                std::vector<double> w = WindowOf(v, i, window);
                minima[i] = *std::min_element(w.begin(), w.end());
                const double m = MedianBySorting(w);
                std::transform(w.begin(), w.end(), w.begin(),
                               [m](double x) { return std::fabs(x - m); });
                mismatches += noise[i] != 1.4826 * MedianBySorting(w);
            }
            const std::vector<double> baseline = opm::moving_minimum_baseline(v, window);
            for (std::size_t i = 0; window <= 51 && i < v.size(); ++i) {
                mismatches += baseline[i] != MedianBySorting(WindowOf(minima, i, window));
            }
            EXPECT_EQ(mismatches, 0u) << "n " << v.size() << ", window " << window;
        }
    }
}

// A TOF-like profile: m/z = (a + b i)^2 from 1000 to 4000 over 6000 samples, baseline 2050 to 60,
// noise falling tenfold, Gaussian peaks of growing width with heights in multiples of the noise.
struct Synthetic {
    static constexpr std::size_t kSamples = 6000;
    static constexpr double kSmoothingVariance = 0.9243; // of the default kernel, in samples^2
    struct Truth {
        double position, sigma, height;
    };
    std::vector<double> mz, intensity;
    std::vector<Truth> peaks;
    const double a = std::sqrt(1000.0), b = (std::sqrt(4000.0) - a) / kSamples;

    static double Noise(double i) { return 20.0 * std::exp(-i / 2600.0) + 2.0; }
    double MzStep(double i) const { return 2.0 * b * (a + b * i); }
    double Mz(double i) const { return (a + b * i) * (a + b * i); }

    Synthetic() {
        for (int k = 0; k < 12; ++k) {
            const double position = 300.0 + 450.0 * k + 0.37 * k;
            const double snr = std::vector<double>{12, 20, 40, 90, 250}[k % 5];
            peaks.push_back({position, 2.5 + 0.25 * k, snr * Noise(position)});
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
};

// Every peak is found once, nothing else is, each measurement within its own noise's tolerance:
// positions to a few FWHM / (S/N), heights to a few sigmas, areas and widths to a few percent (the
// baseline is biased by about one sigma); intensities scaled by 1e-150 or 1e150 scale nothing else.
TEST(SyntheticSpectrum, EveryPeakOnceWithinNoiseTolerancesAtAnyScale) {
    const Synthetic s;
    for (const double factor : {1.0, 1e-150, 1e150}) {
        std::vector<double> scaled = s.intensity;
        std::for_each(scaled.begin(), scaled.end(), [&](double& y) { y *= factor; });
        const std::vector<opm::Peak> found = opm::find_peaks(s.mz, scaled);
        ASSERT_EQ(found.size(), s.peaks.size()) << factor;
        for (std::size_t k = 0; k < found.size(); ++k) {
            const Synthetic::Truth& t = s.peaks[k];
            const opm::Peak& p = found[k];
            const double step = s.MzStep(t.position), sigma = Synthetic::Noise(t.position);
            const double width = std::sqrt(t.sigma * t.sigma + Synthetic::kSmoothingVariance);
            const double height = t.height * t.sigma / width; // the smoothed peak's height
            const double fwhm = 2.0 * std::sqrt(2.0 * std::log(2.0)) * width, mz = s.Mz(t.position);
            SCOPED_TRACE("m/z " + std::to_string(mz));
            EXPECT_NEAR(p.apex_mz, mz, (3.0 * fwhm * sigma / height + 0.05) * step);
            EXPECT_NEAR(p.centroid_mz, mz, (3.0 * fwhm * sigma / height + 0.05) * step);
            EXPECT_NEAR(p.height / factor, height, 3.0 * sigma + 0.02 * height);
            const double area = t.height * t.sigma * std::sqrt(2.0 * M_PI) * step;
            EXPECT_NEAR(p.area / factor, area,
                        0.05 * area + 3.0 * sigma * std::sqrt(5.0 * width) * step);
            EXPECT_NEAR(p.fwhm, fwhm * step, (0.06 + 3.0 * sigma / height) * fwhm * step);
            EXPECT_NEAR(p.snr, height / sigma, 0.3 * height / sigma);
            EXPECT_TRUE(p.spline_apex);
            EXPECT_TRUE(p.first <= p.apex_position && p.apex_position <= p.last);
            EXPECT_TRUE(k == 0 || p.apex_position > static_cast<double>(found[k - 1].last));
        }
    }
}

// A lone spike on zeros has zero noise: no peak can be assessed, nothing is NaN. A Gaussian window
// has apex and centroid at its centre; a rising one has no maximum: its highest sample, flagged.
TEST(SpectrumEdges, SpikeOnZerosAndWindowsWithAndWithoutMaximum) {
    std::vector<double> x(100), y(100, 0.0);
    std::iota(x.begin(), x.end(), 100.0);
    y[50] = 1.0;
    const opm::SpectrumAnalysis analysis = opm::analyse_spectrum(x, y);
    EXPECT_TRUE(analysis.peaks.empty());
    EXPECT_EQ(analysis.unassessed, 1u);
    EXPECT_EQ(analysis.noise, std::vector<double>(100, 0.0));
    for (std::size_t i = 0; i < 40; ++i) {
        y[i] = i < 20 ? 1e-3 * std::exp(-0.5 * (i - 10.0) * (i - 10.0) / 4.0) : double(i);
    }
    const std::vector<std::size_t> first = {2, 25}, last = {18, 35};
    const std::vector<opm::WindowPeak> peaks = opm::measure_windows(x, y, first, last);
    EXPECT_TRUE(peaks[0].apex_found);
    EXPECT_NEAR(peaks[0].apex_x, 110.0, 1e-6);
    EXPECT_NEAR(peaks[0].centroid_x, 110.0, 1e-6);
    EXPECT_NEAR(peaks[0].area, 1e-3 * 2.0 * std::sqrt(2.0 * M_PI), 1e-4 * peaks[0].area);
    EXPECT_FALSE(peaks[1].apex_found);
    EXPECT_EQ(peaks[1].apex_x, x[35]);
    EXPECT_EQ(peaks[1].apex_y, y[35]);
}

// The real MALDI profile: every strong raw maximum (highest within 100 samples either side, 10 000
// counts above the lowest there) lies within the half-height bounds of exactly one peak; each peak
// is wider than 3 samples, narrower than 1 % of its m/z, and holds no other apex.
TEST(RealSpectrum, StrongMaximaReportedOnceWithSaneWidths) {
    std::ifstream file(std::string(OPM_TEST_DATA_DIR) + "/maldi_A1-0_A1.csv");
    std::vector<double> mz, y;
    file.ignore(1 << 20, '\n').ignore(1 << 20, '\n'); // the comment and header lines
    for (double x = 0, v = 0; file >> x && file.ignore(1) && file >> v;) {
        mz.push_back(x), y.push_back(v);
    }
    ASSERT_EQ(mz.size(), 22431u);
    const std::vector<opm::Peak> peaks = opm::find_peaks(mz, y);
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const opm::Peak& p = peaks[k];
        EXPECT_TRUE(p.left_mz < p.apex_mz && p.apex_mz < p.right_mz) << p.apex_mz;
        EXPECT_GT(p.fwhm, 3.0 * (mz[p.first + 1] - mz[p.first])) << p.apex_mz;
        EXPECT_LT(p.fwhm, 0.01 * p.apex_mz) << p.apex_mz;
        EXPECT_TRUE(k == 0 ||
                    (peaks[k - 1].right_mz < p.apex_mz && peaks[k - 1].apex_mz < p.left_mz));
    }
    std::size_t strong = 0;
    for (std::size_t i = 100; i + 100 < y.size(); ++i) {
        const auto from = y.begin() + long(i) - 100, to = from + 201;
        if (std::max_element(from, to) == from + 100 && y[i] - *std::min_element(from, to) >= 1e4) {
            EXPECT_EQ(1, std::count_if(peaks.begin(), peaks.end(),
                                       [&](const opm::Peak& p) {
                                           return p.left_mz <= mz[i] && mz[i] <= p.right_mz;
                                       }))
                << "raw maximum at m/z " << mz[i];
            ++strong;
        }
    }
    EXPECT_EQ(strong, 12u);
}

// Refused: too few samples, a null span, zero window or S/N, NaN, repeated m/z, unequal lengths,
// a window too short to measure.
TEST(SpectrumErrors, BadInputsThrowInvalidArgument) {
    using Values = opm::Span<const double>;
    using Indices = opm::Span<const std::size_t>;
    const Synthetic s;
    const std::vector<double>&mz = s.mz, &y = s.intensity;
    std::vector<double> nan = y, repeated = mz;
    nan[10] = std::nan("");
    repeated[20] = repeated[19];
    opm::PeakParameters zeroSnr;
    zeroSnr.snr = 0.0;
    const std::size_t first = 30, last = 33;
    const std::function<void()> calls[] = {
        [&] { opm::find_peaks(Values(mz.data(), 5), Values(y.data(), 5)); },
        [&] { opm::find_peaks(Values(nullptr, y.size()), y); },
        [&] { opm::local_noise(y, 0); },
        [&] { opm::find_peaks(mz, y, zeroSnr); },
        [&] { opm::find_peaks(mz, nan); },
        [&] { opm::snip_baseline(nan); },
        [&] { opm::find_peaks(repeated, y); },
        [&] { opm::find_peaks(mz, Values(y.data(), y.size() - 1)); },
        [&] { opm::measure_windows(mz, y, Indices(&first, 1), Indices(&last, 1)); },
    };
    for (const auto& call : calls) {
        EXPECT_THROW(call(), opm::InvalidArgument) << "call " << &call - calls;
    }
}

} // namespace
