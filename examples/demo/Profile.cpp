#include "demo/Profile.h"

#include <cmath>

namespace opmdemo {

double AbscissaAt(const Profile& profile, double position) {
    const std::size_t last = profile.Size() - 1;
    if (!(position > 0.0)) {
        return profile.abscissa.front();
    }
    if (position >= static_cast<double>(last)) {
        return profile.abscissa.back();
    }
    const auto below = static_cast<std::size_t>(std::floor(position));
    const double fraction = position - static_cast<double>(below);
    const double left = profile.abscissa[below];
    return left + fraction * (profile.abscissa[below + 1] - left);
}

} // namespace opmdemo
