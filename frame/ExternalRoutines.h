// The module-wide entry slots of the external routines library (libTorvik.so, Torvik.dll).
//
// The binding fills them when the module is loaded and clears them when it is released; in
// between they are only read (by Statistics::Line, Statistics::GaussSmooth and
// LeastSquares::PolynomialCoefs), so no lock guards them.
#pragma once

namespace opm::detail {

using LesqsoEntry = int (*)(int m, int n, int mda, int nda, double** a, double** b, int nb,
                            double** x);
using StlineEntry = int (*)(double* x, double* y, int n, double* intercept, double* slope,
                            double* r);
using StgssmEntry = int (*)(double* data, int n, int first, int last, int halfWidth, int passes);

struct ExternalRoutineSlots {
    LesqsoEntry lesqso;
    StlineEntry stline;
    int* sciErrCode; // address of the library's int variable sci_err_code
    StgssmEntry stgssm;
};

// The one module-wide set of slots (all null until the binding fills them).
extern ExternalRoutineSlots g_externalRoutines;

} // namespace opm::detail
