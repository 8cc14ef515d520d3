// Framework layer that forwards to libOstraFramework.so.
#include "frame/FrameworkLayer.h"

#include <new>

namespace opm::detail {

const AfxFrameworkLayer kAfxFrameworkLayer{};

AFX_MODULE_STATE* AfxFrameworkLayer::GetModuleState() const {
    return AfxGetModuleState();
}

BOOL AfxFrameworkLayer::InitExtensionModule(AFX_EXTENSION_MODULE& record, HMODULE hModule) const {
    return AfxInitExtensionModule(record, hModule);
}

void AfxFrameworkLayer::CreateLibrary(AFX_EXTENSION_MODULE& record, BOOL bSystem) const {
    // The library links itself into the chain in its constructor; the chain owns it from then on
    // and AfxTermExtensionModule deletes it, so no pointer is kept here.
    static_cast<void>(new (std::nothrow) CDynLinkLibrary(record, bSystem));
}

void AfxFrameworkLayer::TermExtensionModule(AFX_EXTENSION_MODULE& record, BOOL bAll) const {
    AfxTermExtensionModule(record, bAll);
}

} // namespace opm::detail
