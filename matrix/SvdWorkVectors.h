// Work vectors of the least-squares SVD (driver and bidiagonalisation).
//
// Each work vector holds a fixed 1000 doubles addressed 1..1000, whatever the size of the
// problem; that capacity is why the driver refuses more than 1000 rows. A set of vectors is one
// block of the calling thread's scratch storage, kept for the thread's later calls and given
// back when the set goes out of scope, an exception included.
#pragma once

#include "common/ThreadScratch.h"

#include <cstddef>

namespace opm::detail {

// Number of doubles in one work vector, and so the largest row count the SVD driver accepts.
constexpr long kSvdWorkCapacity = 1000;

class SvdWorkVectors {
public:
    static constexpr int kMaxVectors = 4;

    // Obtains count vectors (1 <= count <= kMaxVectors) in one block; CMemoryException when the
    // block cannot be had.
    explicit SvdWorkVectors(int count) : block_(std::size_t(count) * kSvdWorkCapacity) {}

    // Work vector number index (0-based), addressed 1..kSvdWorkCapacity.
    double* operator[](int index) const { return block_.data() + index * kSvdWorkCapacity - 1; }

private:
    ScratchDoubles block_;
};

} // namespace opm::detail
