// The ways lesqso solves the column-scaled system once it is reduced and factored: refined least
// squares at full column rank, the minimum-norm solution below it.
#pragma once

#include "torvik/ErrorCodes.h"
#include "torvik/PivotedQr.h"
#include "torvik/ScaledSystem.h"

#include <memory>
#include <vector>

namespace torvik {

// True when the condition estimate |R(0,0)| / |R(n-1,n-1)| of the pivoted factorisation of the
// (reduced) scaled A is at most 2^16: then each pass of the corrected semi-normal equations
// shrinks the error by kappa^2 u < 2^-20.
bool SemiNormalConverges(const PivotedQr& qr);

// Full column rank, kappa <= 2^16: the least-squares solution y (n values, the scaled
// variables, original column order) for right-hand side c, from the triangle R of the reduced
// system, d = Q^T b (n values) and the norm of the residual, refined by the corrected
// semi-normal equations R^T R dy = A^T (b - A y) with the right-hand side formed in extended
// precision.
ErrorCode SemiNormalSolution(const ScaledSystem& system, const PivotedQr& reduced, const double* d,
                             double residualNorm, int c, std::vector<double>& y);

// Full column rank, kappa > 2^16: the same solution, from the factorisation of the whole
// scaled A (Q kept), refined on the augmented system [I A; A^T 0] [r; y] = [b; 0] with
// double-double residuals.
ErrorCode AugmentedSolution(const ScaledSystem& system, const PivotedQr& full, int c,
                            std::vector<double>& y);

// Numerical rank 1 <= rank < n: the minimum-norm solution x (n values, the caller's variables,
// original column order) of the system truncated to rank, for right-hand side c, from the
// pivoted factorisation of the reduced system and d = Q^T b (its first rank values); negligible
// is the relative rank threshold.
ErrorCode MinimumNormSolution(const ScaledSystem& system, const PivotedQr& reduced, int rank,
                              double negligible, const double* d, int c, double* x);

} // namespace torvik
