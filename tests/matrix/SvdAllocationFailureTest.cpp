// Work storage of the least-squares SVD when the heap says no. Linked with --wrap=malloc and
// --wrap=free: the large requests (8000 bytes and more) made while a test thread has armed the
// counters go through them, which make the n-th request fail and follow every block until it is
// freed. The flag is a plain atomic: a thread_local one would recurse on MinGW, whose emulated
// thread-local storage calls malloc on a thread's first access.
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
        int requestsAfterSecondCall = -1;
        std::thread([&] {
            g_armed = true;
            const auto solve = [&] {
                mtest::OwnedMatrix a1(a), b1(b), x(4, 1);
                double residual[2] = {};
                long n = 4;
                bool converged = false;
                return Matrix().SingularValueDecomposition(a1.get(), b1.get(), x.get(), residual, 5,
                                                           n, 1, 1e-12, converged);
            };
            try {
                EXPECT_TRUE(solve());
                EXPECT_TRUE(solve());
                requestsAfterSecondCall = g_requests;
            } catch (const CMemoryException&) {
                threw = true;
            }
            g_armed = false;
        }).join();
        EXPECT_EQ(threw, failAt != 0);
        EXPECT_EQ(g_requests, failAt == 0 ? kWorkRequestsPerThread : failAt);
        if (failAt == 0) {
            EXPECT_EQ(requestsAfterSecondCall, kWorkRequestsPerThread);
        }
        EXPECT_TRUE(live.empty()) << live.size() << " work blocks outlived their thread";
    }
    g_live = nullptr;
}

} // namespace
