// Work storage of the least-squares SVD when the heap says no. Linked with --wrap=malloc and
// --wrap=free: large requests (8000 bytes and more) made while armed go through the counters
// below, which fail the n-th one and follow every block until it is freed. The flag is not
// thread_local: MinGW's emulated thread-local storage calls malloc, which would recurse.
#include "MatrixTestSupport.h"

#include <atomic>
#include <cstddef>
#include <thread>

extern "C" void* __real_malloc(std::size_t size);
extern "C" void __real_free(void* block);

namespace {

constexpr std::size_t kWorkRequestBytes = 8000;
std::atomic<bool> g_armed{false};
int g_requests = 0; // large requests while armed
int g_failAt = 0;   // the request that yields null; 0 for none
std::vector<void*>* g_live = nullptr;

} // namespace

extern "C" void* __wrap_malloc(std::size_t size) {
    if (!g_armed || size < kWorkRequestBytes) {
        return __real_malloc(size);
    }
    if (++g_requests == g_failAt) {
        return nullptr;
    }
    void* block = __real_malloc(size);
    g_live->push_back(block); // capacity reserved: never allocates here
    return block;
}

extern "C" void __wrap_free(void* block) {
    if (g_live != nullptr) {
        g_live->erase(std::remove(g_live->begin(), g_live->end(), block), g_live->end());
    }
    __real_free(block);
}

namespace {

// A fresh thread asks the heap for the driver's block, then for the bidiagonalisation's; a
// second call on the same thread reuses both.
constexpr int kWorkRequestsPerThread = 2;

TEST(SvdWorkStorage, FailedRequestsRaiseReuseFollowsAndBlocksAreFreedWithTheThread) {
    std::mt19937_64 rng(1);
    const mtest::OwnedMatrix a = mtest::RandomMatrix(5, 4, rng), b = mtest::RandomMatrix(5, 1, rng);
    std::vector<void*> live;
    live.reserve(64);
    g_live = &live;
    for (int failAt = 0; failAt <= kWorkRequestsPerThread; ++failAt) {
        SCOPED_TRACE(failAt);
        g_requests = 0;
        g_failAt = failAt;
        bool threw = false;
        std::thread([&] {
            g_armed = true;
            try {
                for (int call = 0; call < 2; ++call) {
                    mtest::OwnedMatrix a1(a), b1(b), x(4, 1);
                    double residual[2] = {};
                    long n = 4;
                    bool converged = false;
                    EXPECT_TRUE(Matrix().SingularValueDecomposition(
                        a1.get(), b1.get(), x.get(), residual, 5, n, 1, 1e-12, converged));
                }
            } catch (const CMemoryException&) {
                threw = true;
            }
            g_armed = false;
        }).join();
        EXPECT_EQ(threw, failAt != 0);
        // Two calls and no more requests than the first one's: the second reused its blocks.
        EXPECT_EQ(g_requests, failAt == 0 ? kWorkRequestsPerThread : failAt);
        EXPECT_TRUE(live.empty()) << live.size() << " work blocks outlived their thread";
    }
    g_live = nullptr;
}

} // namespace
