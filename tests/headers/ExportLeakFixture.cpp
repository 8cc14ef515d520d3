// Fixture for the export check: two symbols that must be reported (an internal helper in the
// library's namespace and a free function outside the API) beside ones that are allowed.
#include "OstraPureMath/Matrix.h"

namespace opm::detail {
double LeakedHelper(double x) {
    return 2.0 * x;
}
} // namespace opm::detail

double NonApiFreeFunction(double x) {
    return x + 1.0;
}

// Allowed: a member of an exported class (declared in Matrix.h, defined here for the fixture).
double* Matrix::dVector(long, long) const {
    return nullptr;
}
