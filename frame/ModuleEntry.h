// The module frame: what runs when the library is loaded into a process and unloaded from it.
//
// Three pieces take the platform's entry arguments (instance handle, reason, reserved pointer):
// the raw entry hook, the module's one static initialisation (the binding of the external
// routines library) and the entry function DllMain, which registers the library as an extension
// module of the framework. Documented order:
//
//   process attach: the runtime's own entry work; the raw hook (reason 1); the runtime's own
//     initialisers (among them the creation of its exit list), then the static initialisation,
//     which registers the release of the external library on the exit list; DllMain (reason 1).
//     DllMain returning FALSE unwinds at once: DllMain (reason 0), the exit list, the raw hook
//     (reason 0).
//   process detach (only after a completed attach): DllMain (reason 0); the exit list in reverse
//     order of registration (the release first); the raw hook (reason 0).
//   thread attach and detach: the raw hook and DllMain, which do nothing.
//
// Linux (ElfHooks.cpp): one ELF constructor calls ProcessAttach and one ELF destructor calls
// ProcessDetach with the real layers; these run the pieces in exactly that order, with the
// frame's own ExitList as the exit list. Tests call them with fakes.
//
// Windows (DllEntry.cpp): the MinGW-w64 runtime's DLL entry, DllMainCRTStartup, runs the pieces
// itself; RawEntryHook is its DllEntryPoint, the static initialisation is a C++ static object
// (the binding) whose destruction the compiler registers with the runtime's atexit list, and
// DllMain is the function of that name. Its sequence, mapped onto the documented order:
//
//   attach  1. runtime entry work: DllMainCRTStartup, the image's pseudo-relocations;
//           2. _CRT_INIT(1): the runtime's own initialisers, among them the creation of the
//              DLL's atexit list (C initialisers, the thread-local storage callback);
//           3. DllEntryPoint(1): the raw hook;
//           4. __main: the C++ static initialisers in reverse order of linking, which puts the
//              runtime's own (the static libstdc++'s) first and the binding, with its atexit
//              entry, last;
//           5. DllMain(1); when it returns FALSE: DllMain(0), DllEntryPoint(0), then
//              _CRT_INIT(0), which runs the atexit list (the release), and the load fails.
//   detach  1. without a completed attach the runtime returns FALSE and nothing runs;
//           2. DllMain(0);
//           3. DllEntryPoint(0): the raw hook;
//           4. _CRT_INIT(0): the atexit list in reverse order, the release first (only the
//              runtime's __do_global_dtors, registered after it by __main, comes before it,
//              with no destructor table to run: the binding's destruction is on the list).
//
// So the raw hook runs after the runtime's own initialisers (not before them) at attach, and
// before the exit list (not after it) at detach and in the unwinding. Neither changes what any
// piece sees: the raw hook touches only the framework's list heads at attach and nothing at
// detach, and the runtime's initialisers do not touch the framework. The order among the
// module's own steps, and against the loading and release of the external library, is the
// documented one. ProcessAttach and ProcessDetach are not used there.
#pragma once

#include "OstraPureMath/Framework.h"
#include "frame/ExitList.h"
#include "frame/ExternalBinding.h"
#include "frame/FrameworkLayer.h"
#include "frame/OsLayer.h"

namespace opm::detail {

// Reason codes of the entry pieces.
constexpr DWORD kProcessDetach = 0;
constexpr DWORD kProcessAttach = 1;
constexpr DWORD kThreadAttach = 2;
constexpr DWORD kThreadDetach = 3;

class ModuleFrame {
public:
    // The layers and the binding state must outlive the frame. No code runs here: a module-wide
    // frame is constant-initialised.
    constexpr ModuleFrame(const FrameworkLayer& framework, const OsLayer& os,
                          ExternalLibraryState& externalLibrary)
        : m_framework(framework), m_os(os), m_externalLibrary(externalLibrary) {}

    ModuleFrame(const ModuleFrame&) = delete;
    ModuleFrame& operator=(const ModuleFrame&) = delete;

    // Raw entry hook. Process attach only: moves the module state's class-list and factory-list
    // heads into its initial-class and initial-factory slots and sets both heads to null. Every
    // reason returns TRUE.
    BOOL RawEntryHook(HINSTANCE instance, DWORD reason, LPVOID reserved);

    // Entry function. Process attach: AfxInitExtensionModule(record, instance); FALSE from it
    // returns FALSE at once, otherwise a CDynLinkLibrary(record, FALSE) is made on the heap and
    // the result is TRUE. Process detach: AfxTermExtensionModule(record, FALSE), TRUE. Thread
    // attach and detach: nothing, TRUE. The reserved pointer is never used.
    BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

    // Process attach: the raw hook, then the static initialisation (the binding object is made
    // and its destruction registered on the exit list), then DllMain. A binding failure ends the
    // process or raises std::runtime_error out of this call (see ExternalRoutineBinding); the
    // later steps do not run. When DllMain returns FALSE the attach unwinds at once: DllMain with
    // process detach, the exit list (the library is released), the raw hook with process detach;
    // the result is then FALSE. Otherwise TRUE, and the module counts as attached.
    BOOL ProcessAttach(HINSTANCE instance);

    // Process detach: without a completed attach nothing runs and the result is FALSE. Otherwise
    // DllMain with process detach, the exit list in reverse order of registration (the release of
    // the external library), the raw hook with process detach; TRUE.
    BOOL ProcessDetach(HINSTANCE instance);

    const AFX_EXTENSION_MODULE& ExtensionModule() const { return m_extensionModule; }
    const ExitList& Exits() const { return m_exitList; }

private:
    void RunStaticInitialisation();
    void Terminate(HINSTANCE instance);
    static void DestroyBinding(void* frame);

    const FrameworkLayer& m_framework;
    const OsLayer& m_os;
    ExternalLibraryState& m_externalLibrary;
    AFX_EXTENSION_MODULE m_extensionModule{}; // written only by the framework
    ExitList m_exitList{};
    bool m_attached = false;
    // The binding object lives here between the static initialisation and the exit list.
    alignas(ExternalRoutineBinding) unsigned char m_binding[sizeof(ExternalRoutineBinding)]{};
};

} // namespace opm::detail
