// Givens plane rotations: the pair (c, s) that turns (a, b) into (r, 0) with r >= 0, computed
// from the ratio of the smaller to the larger magnitude so that nothing overflows.
#include "OstraPureMath/Matrix.h"

#include "matrix/PlaneRotation.h"

#include <cmath>

namespace {

// The three branches of the construction.
enum class GivensBranch { AIsLarger, BothZero, BIsLargerOrTie };

// Sets c, s and r = sqrt(1 + t^2) (0 for the zero pair) and tells which branch was taken, so
// that the caller can form the rotated length |a| * r or |b| * r.
GivensBranch DefineRotation(double a, double b, double& c, double& s, double& r) {
    if (std::fabs(b) < std::fabs(a)) {
        const double t = b / a;
        r = std::sqrt(1.0 + t * t);
        c = 1.0 / r;
        if (a < 0.0) {
            c = -c;
        }
        s = c * t;
        return GivensBranch::AIsLarger;
    }
    if (b == 0.0) {
        c = 1.0;
        s = 0.0;
        r = 0.0;
        return GivensBranch::BothZero;
    }
    // |b| >= |a| with b non-zero; a tie of magnitudes comes here.
    const double t = a / b;
    r = std::sqrt(1.0 + t * t);
    s = 1.0 / r;
    if (b < 0.0) {
        s = -s;
    }
    c = s * t;
    return GivensBranch::BIsLargerOrTie;
}

} // namespace

bool Matrix::GivensRotationDefinition(double& a, double& b, double& c, double& s) const {
    double r = 0.0;
    DefineRotation(a, b, c, s, r);
    return true;
}

bool Matrix::GivensRotationVector(double& a, double& b, double& c, double& s) const {
    double r = 0.0;
    switch (DefineRotation(a, b, c, s, r)) {
    case GivensBranch::AIsLarger:
        a = std::fabs(a) * r;
        b = 0.0;
        break;
    case GivensBranch::BIsLargerOrTie:
        a = std::fabs(b) * r;
        b = 0.0;
        break;
    case GivensBranch::BothZero:
        break;
    }
    return true;
}

bool Matrix::GivensRotationTwoComponent(double& x, double& y, double c, double s) const {
    opm::detail::RotatePair(x, y, c, s);
    return true;
}

namespace opm::detail {

namespace {

// Rows rotated side by side.
constexpr long kRotatedRows = 4;

// RotateAdjacentColumns on R rows at once. A row's rotations form a chain (element i + 1 of one
// is element i of the next), so R rows go side by side to give the processor independent chains.
template <long R>
void RotateRows(double* const* rows, long l, long k, const double* cs, const double* sn) {
    double carried[R]; // element i of each row, rotated by all rotations before i
    for (long r = 0; r < R; ++r) {
        carried[r] = rows[r][l];
    }
    for (long i = l; i < k; ++i) {
        for (long r = 0; r < R; ++r) {
            double next = rows[r][i + 1];
            RotatePair(carried[r], next, cs[i], sn[i]);
            rows[r][i] = carried[r];
            carried[r] = next;
        }
    }
    for (long r = 0; r < R; ++r) {
        rows[r][k] = carried[r];
    }
}

} // namespace

void RotateAdjacentColumns(double** rows, long firstRow, long lastRow, long l, long k,
                           const double* cs, const double* sn) {
    long r = firstRow;
    for (; r + kRotatedRows - 1 <= lastRow; r += kRotatedRows) {
        RotateRows<kRotatedRows>(&rows[r], l, k, cs, sn);
    }
    for (; r <= lastRow; ++r) {
        RotateRows<1>(&rows[r], l, k, cs, sn);
    }
}

} // namespace opm::detail
