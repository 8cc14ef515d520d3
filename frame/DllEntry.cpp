// The DLL's entry pieces on Windows: the raw entry hook, the module's one static initialiser and
// DllMain, called by the MinGW-w64 runtime's DLL entry in the order ModuleEntry.h describes.
// Built into OstraPureMath.dll only, so programs that link the library's objects directly (the
// white-box tests) do not bind.
#include "frame/ModuleEntry.h"

namespace {

// Constant-initialised: no code runs for it before the entry pieces below.
opm::detail::ModuleFrame g_moduleFrame{
    opm::detail::kAfxFrameworkLayer, opm::detail::kPlatformOsLayer, opm::detail::g_externalLibrary};

// The module's one static initialiser: the binding of Torvik.dll. The compiler registers its
// destruction (the release) on the runtime's exit list right after the constructor returns. An
// exception out of the constructor (no directory in the module's path) leaves the runtime's
// start-up, which ends the process through std::terminate.
opm::detail::ExternalRoutineBinding g_binding{opm::detail::g_externalLibrary,
                                              opm::detail::kPlatformOsLayer};

} // namespace

// The runtime calls these by name with the platform's entry arguments; both use the standard
// calling convention of the platform's entry points.
extern "C" BOOL __stdcall DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return g_moduleFrame.RawEntryHook(instance, reason, reserved);
}

extern "C" BOOL __stdcall DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return g_moduleFrame.DllMain(instance, reason, reserved);
}
