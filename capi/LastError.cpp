// The per-thread message of the C interface, and the status values it shares with opm::Status.
#include "capi/CapiGuard.h"

#include <algorithm>
#include <cstring>
#include <string>

static_assert(OPM_OK == static_cast<int>(opm::Status::ok) &&
                  OPM_BAD_ARGUMENT == static_cast<int>(opm::Status::bad_argument) &&
                  OPM_NO_MEMORY == static_cast<int>(opm::Status::no_memory) &&
                  OPM_NOT_CONVERGED == static_cast<int>(opm::Status::not_converged) &&
                  OPM_DEGENERATE == static_cast<int>(opm::Status::degenerate) &&
                  OPM_UNAVAILABLE == static_cast<int>(opm::Status::unavailable),
              "opm_status and opm::Status must have the same values");

namespace opm::detail::capi {

namespace {

// A fixed block rather than a std::string: a thread-local object with a destructor would keep
// the C library from ever unloading this library (dlclose), and a message never needs more.
constexpr std::size_t kMessageCapacity = 512;
thread_local char t_message[kMessageCapacity];

} // namespace

void RecordSuccess() noexcept {
    t_message[0] = '\0';
}

opm_status RecordFailure(opm_status status, const char* message) noexcept {
    // Longer messages are cut, at a byte, to the block.
    const std::size_t length = std::min(std::strlen(message), kMessageCapacity - 1);
    std::memcpy(t_message, message, length);
    t_message[length] = '\0';
    return status;
}

void RequireOutput(const char* function, const char* name, const void* pointer) {
    if (pointer == nullptr) {
        throw InvalidArgument(std::string(function) + ": " + name + " is a null pointer");
    }
}

void RequireOutputArray(const char* function, const char* name, const void* pointer,
                        std::size_t count) {
    if (count != 0) {
        RequireOutput(function, name, pointer);
    }
}

void CopyOut(const std::vector<double>& values, double* out) noexcept {
    std::copy(values.begin(), values.end(), out);
}

} // namespace opm::detail::capi

const char* opm_last_error(void) {
    return opm::detail::capi::t_message;
}
