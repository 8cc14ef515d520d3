// How every function of the C interface runs: its body inside Guard, which turns each opm::
// exception into the matching opm_status and records the message for opm_last_error, so that
// no exception ever crosses the C boundary.
#pragma once

#include "OstraPureMath/opm.h"
#include "OstraPureMath/opm/Error.h"

#include <cstddef>
#include <exception>
#include <new>
#include <vector>

namespace opm::detail::capi {

// The calling thread's message: cleared after a success, the failure's text after a failure.
void RecordSuccess() noexcept;
opm_status RecordFailure(opm_status status, const char* message) noexcept;

// Throws opm::InvalidArgument("<function>: <name> is a null pointer") when pointer is null.
void RequireOutput(const char* function, const char* name, const void* pointer);
// The same for an output array of count elements, which may be null when count is 0.
void RequireOutputArray(const char* function, const char* name, const void* pointer,
                        std::size_t count);
// Copies values to out (which has room for them).
void CopyOut(const std::vector<double>& values, double* out) noexcept;

template <class Body> opm_status Guard(Body&& body) noexcept {
    try {
        body();
    } catch (const Error& e) {
        return RecordFailure(static_cast<opm_status>(e.status()), e.what());
    } catch (const std::bad_alloc&) {
        return RecordFailure(OPM_NO_MEMORY, "out of memory");
    } catch (const std::exception& e) {
        // The opm:: layer throws only opm::Error; anything else is a failure of its own.
        return RecordFailure(OPM_NOT_CONVERGED, e.what());
    } catch (...) {
        return RecordFailure(OPM_NOT_CONVERGED, "unexpected failure");
    }
    RecordSuccess();
    return OPM_OK;
}

// Guard for a function with one double result: the result's pointer must not be null (`name` in
// the message), and *out is written only once compute() has returned.
template <class Compute>
opm_status GuardResult(const char* function, const char* name, double* out,
                       Compute&& compute) noexcept {
    return Guard([&] {
        RequireOutput(function, name, out);
        *out = compute();
    });
}

} // namespace opm::detail::capi
