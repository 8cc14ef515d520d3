// Per-thread work storage: blocks of doubles that the operations take for the duration of one
// call and give back to a small cache of the calling thread, so that a hot path does not obtain
// fresh memory on every call. Each thread has its own cache, released when the thread ends, so
// concurrent calls on different threads never share a block.
#pragma once

#include <cstddef>

namespace opm::detail {

// A block of at least `count` doubles (count 0 counts as 1), not initialised, for the lifetime
// of the object; aligned as malloc aligns, so that it may also hold pointers. Small blocks are
// part of the object itself; larger ones are taken from the thread's cache when one is large
// enough, else from malloc; a count too large to address or a malloc that yields null raises
// CMemoryException (nothing else has happened). Scopes may nest: each object has a block of its
// own.
class ScratchDoubles {
public:
    explicit ScratchDoubles(std::size_t count);
    ~ScratchDoubles();
    ScratchDoubles(const ScratchDoubles&) = delete;
    ScratchDoubles& operator=(const ScratchDoubles&) = delete;

    double* data() const { return data_; }
    // The block's first bytes as an array of T (pointers, for row-pointer matrices).
    template <class T> T* As() const { return reinterpret_cast<T*>(data_); }

private:
    static constexpr std::size_t kInlineCount = 32;

    alignas(16) double inline_[kInlineCount];
    double* data_;
    std::size_t capacity_; // 0 for the inline block
};

} // namespace opm::detail
