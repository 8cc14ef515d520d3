// stline: ordinary least-squares straight line with the Pearson correlation coefficient.
//
// Centred two-pass sums (means first, then the sums of products of deviations) rather than the
// one-pass textbook formula, whose cancellation loses every digit when the abscissae are large
// compared with their spread.
#include "torvik/ErrorCodes.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <cmath>

namespace {

double Mean(const double* values, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        sum += values[i];
    }
    return sum / double(n);
}

struct CentredSums {
    double sxx = 0.0;
    double syy = 0.0;
    double sxy = 0.0;
};

CentredSums SumsOfDeviations(const double* x, const double* y, int n, double meanX, double meanY) {
    CentredSums sums;
    for (int i = 0; i < n; ++i) {
        const double dx = x[i] - meanX;
        const double dy = y[i] - meanY;
        sums.sxx += dx * dx;
        sums.syy += dy * dy;
        sums.sxy += dx * dy;
    }
    return sums;
}

// Pearson r; 0 without spread in y. Rounding can push |r| a few ulps past 1, so it is limited.
double Correlation(const CentredSums& sums) {
    if (sums.syy == 0.0) {
        return 0.0;
    }
    const double r = sums.sxy / (std::sqrt(sums.sxx) * std::sqrt(sums.syy));
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
    const double meanX = Mean(x, n);
    const double meanY = Mean(y, n);
    const CentredSums sums = SumsOfDeviations(x, y, n, meanX, meanY);
    if (sums.sxx == 0.0) {
        *intercept = meanY;
        *slope = 0.0;
        *r = 0.0;
        return torvik::RecordOutcome(torvik::kDegenerate);
    }
    const double fittedSlope = sums.sxy / sums.sxx;
    const double correlation = Correlation(sums);
    *intercept = meanY - fittedSlope * meanX;
    *slope = fittedSlope;
    *r = correlation;
    return torvik::RecordOutcome(torvik::kSuccess);
}
