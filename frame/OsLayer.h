// The operating-system services the module frame needs, behind a small interface.
//
// The module entry and the external routine binding call the platform only through OsLayer, so
// the same sequences run for real (PosixOsLayer, used by the library's ELF constructor and
// destructor) and under test with a fake that records every call and can fail on demand.
#pragma once

#include <string>

namespace opm::detail {

class OsLayer {
public:
    // Handle of this module: the base address at which its image is mapped (the counterpart of
    // a module instance handle). Null when it cannot be determined.
    virtual void* OwnModuleHandle() const = 0;

    // Full path of this module's file. Where the module's own file cannot be determined, the
    // path of the executable; an empty string when neither can be.
    virtual std::string OwnModulePath() const = 0;

    // Loads the shared library at fullPath (never searched for by name). Returns its handle, or
    // null when it cannot be loaded.
    virtual void* LoadLibrary(const std::string& fullPath) const = 0;

    // Address of the exported name in library (for a data export, the variable's address), or
    // null when the library does not export it.
    virtual void* ResolveEntry(void* library, const char* name) const = 0;

    // Releases a library obtained from LoadLibrary.
    virtual void ReleaseLibrary(void* library) const = 0;

    // Shows a fatal error to the user (the process ends right after).
    virtual void ShowFatalMessage(const char* caption, const std::string& text) const = 0;

    // Ends the process with the given exit status, running the process's exit handlers.
    [[noreturn]] virtual void ExitProcess(int status) const = 0;

protected:
    constexpr OsLayer() = default;
    ~OsLayer() = default;
};

// POSIX backend: dladdr (falling back to /proc/self/exe), dlopen(RTLD_NOW | RTLD_LOCAL), dlsym,
// dlclose, one line "<caption>: <text>" on standard error, exit.
class PosixOsLayer final : public OsLayer {
public:
    constexpr PosixOsLayer() = default;

    void* OwnModuleHandle() const override;
    std::string OwnModulePath() const override;
    void* LoadLibrary(const std::string& fullPath) const override;
    void* ResolveEntry(void* library, const char* name) const override;
    void ReleaseLibrary(void* library) const override;
    void ShowFatalMessage(const char* caption, const std::string& text) const override;
    [[noreturn]] void ExitProcess(int status) const override;
};

// The one POSIX layer object (constant-initialised: it runs no code when the library loads).
extern const PosixOsLayer kPosixOsLayer;

} // namespace opm::detail
