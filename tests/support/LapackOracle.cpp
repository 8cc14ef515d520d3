// The reference LAPACK entry points the tests call, computed with Eigen: the independent oracle
// of the Windows test build, where no LAPACK library exists. Same prototypes (support/Lapack.h),
// storage (column-major, leading dimensions) and outputs the tests read; the comparisons use
// tolerances, so Eigen's own rounding serves as well as LAPACK's. Not part of any library.
//
// What each routine leaves differs from LAPACK only where no test looks: work arrays are not
// used (a workspace query answers 1), the factors and pivots of dgesv, dgelss, dgelsd and dgtsv
// are not written back (their inputs stay as they were), and an uplo or job letter other than
// those below is refused with info -1.
#include "support/Lapack.h"

#include <Eigen/Dense>

#include <algorithm>
#include <limits>

namespace {

using Matrix = Eigen::MatrixXd;
using Strided = Eigen::Map<Matrix, 0, Eigen::OuterStride<>>;

Strided Columns(double* a, int rows, int cols, int ld) {
    return Strided(a, rows, cols, Eigen::OuterStride<>(ld));
}

// The first zero on the diagonal of a triangular factor, 1-based, or 0 (LAPACK's info > 0).
int FirstZeroPivot(const Matrix& factor) {
    for (Eigen::Index i = 0; i < factor.rows(); ++i) {
        if (factor(i, i) == 0.0) {
            return int(i) + 1;
        }
    }
    return 0;
}

// Minimum-norm least-squares solution of dgelss and dgelsd: the SVD of A, singular values at or
// below rcond times the largest treated as zero (rcond < 0: machine epsilon); X in the first n
// rows of B.
void MinimumNormSolve(int m, int n, int nrhs, double* a, int lda, double* b, int ldb, double* s,
                      double rcond, int* rank, int lwork, double* work, int* info) {
    *info = 0;
    if (lwork == -1) {
        work[0] = 1.0;
        return;
    }
    const Eigen::JacobiSVD<Matrix> svd(Columns(a, m, n, lda),
                                       Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Eigen::VectorXd& values = svd.singularValues();
    const double threshold =
        (rcond < 0.0 ? std::numeric_limits<double>::epsilon() : rcond) * values(0);
    *rank = 0;
    Eigen::VectorXd inverse = Eigen::VectorXd::Zero(values.size());
    for (Eigen::Index i = 0; i < values.size(); ++i) {
        s[i] = values(i);
        if (values(i) > threshold) {
            inverse(i) = 1.0 / values(i);
            ++*rank;
        }
    }
    Strided rhs = Columns(b, std::max(m, n), nrhs, ldb);
    const Matrix x =
        svd.matrixV() * inverse.asDiagonal() * svd.matrixU().transpose() * rhs.topRows(m);
    rhs.topRows(n) = x;
}

} // namespace

extern "C" {

void dgelss_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
             const int* ldb, double* s, const double* rcond, int* rank, double* work,
             const int* lwork, int* info) {
    MinimumNormSolve(*m, *n, *nrhs, a, *lda, b, *ldb, s, *rcond, rank, *lwork, work, info);
}

void dgelsd_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
             const int* ldb, double* s, const double* rcond, int* rank, double* work,
             const int* lwork, int*, int* info) {
    MinimumNormSolve(*m, *n, *nrhs, a, *lda, b, *ldb, s, *rcond, rank, *lwork, work, info);
}

// jobu 'S' or 'N' (the min(m, n) left singular vectors, or none); jobvt 'N' only.
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
             const int* lda, double* s, double* u, const int* ldu, double*, const int*,
             double* work, const int* lwork, int* info, std::size_t, std::size_t) {
    *info = (*jobu != 'S' && *jobu != 'N') || *jobvt != 'N' ? -1 : 0;
    if (*info != 0 || *lwork == -1) {
        work[0] = 1.0;
        return;
    }
    const int k = std::min(*m, *n);
    const Eigen::JacobiSVD<Matrix> svd(Columns(a, *m, *n, *lda),
                                       *jobu == 'S' ? Eigen::ComputeThinU : 0);
    Eigen::Map<Eigen::VectorXd>(s, k) = svd.singularValues();
    if (*jobu == 'S') {
        Columns(u, *m, k, *ldu) = svd.matrixU();
    }
}

// LU with partial pivoting; B overwritten by the solution unless a pivot is exactly zero (info =
// its 1-based position).
void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int*, double* b,
            const int* ldb, int* info) {
    const Eigen::PartialPivLU<Matrix> lu(Columns(a, *n, *n, *lda));
    *info = FirstZeroPivot(lu.matrixLU());
    if (*info == 0) {
        Columns(b, *n, *nrhs, *ldb) = lu.solve(Columns(b, *n, *nrhs, *ldb));
    }
}

// uplo 'U': A = U^T U from the upper triangle; U replaces it, the strict lower triangle is not
// touched. info k > 0: the leading minor of order k is not positive definite.
void dpotrf_(const char* uplo, const int* n, double* a, const int* lda, int* info, std::size_t) {
    if (*uplo != 'U') {
        *info = -1;
        return;
    }
    Strided matrix = Columns(a, *n, *n, *lda);
    const Eigen::LLT<Matrix, Eigen::Upper> llt(matrix);
    *info = 0;
    if (llt.info() != Eigen::Success) {
        for (int order = 1; order <= *n && *info == 0; ++order) {
            const Eigen::LLT<Matrix, Eigen::Upper> leading(matrix.topLeftCorner(order, order));
            *info = leading.info() == Eigen::Success ? 0 : order;
        }
        return;
    }
    matrix.triangularView<Eigen::Upper>() = llt.matrixU();
}

// The tridiagonal system (sub-diagonal dl, diagonal d, super-diagonal du) by LU with partial
// pivoting; B overwritten by the solution unless a pivot is exactly zero.
void dgtsv_(const int* n, const int* nrhs, double* dl, double* d, double* du, double* b,
            const int* ldb, int* info) {
    Matrix matrix = Matrix::Zero(*n, *n);
    for (int i = 0; i < *n; ++i) {
        matrix(i, i) = d[i];
        if (i + 1 < *n) {
            matrix(i + 1, i) = dl[i];
            matrix(i, i + 1) = du[i];
        }
    }
    const Eigen::PartialPivLU<Matrix> lu(matrix);
    *info = FirstZeroPivot(lu.matrixLU());
    if (*info == 0) {
        Columns(b, *n, *nrhs, *ldb) = lu.solve(Columns(b, *n, *nrhs, *ldb));
    }
}

} // extern "C"
