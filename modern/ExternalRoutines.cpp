// Entry slots and error codes of the external routines library, for the modern interface.
#include "modern/ExternalRoutines.h"

#include "OstraPureMath/opm/Error.h"
#include "modern/Checks.h"

#include <string>

namespace opm::detail {

const ExternalRoutineSlots& LoadedExternalRoutines(const char* operation) {
    const ExternalRoutineSlots& slots = g_externalRoutines;
    if (slots.lesqso == nullptr || slots.stline == nullptr || slots.stgssm == nullptr) {
        throw Unavailable(std::string(operation) +
                          ": the external routines library is not loaded (it is released when "
                          "the library is unloaded at process exit)");
    }
    return slots;
}

void ThrowForExternalCode(const char* operation, int code, const char* degenerate) {
    const std::string prefix = std::string(operation) + ": ";
    switch (code) {
    case 0:
        return;
    case 1:
        throw InvalidArgument(prefix + "the external routine refused its arguments");
    case 2:
        throw Degenerate(prefix + degenerate);
    case 3:
        throw InvalidArgument(prefix + "the external routine found a NaN or infinity");
    case 4:
        throw OutOfMemory(prefix + "the external routine ran out of memory");
    case 5:
        throw NotConverged(prefix + "the external routine did not converge");
    default:
        throw NotConverged(prefix + "the external routine failed with code " + detail::Text(code));
    }
}

} // namespace opm::detail
