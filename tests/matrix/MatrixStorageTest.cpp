// Offset vectors and row-pointer matrices (block starts and sizes, displaced pointers, row
// contiguity, release by the matching function: asan turns a wrong free or a leak into a
// failure); sizes below one and work storage that cannot be had, across the solvers.
#include "MatrixTestSupport.h"

#include <climits>
#include <malloc.h>
#include <numeric>

namespace {

using mtest::OwnedMatrix;

// `start` is the first byte of a live malloc block of `bytes` bytes: exact under AddressSanitizer
// (which also reports a pointer that is no block start), a lower bound under glibc's rounding.
void ExpectHeapBlock(const void* start, std::size_t bytes) {
#if defined(_WIN32)
    const std::size_t usable = _msize(const_cast<void*>(start)); // the size asked for
#else
    const std::size_t usable = malloc_usable_size(const_cast<void*>(start));
#endif
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(usable, bytes);
#else
    EXPECT_GE(usable, bytes);
#endif
}

// Lower bounds one, zero and others.
TEST(MatrixStorage, LayoutsForLowerBoundsOneZeroAndOthers) {
    const Matrix mat;
    const long ranges[][2] = {{1, 4}, {0, 3}, {-3, 2}, {5, 9}};
    for (const auto& [nl, nh] : ranges) {
        SCOPED_TRACE(testing::Message() << nl << ".." << nh);
        double* v = mat.dVector(nl, nh); // one exact block from v[nl]
        ExpectHeapBlock(v + nl, std::size_t(nh - nl + 1) * sizeof(double));
        short* s = mat.sVector(nl, nh); // one spare short in front of s[nl]
        ExpectHeapBlock(s + nl - 1, std::size_t(nh - nl + 2) * sizeof(short));
        std::iota(v + nl, v + nh + 1, 0.0); // every place writable (asan checks the bounds)
        std::iota(s + nl - 1, s + nh + 1, short(0));
        mat.sVectorFree(s, nl, nh);
        mat.dVectorFree(v, nl, nh);

        // Columns over another range than the rows, so that swapped bounds show.
        const long ncl = nl + 2, nch = ncl + nh - nl + 1, nrow = nh - nl + 1, ncol = nrow + 1;
        double** m = mat.dMatrix(nl, nh, ncl, nch);
        ExpectHeapBlock(m + nl - 1, std::size_t(nrow + 1) * sizeof(double*));
        ExpectHeapBlock(m[nl] + ncl - 1, std::size_t(nrow * ncol + 1) * sizeof(double));
        for (long i = nl; i <= nh; ++i) {
            EXPECT_EQ(m[i], m[nl] + (i - nl) * ncol) << "row " << i; // contiguous, row-major
            std::fill(m[i] + ncl, m[i] + nch + 1, double(i));
        }
        mat.dMatrixFree(m, nl, nh, ncl, nch);
    }
}

// The empty range 1..0 gives objects that release cleanly.
TEST(MatrixStorage, EmptyRangesGiveReleasableObjects) {
    const Matrix mat;
    mat.dVectorFree(mat.dVector(1, 0), 1, 0);
    mat.sVectorFree(mat.sVector(1, 0), 1, 0);
    double** noColumns = mat.dMatrix(1, 3, 1, 0);
    EXPECT_EQ(noColumns[3], noColumns[1]);
    mat.dMatrixFree(noColumns, 1, 3, 1, 0);
    mat.dMatrixFree(mat.dMatrix(1, 0, 1, 3), 1, 0, 1, 3);
}

// Unaddressable byte counts and backward ranges raise before the heap is asked (so under the
// sanitizer too); blocks of about 2^63 bytes are refused by the heap itself.
TEST(MatrixStorage, UnaddressableBackwardAndRefusedRangesRaiseMemoryException) {
    const Matrix mat;
    EXPECT_THROW(mat.sVector(0, LONG_MAX - 1), CMemoryException);
    EXPECT_THROW(mat.dVector(LONG_MIN, LONG_MAX), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, LONG_MAX, 1, 2), CMemoryException);
    EXPECT_THROW(mat.dVector(5, 3), CMemoryException);
    EXPECT_THROW(mat.sVector(1, -1), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 3, 4, 1), CMemoryException);
#if !defined(__SANITIZE_ADDRESS__) && LONG_MAX > INT_MAX // the sanitizer aborts instead
    EXPECT_THROW(mat.dVector(1, 1L << 60), CMemoryException);
    EXPECT_THROW(mat.dMatrix(1, 2, 1, 1L << 59), CMemoryException);
#endif
}

constexpr double kS = -777.25; // sentinel

// Every array holds a sentinel that must survive.
struct Arrays {
    OwnedMatrix a{3, 3, kS}, b{3, 3, kS};
    std::vector<double> u = std::vector<double>(5, kS), v = std::vector<double>(5, kS);
    bool Untouched() const {
        const std::vector<double> s(9, kS), t(5, kS);
        return a.Values() == s && b.Values() == s && u == t && v == t;
    }
};

// The least-squares SVD refuses sizes outside 1 <= n <= m <= 1000 and nb < 0 with false, and
// the compact SVD does nothing for n < 1, without touching any array.
TEST(SolverSizes, RefusedSizesTouchNothing) {
    const Matrix mat;
    const long refused[][3] = {{3, 0, 1}, {3, -1, 1}, {2, 3, 1}, {1001, 2, 1}, {3, 2, -1}};
    for (const auto& [m, n0, nb] : refused) {
        Arrays s;
        long n = n0;
        bool converged = true;
        EXPECT_FALSE(mat.SingularValueDecomposition(s.a.get(), s.b.get(), s.b.get(), s.u.data(), m,
                                                    n, nb, 1e-12, converged));
        EXPECT_TRUE(s.Untouched() && n == n0 && converged) << m << " " << n0 << " " << nb;
    }
    Arrays s;
    EXPECT_TRUE(mat.SingularValueDecompNRC(s.a.get(), 2, 0, s.u.data(), s.b.get()));
    EXPECT_TRUE(mat.SingularValueBackSubNRC(s.a.get(), s.u.data(), s.b.get(), 2, 0, s.v.data(),
                                            s.u.data()));
    EXPECT_TRUE(s.Untouched());
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
