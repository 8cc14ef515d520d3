// Load and release of libTorvik.so and its four entry slots.
#include "frame/ExternalBinding.h"

#include <stdexcept>

namespace opm::detail {

ExternalLibraryState g_externalLibrary{0, nullptr, &g_externalRoutines};

namespace {

constexpr const char* kLibraryFileName = "libTorvik.so";
constexpr const char* kLibraryMessagePrefix = "Unable to load ";
constexpr const char* kLibraryCaption = "DLL load failure";
constexpr const char* kEntryMessagePrefix = "Unable to get proc address for ";
constexpr const char* kEntryCaption = "DLL Load failure"; // capital L, unlike the library's
constexpr const char* kNoDirectoryText = "Unable to locate DLL directory!";
constexpr int kFatalExitStatus = 1;

} // namespace

std::string ModuleDirectory(const std::string& modulePath) {
    const std::string::size_type lastSlash = modulePath.rfind('/');
    if (lastSlash == std::string::npos) {
        throw std::runtime_error(kNoDirectoryText);
    }
    return modulePath.substr(0, lastSlash + 1);
}

ExternalRoutineBinding::ExternalRoutineBinding(ExternalLibraryState& state, const OsLayer& os)
    : m_state(state), m_os(os) {
    ++m_state.bindingCount;
    if (m_state.library != nullptr) {
        return;
    }
    const std::string fullPath = ModuleDirectory(m_os.OwnModulePath()) + kLibraryFileName;
    m_state.library = m_os.LoadLibrary(fullPath);
    if (m_state.library == nullptr) {
        m_os.ShowFatalMessage(kLibraryCaption,
                              std::string(kLibraryMessagePrefix) + kLibraryFileName);
        m_os.ExitProcess(kFatalExitStatus);
    }
    // Each slot is stored before the next name is looked up.
    ExternalRoutineSlots& slots = *m_state.slots;
    slots.lesqso = reinterpret_cast<LesqsoEntry>(ResolveOrExit("lesqso"));
    slots.stline = reinterpret_cast<StlineEntry>(ResolveOrExit("stline"));
    slots.sciErrCode = static_cast<int*>(ResolveOrExit("sci_err_code"));
    slots.stgssm = reinterpret_cast<StgssmEntry>(ResolveOrExit("stgssm"));
}

ExternalRoutineBinding::~ExternalRoutineBinding() {
    --m_state.bindingCount;
    if (m_state.bindingCount == 0) {
        m_os.ReleaseLibrary(m_state.library);
        *m_state.slots = ExternalRoutineSlots{};
    }
}

void* ExternalRoutineBinding::ResolveOrExit(const char* name) const {
    void* address = m_os.ResolveEntry(m_state.library, name);
    if (address == nullptr) {
        m_os.ShowFatalMessage(kEntryCaption, std::string(kEntryMessagePrefix) + name);
        m_os.ExitProcess(kFatalExitStatus);
    }
    return address;
}

} // namespace opm::detail
