// Matrix: dense linear algebra on caller-owned offset vectors and row-pointer matrices.
//
// The class holds no data; every operation is a const member working on the arrays passed in,
// so one object serves any number of calls on any thread (as long as the arrays written are
// distinct). Apart from the allocators, vectors are addressed from index 1 and matrices from
// (1, 1): an n-vector is v[1..n], an m x n matrix a[1..m][1..n]; index 0 is never touched.
// Objects made with dVector(1, n) and dMatrix(1, m, 1, n) fit directly.
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/Framework.h"

class OPM_API Matrix : public CObject {
public:
    Matrix();
    ~Matrix() override;

    // -- Storage ---------------------------------------------------------------------------------
    // The allocators take any index ranges. An empty range (high bound = low bound - 1) still
    // yields a block that the matching release function accepts; a range that runs further
    // backwards, or one too large to address, raises CMemoryException like a heap refusal.
    // Offset vector of doubles over [nl..nh]: one malloc block of exactly nh - nl + 1 doubles,
    // returned displaced so that v[nl] is the block's first element. Not initialised.
    // Raises CMemoryException when the heap cannot supply the block.
    double* dVector(long nl, long nh) const;
    // Releases a vector made by dVector(nl, ...): frees the block at v + nl. nh is not used.
    void dVectorFree(double* v, long nl, long nh) const;
    // Offset vector of shorts over [nl..nh] with one spare element in front: a block of
    // nh - nl + 2 shorts, v[nl] its second element, v[nl - 1] the spare. Not initialised.
    // Raises CMemoryException when the heap cannot supply the block.
    short* sVector(long nl, long nh) const;
    // Releases a vector made by sVector(nl, ...): frees the block at v + nl - 1. nh is not used.
    void sVectorFree(short* v, long nl, long nh) const;
    // Row-pointer matrix over [nrl..nrh] x [ncl..nch]: a block of nrow + 1 row pointers (m[nrl]
    // its second entry) and one contiguous row-major block of nrow * ncol + 1 doubles
    // (m[nrl][ncl] its second element, m[i] = m[i - 1] + ncol). Not initialised. With no rows
    // the row-pointer block still has the entry m[nrl]. Raises CMemoryException when either
    // block cannot be had; the row-pointer block is released first when the element block fails.
    double** dMatrix(long nrl, long nrh, long ncl, long nch) const;
    // Releases a matrix made by dMatrix(nrl, ..., ncl, ...): the element block, then the
    // row-pointer block. nrh and nch are not used.
    void dMatrixFree(double** m, long nrl, long nrh, long ncl, long nch) const;

    // -- Elementwise, row and column operations (1-based; all return true) ----------------------
    // v[1..n] = 0; nothing when n < 1.
    bool ZeroVector(double* v, long n) const;
    // a[1..m][1..n] = 0, column by column.
    bool ZeroMatrix(double** a, long m, long n) const;
    // y[i] = x[i] * s for i = 1..n; x and y may be the same vector; nothing when n < 1.
    bool ScalarMultiply(double* x, double* y, double s, long n) const;
    // v[1..m] = column j of a. n is not used.
    bool GetColumnVector(double** a, double* v, long m, long n, long j) const;
    // Column j of a = v[1..m]. n is not used.
    bool ReplaceIthColumnVector(double** a, double* v, long m, long n, long j) const;
    // v[1..n] = row i of a. m is not used.
    bool GetRowVector(double** a, double* v, long m, long n, long i) const;
    // Row i of a = v[1..n]. m is not used.
    bool ReplaceIthRowVector(double** a, double* v, long m, long n, long i) const;
    // Scatters y[1], y[2], ... in order into the places i = 1..n of x whose flags[i] equals 1
    // exactly; other places keep their values. k is not used.
    bool ReplaceSubVector(double* x, double* y, long n, long k, short* flags) const;
    // c = a^T * b with a q x p, b q x r, c p x r; each c[i][j] is accumulated in place from 0
    // over k = 1..q, so c must not share storage with a or b. Nothing when p < 1 or r < 1;
    // q < 1 zeroes c[1..p][1..r].
    bool MultiplyByATranspose(double** a, double** b, double** c, long p, long q, long r) const;

    // -- Householder reflections and Givens rotations -------------------------------------------
    bool HouseHolderTransform(double* v, double& up, double& b, long m, long p, long l) const;
    bool HouseHolderTransformVector(double* v, double& up, double& b, double* c, long m, long p,
                                    long l) const;
    bool GivensRotationDefinition(double& a, double& b, double& c, double& s) const;
    bool GivensRotationVector(double& a, double& b, double& c, double& s) const;
    bool GivensRotationTwoComponent(double& x, double& y, double c, double s) const;

    // -- Least-squares singular value decomposition ---------------------------------------------
    bool SingularValueDecomposition(double** a, double** b, double** x, double* residual, long m,
                                    long& n, long nb, double tolerance, bool& converged) const;

    // -- Compact singular value decomposition ---------------------------------------------------
    bool SingularValueDecompNRC(double** a, long m, long n, double* const w, double** v) const;
    bool SingularValueBackSubNRC(double** u, double* const w, double** v, long m, long n,
                                 double* const b, double* const x) const;
    double Pythag(double a, double b) const;

    // -- Cholesky ------------------------------------------------------------------------------
    bool CholeskyDecomposition(double** a, double** u, long n) const;
    bool CholeskyInvert(double** a, double** u, long n) const;

    // -- LU without pivoting --------------------------------------------------------------------
    bool LUDecomposition(double** a, long n, long) const;
    bool LUSolve(double** a, double* b, long n, long) const;

    // -- Vandermonde ----------------------------------------------------------------------------
    bool VanderMondeSolution(double* const x, double* const w, double* const q, long n) const;

private:
    friend class MatrixTestAccess;

    bool SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) const;
    bool SVDStep2(double** a, double** b, double* d, double* e, long m, long n, long nb,
                  bool& converged) const;
    bool SVDStep2_1(double** a, double* d, double* e, long m, long n, long nb, long k) const;
    bool SVDStep2_2(double** b, double* d, double* e, long m, long n, long nb, long k,
                    long l) const;
    bool SVDStep2_3(double** a, double** b, double* d, double* e, long m, long n, long nb,
                    long k, long l) const;
    bool SVDStep3(double** a, double** b, double* d, long m, long n, long nb) const;
    bool SVDStep4(double** a, double** b, double* d, double** x, double* residual, long m,
                  long& n, long nb, double tolerance) const;
};
