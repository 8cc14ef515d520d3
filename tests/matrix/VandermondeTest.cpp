// Vandermonde solution: worked values, n = 1, repeated abscissae, and random well-separated
// abscissae against a dense LAPACK solve of the explicit transposed Vandermonde system.
#include "MatrixTestSupport.h"

namespace {

using Values = std::vector<double>;

TEST(Vandermonde, WorkedWeights) {
    const Values cases[][3] = {// x, q, w (1-based: element 0 unused)
                               {{0, 1, 2}, {0, 3, 5}, {0, 1, 2}},
                               {{0, 1, 2, 3}, {0, 3, 6, 14}, {0, 1, 1, 1}},
                               {{0, 0.0}, {0, 7.5}, {0, 7.5}}, // n = 1: x is not read
                               {{0, std::nan("")}, {0, -2.0}, {0, -2.0}},
                               {{0, 1e300}, {0, 3.0}, {0, 3.0}}};
    for (const auto& [x0, q0, w0] : cases) {
        Values x = x0, q = q0, w(x.size(), 99.0);
        ASSERT_TRUE(Matrix().VanderMondeSolution(x.data(), w.data(), q.data(), long(x.size()) - 1));
        EXPECT_EQ(Values(w.begin() + 1, w.end()), Values(w0.begin() + 1, w0.end()));
    }
}

TEST(Vandermonde, RepeatedAbscissaeGiveNonFiniteWeightsAndTrue) {
    Values x = {0, 1, 2, 1}, q = {0, 1, 1, 1}, w(4);
    ASSERT_TRUE(Matrix().VanderMondeSolution(x.data(), w.data(), q.data(), 3));
    EXPECT_FALSE(std::isfinite(w[1]));
    EXPECT_FALSE(std::isfinite(w[3]));
}

TEST(Vandermonde, AgreesWithDenseSolveOfExplicitSystem) {
    for (long n : {2L, 3L, 5L, 8L, 12L}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng{static_cast<std::uint64_t>(300 + n)};
        std::uniform_real_distribution<double> jitter(-0.2, 0.2), value(-1.0, 1.0);
        Values x(n + 1), q(n + 1), w(n + 1), v(n * n);
        for (long i = 1; i <= n; ++i) { // spacing 2/n, shuffled by at most a fifth of it
            x[i] = -1.0 + (double(i) - 0.5 + jitter(rng)) * 2.0 / double(n);
            q[i] = value(rng);
            double power = 1.0;
            for (long k = 1; k <= n; ++k, power *= x[i]) {
                v[(i - 1) * n + k - 1] = power; // column-major (k, i) of the explicit matrix
            }
        }
        ASSERT_TRUE(Matrix().VanderMondeSolution(x.data(), w.data(), q.data(), n));
        const Values ref = mtest::SolveWithDgesv(v, q);
        mtest::ExpectVectorsNear(w.data(), ref.data(), n, 1e-9);
    }
}

} // namespace
