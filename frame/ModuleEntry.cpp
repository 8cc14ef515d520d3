// Raw entry hook, entry function and the attach and detach sequences of the module.
#include "frame/ModuleEntry.h"

#include <new>

namespace opm::detail {

BOOL ModuleFrame::RawEntryHook(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == kProcessAttach) {
        // Classes and factories registered before this module belong to whoever registered
        // them; AfxInitExtensionModule takes the set-aside heads over for this module.
        AFX_MODULE_STATE* state = m_framework.GetModuleState();
        state->m_pClassInit = state->m_classList;
        state->m_pFactoryInit = state->m_factoryList;
        state->m_classList = nullptr;
        state->m_factoryList = nullptr;
    }
    return TRUE;
}

BOOL ModuleFrame::DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == kProcessAttach) {
        if (!m_framework.InitExtensionModule(m_extensionModule, instance)) {
            return FALSE;
        }
        m_framework.CreateLibrary(m_extensionModule, FALSE);
    } else if (reason == kProcessDetach) {
        m_framework.TermExtensionModule(m_extensionModule, FALSE);
    }
    return TRUE;
}

BOOL ModuleFrame::ProcessAttach(HINSTANCE instance) {
    if (!RawEntryHook(instance, kProcessAttach, nullptr)) {
        return FALSE;
    }
    RunStaticInitialisation();
    if (!DllMain(instance, kProcessAttach, nullptr)) {
        Terminate(instance);
        return FALSE;
    }
    m_attached = true;
    return TRUE;
}

BOOL ModuleFrame::ProcessDetach(HINSTANCE instance) {
    if (!m_attached) {
        return FALSE;
    }
    m_attached = false;
    Terminate(instance);
    return TRUE;
}

void ModuleFrame::RunStaticInitialisation() {
    new (m_binding) ExternalRoutineBinding(m_externalLibrary, m_os);
    // Registered right after the constructor returns; the list has room for it.
    m_exitList.Register(&ModuleFrame::DestroyBinding, this);
}

void ModuleFrame::Terminate(HINSTANCE instance) {
    DllMain(instance, kProcessDetach, nullptr);
    m_exitList.RunInReverse();
    RawEntryHook(instance, kProcessDetach, nullptr);
}

void ModuleFrame::DestroyBinding(void* frame) {
    auto* self = static_cast<ModuleFrame*>(frame);
    std::launder(reinterpret_cast<ExternalRoutineBinding*>(self->m_binding))
        ->~ExternalRoutineBinding();
}

} // namespace opm::detail
