// Shared by the tests of the opm:: layer and the C interface.
#pragma once

#include "frame/ExternalRoutines.h"
#include "torvik/Torvik.h"

namespace modern_test {

// These tests link the library's objects, which do not bind libTorvik.so at start-up: fill the
// entry slots with its routines, as the binding does.
inline void UseRealExternalRoutines() {
    opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
}

} // namespace modern_test
