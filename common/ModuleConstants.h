// Module-wide constants shared by several families. Nothing here is ever written at run time.
#pragma once

namespace opm::detail {

// Tolerance of the LU pivot test and of the spline searches.
constexpr double kModuleTolerance = 1e-10;

} // namespace opm::detail
