// Fixed-size work vectors of the least-squares SVD, released on every path.
#include "matrix/SvdWorkVectors.h"

#include "OstraPureMath/Framework.h"

#include <cstdlib>

namespace opm::detail {

SvdWorkVectors::SvdWorkVectors(int count) {
    for (int index = 0; index < count; ++index) {
        auto* block = static_cast<double*>(std::malloc(kSvdWorkBlockBytes));
        if (block == nullptr) {
            // The destructor does not run for a constructor that throws: give back what we have.
            ReleaseAll();
            AfxThrowMemoryException();
        }
        blocks_[count_++] = block;
    }
}

SvdWorkVectors::~SvdWorkVectors() {
    ReleaseAll();
}

void SvdWorkVectors::ReleaseAll() {
    while (count_ > 0) {
        std::free(blocks_[--count_]);
    }
}

} // namespace opm::detail
