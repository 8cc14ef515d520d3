// Elementwise, row and column operations on 1-based vectors and matrices.
#include "OstraPureMath/Matrix.h"

bool Matrix::ZeroVector(double* v, long n) const {
    for (long i = 1; i <= n; ++i) {
        v[i] = 0.0;
    }
    return true;
}

bool Matrix::ZeroMatrix(double** a, long m, long n) const {
    for (long j = 1; j <= n; ++j) {
        for (long i = 1; i <= m; ++i) {
            a[i][j] = 0.0;
        }
    }
    return true;
}

bool Matrix::ScalarMultiply(double* x, double* y, double s, long n) const {
    for (long i = 1; i <= n; ++i) {
        y[i] = x[i] * s;
    }
    return true;
}

bool Matrix::GetColumnVector(double** a, double* v, long m, long, long j) const {
    for (long i = 1; i <= m; ++i) {
        v[i] = a[i][j];
    }
    return true;
}

bool Matrix::ReplaceIthColumnVector(double** a, double* v, long m, long, long j) const {
    for (long i = 1; i <= m; ++i) {
        a[i][j] = v[i];
    }
    return true;
}

bool Matrix::GetRowVector(double** a, double* v, long, long n, long i) const {
    for (long j = 1; j <= n; ++j) {
        v[j] = a[i][j];
    }
    return true;
}

bool Matrix::ReplaceIthRowVector(double** a, double* v, long, long n, long i) const {
    for (long j = 1; j <= n; ++j) {
        a[i][j] = v[j];
    }
    return true;
}

bool Matrix::ReplaceSubVector(double* x, double* y, long n, long, short* flags) const {
    long k = 0;
    for (long i = 1; i <= n; ++i) {
        if (flags[i] == 1) {
            ++k;
            x[i] = y[k];
        }
    }
    return true;
}

bool Matrix::MultiplyByATranspose(double** a, double** b, double** c, long p, long q,
                                  long r) const {
    for (long j = 1; j <= r; ++j) {
        for (long i = 1; i <= p; ++i) {
            // The running sum lives in c[i][j] itself.
            c[i][j] = 0.0;
            for (long k = 1; k <= q; ++k) {
                c[i][j] += a[k][i] * b[k][j];
            }
        }
    }
    return true;
}
