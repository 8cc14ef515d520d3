// Work vectors of the least-squares SVD (driver and bidiagonalisation).
//
// Each work vector is one malloc block of a fixed 8000 bytes, 1000 doubles addressed 1..1000,
// whatever the size of the problem; that capacity is why the driver refuses more than 1000 rows.
// The blocks are obtained in order when the set is made and all released when it goes out of
// scope, so they are returned on every path, an exception included.
#pragma once

#include <cstddef>

namespace opm::detail {

// Number of doubles in one work vector, and so the largest row count the SVD driver accepts.
constexpr long kSvdWorkCapacity = 1000;
constexpr std::size_t kSvdWorkBlockBytes = std::size_t(kSvdWorkCapacity) * sizeof(double);

class SvdWorkVectors {
public:
    static constexpr int kMaxVectors = 4;

    // Obtains count blocks (1 <= count <= kMaxVectors) one after the other. When malloc yields
    // null, the blocks already obtained are released and CMemoryException is raised.
    explicit SvdWorkVectors(int count);
    ~SvdWorkVectors();
    SvdWorkVectors(const SvdWorkVectors&) = delete;
    SvdWorkVectors& operator=(const SvdWorkVectors&) = delete;

    // Work vector number index (0-based, in the order obtained), addressed 1..kSvdWorkCapacity.
    double* operator[](int index) const { return blocks_[index] - 1; }

private:
    void ReleaseAll();

    double* blocks_[kMaxVectors] = {};
    int count_ = 0;
};

} // namespace opm::detail
