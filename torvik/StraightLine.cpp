// stline: ordinary least-squares straight line with the Pearson correlation coefficient.
//
// Centred two-pass sums (means first, then the sums of products of deviations) rather than the
// one-pass textbook formula, whose cancellation loses every digit when the abscissae are large
// compared with their spread. The abscissae and the ordinates are first divided by the powers of
// two just above their largest magnitudes (exact), so that no sum can overflow; the means, the
// deviations, the sums, the slope and the intercept are all formed in extended precision and
// rounded once, which leaves the line as accurate as its data allow (NIST Norris: 14 digits).
#include "torvik/ErrorCodes.h"
#include "torvik/ExtendedPrecision.h"
#include "torvik/PowerOfTwo.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <cmath>

namespace {

using torvik::Extended;

double LargestMagnitude(const double* values, int n) {
    double largest = 0.0;
    for (int i = 0; i < n; ++i) {
        largest = std::max(largest, std::fabs(values[i]));
    }
    return largest;
}

bool AllEqual(const double* values, int n) {
    return std::all_of(values, values + n, [&](double v) { return v == values[0]; });
}

// Mean of the scaled values; exactly the common value when they are all equal.
Extended Mean(const double* values, int n, const torvik::PowerOfTwo& scale) {
    if (AllEqual(values, n)) {
        return Extended(scale.Divide(values[0]));
    }
    Extended sum = Extended(0.0);
    for (int i = 0; i < n; ++i) {
        sum = sum + Extended(scale.Divide(values[i]));
    }
    return sum / Extended(double(n));
}

struct CentredSums {
    Extended sxx = Extended(0.0);
    Extended syy = Extended(0.0);
    Extended sxy = Extended(0.0);
};

CentredSums SumsOfDeviations(const double* x, const double* y, int n, const torvik::PowerOfTwo& sx,
                             const torvik::PowerOfTwo& sy, Extended meanX, Extended meanY) {
    CentredSums sums;
    for (int i = 0; i < n; ++i) {
        const Extended dx = Extended(sx.Divide(x[i])) - meanX;
        const Extended dy = Extended(sy.Divide(y[i])) - meanY;
        sums.sxx = sums.sxx + dx * dx;
        sums.syy = sums.syy + dy * dy;
        sums.sxy = sums.sxy + dx * dy;
    }
    return sums;
}

// Pearson r; 0 without spread in y. Rounding can push |r| a few ulps past 1, so it is limited.
double Correlation(const CentredSums& sums) {
    const double syy = torvik::Rounded(sums.syy);
    if (syy == 0.0) {
        return 0.0;
    }
    const double r =
        torvik::Rounded(sums.sxy) / (std::sqrt(torvik::Rounded(sums.sxx)) * std::sqrt(syy));
    return std::min(1.0, std::max(-1.0, r));
}

} // namespace

extern "C" int stline(double* x, double* y, int n, double* intercept, double* slope, double* r) {
    if (x == nullptr || y == nullptr || intercept == nullptr || slope == nullptr || r == nullptr ||
        n < 2) {
        return torvik::RecordOutcome(torvik::kBadArguments);
    }
    if (!torvik::AllFinite(x, n) || !torvik::AllFinite(y, n)) {
        return torvik::RecordOutcome(torvik::kNonFinite);
    }
    const torvik::PowerOfTwo sx(LargestMagnitude(x, n));
    const torvik::PowerOfTwo sy(LargestMagnitude(y, n));
    const Extended meanY = Mean(y, n, sy);
    // Compared exactly: a mean that does not round back to equal abscissae would leave a
    // spurious spread.
    if (AllEqual(x, n)) {
        *intercept = std::ldexp(torvik::Rounded(meanY), sy.exponent);
        *slope = 0.0;
        *r = 0.0;
        return torvik::RecordOutcome(torvik::kDegenerate);
    }
    const Extended meanX = Mean(x, n, sx);
    const CentredSums sums = SumsOfDeviations(x, y, n, sx, sy, meanX, meanY);
    const Extended scaledSlope = sums.sxy / sums.sxx; // sxx > 0: the abscissae differ
    const double fittedSlope = std::ldexp(torvik::Rounded(scaledSlope), sy.exponent - sx.exponent);
    const double fittedIntercept =
        std::ldexp(torvik::Rounded(meanY - scaledSlope * meanX), sy.exponent);
    if (!std::isfinite(fittedSlope) || !std::isfinite(fittedIntercept)) {
        return torvik::RecordOutcome(torvik::kNoConvergence); // the line leaves the range of double
    }
    *intercept = fittedIntercept;
    *slope = fittedSlope;
    *r = Correlation(sums);
    return torvik::RecordOutcome(torvik::kSuccess);
}
