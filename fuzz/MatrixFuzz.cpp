// The dense solvers on any matrix: both singular value decompositions, Cholesky, LU and
// Vandermonde. Every call ends; the least-squares SVD gives a rank within 0..n (0 for a zero
// matrix, whatever the tolerance) and, for finite input that converges, an orthonormal V; the
// compact SVD either reports failure or hands back finite non-negative singular values and
// factors that reproduce the matrix. Cholesky reproduces a positive-definite matrix built from
// the input. A byte moves the whole matrix through the exponent range by a power of two.
#include "FuzzInput.h"
#include "OstraPureMath/Matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using opm::fuzz::AllFinite;
using opm::fuzz::FuzzInput;

// A 1-based rows x cols matrix over a vector, handed out as row pointers (copies are deep).
struct Dense {
    Dense(long rows, long cols, double fill = 0.0)
        : r(rows), c(cols), cells(std::size_t(rows * cols), fill), rowPtrs(std::size_t(rows) + 1) {}
    double** Rows() {
        for (long i = 1; i <= r; ++i) {
            rowPtrs[std::size_t(i)] = cells.data() + (i - 1) * c - 1;
        }
        return rowPtrs.data();
    }
    double& operator()(long i, long j) { return cells[std::size_t((i - 1) * c + j - 1)]; }
    double operator()(long i, long j) const { return cells[std::size_t((i - 1) * c + j - 1)]; }
    double MaxAbs() const {
        double most = 0.0;
        for (const double v : cells) {
            most = std::max(most, std::fabs(v));
        }
        return most;
    }
    long r, c;
    std::vector<double> cells;
    std::vector<double*> rowPtrs;
};

Dense ReadMatrix(FuzzInput& in, long rows, long cols) {
    const int shift = int(in.Byte()) * 9 - 1150; // 2^-1150 .. 2^1145
    Dense a(rows, cols);
    for (double& v : a.cells) {
        v = std::ldexp(in.Double(), shift);
    }
    return a;
}

// sqrt of the sum of squares, formed with the largest magnitude divided out.
double FrobeniusNorm(const Dense& a) {
    const double most = a.MaxAbs();
    if (most == 0.0 || !std::isfinite(most)) {
        return most;
    }
    double sum = 0.0;
    for (const double v : a.cells) {
        sum += (v / most) * (v / most);
    }
    return most * std::sqrt(sum);
}

bool Orthonormal(Dense& v, long n) {
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            double dot = 0.0;
            for (long k = 1; k <= n; ++k) {
                dot += v(k, i) * v(k, j);
            }
            if (!(std::fabs(dot - (i == j ? 1.0 : 0.0)) <= 1e-10)) {
                return false;
            }
        }
    }
    return true;
}

void LeastSquaresSvd(FuzzInput& in) {
    const long m = in.Count(1, 12);
    const long n = in.Count(1, m);
    const long nb = in.Count(0, 2);
    const double tolerances[] = {0.0, 1e-12, 1e-6, 1.0, -1e-3, HUGE_VAL, -HUGE_VAL, 1e-300};
    const double tolerance = tolerances[in.Count(0, 7)];
    Dense a = ReadMatrix(in, m, n);
    Dense b(m, std::max(nb, 1L));
    for (double& v : b.cells) {
        v = in.Double();
    }
    const bool finite = AllFinite(a.cells) && AllFinite(b.cells);
    const bool zero =
        std::all_of(a.cells.begin(), a.cells.end(), [](double v) { return v == 0.0; });
    Dense x(n, std::max(nb, 1L), -1.0);
    std::vector<double> residual(std::size_t(std::max(nb, 1L)));
    long rank = n;
    bool converged = false;
    OPM_FUZZ_CHECK(Matrix().SingularValueDecomposition(a.Rows(), b.Rows(), x.Rows(),
                                                       residual.data() - 1, m, rank, nb, tolerance,
                                                       converged),
                   "sizes within 1 <= n <= m <= 1000 are accepted");
    OPM_FUZZ_CHECK(0 <= rank && rank <= n, "the rank lies within 0..n");
    if (finite && converged) {
        OPM_FUZZ_CHECK(Orthonormal(a, n), "V is orthonormal");
    }
    if (zero) {
        OPM_FUZZ_CHECK(rank == 0, "a zero matrix has rank 0");
        for (long i = 1; i <= n; ++i) {
            for (long j = 1; j <= nb; ++j) {
                OPM_FUZZ_CHECK(x(i, j) == 0.0, "a zero matrix gives x = 0");
            }
        }
    }
}

void CompactSvd(FuzzInput& in) {
    const long m = in.Count(1, 12);
    const long n = in.Count(1, 12);
    Dense a = ReadMatrix(in, m, n);
    const Dense original = a;
    const bool finite = AllFinite(a.cells);
    std::vector<double> w(static_cast<std::size_t>(n));
    Dense v(n, n);
    const Matrix mat;
    if (!mat.SingularValueDecompNRC(a.Rows(), m, n, w.data() - 1, v.Rows())) {
        return;
    }
    OPM_FUZZ_CHECK(AllFinite(w) && AllFinite(a.cells) && AllFinite(v.cells),
                   "a decomposition reported as converged is finite");
    OPM_FUZZ_CHECK(std::all_of(w.begin(), w.end(), [](double s) { return s >= 0.0; }),
                   "singular values are non-negative");
    if (!finite) {
        return;
    }
    OPM_FUZZ_CHECK(Orthonormal(v, n), "V is orthonormal");
    // U diag(w) V^T reproduces the matrix, to rounding relative to its norm.
    const double tol = 1e-12 * double(m + n) * FrobeniusNorm(original) +
                       16.0 * std::numeric_limits<double>::denorm_min() * double(m + n);
    for (long i = 1; i <= m; ++i) {
        for (long j = 1; j <= n; ++j) {
            double sum = 0.0;
            for (long k = 1; k <= n; ++k) {
                sum += a(i, k) * w[std::size_t(k - 1)] * v(j, k);
            }
            OPM_FUZZ_CHECK(std::fabs(sum - original(i, j)) <= tol,
                           "U diag(w) V^T reproduces the matrix");
        }
    }
    std::vector<double> rhs = in.Doubles(std::size_t(m)), solution(static_cast<std::size_t>(n));
    mat.SingularValueBackSubNRC(a.Rows(), w.data() - 1, v.Rows(), m, n, rhs.data() - 1,
                                solution.data() - 1);
}

// B^T B + (n max|B|^2 + 1) I: symmetric and positive definite, condition at most about 2.
void Cholesky(FuzzInput& in) {
    const long n = in.Count(1, 10);
    Dense bm(n, n);
    for (double& v : bm.cells) {
        v = in.Double();
    }
    if (!AllFinite(bm.cells) || bm.MaxAbs() > 1e100) {
        return;
    }
    const double shift = double(n) * bm.MaxAbs() * bm.MaxAbs() + 1.0;
    Dense a(n, n), u(n, n);
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            double dot = i == j ? shift : 0.0;
            for (long k = 1; k <= n; ++k) {
                dot += bm(k, i) * bm(k, j);
            }
            a(i, j) = dot;
        }
    }
    const Matrix mat;
    mat.CholeskyDecomposition(a.Rows(), u.Rows(), n);
    const double tol = 1e-13 * double(n) * a.MaxAbs();
    for (long i = 1; i <= n; ++i) {
        for (long j = 1; j <= n; ++j) {
            double dot = 0.0;
            for (long k = 1; k <= n; ++k) {
                dot += u(k, i) * u(k, j);
            }
            OPM_FUZZ_CHECK(std::fabs(dot - a(i, j)) <= tol, "U^T U reproduces the matrix");
        }
    }
    mat.CholeskyInvert(a.Rows(), u.Rows(), n);
}

void LuAndVandermonde(FuzzInput& in) {
    const long n = in.Count(1, 10);
    Dense a = ReadMatrix(in, n, n);
    std::vector<double> b = in.Doubles(std::size_t(n)), w(static_cast<std::size_t>(n));
    const Matrix mat;
    if (mat.LUDecomposition(a.Rows(), n, 0)) {
        mat.LUSolve(a.Rows(), b.data() - 1, n, 0);
    }
    std::vector<double> abscissae = in.Doubles(std::size_t(n));
    mat.VanderMondeSolution(abscissae.data() - 1, w.data() - 1, b.data() - 1, n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    switch (in.Count(0, 3)) {
    case 0:
        LeastSquaresSvd(in);
        break;
    case 1:
        CompactSvd(in);
        break;
    case 2:
        Cholesky(in);
        break;
    default:
        LuAndVandermonde(in);
        break;
    }
    return 0;
}
