// Prototypes of the reference LAPACK routines used as independent oracles by the tests and as
// peers by the benchmarks. Column-major storage; every argument by address; character
// arguments carry their hidden Fortran length at the end of the list.
#pragma once

#include <cstddef>

extern "C" {
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
             const int* lda, double* s, double* u, const int* ldu, double* vt, const int* ldvt,
             double* work, const int* lwork, int* info, std::size_t jobuLength,
             std::size_t jobvtLength);
void dgelss_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
             const int* ldb, double* s, const double* rcond, int* rank, double* work,
             const int* lwork, int* info);
void dgelsd_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
             const int* ldb, double* s, const double* rcond, int* rank, double* work,
             const int* lwork, int* iwork, int* info);
void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b,
            const int* ldb, int* info);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetrs_(const char* trans, const int* n, const int* nrhs, const double* a, const int* lda,
             const int* ipiv, double* b, const int* ldb, int* info, std::size_t transLength);
void dpotrf_(const char* uplo, const int* n, double* a, const int* lda, int* info,
             std::size_t uploLength);
void dgtsv_(const int* n, const int* nrhs, double* dl, double* d, double* du, double* b,
            const int* ldb, int* info);
void dpotri_(const char* uplo, const int* n, double* a, const int* lda, int* info,
             std::size_t uploLength);
}
