// Load and release of the external routines library and its four entry slots.
#include "frame/ExternalBinding.h"

#include <stdexcept>

namespace opm::detail {

ExternalLibraryState g_externalLibrary{0, nullptr, &g_externalRoutines};

namespace {

#if defined(_WIN32)
constexpr const OsChar* kLibraryFileName = OPM_OS_TEXT("Torvik.dll");
#else
constexpr const OsChar* kLibraryFileName = OPM_OS_TEXT("libTorvik.so");
#endif
constexpr const OsChar* kLibraryMessagePrefix = OPM_OS_TEXT("Unable to load ");
constexpr const OsChar* kLibraryCaption = OPM_OS_TEXT("DLL load failure");
constexpr const OsChar* kEntryMessagePrefix = OPM_OS_TEXT("Unable to get proc address for ");
constexpr const OsChar* kEntryCaption = OPM_OS_TEXT("DLL Load failure"); // capital L
constexpr const char* kNoDirectoryText = "Unable to locate DLL directory!";
constexpr int kFatalExitStatus = 1;

} // namespace

OsString ModuleDirectory(const OsString& modulePath) {
    const OsString::size_type separator = LastDirectorySeparator(modulePath);
    if (separator == OsString::npos) {
        throw std::runtime_error(kNoDirectoryText);
    }
    return modulePath.substr(0, separator + 1);
}

ExternalRoutineBinding::ExternalRoutineBinding(ExternalLibraryState& state, const OsLayer& os)
    : m_state(state), m_os(os) {
    ++m_state.bindingCount;
    if (m_state.library != nullptr) {
        return;
    }
    const OsString fullPath = ModuleDirectory(m_os.OwnModulePath()) + kLibraryFileName;
    m_state.library = m_os.LoadLibrary(fullPath);
    if (m_state.library == nullptr) {
        m_os.ShowFatalMessage(kLibraryCaption, OsString(kLibraryMessagePrefix) + kLibraryFileName);
        m_os.ExitProcess(kFatalExitStatus);
    }
    // Each slot is stored before the next name is looked up.
    ExternalRoutineSlots& slots = *m_state.slots;
    slots.lesqso = reinterpret_cast<LesqsoEntry>(ResolveOrExit(OPM_OS_TEXT("lesqso")));
    slots.stline = reinterpret_cast<StlineEntry>(ResolveOrExit(OPM_OS_TEXT("stline")));
    slots.sciErrCode = static_cast<int*>(ResolveOrExit(OPM_OS_TEXT("sci_err_code")));
    slots.stgssm = reinterpret_cast<StgssmEntry>(ResolveOrExit(OPM_OS_TEXT("stgssm")));
}

ExternalRoutineBinding::~ExternalRoutineBinding() {
    --m_state.bindingCount;
    if (m_state.bindingCount == 0) {
        m_os.ReleaseLibrary(m_state.library);
        *m_state.slots = ExternalRoutineSlots{};
    }
}

void* ExternalRoutineBinding::ResolveOrExit(const OsChar* name) const {
    void* address = m_os.ResolveEntry(m_state.library, name);
    if (address == nullptr) {
        m_os.ShowFatalMessage(kEntryCaption, OsString(kEntryMessagePrefix) + name);
        m_os.ExitProcess(kFatalExitStatus);
    }
    return address;
}

} // namespace opm::detail
