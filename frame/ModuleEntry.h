// The module frame: what runs when the library is loaded into a process and unloaded from it.
//
// Three pieces take the platform's entry arguments (instance handle, reason, reserved pointer):
// the raw entry hook, the module's one static initialisation (the binding of libTorvik.so) and
// the entry function DllMain, which registers the library as an extension module of the
// framework. ProcessAttach and ProcessDetach run them in the fixed order below; the library's
// ELF constructor and destructor (ElfHooks.cpp) call those two with the real layers, and tests
// call them with fakes.
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
    // libTorvik.so), the raw hook with process detach; TRUE.
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
