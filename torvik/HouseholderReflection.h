// Householder reflections H = I - tau v v^T with v(0) = 1: the one kernel behind the row
// reduction and the pivoted factorisation.
#pragma once

namespace torvik {

// Sum of x[i] * y[i] for i = 0..length-1, in two interleaved partial sums (even and odd i) added
// at the end.
double Dot(const double* x, const double* y, int length);

// Euclidean norm of length values, without overflow or harmful underflow.
double Norm2(const double* v, int length);

// Makes the reflection that maps x (length values) onto (beta, 0, ..., 0), |beta| = |x|: beta
// overwrites x[0], v(1:) overwrites x[1..]. Returns tau, 0 (the identity) when x[1..] is zero.
double MakeReflection(double* x, int length);

// x := H x for the reflection (reflector, tau) made by MakeReflection on length values.
void ApplyReflection(const double* reflector, double tau, double* x, int length);

} // namespace torvik
