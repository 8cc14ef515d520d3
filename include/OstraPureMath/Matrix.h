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
    // None of these allocates or keeps state; indices and pointers are not checked.

    // Builds the Householder reflection H = I + b * u * u^T (Lawson and Hanson's H12) that maps
    // the segment (v[p], v[l..m]) of the 1-based vector v onto (s, 0, ..., 0), with |s| its
    // Euclidean norm and s of the sign opposite to v[p] (positive when v[p] <= 0). The reflection
    // vector u has u(p) = up, u(i) = v[i] for l <= i <= m, 0 elsewhere; p must lie outside l..m
    // (the library uses l = p + 1), and l > m gives an empty tail (s = -v[p], up = 2 * v[p]).
    // Reads v[p] and v[l..m] and never writes v. Writes up = v[p] - s and b = 1 / (s * up)
    // (negative). The sum of squares is formed from the elements scaled by the largest
    // magnitude. Returns false, leaving up and b untouched, when v[p] and v[l..m] are all zero
    // (a NaN pivot is not refused and yields NaN up and b); true otherwise.
    bool HouseHolderTransform(double* v, double& up, double& b, long m, long p, long l) const;
    // Applies the reflection built by HouseHolderTransform (same v, up, b, m, p, l) to the
    // 1-based vector c: c <- H * c. Reads v[l..m], up, b (only read, though passed by reference),
    // c[p] and c[l..m]; writes c[p] and c[l..m] and nothing else. Applied to the defining vector
    // itself it gives s at p and zeros (up to rounding) at l..m. Always returns true.
    bool HouseHolderTransformVector(double* v, double& up, double& b, double* c, long m, long p,
                                    long l) const;
    // Sets the Givens rotation (c, s), c^2 + s^2 = 1, that turns (a, b) into (r, 0) with
    // r = sqrt(a^2 + b^2) >= 0: when |b| < |a|, t = b / a, c = +-1 / sqrt(1 + t^2) with the sign
    // of a, s = c * t; when a = b = 0, c = 1 and s = 0; otherwise (|b| >= |a|, ties included)
    // t = a / b, s = +-1 / sqrt(1 + t^2) with the sign of b, c = s * t. a and b are unchanged.
    // Always returns true.
    bool GivensRotationDefinition(double& a, double& b, double& c, double& s) const;
    // As GivensRotationDefinition, and also rotates the pair in place: a = r (formed as
    // |a| * sqrt(1 + t^2) or |b| * sqrt(1 + t^2) with the entry values) and b = 0; a zero pair
    // is left as it is. Always returns true.
    bool GivensRotationVector(double& a, double& b, double& c, double& s) const;
    // Rotates the pair (x, y) by (c, s): x = c * x + s * y and y = c * y - s * x, both from the
    // entry values. Always returns true.
    bool GivensRotationTwoComponent(double& x, double& y, double c, double s) const;

    // -- Least-squares singular value decomposition ---------------------------------------------
    // Solves a * x ~ b in the least-squares sense for nb right-hand sides through the singular
    // value decomposition a = Q * diag(d) * V^T of Golub and Reinsch: Householder
    // bidiagonalisation, implicit-shift QR sweeps, singular values sorted in descending order,
    // then the minimum-norm solution for the numerical rank r.
    //
    // Arrays (1-based, row-pointer matrices as made by dMatrix(1, rows, 1, columns)):
    //   a         m x n. In: the matrix. Out: rows and columns 1..n hold V, the n x n orthogonal
    //             matrix of right singular vectors, column i for the i-th largest singular
    //             value; rows n + 1..m are left with the near-zero remains of the reduction.
    //   b         m x nb. In: the right-hand sides, one per column. Out: rows 1..r hold
    //             (Q^T * b)[i][j] / d[i], rows r + 1..n hold 0, rows n + 1..m hold (Q^T * b).
    //   x         n x nb, out only: x[1..n][j] is the minimum-norm least-squares solution of
    //             column j for rank r. Must not share storage with a or b.
    //   residual  [1..nb], out only: residual[j] = sum over rows i = r + 1..m of (Q^T * b)[i][j]^2,
    //             the squared norm of b_j - a * x_j up to rounding (0 for a square system of
    //             full rank).
    //   n         in: the column count; out: the rank r, the number of singular values strictly
    //             greater than max(|tolerance|, 1e-15) * (largest singular value). So a
    //             tolerance >= 1 gives rank 0 (x = 0, residual = column sums of squares of
    //             Q^T * b), a negative tolerance acts as its magnitude, and a zero matrix gives
    //             rank 0 whatever the tolerance (an infinite or NaN one included). Otherwise a
    //             NaN tolerance keeps every singular value (r = n).
    //   nb        number of right-hand sides; with nb = 0, b, x and residual are neither read
    //             nor written and only the rank is computed.
    //   converged out: true, or false when the QR sweeps exceeded their limit of 10 * n in
    //             total; the decomposition is then completed with the values reached (for
    //             finite input: singular values non-negative and sorted, V orthogonal up to
    //             rounding) and the call still returns true. A NaN in a always ends this way,
    //             and so does a NaN that the method itself reaches from finite entries far
    //             apart in magnitude (such as 1e16 beside 1e-154, whose reflections meet
    //             subnormal segments): V, b and x then hold NaNs.
    // The singular values themselves are not handed back.
    //
    // Magnitude: the QR shifts multiply singular values, which overflows once the largest
    // singular value nears 2^510 and underflows for entries below about 2^-500. A matrix whose
    // largest magnitude L is below 2^-485, or large enough that sqrt(m n) L may reach 2^509
    // (sqrt(m n) rounded up to a power of two, L to the power of two above it), is therefore
    // first multiplied by the power of two 2^s that brings L into [0.5, 1), and rows 1..r of b
    // and x are multiplied by 2^s at the end (V, Q^T b and the rank do not change with the
    // scaling); the rows n + 1..m of a keep the scaled remains. Every other matrix is left as it
    // is, so its results are exactly those of the method above; a scaled one gives, bit for bit,
    // the results of its scaled copy.
    //
    // Result: true. Sizes outside 1 <= n <= m <= 1000, or nb < 0, return false with nothing
    // read or written (not a, b, x, residual, n nor converged): the work vectors have a fixed
    // capacity of 1000 elements. The work storage (two vectors of 1000 doubles here, three more
    // during the bidiagonalisation) comes from storage of the calling thread that is kept for its
    // later calls and released when the thread ends; when it cannot be had, CMemoryException is
    // raised, and a, b may then be partly transformed. The same input gives the same bits on
    // every call and every build (the sign and payload of NaN results excepted).
    bool SingularValueDecomposition(double** a, double** b, double** x, double* residual, long m,
                                    long& n, long nb, double tolerance, bool& converged) const;

    // -- Compact singular value decomposition ---------------------------------------------------
    // Golub-Reinsch SVD in the formulation of Numerical Recipes svdcmp: a = U diag(w) V^T by
    // Householder bidiagonalisation and implicit-shift QR, in double precision, in place.
    // Arrays 1-based: a[1..m][1..n] in: the matrix; out: U, its n columns the left singular
    // vectors (orthonormal when m >= n). w[1..n] out: the singular values, non-negative and NOT
    // sorted; w[i] belongs to column i of U and of V. v[1..n][1..n] out: V itself (not V^T),
    // orthogonal. m may be smaller than n (U diag(w) V^T still reproduces a).
    // Negligibility of a bidiagonal element x is (|x| + anorm == anorm) in double precision,
    // anorm being the largest |diagonal| + |superdiagonal| of the bidiagonal form; an exact 0 is
    // always negligible. Work storage: 5 n doubles of the calling thread's storage, kept for its
    // later calls and released when the thread ends.
    // Magnitude: with the rule of SingularValueDecomposition (largest magnitude below 2^-485, or
    // sqrt(m n) times it possibly reaching 2^509), a matrix is decomposed as its copy scaled by
    // the power of two 2^s that brings its largest magnitude into [0.5, 1), and w is multiplied
    // by 2^-s at the end (U and V do not change with the scaling); every other matrix goes
    // through the method unscaled.
    // Result: true when every singular value converged and U, w and V are all finite; false
    // when one of them has not split off after 30 passes (29 QR sweeps) -- a, w and v then hold
    // a partly diagonalised state that is not a factorisation -- and false when the method
    // reached an infinity or NaN (from finite input this happens for entries far apart in
    // magnitude, such as a subnormal beside ordinary numbers, or singular values beyond the
    // largest double), with a, w and v holding what it reached. n < 1: nothing is read or
    // written, no storage is taken, result true. Raises CMemoryException when the work storage
    // cannot be had (a, w, v untouched).
    bool SingularValueDecompNRC(double** a, long m, long n, double* const w, double** v) const;
    // Solves a x = b from a factorisation made by SingularValueDecompNRC (Numerical Recipes
    // svbksb): x = V diag(1/w) U^T b. u[1..m][1..n], w[1..n], v[1..n][1..n] and b[1..m] are
    // read only; x[1..n] is written (it must not share storage with b). A component whose w[j]
    // is exactly 0 is left out (t[j] = 0); no other test is made, so callers zero the singular
    // values they want ignored before the call. Work storage: n doubles of the calling thread's
    // storage, kept for its later calls.
    // Result: always true. n < 1: nothing is read or written, no storage is taken. Raises
    // CMemoryException when the work vector cannot be had (x untouched).
    bool SingularValueBackSubNRC(double** u, double* const w, double** v, long m, long n,
                                 double* const b, double* const x) const;
    // sqrt(a^2 + b^2) without destructive overflow or underflow: with p = |a|, q = |b|, it is
    // p sqrt(1 + (q/p)^2) when p > q, 0 when both are 0, else q sqrt(1 + (p/q)^2).
    double Pythag(double a, double b) const;

    // -- Cholesky ------------------------------------------------------------------------------
    // Cholesky factor of a symmetric positive-definite a: a = U^T U, U upper triangular, row by
    // row. a[1..n][1..n] is read in its upper triangle only (j >= i; the lower triangle is never
    // read) and not changed. u[1..n][1..n] is written whole: U above and on the diagonal, 0 below
    // it; u must not be a. The diagonal is sqrt(|t|) of the remaining pivot t, so a matrix that
    // is not positive definite is still factored, and a zero diagonal element gives infinities
    // or NaNs in the rest of its row. Result: true on every path. n < 1: nothing is touched.
    bool CholeskyDecomposition(double** a, double** u, long n) const;
    // Inverse of a symmetric positive-definite a[1..n][1..n], in place: writes the factor into
    // u[1..n][1..n] by CholeskyDecomposition (upper triangle of a read, u zero below the
    // diagonal), then replaces a by the full symmetric inverse: the upper triangle by forward and
    // back substitution with U, the lower triangle mirrored from it. a itself serves as work
    // storage (the factor, transposed, in its lower triangle until that is mirrored), with
    // 4 (n + 1) doubles of the calling thread's storage, kept for its later calls; when those
    // cannot be had, CMemoryException is raised before anything is written. Singular or
    // indefinite inputs give the consequences described for CholeskyDecomposition (infinities or
    // NaNs). Result: true on every path (false only if the factorisation reported false, which it
    // never does). n < 1: nothing is touched.
    bool CholeskyInvert(double** a, double** u, long n) const;

    // -- LU without pivoting --------------------------------------------------------------------
    // Crout LU factorisation in place, row by row, with NO pivoting (no row exchanges, scaling or
    // permutation record): a = L U with U unit upper triangular. a[1..n][1..n] in: A; out: L on
    // and below the diagonal, U above it (its unit diagonal implied). The third argument is not
    // read. Each pivot L(i, i), i < n, is tested before every division by it: |L(i, i)| < 1e-10
    // (the module tolerance; strictly less, so exactly 1e-10 passes; NaN passes) returns false at
    // once, leaving rows 1..i-1 factored, row i with its L part (columns 1..i) computed and its
    // columns i+1..n as they were, and rows i+1..n unchanged. Non-singular matrices with a
    // vanishing leading pivot, such as ((0,1),(1,0)), therefore fail. L(n, n) is never tested.
    // Result: true otherwise. n <= 1: a is not changed, result true.
    bool LUDecomposition(double** a, long n, long) const;
    // Solves L U x = b with the factor left in a[1..n][1..n] by LUDecomposition (read only);
    // b[1..n] holds the right-hand side on entry and x on return. The fourth argument is not
    // read. No test is made: a zero or tiny diagonal element of L (including the untested
    // L(n, n)) gives infinities or NaNs in b; calling it after a failed factorisation is the
    // caller's error. Result: true on every path. n < 1: a and b are not touched, result true.
    bool LUSolve(double** a, double* b, long n, long) const;

    // -- Vandermonde ----------------------------------------------------------------------------
    // Solves the transposed Vandermonde system sum_{i=1..n} x[i]^(k-1) w[i] = q[k], k = 1..n, in
    // O(n^2) without forming the matrix (master polynomial prod (z - x[j]) and one synthetic
    // division per abscissa; Numerical Recipes vander). x[1..n] and q[1..n] are read only;
    // w[1..n] is written in ascending order. n = 1 gives w[1] = q[1] without reading x. Repeated
    // abscissae make the system singular: their weights come out infinite or NaN and the result
    // is still true. Work storage: n doubles of the calling thread's storage, kept for its later
    // calls; CMemoryException when it cannot be had (w untouched). Result: true on every path.
    // n < 1: nothing is read or written and no storage is taken; result true.
    bool VanderMondeSolution(double* const x, double* const w, double* const q, long n) const;

private:
    // The steps of SingularValueDecomposition, run in this order on the caller's a and b and the
    // driver's bidiagonal d (diagonal) and e (e[i] at (i - 1, i), e[1] = 0), all 1-based.
    // Step 1: bidiagonalise a, apply the left reflections to b, build V in rows/columns 1..n of
    // a; false (d, e unwritten) when n < 1. Step 2: QR sweeps to diagonal form, d >= 0 after.
    // Step 3: sort d descending, permuting V's columns and b's rows. Step 4: rank, solution x,
    // residuals; n becomes the rank. Steps 2 to 4 return true.
    bool SVDStep1(double** a, double** b, double* d, double* e, long m, long n, long nb) const;
    bool SVDStep2(double** a, double** b, double* d, double* e, long m, long n, long nb,
                  bool& converged) const;
    bool SVDStep2_1(double** a, double* d, double* e, long m, long n, long nb, long k) const;
    bool SVDStep2_2(double** b, double* d, double* e, long m, long n, long nb, long k,
                    long l) const;
    bool SVDStep2_3(double** a, double** b, double* d, double* e, long m, long n, long nb, long k,
                    long l) const;
    bool SVDStep3(double** a, double** b, double* d, long m, long n, long nb) const;
    bool SVDStep4(double** a, double** b, double* d, double** x, double* residual, long m, long& n,
                  long nb, double tolerance) const;
};
