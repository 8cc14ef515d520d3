// Bit identity of the spectrum family: each operation's outputs over seeded spectra (peaks on noisy
// exponential baselines, 50 to 3000 samples, one with runs of exact zeros) hash as recorded.
#include "OstraPureMath/opm/Spectrum.h"
#include "support/BitIdentity.h"

#include <cmath>
#include <string>

namespace {

using identity::Hash;
using identity::Operation;

struct Spectrum {
    std::vector<double> mz, intensity;
};

Spectrum Seeded(std::size_t n, int index) {
    identity::Seeded rng(97 + static_cast<std::uint64_t>(index));
    Spectrum s;
    const double peaks[][3] = {{0.2, 3.0, 400.0}, {0.45, 4.5, 90.0}, {0.7, 6.0, 1500.0}};
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(n);
        double noise = 0.0;
        for (int k = 0; k < 4; ++k) {
            noise += rng.Uniform(-1.0, 1.0);
        }
        double y = 800.0 * std::exp(-3.0 * t) + 20.0 + (10.0 - 8.0 * t) * noise;
        for (const auto& p : peaks) {
            const double z = (static_cast<double>(i) - p[0] * static_cast<double>(n)) / p[1];
            y += p[2] * std::exp(-0.5 * z * z);
        }
        s.mz.push_back(1000.0 + 0.25 * static_cast<double>(i) + 1e-5 * static_cast<double>(i * i));
        s.intensity.push_back(index == 3 && (i / 40) % 3 == 0 ? 0.0 : y);
    }
    return s;
}

template <class Each> void ForEachSpectrum(Operation& op, Each each) {
    int index = 0;
    for (const std::size_t n : {50u, 700u, 3000u, 3000u}) {
        const Spectrum s = Seeded(n, index);
        Hash hash;
        each(s, hash);
        op.Record("spectrum" + std::to_string(index++), hash);
    }
}

void Baselines(Operation& op) {
    ForEachSpectrum(op, [](const Spectrum& s, Hash& hash) {
        for (const int k : {0, 1, 2, 3}) { // LLS, then not; decreasing windows, then not
            hash.Add(opm::snip_baseline(s.intensity, {40, k < 2, k % 2 == 0}));
        }
        hash.Add(opm::moving_minimum_baseline(s.intensity, 51));
    });
}

void Noise(Operation& op) {
    ForEachSpectrum(op, [](const Spectrum& s, Hash& hash) {
        for (const std::size_t window : {1u, 30u, 301u}) {
            hash.Add(opm::local_noise(s.intensity, window));
        }
    });
}

void Analysis(Operation& op) {
    ForEachSpectrum(op, [](const Spectrum& s, Hash& hash) {
        opm::PeakParameters other;
        other.baseline = opm::BaselineMethod::moving_minimum;
        other.smoothing_half_width = 0;
        other.noise_window = 201;
        other.snr = 3.0;
        for (const opm::PeakParameters& parameters : {opm::PeakParameters(), other}) {
            const opm::SpectrumAnalysis a = opm::analyse_spectrum(s.mz, s.intensity, parameters);
            hash.Add(a.smoothed).Add(a.baseline).Add(a.noise).Add(long(a.unassessed));
            for (const opm::Peak& p : a.peaks) {
                for (const double v :
                     {p.apex_mz, p.centroid_mz, p.height, p.area, p.fwhm, p.snr, p.noise,
                      p.baseline, p.apex_position, p.left_mz, p.right_mz}) {
                    hash.Add(v);
                }
                hash.Add(long(p.first)).Add(long(p.last)).Add(p.spline_apex);
            }
        }
    });
}

void Windows(Operation& op) {
    ForEachSpectrum(op, [](const Spectrum& s, Hash& hash) {
        std::vector<std::size_t> first, last;
        for (std::size_t start = 0; start + 12 < s.mz.size(); start += 7) {
            first.push_back(start);
            last.push_back(start + 6 + start % 6);
        }
        for (const opm::WindowPeak& w : opm::measure_windows(s.mz, s.intensity, first, last)) {
            hash.Add(w.apex_x).Add(w.apex_y).Add(w.centroid_x).Add(w.area).Add(w.apex_found);
        }
    });
}

TEST(SpectrumBitIdentity, EveryOperationHashesAsRecorded) {
    const identity::Recorded table[] = {
        // Spectra made with std::exp; the SNIP baseline's own std::log and std::exp.
        {"baselines", 0x56987d317de20735ull, Baselines, true},
        {"local_noise", 0xf796d97943a1fb17ull, Noise, true},
        {"analyse_spectrum", 0xd946a1e2009eabcdull, Analysis, true},
        {"measure_windows", 0x43f2ce05e672f027ull, Windows},
    };
    identity::ExpectRecordedHashes(table);
}

} // namespace
