// The application-framework calls of the module entry, behind a small interface.
//
// The entry function and the raw entry hook reach the framework's extension-module registration
// only through FrameworkLayer, so tests can drive them with a fake that records the calls and
// their arguments; AfxFrameworkLayer forwards to libOstraFramework.so.
#pragma once

#include "OstraPureMath/Framework.h"

namespace opm::detail {

class FrameworkLayer {
public:
    // AfxGetModuleState.
    virtual AFX_MODULE_STATE* GetModuleState() const = 0;
    // AfxInitExtensionModule(record, hModule).
    virtual BOOL InitExtensionModule(AFX_EXTENSION_MODULE& record, HMODULE hModule) const = 0;
    // Creates a CDynLinkLibrary(record, bSystem) on the heap; the framework's chain owns it. When
    // the allocation fails the object is simply not made.
    virtual void CreateLibrary(AFX_EXTENSION_MODULE& record, BOOL bSystem) const = 0;
    // AfxTermExtensionModule(record, bAll).
    virtual void TermExtensionModule(AFX_EXTENSION_MODULE& record, BOOL bAll) const = 0;

protected:
    constexpr FrameworkLayer() = default;
    ~FrameworkLayer() = default;
};

// Forwards to the framework stand-in, libOstraFramework.so.
class AfxFrameworkLayer final : public FrameworkLayer {
public:
    constexpr AfxFrameworkLayer() = default;

    AFX_MODULE_STATE* GetModuleState() const override;
    BOOL InitExtensionModule(AFX_EXTENSION_MODULE& record, HMODULE hModule) const override;
    void CreateLibrary(AFX_EXTENSION_MODULE& record, BOOL bSystem) const override;
    void TermExtensionModule(AFX_EXTENSION_MODULE& record, BOOL bAll) const override;
};

// The one framework layer object (constant-initialised).
extern const AfxFrameworkLayer kAfxFrameworkLayer;

} // namespace opm::detail
