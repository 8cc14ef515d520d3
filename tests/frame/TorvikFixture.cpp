// Stand-ins for libTorvik.so in the module frame tests. Built several times: with all four
// exports, without stgssm, without stline and stgssm, and as a probe that also prints the number
// of extension-module libraries in the framework's chain when it is loaded and unloaded.
// Each routine leaves its own code in sci_err_code (lesqso 11, stline 12, stgssm 13), so a
// caller can tell which routine a slot reached.
#include <cstdio>

#define FIXTURE_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int sci_err_code = 0;
}

FIXTURE_EXPORT int lesqso(int, int, int, int, double**, double**, int, double**) {
    sci_err_code = 11;
    return sci_err_code;
}

#ifndef FIXTURE_WITHOUT_STLINE
FIXTURE_EXPORT int stline(double*, double*, int, double*, double*, double*) {
    sci_err_code = 12;
    return sci_err_code;
}
#endif

#ifndef FIXTURE_WITHOUT_STGSSM
FIXTURE_EXPORT int stgssm(double*, int, int, int, int, int) {
    sci_err_code = 13;
    return -sci_err_code;
}
#endif

#ifdef FIXTURE_UNLOAD_PROBE
#include "OstraPureMath/Framework.h"

namespace {

__attribute__((constructor)) void ReportLoad() {
    std::printf("torvik init: %d\n", AfxCountDynLinkLibraries(nullptr));
}

__attribute__((destructor)) void ReportUnload() {
    std::printf("torvik fini: %d\n", AfxCountDynLinkLibraries(nullptr));
}

} // namespace
#endif
