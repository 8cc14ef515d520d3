// Shared helpers of the tests of the opm:: layer and the C interface.
#pragma once

#include "frame/ExternalRoutines.h"
#include "torvik/Torvik.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace modern_test {

// These tests link the library's objects, which do not bind libTorvik.so at start-up: fill the
// entry slots with its routines, as the binding does.
inline void UseRealExternalRoutines() {
    opm::detail::g_externalRoutines = {lesqso, stline, &sci_err_code, stgssm};
}

// Every element of actual has the bits of the same element of expected.
inline void ExpectSameBits(const std::vector<double>& expected, const std::vector<double>& actual,
                           const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    EXPECT_EQ(std::memcmp(expected.data(), actual.data(), 8 * expected.size()), 0) << what;
}

} // namespace modern_test
