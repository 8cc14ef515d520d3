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

/* Exported from the library (TORVIK_BUILDING defined while it is compiled), imported by its
 * users on Windows; default visibility elsewhere. */
#if defined(_WIN32)
#if defined(TORVIK_BUILDING)
#define TORVIK_API __declspec(dllexport)
#else
#define TORVIK_API __declspec(dllimport)
#endif
#elif defined(__GNUC__) || defined(__clang__)
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
 * of b (or of a). Nothing is written unless the code is 0 or 2.
 *
 * Method: each column of A and of B is divided by the power of two just above its largest
 * magnitude (exact, no rounding); the scaled rows are reduced block by block by Householder QR to
 * an equivalent system of n rows, so that work storage does not grow with m, and that system is
 * factored by Householder QR with column pivoting. The numerical rank is the number of leading
 * diagonal elements of R above max(m, n) * DBL_EPSILON times the first.
 * - At full column rank the solution is refined against the original system: residuals of the
 *   caller's A and B formed in extended precision, corrections from the factorisation, at most 7
 *   passes, stopping when the error left in every component is below half a unit in its last
 *   place (or below what the residuals' precision resolves) or the corrections stop shrinking.
 *   A system whose condition estimate |R11| / |Rnn| is at most 2^16 is refined by the
 *   corrected semi-normal equations; a worse one is factored again whole and refined on the
 *   augmented system of residual and solution, which converges for condition numbers up to
 *   about 1e14 even with a large residual. The residuals are in x86 long double where that
 *   keeps 13 significant digits on every component contributing at least a millionth of the
 *   largest to the fit (condition estimate at most 2^12 and not too wide a spread of the
 *   components), otherwise in double-double arithmetic (always where long double is no wider
 *   than double).
 * - Polynomial designs: when n >= 3, the last column of A is exactly 1 and every other column j
 *   holds the power t^(n-1-j) of column n-2 to within 16 units in the last place (std::pow or
 *   repeated multiplication), the residuals use the powers of t evaluated in extended precision
 *   instead of the rounded ones, so X is the fit the abscissae t define. (The exact solution for
 *   the rounded powers agrees with NIST Filip's certified values to 7.6 digits only.)
 * - Below full rank the least-squares solution is not unique and X is the minimum-norm one in the
 *   caller's (unscaled) variables for that rank, from a complete orthogonal decomposition; it is
 *   not refined. The code is then 2 when the rank is below min(m, n) (rank-deficient) and 0 for a
 *   full-rank underdetermined system (m < n).
 * Accuracy: X is the least-squares solution of the data as given. Measured on random 40 x 6
 * systems (columns scaled by up to 2^20 either way, solutions spread over six orders of
 * magnitude) against a 60-digit solution: every component that contributes at least a
 * millionth of the largest to the fit within 6e-14 of itself, most within a few units in the
 * last place, for condition numbers of the column-scaled A up to 1e13 and residuals up to the
 * size of A X. The smaller components, on the cheaper long double path, only to an error of
 * about 1e-19 kappa^2 times the largest contribution (relative errors up to 1e-3 seen on such
 * components). Close to the rank threshold the refinement converges slowly and stops with fewer
 * digits (5 digits seen at a condition number of 5e12). Correct significant digits on the NIST
 * StRD certified values (the data as doubles allow no more): Norris 14.1, Pontius 13.5, Filip
 * (degree 10, through a rounded Vandermonde matrix) 14.0, Longley 14.6.
 * Cost: O(m n^2) for the reduction plus O(m n) per refinement pass (one pass for most
 * well-conditioned systems; double-double residuals are about four times dearer); a condition
 * estimate above 2^16 adds a second factorisation and m x n doubles of work storage. A
 * calibration fit (m = 4000, n = 4) costs about 1.6 million instructions.
 * Code 3 for a NaN or infinity in A or B, 4 when work storage cannot be obtained, 5 when the
 * solution (or a correction on the way to it) is out of the range of double.
 * Returns the code, also stored in sci_err_code. */
TORVIK_API int lesqso(int m, int n, int mda, int nda, double** a, double** b, int nb, double** x);

/* Ordinary least-squares line y ~ intercept + slope * x through the n points (x[i], y[i]),
 * i = 0..n-1, and the Pearson correlation coefficient r.
 *
 * Centred two-pass sums: the means first, then Sxx, Syy, Sxy of the deviations; slope =
 * Sxy / Sxx, intercept = mean(y) - slope * mean(x), r = Sxy / (sqrt(Sxx) sqrt(Syy)) limited to
 * [-1, 1], and r = 0 when y has no spread (Syy = 0). x and y are first divided by the powers of
 * two just above their largest magnitudes (exact), and the means, sums, slope and intercept are
 * formed in extended precision (long double, or double-double where long double is no wider
 * than double) and rounded once: NIST Norris to 14.1 correct digits. Cost O(n).
 * Requires n >= 2 and non-null pointers (else code 1, nothing written). Code 3 for a NaN or
 * infinity in x or y, 5 when the slope or intercept is out of the range of double (nothing
 * written). All abscissae equal (compared exactly): code 2 with intercept = mean of y, slope 0,
 * r 0. Returns the code, also stored in sci_err_code. */
TORVIK_API int stline(double* x, double* y, int n, double* intercept, double* slope, double* r);

/* Gaussian smoothing, in place, of data[first..last] (0-based, inclusive) of an array of n
 * samples.
 *
 * Each smoothed sample is sum_k w_k v[i+k] / sum_k w_k over k = -halfWidth..halfWidth with
 * 0 <= i+k <= n-1, w_k = exp(-k^2 / (2 sigma^2)), sigma = halfWidth / 2: the kernel is
 * truncated and renormalised at the ends of the array only. Samples outside [first, last] but
 * inside [0, n-1] are read as context and never written. passes >= 1 successive passes, each
 * reading only the values of the previous pass. Samples large enough for a weighted sum to
 * overflow are smoothed divided by a power of two, each result kept within the magnitude of the
 * largest sample. Cost O(passes (last - first + 1) min(2 halfWidth + 1, n)).
 * Requires data non-null, n >= 1, 0 <= first <= last <= n-1, halfWidth >= 1, passes >= 1
 * (else -1). A NaN or infinity among the samples read gives -3, work storage that cannot be
 * obtained -4; data is then untouched. Returns 0 on success; sci_err_code receives the
 * (positive) code. */
TORVIK_API int stgssm(double* data, int n, int first, int last, int halfWidth, int passes);

#ifdef __cplusplus
}
#endif

#endif /* TORVIK_TORVIK_H */
