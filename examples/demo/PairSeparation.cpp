// Least-squares separation of two overlapping peaks of known m/z and width.
#include "demo/AnalysisSteps.h"

#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Polynomials.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace opmdemo {
namespace {

constexpr double kRankTolerance = 1e-10; // relative to the largest singular value
constexpr double kPairMargin = 4.0;      // least-squares window: +-4 sigma around the pair

// The root of calibration(bin) = mz that lies inside [low, high], if any.
std::optional<double> BinOfMass(const std::vector<double>& calibration, double mz, double low,
                                double high) {
    for (double root : opm::polynomial_roots(calibration, mz)) {
        if (root >= low && root <= high) {
            return root;
        }
    }
    return std::nullopt;
}

double Gaussian(double x, double centre, double sigma) {
    const double z = (x - centre) / sigma;
    return std::exp(-0.5 * z * z);
}

// The bins of the pair's two m/z; false (with a note) when one lies outside the profile.
bool LocatePair(const Profile& profile, const std::vector<double>& calibration,
                DeconvolutionReport& result) {
    for (int k = 0; k < 2; ++k) {
        const std::optional<double> bin =
            BinOfMass(calibration, result.mz[k], profile.abscissa.front(), profile.abscissa.back());
        if (!bin) {
            result.note = "m/z " + std::to_string(result.mz[k]) + " lies outside the profile";
            return false;
        }
        result.bin[k] = *bin;
    }
    return true;
}

// Least squares over two known shapes on the samples within the margin around the pair:
// intensity - baseline ~ a1 g1(bin) + a2 g2(bin).
void FitAmplitudes(const Profile& profile, const std::vector<double>& baseline, double sigma,
                   DeconvolutionReport& result) {
    const double low = std::min(result.bin[0], result.bin[1]) - kPairMargin * sigma;
    const double high = std::max(result.bin[0], result.bin[1]) + kPairMargin * sigma;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < profile.Size(); ++i) {
        if (profile.abscissa[i] >= low && profile.abscissa[i] <= high) {
            rows.push_back(i);
        }
    }
    opm::DenseMatrix a(rows.size(), 2), b(rows.size(), 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t i = rows[r];
        a(r, 0) = Gaussian(profile.abscissa[i], result.bin[0], sigma);
        a(r, 1) = Gaussian(profile.abscissa[i], result.bin[1], sigma);
        b(r, 0) = profile.intensity[i] - baseline[i];
    }
    const opm::LeastSquaresSolution fit = opm::least_squares(a, b, kRankTolerance);
    result.samples = rows.size();
    result.rank = fit.rank;
    result.converged = fit.converged;
    result.amplitude[0] = fit.solution(0, 0);
    result.amplitude[1] = fit.solution(1, 0);
    result.residualSumOfSquares = fit.residual_sum_of_squares[0];
}

} // namespace

DeconvolutionReport SeparatePair(const Profile& profile, const AnalysisReport& report,
                                 const AnalysisSettings& settings) {
    DeconvolutionReport result;
    if (!settings.hasPair) {
        result.note = "no pair of overlapping peaks is defined for this profile";
        return result;
    }
    if (!report.calibration.done) {
        result.note = "needs a bin -> m/z calibration";
        return result;
    }
    result.mz[0] = settings.pair.mz[0];
    result.mz[1] = settings.pair.mz[1];
    result.done = Attempted(result.note, [&] {
        if (!LocatePair(profile, report.calibration.coefficients, result)) {
            return false;
        }
        FitAmplitudes(profile, report.spectrum.baseline, settings.pair.sigmaBins, result);
        return true;
    });
    return result;
}

} // namespace opmdemo
