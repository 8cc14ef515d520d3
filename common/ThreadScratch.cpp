// The per-thread cache behind ScratchDoubles: a few blocks kept for reuse, the largest ones
// first; blocks above a size limit are returned to the heap at once so that one large call does
// not pin its memory for the life of the thread.
#include "common/ThreadScratch.h"

#include "OstraPureMath/Framework.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace opm::detail {

namespace {

constexpr int kCachedBlocks = 4;
// Larger blocks are not kept: 16 MiB, two million doubles.
constexpr std::size_t kLargestCachedCount = std::size_t(1) << 21;

struct Block {
    double* data;
    std::size_t capacity;
};

class ThreadCache {
public:
    ~ThreadCache() {
        for (int i = 0; i < count_; ++i) {
            std::free(blocks_[i].data);
        }
    }

    // The smallest cached block that holds `count`, or a new one.
    Block Take(std::size_t count) {
        int best = -1;
        for (int i = 0; i < count_; ++i) {
            if (blocks_[i].capacity >= count &&
                (best < 0 || blocks_[i].capacity < blocks_[best].capacity)) {
                best = i;
            }
        }
        if (best >= 0) {
            const Block block = blocks_[best];
            blocks_[best] = blocks_[--count_];
            return block;
        }
        if (count > SIZE_MAX / sizeof(double)) {
            AfxThrowMemoryException();
        }
        auto* data = static_cast<double*>(std::malloc(count * sizeof(double)));
        if (data == nullptr) {
            AfxThrowMemoryException();
        }
        return {data, count};
    }

    // Keeps the block unless it is too large or smaller than every cached one of a full cache.
    void Give(Block block) {
        if (block.capacity > kLargestCachedCount) {
            std::free(block.data);
            return;
        }
        if (count_ < kCachedBlocks) {
            blocks_[count_++] = block;
            return;
        }
        int smallest = 0;
        for (int i = 1; i < count_; ++i) {
            if (blocks_[i].capacity < blocks_[smallest].capacity) {
                smallest = i;
            }
        }
        if (blocks_[smallest].capacity < block.capacity) {
            std::swap(blocks_[smallest], block);
        }
        std::free(block.data);
    }

private:
    Block blocks_[kCachedBlocks] = {};
    int count_ = 0;
};

thread_local ThreadCache t_cache;

} // namespace

ScratchDoubles::ScratchDoubles(std::size_t count) {
    if (count <= kInlineCount) {
        data_ = inline_;
        capacity_ = 0;
        return;
    }
    const Block block = t_cache.Take(count);
    data_ = block.data;
    capacity_ = block.capacity;
}

ScratchDoubles::~ScratchDoubles() {
    if (capacity_ != 0) {
        t_cache.Give({data_, capacity_});
    }
}

} // namespace opm::detail
