// Profile: one spectrum as intensities sampled over an increasing abscissa.
#pragma once

#include <cstddef>
#include <vector>

namespace opmdemo {

// What the abscissa of a profile counts: detector bins (to be calibrated to m/z) or m/z itself.
enum class AbscissaKind { Bin, MZ };

struct Profile {
    AbscissaKind kind = AbscissaKind::Bin;
    std::vector<double> abscissa;  // strictly increasing, one per sample
    std::vector<double> intensity; // same length as abscissa

    std::size_t Size() const { return intensity.size(); }
};

// Abscissa at a fractional sample position (0 = first sample), interpolated linearly between
// the neighbouring samples and clamped to the profile's ends. The profile must not be empty.
double AbscissaAt(const Profile& profile, double position);

} // namespace opmdemo
