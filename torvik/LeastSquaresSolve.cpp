// lesqso: column-scaled, rank-revealing linear least squares with iterative refinement.
//
// Each column of A and of B is divided by the power of two just above its largest magnitude
// (exact), so that design matrices whose columns differ by many orders of magnitude keep their
// accuracy and nothing in the factorisation can overflow. The scaled rows are reduced block by
// block to an equivalent system of n rows (RowCompression), which Householder QR with column
// pivoting factors and whose triangle decides the numerical rank. At full column rank every
// right-hand side is solved and refined against the original system with extended-precision
// residuals (IterativeRefinement.cpp); below it the minimum-norm solution is formed in the
// caller's variables (MinimumNormSolution.cpp). The solution is unscaled last, and written only
// when every column of it is finite.
#include "torvik/ErrorCodes.h"
#include "torvik/LeastSquaresSteps.h"
#include "torvik/PivotedQr.h"
#include "torvik/RowCompression.h"
#include "torvik/ScaledSystem.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <exception>
#include <memory>
#include <vector>

namespace {

using torvik::ErrorCode;

using Index = std::size_t;

bool RowsPresent(double* const* rows, int count) {
    for (int i = 0; i < count; ++i) {
        if (rows[i] == nullptr) {
            return false;
        }
    }
    return true;
}

bool ValidArguments(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x) {
    if (m < 1 || n < 1 || nb < 1 || mda < m || nda < n) {
        return false;
    }
    if (a == nullptr || b == nullptr || x == nullptr) {
        return false;
    }
    return RowsPresent(a, m) && RowsPresent(b, m) && RowsPresent(x, n);
}

// X (n x nb, column by column) into solution. Returns kSuccess, kDegenerate (rank below
// min(m, n): minimum-norm solution), kNonFinite (a NaN or an infinity in A or B) or
// kNoConvergence (a solution out of the range of double).
ErrorCode Solve(int m, int n, double** a, double** b, int nb, std::vector<double>& solution) {
    const torvik::ScaledSystem system(m, n, a, b, nb);
    if (!system.Finite()) {
        return torvik::kNonFinite;
    }
    const torvik::ReducedSystem reduced(system, nb);
    const int k = reduced.Rows();
    const torvik::PivotedQr qr(k, n, reduced.A());
    // A diagonal element of R below this fraction of the first carries no information beyond
    // the rounding of the problem's data.
    const double negligible = double(std::max(m, n)) * DBL_EPSILON;
    const int rank = qr.Rank(negligible);
    // An ill-conditioned full-rank system is factored again whole, keeping Q for the augmented
    // refinement.
    std::unique_ptr<torvik::PivotedQr> full;
    if (rank == n && !torvik::SemiNormalConverges(qr)) {
        full = std::make_unique<torvik::PivotedQr>(m, n, system.ColumnMajorA());
    }
    solution.assign(Index(n) * Index(nb), 0.0);
    std::vector<double> d(static_cast<Index>(k)), y;
    for (int c = 0; c < nb; ++c) {
        double* x = solution.data() + Index(c) * Index(n);
        std::copy(reduced.B(c), reduced.B(c) + k, d.begin());
        qr.ApplyQTranspose(d.data());
        ErrorCode code = torvik::kSuccess;
        if (rank == n) {
            code = full ? torvik::AugmentedSolution(system, *full, c, y)
                        : torvik::SemiNormalSolution(system, qr, d.data(), reduced.ResidualNorm(c),
                                                     c, y);
            for (int j = 0; j < n; ++j) {
                x[j] = std::ldexp(y[Index(j)],
                                  system.RightHandSideExponent(c) - system.ColumnExponent(j));
            }
        } else if (rank > 0) {
            code = torvik::MinimumNormSolution(system, qr, rank, negligible, d.data(), c, x);
        } // rank 0: A = 0, and x = 0 is the minimum-norm solution
        if (code != torvik::kSuccess || !torvik::AllFinite(x, n)) {
            return torvik::kNoConvergence;
        }
    }
    return rank < std::min(m, n) ? torvik::kDegenerate : torvik::kSuccess;
}

} // namespace

extern "C" int lesqso(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x) {
    if (!ValidArguments(m, n, mda, nda, a, b, nb, x)) {
        return torvik::RecordOutcome(torvik::kBadArguments);
    }
    try {
        std::vector<double> solution;
        const ErrorCode code = Solve(m, n, a, b, nb, solution);
        if (code != torvik::kSuccess && code != torvik::kDegenerate) {
            return torvik::RecordOutcome(code);
        }
        // Only now is any output written: every input has been read into work storage.
        for (int j = 0; j < n; ++j) {
            for (int c = 0; c < nb; ++c) {
                x[j][c] = solution[Index(j) + Index(c) * Index(n)];
            }
        }
        return torvik::RecordOutcome(code);
    } catch (const std::exception&) {
        // std::bad_alloc, or a work size beyond what the allocator accepts.
        return torvik::RecordOutcome(torvik::kOutOfMemory);
    }
}
