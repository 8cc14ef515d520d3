// Construction of the interpolating cubic spline: the three-moment equations for the second
// derivatives at the knots (the classic formulation of Ahlberg, Nilson and Walsh), adjusted for
// the end condition and solved as one tridiagonal system by elimination without pivoting
// (Thomas algorithm). The matrix is diagonally dominant for the four end conditions on
// increasing knots, which is why no pivoting is done.
#include "OstraPureMath/Splines.h"
#include "common/ThreadScratch.h"
#include "splines/SplineCoefficients.h"

#include <cstddef>

namespace {

// Columns of a row of the work system; row r is the equation for the second derivative at
// knot r + 1.
constexpr long kSub = 1;
constexpr long kDiag = 2;
constexpr long kSuper = 3;
constexpr long kRhs = 4;

constexpr long kNatural = 1;
constexpr long kParabolicRunout = 2;
constexpr long kExtrapolated = 3;
constexpr long kClamped = 4;

// Work storage of one construction, from the thread's scratch storage: the tridiagonal system
// (rows 0..n+1, columns 1..4, reached through row pointers) and the interval widths h[1..n-1].
class SplineWorkspace {
public:
    explicit SplineWorkspace(long n) : storage_(RowCount(n) * (kRhs + 1) + std::size_t(n + 1)) {
        double* elements = storage_.data() + RowCount(n); // after the row pointers
        rows_ = storage_.As<double*>();
        for (std::size_t r = 0; r < RowCount(n); ++r) {
            rows_[r] = elements + r * kRhs - 1; // columns from 1
        }
        widths_ = elements + RowCount(n) * kRhs;
    }

    double** rows() const { return rows_; }
    double* widths() const { return widths_; }

private:
    static std::size_t RowCount(long n) { return std::size_t(n + 2); }

    opm::detail::ScratchDoubles storage_;
    double** rows_;
    double* widths_;
};

// Scaled divided difference d_k = 6 (y[k+1] - y[k]) / h_k.
double ScaledSlope(const double* y, const double* h, long k) {
    return 6.0 * (y[k + 1] - y[k]) / h[k];
}

// h_k = x[k+1] - x[k] for k = 1..n-1, then row i (i = 1..n-2) of the natural system:
// h_i M_i + 2 (h_i + h_{i+1}) M_{i+1} + h_{i+1} M_{i+2} = d_{i+1} - d_i.
void BuildInteriorRows(double** rows, double* h, const double* x, const double* y, long n) {
    for (long k = 1; k <= n - 1; ++k) {
        h[k] = x[k + 1] - x[k];
    }
    double dLeft = n >= 2 ? ScaledSlope(y, h, 1) : 0.0;
    for (long i = 1; i <= n - 2; ++i) {
        const double dRight = ScaledSlope(y, h, i + 1);
        rows[i][kSub] = h[i];
        rows[i][kDiag] = 2.0 * (h[i] + h[i + 1]);
        rows[i][kSuper] = h[i + 1];
        rows[i][kRhs] = dRight - dLeft;
        dLeft = dRight;
    }
}

// Folds M_1 = ((h_1 + h_2) M_2 - h_1 M_3) / h_2 into row 1, then the mirror image into row n-2.
void ApplyExtrapolatedEnds(double** rows, const double* h, long n) {
    const double h1 = h[1];
    const double h2 = h[2];
    rows[1][kDiag] = (h1 + h2) * (h1 + 2.0 * h2) / h2;
    rows[1][kSuper] = (h2 * h2 - h1 * h1) / h2;
    const double hp = h[n - 2];
    const double hl = h[n - 1];
    rows[n - 2][kSub] = (hp * hp - hl * hl) / hp;
    rows[n - 2][kDiag] = (hp + hl) * (2.0 * hp + hl) / hp;
}

// Rows 0 and n-1: the end slopes s'_1 and s'_n expressed through M_1, M_2 and M_{n-1}, M_n.
void ApplyClampedEnds(double** rows, const double* h, const double* y, long n, double slopeFirst,
                      double slopeLast) {
    rows[0][kDiag] = 2.0 * h[1];
    rows[0][kSuper] = h[1];
    rows[0][kRhs] = 6.0 * ((y[2] - y[1]) / h[1] - slopeFirst);
    rows[n - 1][kSub] = h[n - 1];
    rows[n - 1][kDiag] = 2.0 * h[n - 1];
    rows[n - 1][kSuper] = 0.0;
    rows[n - 1][kRhs] = 6.0 * (slopeLast - (y[n] - y[n - 1]) / h[n - 1]);
}

// Thomas algorithm on rows first..last; the solution replaces the right-hand sides. The values
// carried from row to row are kept in locals, which shortens the dependency chain through
// memory without changing a single operation.
void SolveTridiagonal(double** rows, long first, long last) {
    double prevDiag = rows[first][kDiag];
    double prevSuper = rows[first][kSuper];
    double prevRhs = rows[first][kRhs];
    for (long r = first + 1; r <= last; ++r) {
        double* row = rows[r];
        const double sub = row[kSub] / prevDiag;
        row[kSub] = sub;
        prevDiag = row[kDiag] - sub * prevSuper;
        row[kDiag] = prevDiag;
        prevRhs = row[kRhs] - prevRhs * sub;
        row[kRhs] = prevRhs;
        prevSuper = row[kSuper];
    }
    double next = rows[last][kRhs] / rows[last][kDiag];
    rows[last][kRhs] = next;
    for (long r = last - 1; r >= first; --r) {
        double* row = rows[r];
        next = (row[kRhs] - next * row[kSuper]) / row[kDiag];
        row[kRhs] = next;
    }
}

// M_1 and M_n for the codes whose end rows were left out of the system.
void CompleteEndValues(double* m, const double* h, long endCondition, long n) {
    switch (endCondition) {
    case kNatural:
        m[1] = 0.0;
        m[n] = 0.0;
        break;
    case kParabolicRunout:
        m[1] = m[2];
        m[n] = m[n - 1];
        break;
    case kExtrapolated:
        m[1] = ((h[1] + h[2]) * m[2] - h[1] * m[3]) / h[2];
        m[n] = ((h[n - 2] + h[n - 1]) * m[n - 1] - h[n - 1] * m[n - 2]) / h[n - 2];
        break;
    default:
        // Clamped: all values came from the system. Other codes keep the caller's end values.
        break;
    }
}

// Fewest knots each end condition needs: the extrapolated ends read h_1, h_2, h_{n-2} and
// h_{n-1} and M_2, M_3, M_{n-2} and M_{n-1}, the parabolic ones M_2 and M_{n-1} from the system.
long FewestKnots(long endCondition) {
    switch (endCondition) {
    case kParabolicRunout:
        return 3;
    case kExtrapolated:
        return 4;
    default:
        return 2;
    }
}

} // namespace

bool Splines::CubicSplines(const double* x, const double* y, long endCondition, long n,
                           double* cubicCoef, double* quadCoef, double* linCoef,
                           double* secondDer) const {
    if (n < FewestKnots(endCondition)) {
        return false;
    }
    const SplineWorkspace work(n);
    double** rows = work.rows();
    double* h = work.widths();

    BuildInteriorRows(rows, h, x, y, n);
    long first = 1;
    long last = n - 2;
    switch (endCondition) {
    case kParabolicRunout:
        rows[1][kDiag] += h[1];
        rows[n - 2][kDiag] += h[n - 1];
        break;
    case kExtrapolated:
        ApplyExtrapolatedEnds(rows, h, n);
        break;
    case kClamped:
        // The prescribed slopes share the array that receives the second derivatives.
        ApplyClampedEnds(rows, h, y, n, secondDer[1], secondDer[n]);
        first = 0;
        last = n - 1;
        break;
    default:
        break;
    }

    if (last >= first) {
        SolveTridiagonal(rows, first, last);
        for (long r = first; r <= last; ++r) {
            secondDer[r + 1] = rows[r][kRhs];
        }
    }
    CompleteEndValues(secondDer, h, endCondition, n);
    opm::detail::splines::WriteCoefficients(y, h, secondDer, n, cubicCoef, quadCoef, linCoef);
    return true;
}
