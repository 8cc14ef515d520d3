// Storage of the external routine entry slots; zero-initialised, filled by the binding.
#include "frame/ExternalRoutines.h"

namespace opm::detail {

ExternalRoutineSlots g_externalRoutines{};

} // namespace opm::detail
