// stgssm: in-place Gaussian smoothing of a range of samples with a truncated, renormalised
// kernel, repeated for a number of passes.
//
// The range and the context samples around it are copied into work storage; every pass reads
// one buffer and writes the other, so a pass sees only the values of the previous pass, and the
// context is never written. The result goes back into the caller's range only at the end.
// Samples so large that a weighted sum could overflow are smoothed divided by a power of two.
#include "torvik/ErrorCodes.h"
#include "torvik/PowerOfTwo.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <exception>
#include <vector>

namespace {

bool ValidArguments(const double* data, int n, int first, int last, int halfWidth, int passes) {
    return data != nullptr && n >= 1 && first >= 0 && first <= last && last <= n - 1 &&
           halfWidth >= 1 && passes >= 1;
}

// Weights exp(-k^2 / (2 sigma^2)), sigma = halfWidth / 2, for k = 0..reach; the kernel is
// symmetric. Offsets beyond n - 1 can never meet a sample, so reach = min(halfWidth, n - 1).
std::vector<double> HalfKernel(int halfWidth, int reach) {
    const double sigma = double(halfWidth) / 2.0;
    std::vector<double> weights(std::size_t(reach) + 1);
    for (int k = 0; k <= reach; ++k) {
        weights[std::size_t(k)] = std::exp(-double(k) * double(k) / (2.0 * sigma * sigma));
    }
    return weights;
}

// Smoothed value at window position i: the kernel clipped to the window, renormalised. The
// window holds the whole stretch of the array within reach, so clipping happens only at the
// array's ends.
double SmoothedAt(const std::vector<double>& window, long long i,
                  const std::vector<double>& weights) {
    const long long reach = static_cast<long long>(weights.size()) - 1;
    const long long from = std::max(-reach, -i);
    const long long to = std::min(reach, static_cast<long long>(window.size()) - 1 - i);
    double weighted = 0.0;
    double total = 0.0;
    for (long long k = from; k <= to; ++k) {
        const double w = weights[std::size_t(k < 0 ? -k : k)];
        weighted += w * window[std::size_t(i + k)];
        total += w;
    }
    return weighted / total;
}

} // namespace

extern "C" int stgssm(double* data, int n, int first, int last, int halfWidth, int passes) {
    if (!ValidArguments(data, n, first, last, halfWidth, passes)) {
        return -torvik::RecordOutcome(torvik::kBadArguments);
    }
    // In long long: last + reach can pass INT_MAX.
    const long long reach = std::min(halfWidth, n - 1);
    const long long low = std::max(0LL, first - reach);
    const long long high = std::min(static_cast<long long>(n) - 1, last + reach);
    if (!torvik::AllFinite(data + low, high - low + 1)) {
        return -torvik::RecordOutcome(torvik::kNonFinite);
    }
    try {
        const std::vector<double> weights = HalfKernel(halfWidth, int(reach));
        std::vector<double> current(data + low, data + high + 1);
        // A weighted sum of up to 2 reach + 1 samples, each weight at most 1, stays finite below
        // this magnitude.
        double largest = 0.0;
        for (const double v : current) {
            largest = std::max(largest, std::fabs(v));
        }
        const bool scaled = largest > DBL_MAX / (2.0 * double(reach) + 1.0);
        const torvik::PowerOfTwo scale(scaled ? largest : 1.0);
        if (scaled) {
            for (double& v : current) {
                v = scale.Divide(v);
            }
        }
        std::vector<double> next(current);
        const long long begin = first - low;
        const long long end = last - low;
        for (int pass = 0; pass < passes; ++pass) {
            for (long long i = begin; i <= end; ++i) {
                next[std::size_t(i)] = SmoothedAt(current, i, weights);
            }
            current.swap(next);
        }
        for (long long i = begin; i <= end; ++i) {
            double v = current[std::size_t(i)];
            if (scaled) {
                // A weighted mean lies within its samples' range; rounding may push it a unit
                // past, which unscaled could reach infinity.
                const double bound = scale.Divide(largest);
                v = std::ldexp(std::min(bound, std::max(-bound, v)), scale.exponent);
            }
            data[first + (i - begin)] = v;
        }
        return -torvik::RecordOutcome(torvik::kSuccess);
    } catch (const std::exception&) {
        return -torvik::RecordOutcome(torvik::kOutOfMemory);
    }
}
