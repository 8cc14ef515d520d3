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

// Index of element (i, j), from 0, of a matrix stored column by column with ld rows.
inline std::size_t ColumnMajor(int i, int j, int ld) {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(ld) + static_cast<std::size_t>(i);
}

} // namespace torvik
