// The library's one ELF constructor and one ELF destructor: they run the module frame's attach
// and detach sequences with the real framework and POSIX layers. Built into the shared library
// only, so programs that link the library's objects directly (the white-box tests) do not bind.
#include "frame/ModuleEntry.h"

namespace {

// Constant-initialised: nothing runs before the constructor below.
opm::detail::ModuleFrame g_moduleFrame{
    opm::detail::kAfxFrameworkLayer, opm::detail::kPlatformOsLayer, opm::detail::g_externalLibrary};

// noexcept: the loader cannot carry an exception, so the binding's std::runtime_error (no
// directory in the module's path) ends the process through std::terminate, the counterpart of
// an exception leaving the module's start-up. A FALSE attach cannot fail a load here; the module
// stays mapped, unregistered and with libTorvik.so released, and the destructor does nothing.
__attribute__((constructor)) void AttachModule() noexcept {
    g_moduleFrame.ProcessAttach(opm::detail::kPlatformOsLayer.OwnModuleHandle());
}

__attribute__((destructor)) void DetachModule() noexcept {
    g_moduleFrame.ProcessDetach(opm::detail::kPlatformOsLayer.OwnModuleHandle());
}

} // namespace
