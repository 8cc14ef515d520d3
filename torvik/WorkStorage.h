// Work storage of doubles without the cost of zero-filling it: every user writes an element
// before it reads it. Allocation failure raises std::bad_alloc, which the routines report as
// their out-of-memory code.
#pragma once

#include <cstddef>
#include <memory>

namespace torvik {

using Doubles = std::unique_ptr<double[]>;

inline Doubles UninitialisedDoubles(std::size_t count) {
    return Doubles(new double[count]);
}

} // namespace torvik
