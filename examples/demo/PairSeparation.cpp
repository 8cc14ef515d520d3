// Least-squares separation of two overlapping peaks of known m/z and width.
#include "demo/AnalysisSteps.h"

#include "OstraPureMath/Matrix.h"
#include "OstraPureMath/Polynomial.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace opmdemo {
namespace {

constexpr double kRankTolerance = 1e-10; // relative to the largest singular value
constexpr long kMaxSvdRows = 1000;       // capacity of SingularValueDecomposition's work vectors
constexpr double kPairMargin = 4.0;      // least-squares window: +-4 sigma around the pair

// Row-pointer matrix [1..rows] x [1..cols] from Matrix::dMatrix, released when it goes.
class RowMatrix {
public:
    RowMatrix(const Matrix& owner, long rows, long cols)
        : m_owner(owner), m_rows(rows), m_cols(cols), m_data(owner.dMatrix(1, rows, 1, cols)) {}
    ~RowMatrix() { m_owner.dMatrixFree(m_data, 1, m_rows, 1, m_cols); }
    RowMatrix(const RowMatrix&) = delete;
    RowMatrix& operator=(const RowMatrix&) = delete;

    double** get() const { return m_data; }
    double* operator[](long row) const { return m_data[row]; }

private:
    const Matrix& m_owner;
    long m_rows, m_cols;
    double** m_data;
};

// The root of calibration(bin) = mz that lies inside [low, high], if any.
std::optional<double> BinOfMass(Polynomial& calibration, double mz, double low, double high) {
    std::vector<double> roots;
    calibration.Solve(mz, roots);
    for (double root : roots) {
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

} // namespace

// Least squares over two known shapes: intensity - baseline ~ a1 g1(bin) + a2 g2(bin).
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
    std::vector<double> coefficients = report.calibration.coefficients;
    Polynomial calibration(coefficients);
    const double sigma = settings.pair.sigmaBins;
    for (int k = 0; k < 2; ++k) {
        result.mz[k] = settings.pair.mz[k];
        const std::optional<double> bin =
            BinOfMass(calibration, result.mz[k], profile.abscissa.front(), profile.abscissa.back());
        if (!bin) {
            result.note = "m/z " + std::to_string(result.mz[k]) + " lies outside the profile";
            return result;
        }
        result.bin[k] = *bin;
    }
    const double low = std::min(result.bin[0], result.bin[1]) - kPairMargin * sigma;
    const double high = std::max(result.bin[0], result.bin[1]) + kPairMargin * sigma;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < profile.Size(); ++i) {
        if (profile.abscissa[i] >= low && profile.abscissa[i] <= high) {
            rows.push_back(i);
        }
    }
    const long m = static_cast<long>(rows.size());
    if (m < 2 || m > kMaxSvdRows) {
        result.note = "the pair spans " + std::to_string(m) + " samples";
        return result;
    }
    const Matrix matrix;
    RowMatrix a(matrix, m, 2), b(matrix, m, 1), x(matrix, 2, 1);
    std::vector<double> residual(2); // 1-based: residual[1]
    for (long r = 1; r <= m; ++r) {
        const std::size_t i = rows[static_cast<std::size_t>(r - 1)];
        a[r][1] = Gaussian(profile.abscissa[i], result.bin[0], sigma);
        a[r][2] = Gaussian(profile.abscissa[i], result.bin[1], sigma);
        b[r][1] = profile.intensity[i] - report.spectrum.baseline[i];
    }
    long rank = 2;
    matrix.SingularValueDecomposition(a.get(), b.get(), x.get(), residual.data(), m, rank, 1,
                                      kRankTolerance, result.converged);
    result.samples = m;
    result.rank = rank;
    result.amplitude[0] = x[1][1];
    result.amplitude[1] = x[2][1];
    result.residualSumOfSquares = residual[1];
    result.done = true;
    return result;
}

} // namespace opmdemo
