// Sizes below 1 and work vectors that cannot be had, across the dense solvers: nothing is read
// or written (every array holds a sentinel that must survive), or a CMemoryException is raised
// before anything is touched.
#include "SolverTestSupport.h"

#include <climits>
#include <functional>

namespace {

using solvertest::OwnedMatrix;

constexpr double kSentinel = -12345.0;

struct SolverCall {
    const char* name;
    std::function<bool(const Matrix&, double**, double**, double*, double*, long)> call;
};

const SolverCall kSolvers[] = {
    {"SingularValueDecompNRC", [](const Matrix& m, double** a, double** b, double* u, double*,
                                  long n) { return m.SingularValueDecompNRC(a, 2, n, u, b); }},
    {"SingularValueBackSubNRC",
     [](const Matrix& m, double** a, double** b, double* u, double* v, long n) {
         return m.SingularValueBackSubNRC(a, u, b, 2, n, v, u);
     }},
    {"CholeskyDecomposition", [](const Matrix& m, double** a, double** b, double*, double*,
                                 long n) { return m.CholeskyDecomposition(a, b, n); }},
    {"CholeskyInvert", [](const Matrix& m, double** a, double** b, double*, double*,
                          long n) { return m.CholeskyInvert(a, b, n); }},
    {"LUDecomposition", [](const Matrix& m, double** a, double**, double*, double*,
                           long n) { return m.LUDecomposition(a, n, n); }},
    {"LUSolve", [](const Matrix& m, double** a, double**, double* u, double*,
                   long n) { return m.LUSolve(a, u, n, n); }},
    {"VanderMondeSolution", [](const Matrix& m, double**, double**, double* u, double* v,
                               long n) { return m.VanderMondeSolution(v, u, v, n); }},
};

void ExpectAllSentinel(const OwnedMatrix& a) {
    for (long i = 1; i <= a.rows(); ++i) {
        for (long j = 1; j <= a.cols(); ++j) {
            EXPECT_EQ(a[i][j], kSentinel);
        }
    }
}

TEST(SolverSizes, BelowOneTouchesNothingAndReturnsTrue) {
    const Matrix mat;
    for (const SolverCall& s : kSolvers) {
        for (long n : {0L, -3L}) {
            SCOPED_TRACE(std::string(s.name) + " n=" + std::to_string(n));
            OwnedMatrix a(3, 3, kSentinel), b(3, 3, kSentinel), u(1, 4, kSentinel),
                v(1, 4, kSentinel);
            EXPECT_TRUE(s.call(mat, a.get(), b.get(), u[1] + 1, v[1] + 1, n));
            ExpectAllSentinel(a);
            ExpectAllSentinel(b);
            ExpectAllSentinel(u);
            ExpectAllSentinel(v);
        }
    }
}

// A work vector of LONG_MAX doubles cannot exist: the allocation is the first step, so the
// memory exception leaves every array as it was.
TEST(SolverSizes, UnobtainableWorkVectorRaisesMemoryExceptionBeforeTouchingAnything) {
    const Matrix mat;
    for (const SolverCall& s : kSolvers) {
        const std::string name = s.name;
        if (name != "SingularValueDecompNRC" && name != "SingularValueBackSubNRC" &&
            name != "VanderMondeSolution") {
            continue; // the others allocate nothing
        }
        SCOPED_TRACE(name);
        OwnedMatrix a(3, 3, kSentinel), b(3, 3, kSentinel), u(1, 4, kSentinel), v(1, 4, kSentinel);
        EXPECT_THROW(s.call(mat, a.get(), b.get(), u[1] + 1, v[1] + 1, LONG_MAX), CMemoryException);
        ExpectAllSentinel(a);
        ExpectAllSentinel(b);
        ExpectAllSentinel(u);
        ExpectAllSentinel(v);
    }
}

} // namespace
