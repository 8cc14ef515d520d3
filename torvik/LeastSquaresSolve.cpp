// lesqso: column-scaled, rank-revealing linear least squares.
//
// Each column of A is divided by the power of two just above its largest magnitude, which is
// exact, so that design matrices whose columns differ by many orders of magnitude (powers of
// abscissae in the thousands) keep their accuracy. The scaled rows are reduced by a sequential
// Householder QR to a small equivalent system (RowCompression), which a complete orthogonal
// factorisation with column pivoting solves (LAPACK dgelsy: QR with column pivoting, rank from
// incremental condition estimation); the solution is unscaled after. A rank-deficient problem
// and an underdetermined one (m < n) are solved again for the minimum-norm solution in the
// caller's variables, from the truncated SVD of the unscaled reduced system (LAPACK dgesvd),
// because the minimum-norm solution of the scaled problem is not that of the original one.
#include "torvik/ErrorCodes.h"
#include "torvik/LapackDrivers.h"
#include "torvik/RowCompression.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <exception>
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

bool RowsFinite(double* const* rows, int rowCount, int columnCount) {
    for (int i = 0; i < rowCount; ++i) {
        if (!torvik::AllFinite(rows[i], columnCount)) {
            return false;
        }
    }
    return true;
}

// Binary exponent e of each column's largest magnitude (in [2^(e-1), 2^e)); 0 for a zero column.
std::vector<int> ColumnExponents(double* const* rows, int m, int n) {
    std::vector<double> largest(Index(n), 0.0);
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) {
            largest[Index(j)] = std::max(largest[Index(j)], std::fabs(rows[i][j]));
        }
    }
    std::vector<int> exponents(Index(n), 0);
    for (int j = 0; j < n; ++j) {
        std::frexp(largest[Index(j)], &exponents[Index(j)]);
    }
    return exponents;
}

// Failure of a LAPACK call: info > 0 is a singular value decomposition that did not converge;
// a negative info (an argument LAPACK refuses) cannot arise from validated arguments.
ErrorCode LapackFailure(int info) {
    return info > 0 ? torvik::kNoConvergence : torvik::kBadArguments;
}

// dgelsy on the rows x n system in system (leading dimension ld, B in the columns after A) with
// the relative rank threshold rcond, after a workspace query; the first n rows of the B columns
// receive the solution.
int RunDgelsy(int rows, int n, int nb, double* system, int ld, double rcond, int& rank) {
    double* rhs = system + Index(n) * Index(ld);
    std::vector<int> pivots(Index(n), 0); // 0: every column free to move
    int info = 0;
    int lwork = -1;
    double workSize = 0.0;
    dgelsy_(&rows, &n, &nb, system, &ld, rhs, &ld, pivots.data(), &rcond, &rank, &workSize, &lwork,
            &info);
    if (info != 0) {
        return info;
    }
    lwork = static_cast<int>(workSize);
    std::vector<double> work(Index(std::max(lwork, 1)));
    dgelsy_(&rows, &n, &nb, system, &ld, rhs, &ld, pivots.data(), &rcond, &rank, work.data(),
            &lwork, &info);
    return info;
}

// Minimum-norm solution X = V_r diag(1/s_i) U_r^T B of rows x n system (A then B columns,
// leading dimension ld, A unscaled) from its SVD truncated to the leading rank singular values.
ErrorCode MinimumNormSolution(int rows, int n, int nb, double* system, int ld, int rank,
                              std::vector<double>& solution) {
    const int k = std::min(rows, n);
    std::vector<double> singular(static_cast<Index>(k));
    std::vector<double> u(Index(rows) * Index(k));
    std::vector<double> vt(Index(k) * Index(n));
    int info = 0;
    int lwork = -1;
    double workSize = 0.0;
    const char job = 'S';
    dgesvd_(&job, &job, &rows, &n, system, &ld, singular.data(), u.data(), &rows, vt.data(), &k,
            &workSize, &lwork, &info, 1, 1);
    if (info == 0) {
        lwork = static_cast<int>(workSize);
        std::vector<double> work(Index(std::max(lwork, 1)));
        dgesvd_(&job, &job, &rows, &n, system, &ld, singular.data(), u.data(), &rows, vt.data(), &k,
                work.data(), &lwork, &info, 1, 1);
    }
    if (info != 0) {
        return LapackFailure(info);
    }
    const double* rhs = system + Index(n) * Index(ld);
    solution.assign(Index(n) * Index(nb), 0.0);
    for (int c = 0; c < nb; ++c) {
        for (int i = 0; i < rank && singular[Index(i)] > 0.0; ++i) {
            double projection = 0.0;
            for (int r = 0; r < rows; ++r) {
                projection +=
                    u[Index(r) + Index(i) * Index(rows)] * rhs[Index(r) + Index(c) * Index(ld)];
            }
            const double coefficient = projection / singular[Index(i)];
            for (int j = 0; j < n; ++j) {
                solution[Index(j) + Index(c) * Index(n)] +=
                    vt[Index(i) + Index(j) * Index(k)] * coefficient;
            }
        }
    }
    return torvik::kSuccess;
}

// Solves the system; solution receives X (n x nb, column-major). Returns kSuccess, kDegenerate
// (rank below min(m, n); minimum-norm solution) or a LAPACK failure.
ErrorCode Solve(int m, int n, double** a, double** b, int nb, std::vector<double>& solution) {
    const std::vector<int> exponents = ColumnExponents(a, m, n);
    torvik::ReducedSystem reduced(n, nb, exponents);
    for (int i = 0; i < m; ++i) {
        reduced.AddRow(a[i], b[i]);
    }
    const int rows = reduced.Rows();
    const int ld = reduced.LeadingDimension();
    double* system = reduced.Data();
    // dgelsy overwrites the system; the copy serves the rank-deficient case.
    std::vector<double> original(system, system + Index(ld) * Index(n + nb));
    int rank = 0;
    // Relative rank threshold: a leading triangle whose estimated condition reaches the inverse
    // of the rounding level of the original problem carries no further information.
    const double rcond = double(std::max(m, n)) * DBL_EPSILON;
    const int info = RunDgelsy(rows, n, nb, system, ld, rcond, rank);
    if (info != 0) {
        return LapackFailure(info);
    }
    if (rank < n) {
        // Not unique (rank-deficient, or fewer equations than unknowns): the minimum-norm
        // solution, which must be found in the caller's variables, not the scaled ones.
        for (int j = 0; j < n; ++j) {
            for (int r = 0; r < rows; ++r) {
                double& value = original[Index(r) + Index(j) * Index(ld)];
                value = std::ldexp(value, exponents[Index(j)]);
            }
        }
        const ErrorCode code =
            MinimumNormSolution(rows, n, nb, original.data(), ld, rank, solution);
        return code == torvik::kSuccess && rank < std::min(m, n) ? torvik::kDegenerate : code;
    }
    const double* scaledSolution = system + Index(n) * Index(ld);
    solution.assign(Index(n) * Index(nb), 0.0);
    for (int c = 0; c < nb; ++c) {
        for (int j = 0; j < n; ++j) {
            solution[Index(j) + Index(c) * Index(n)] =
                std::ldexp(scaledSolution[Index(j) + Index(c) * Index(ld)], -exponents[Index(j)]);
        }
    }
    return torvik::kSuccess;
}

} // namespace

extern "C" int lesqso(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x) {
    if (!ValidArguments(m, n, mda, nda, a, b, nb, x)) {
        return torvik::RecordOutcome(torvik::kBadArguments);
    }
    if (!RowsFinite(a, m, n) || !RowsFinite(b, m, nb)) {
        return torvik::RecordOutcome(torvik::kNonFinite);
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
        // std::bad_alloc or a work size beyond what the allocator accepts.
        return torvik::RecordOutcome(torvik::kOutOfMemory);
    }
}
