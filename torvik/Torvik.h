/* External scientific-routines library (libTorvik.so).
 *
 * Three numerical routines with C linkage and one exported int. Every routine stores the
 * outcome of its call in sci_err_code (0 on success); lesqso and stline also return it, stgssm
 * returns 0 or the negated code.
 *
 *   code  meaning                                             outputs
 *   0     success                                             written
 *   1     bad arguments: null pointer, count or dimension     untouched
 *         out of range
 *   2     degenerate data: rank-deficient system (minimum-    written
 *         norm solution), or all abscissae equal in stline
 *   3     a NaN or infinity in the input                      untouched
 *   4     out of memory                                       untouched
 *   5     numerical failure (no convergence)                  untouched
 *
 * sci_err_code is one process-wide variable: concurrent calls may overwrite each other's code.
 */
#ifndef TORVIK_TORVIK_H
#define TORVIK_TORVIK_H

#if defined(__GNUC__) || defined(__clang__)
#define TORVIK_API __attribute__((visibility("default")))
#else
#define TORVIK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Outcome of the latest call of any routine below. */
TORVIK_API extern int sci_err_code;

/* Least-squares solution X (n x nb) of A X ~ B, A m x n, B m x nb.
 *
 * a: m row pointers, each to n doubles (row i of A); b: m row pointers, each to nb doubles;
 * x: n row pointers, each to nb doubles, receiving X. All indices from 0. mda and nda are the
 * declared row and column counts of A (only checked: mda >= m, nda >= n).
 * Requires m >= 1, n >= 1, nb >= 1 and non-null a, b, x and row pointers (else code 1).
 * Every input is read before any output is written, so rows of x may share storage with rows
 * of b (or of a).
 *
 * Method: each column of A is divided by the power of two just above its largest magnitude
 * (exact, no rounding); the scaled rows are reduced block by block by Householder QR (LAPACK
 * dgeqrf) to an equivalent system of at most n + max(256, 2n) rows, so that work storage does not
 * grow with m; that system is solved by a complete orthogonal factorisation with column pivoting
 * (LAPACK dgelsy), and the solution is unscaled after. The numerical rank is the size of the
 * largest leading triangle of the pivoted R whose estimated condition number stays below
 * 1 / (max(m, n) * DBL_EPSILON). When it is below n the least-squares solution is not unique
 * and X is the minimum-norm one in the original (unscaled) variables for that rank, from the
 * SVD of the reduced system truncated to it (LAPACK dgesvd); the code is then 2 when the rank is
 * below min(m, n) (rank-deficient) and 0 for a full-rank underdetermined system (m < n).
 * Code 3 for a NaN or infinity in A or B, 4 when work storage cannot be obtained, 5 when the SVD
 * does not converge.
 * Returns the code, also stored in sci_err_code. */
TORVIK_API int lesqso(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x);

/* Ordinary least-squares line y ~ intercept + slope * x through the n points (x[i], y[i]),
 * i = 0..n-1, and the Pearson correlation coefficient r.
 *
 * Centred two-pass sums: the means first, then Sxx, Syy, Sxy of the deviations; slope =
 * Sxy / Sxx, intercept = mean(y) - slope * mean(x), r = Sxy / (sqrt(Sxx) sqrt(Syy)) limited to
 * [-1, 1], and r = 0 when y has no spread (Syy = 0).
 * Requires n >= 2 and non-null pointers (else code 1, nothing written). Code 3 for a NaN or
 * infinity in x or y (nothing written). All abscissae equal (Sxx = 0): code 2 with intercept =
 * mean of y, slope 0, r 0. Returns the code, also stored in sci_err_code. */
TORVIK_API int stline(double* x, double* y, int n, double* intercept, double* slope, double* r);

/* Gaussian smoothing, in place, of data[first..last] (0-based, inclusive) of an array of n
 * samples.
 *
 * Each smoothed sample is sum_k w_k v[i+k] / sum_k w_k over k = -halfWidth..halfWidth with
 * 0 <= i+k <= n-1, w_k = exp(-k^2 / (2 sigma^2)), sigma = halfWidth / 2: the kernel is
 * truncated and renormalised at the ends of the array only. Samples outside [first, last] but
 * inside [0, n-1] are read as context and never written. passes >= 1 successive passes, each
 * reading only the values of the previous pass.
 * Requires data non-null, n >= 1, 0 <= first <= last <= n-1, halfWidth >= 1, passes >= 1
 * (else -1). A NaN or infinity among the samples read gives -3, work storage that cannot be
 * obtained -4, a smoothed value that overflows (samples near the largest double) -5; data is
 * then untouched. Returns 0 on success; sci_err_code receives the
 * (positive) code. */
TORVIK_API int stgssm(double* data, int n, int first, int last, int halfWidth, int passes);

#ifdef __cplusplus
}
#endif

#endif /* TORVIK_TORVIK_H */
