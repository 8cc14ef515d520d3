// Test-only friend of Matrix: reaches the private steps of the least-squares SVD so that each
// step can be driven on crafted input.
#pragma once

#include "OstraPureMath/Matrix.h"

class MatrixTestAccess {
public:
    static bool SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) {
        return Matrix().SVDStep1(a, b, d, e, m, n, nb);
    }
    static bool SVDStep2(double** a, double** b, double* d, double* e, long m, long n, long nb,
                         bool& converged) {
        return Matrix().SVDStep2(a, b, d, e, m, n, nb, converged);
    }
    static bool SVDStep3(double** a, double** b, double* d, long m, long n, long nb) {
        return Matrix().SVDStep3(a, b, d, m, n, nb);
    }
};
