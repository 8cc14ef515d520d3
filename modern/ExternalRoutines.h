// The modern interface's access to the external routines library: the entry slots, checked,
// and the library's error codes turned into opm:: exceptions.
#pragma once

#include "frame/ExternalRoutines.h"

namespace opm::detail {

// The filled entry slots. Throws opm::Unavailable when the library has been released (the
// compatible functions end the process in that case; nothing in opm:: does).
const ExternalRoutineSlots& LoadedExternalRoutines(const char* operation);

// Throws the opm:: exception for a non-zero error code of the external library (1 bad
// arguments, 2 degenerate data, 3 a non-finite input, 4 out of memory, 5 no convergence), with
// `degenerate` as the message of code 2. Returns for code 0.
void ThrowForExternalCode(const char* operation, int code, const char* degenerate);

} // namespace opm::detail
