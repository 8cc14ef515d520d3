// Work storage of the least-squares SVD when the heap says no. This suite is linked with
// -Wl,--wrap=malloc,--wrap=free: the library's 8000-byte work blocks go through the counters
// below, which can make the n-th request fail and check that every block obtained comes back.
#include "SvdTestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>

extern "C" void* __real_malloc(std::size_t size);
extern "C" void __real_free(void* block);

namespace {

constexpr std::size_t kWorkBlockBytes = 8000;
constexpr int kMaxTracked = 64;

bool g_armed = false;
int g_requests = 0; // 8000-byte requests while armed
int g_failAt = 0;   // the request that yields null; 0 for none
int g_tracked = 0;
void* g_blocks[kMaxTracked] = {};

int LiveWorkBlocks() {
    int live = 0;
    for (int i = 0; i < g_tracked; ++i) {
        live += g_blocks[i] != nullptr ? 1 : 0;
    }
    return live;
}

} // namespace

extern "C" void* __wrap_malloc(std::size_t size) {
    if (!g_armed || size != kWorkBlockBytes || g_tracked == kMaxTracked) {
        return __real_malloc(size);
    }
    if (++g_requests == g_failAt) {
        return nullptr;
    }
    void* block = __real_malloc(size);
    g_blocks[g_tracked++] = block;
    return block;
}

extern "C" void __wrap_free(void* block) {
    for (int i = 0; i < g_tracked; ++i) {
        if (g_blocks[i] == block) {
            g_blocks[i] = nullptr;
        }
    }
    __real_free(block);
}

namespace {

// Requests in order: the driver's d and e, then Step 1's u, t, P and F.
constexpr int kWorkRequestsPerCall = 6;

TEST(SvdWorkStorage, EveryFailedRequestRaisesAndReleasesTheOthers) {
    std::mt19937_64 rng(1);
    const svdtest::OwnedMatrix a = svdtest::RandomMatrix(5, 4, rng);
    const svdtest::OwnedMatrix b = svdtest::RandomMatrix(5, 1, rng);
    for (int failAt = 0; failAt <= kWorkRequestsPerCall; ++failAt) {
        svdtest::OwnedMatrix a1(a), b1(b), x(4, 1);
        double residual[2] = {};
        long n = 4;
        bool converged = false;
        g_requests = 0;
        g_tracked = 0;
        g_failAt = failAt;
        g_armed = true;
        bool threw = false;
        try {
            EXPECT_TRUE(Matrix().SingularValueDecomposition(a1.get(), b1.get(), x.get(), residual,
                                                            5, n, 1, 1e-12, converged));
        } catch (const CMemoryException&) {
            threw = true;
        }
        g_armed = false;
        EXPECT_EQ(threw, failAt != 0) << failAt;
        EXPECT_EQ(g_requests, failAt == 0 ? kWorkRequestsPerCall : failAt);
        EXPECT_EQ(LiveWorkBlocks(), 0) << "leaked when request " << failAt << " failed";
    }
}

} // namespace
