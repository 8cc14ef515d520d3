// Work storage of the least-squares SVD when the heap says no. Linked with --wrap=malloc and
// --wrap=free: the 8000-byte work requests go through the counters below, which make the n-th
// request fail and check that every block obtained comes back.
#include "MatrixTestSupport.h"

#include <cstddef>

extern "C" void* __real_malloc(std::size_t size);
extern "C" void __real_free(void* block);

namespace {

constexpr std::size_t kWorkBlockBytes = 8000;
bool g_armed = false;
int g_requests = 0; // 8000-byte requests while armed
int g_failAt = 0;   // the request that yields null; 0 for none
std::vector<void*>* g_live = nullptr;

} // namespace

extern "C" void* __wrap_malloc(std::size_t size) {
    if (!g_armed || size != kWorkBlockBytes) {
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

// Requests in order: the driver's d and e, then Step 1's u, t, P and F.
constexpr int kWorkRequestsPerCall = 6;

TEST(SvdWorkStorage, EveryFailedRequestRaisesAndReleasesTheOthers) {
    std::mt19937_64 rng(1);
    const mtest::OwnedMatrix a = mtest::RandomMatrix(5, 4, rng), b = mtest::RandomMatrix(5, 1, rng);
    std::vector<void*> live;
    live.reserve(64);
    for (int failAt = 0; failAt <= kWorkRequestsPerCall; ++failAt) {
        SCOPED_TRACE(failAt);
        mtest::OwnedMatrix a1(a), b1(b), x(4, 1);
        double residual[2] = {};
        long n = 4;
        bool converged = false, threw = false;
        g_requests = 0;
        g_failAt = failAt;
        g_live = &live;
        g_armed = true;
        try {
            EXPECT_TRUE(Matrix().SingularValueDecomposition(a1.get(), b1.get(), x.get(), residual,
                                                            5, n, 1, 1e-12, converged));
        } catch (const CMemoryException&) {
            threw = true;
        }
        g_armed = false;
        g_live = nullptr;
        EXPECT_EQ(threw, failAt != 0);
        EXPECT_EQ(g_requests, failAt == 0 ? kWorkRequestsPerCall : failAt);
        EXPECT_TRUE(live.empty()) << live.size() << " work blocks leaked";
    }
}

} // namespace
