// Straight-line fit and Gaussian smoothing, both carried out by the external routines library
// through the entry slots that the binding fills at load time.
#include "OstraPureMath/Statistics.h"
#include "frame/ExternalRoutines.h"

#include <cstdlib>

namespace Statistics {

int Line(double* x, double* y, int n, double& r1, double& r2, double& r3) {
    if (x == nullptr || y == nullptr || n <= 0) {
        return -1;
    }
    const opm::detail::StlineEntry stline = opm::detail::g_externalRoutines.stline;
    if (stline == nullptr) {
        std::exit(1);
    }
    stline(x, y, n, &r1, &r2, &r3);
    const int* errorCode = opm::detail::g_externalRoutines.sciErrCode;
    if (errorCode == nullptr) {
        std::exit(1);
    }
    return *errorCode;
}

int GaussSmooth(double* data, int p1, int p2, int p3, int p4, int p5) {
    const opm::detail::StgssmEntry stgssm = opm::detail::g_externalRoutines.stgssm;
    if (stgssm == nullptr) {
        std::exit(1);
    }
    return stgssm(data, p1, p2, p3, p4, p5);
}

} // namespace Statistics
