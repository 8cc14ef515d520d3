// Stand-ins for the external routines library: all four exports, or without stgssm, or without
// stline and stgssm. Each routine leaves its own code in sci_err_code (lesqso 11, stline 12,
// stgssm 13). The probe also prints the framework chain's count when it is loaded and unloaded.
#include <cstdio>

#if defined(_WIN32)
#define FIXTURE_VISIBLE __declspec(dllexport)
#else
#define FIXTURE_VISIBLE __attribute__((visibility("default")))
#endif
#define FIXTURE_EXPORT extern "C" FIXTURE_VISIBLE

extern "C" {
FIXTURE_VISIBLE int sci_err_code = 0;
}

FIXTURE_EXPORT int lesqso(int, int, int, int, double**, double**, int, double**) {
    return sci_err_code = 11;
}
#ifndef FIXTURE_WITHOUT_STLINE
FIXTURE_EXPORT int stline(double*, double*, int, double*, double*, double*) {
    return sci_err_code = 12;
}
#endif
#ifndef FIXTURE_WITHOUT_STGSSM
FIXTURE_EXPORT int stgssm(double*, int, int, int, int, int) {
    return -(sci_err_code = 13);
}
#endif

#ifdef FIXTURE_UNLOAD_PROBE
#include "OstraPureMath/Framework.h"
__attribute__((constructor)) static void ReportLoad() {
    std::printf("torvik init: %d\n", AfxCountDynLinkLibraries(nullptr));
}
__attribute__((destructor)) static void ReportUnload() {
    std::printf("torvik fini: %d\n", AfxCountDynLinkLibraries(nullptr));
}
#endif
