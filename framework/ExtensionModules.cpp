// The process-wide module state and the chain of extension-module libraries.
#include "OstraPureMath/Framework.h"

#include <mutex>

namespace {

AFX_MODULE_STATE g_moduleState{};

// Guards the chain: modules may be loaded and unloaded from several threads of a host.
std::mutex& ChainMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    return &g_moduleState;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    if (hModule == nullptr) {
        return FALSE;
    }
    if (state.bInitialized) {
        return TRUE;
    }
    AFX_MODULE_STATE* moduleState = AfxGetModuleState();
    state.hModule = hModule;
    state.hResource = hModule;
    // The lists as they stand hold what the module registered since its raw entry hook set the
    // host's lists aside; the module keeps them, and the host's heads go back in place.
    state.pFirstSharedClass = moduleState->m_classList;
    moduleState->m_classList = moduleState->m_pClassInit;
    state.pFirstSharedFactory = moduleState->m_factoryList;
    moduleState->m_factoryList = moduleState->m_pFactoryInit;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
    if (!state.bInitialized) {
        return;
    }
    CDynLinkLibrary* doomed = nullptr;
    {
        std::lock_guard<std::mutex> lock(ChainMutex());
        CDynLinkLibrary** link = &AfxGetModuleState()->m_libraryList;
        while (*link != nullptr) {
            CDynLinkLibrary* library = *link;
            if (bAll || library->m_hModule == state.hModule) {
                *link = library->m_pNextDLL;
                library->m_pNextDLL = doomed;
                doomed = library;
            } else {
                link = &library->m_pNextDLL;
            }
        }
    }
    while (doomed != nullptr) {
        CDynLinkLibrary* next = doomed->m_pNextDLL;
        doomed->m_pNextDLL = nullptr; // already unlinked: the destructor finds nothing to do
        delete doomed;
        doomed = next;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource),
      m_pFirstSharedClass(state.pFirstSharedClass),
      m_pFirstSharedFactory(state.pFirstSharedFactory), m_bSystem(bSystem), m_pNextDLL(nullptr) {
    std::lock_guard<std::mutex> lock(ChainMutex());
    AFX_MODULE_STATE* moduleState = AfxGetModuleState();
    m_pNextDLL = moduleState->m_libraryList;
    moduleState->m_libraryList = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    std::lock_guard<std::mutex> lock(ChainMutex());
    CDynLinkLibrary** link = &AfxGetModuleState()->m_libraryList;
    while (*link != nullptr) {
        if (*link == this) {
            *link = m_pNextDLL;
            break;
        }
        link = &(*link)->m_pNextDLL;
    }
}

int AfxCountDynLinkLibraries(HMODULE hModule) {
    std::lock_guard<std::mutex> lock(ChainMutex());
    int count = 0;
    for (CDynLinkLibrary* library = AfxGetModuleState()->m_libraryList; library != nullptr;
         library = library->m_pNextDLL) {
        if (hModule == nullptr || library->m_hModule == hModule) {
            ++count;
        }
    }
    return count;
}
