// Vandermonde solution: worked values, n = 1, repeated abscissae, and random well-separated
// abscissae against a dense LAPACK solve of the explicit transposed Vandermonde system.
#include "SolverTestSupport.h"
#include "support/Lapack.h"

namespace {

using solvertest::MakeVector1;
using solvertest::Vector1;

struct WorkedCase {
    Vector1 x, q, w; // 1-based: element 0 unused
};

class VandermondeWorked : public testing::TestWithParam<WorkedCase> {};

TEST_P(VandermondeWorked, GivesTheWeights) {
    WorkedCase c = GetParam();
    const long n = long(c.x.size()) - 1;
    auto w = MakeVector1(n, 99.0);
    ASSERT_TRUE(Matrix().VanderMondeSolution(c.x.data(), w.data(), c.q.data(), n));
    for (long i = 1; i <= n; ++i) {
        EXPECT_EQ(w[i], c.w[std::size_t(i)]) << "weight " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, VandermondeWorked,
                         testing::Values(WorkedCase{{0, 1, 2}, {0, 3, 5}, {0, 1, 2}},
                                         WorkedCase{{0, 1, 2, 3}, {0, 3, 6, 14}, {0, 1, 1, 1}},
                                         WorkedCase{
                                             {0, 0.0}, {0, 7.5}, {0, 7.5}}, // n = 1: x is not read
                                         WorkedCase{{0, std::nan("")}, {0, -2.0}, {0, -2.0}},
                                         WorkedCase{{0, 1e300}, {0, 3.0}, {0, 3.0}}));

TEST(Vandermonde, RepeatedAbscissaeGiveNonFiniteWeightsAndTrue) {
    Vector1 x{0, 1, 2, 1}, q{0, 1, 1, 1};
    auto w = MakeVector1(3);
    ASSERT_TRUE(Matrix().VanderMondeSolution(x.data(), w.data(), q.data(), 3));
    EXPECT_FALSE(std::isfinite(w[1]));
    EXPECT_FALSE(std::isfinite(w[3]));
}

class VandermondeRandom : public testing::TestWithParam<long> {};

TEST_P(VandermondeRandom, AgreesWithDenseSolveOfExplicitSystem) {
    const long n = GetParam();
    std::mt19937_64 rng{static_cast<std::uint64_t>(300 + n)};
    std::uniform_real_distribution<double> jitter(-0.2, 0.2), value(-1.0, 1.0);
    auto x = MakeVector1(n), q = MakeVector1(n), w = MakeVector1(n);
    for (long i = 1; i <= n; ++i) { // spacing 2/n, shuffled by at most a fifth of it
        x[i] = -1.0 + (double(i) - 0.5 + jitter(rng)) * 2.0 / double(n);
        q[i] = value(rng);
    }
    ASSERT_TRUE(Matrix().VanderMondeSolution(x.data(), w.data(), q.data(), n));

    // Row k of the explicit matrix holds x_i^(k-1): column-major element (k, i).
    std::vector<double> v(static_cast<std::size_t>(n * n)), ref(q.begin() + 1, q.end());
    for (long i = 1; i <= n; ++i) {
        double power = 1.0;
        for (long k = 1; k <= n; ++k, power *= x[i]) {
            v[std::size_t((i - 1) * n + (k - 1))] = power;
        }
    }
    std::vector<int> ipiv(static_cast<std::size_t>(n));
    const int ni = int(n), one = 1;
    int info = 0;
    dgesv_(&ni, &one, v.data(), &ni, ipiv.data(), ref.data(), &ni, &info);
    ASSERT_EQ(info, 0);
    ref.insert(ref.begin(), 0.0);
    solvertest::ExpectVectorsNear(w.data(), ref.data(), n, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Sizes, VandermondeRandom, testing::Values(2L, 3L, 5L, 8L, 12L));

} // namespace
