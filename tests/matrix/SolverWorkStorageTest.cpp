// Sizes below 1 and work vectors that cannot be had, across the dense solvers: nothing is read
// or written (every array holds a sentinel that must survive), or a CMemoryException is raised
// before anything is touched.
#include "MatrixTestSupport.h"

#include <climits>

namespace {

constexpr double kS = -12345.0; // sentinel

struct Arrays {
    mtest::OwnedMatrix a{3, 3, kS}, b{3, 3, kS};
    std::vector<double> u = std::vector<double>(5, kS), v = std::vector<double>(5, kS);
    bool Untouched() const {
        const std::vector<double> s(9, kS), t(5, kS);
        return a.Values() == s && b.Values() == s && u == t && v == t;
    }
};

TEST(SolverSizes, BelowOneTouchesNothingAndReturnsTrue) {
    const Matrix mat;
    for (long n : {0L, -3L}) {
        SCOPED_TRACE(n);
        Arrays s;
        double **a = s.a.get(), **b = s.b.get(), *u = s.u.data(), *v = s.v.data();
        EXPECT_TRUE(mat.SingularValueDecompNRC(a, 2, n, u, b) && s.Untouched());
        EXPECT_TRUE(mat.SingularValueBackSubNRC(a, u, b, 2, n, v, u) && s.Untouched());
        EXPECT_TRUE(mat.CholeskyDecomposition(a, b, n) && s.Untouched());
        EXPECT_TRUE(mat.CholeskyInvert(a, b, n) && s.Untouched());
        EXPECT_TRUE(mat.LUDecomposition(a, n, n) && s.Untouched());
        EXPECT_TRUE(mat.LUSolve(a, u, n, n) && s.Untouched());
        EXPECT_TRUE(mat.VanderMondeSolution(v, u, v, n) && s.Untouched());
    }
}

// A work vector of LONG_MAX doubles cannot exist; obtaining it is the first step.
TEST(SolverSizes, UnobtainableWorkVectorRaisesMemoryExceptionBeforeTouchingAnything) {
    if (LONG_MAX == INT_MAX) {
        GTEST_SKIP() << "a 32-bit long (Windows): LONG_MAX doubles are 16 GiB, which can exist";
    }
    const Matrix mat;
    Arrays s;
    double **a = s.a.get(), **b = s.b.get(), *u = s.u.data(), *v = s.v.data();
    EXPECT_THROW(mat.SingularValueDecompNRC(a, 2, LONG_MAX, u, b), CMemoryException);
    EXPECT_THROW(mat.SingularValueBackSubNRC(a, u, b, 2, LONG_MAX, v, u), CMemoryException);
    EXPECT_THROW(mat.VanderMondeSolution(v, u, v, LONG_MAX), CMemoryException);
    EXPECT_TRUE(s.Untouched());
}

} // namespace
