// The operating-system services the module frame needs, behind a small interface.
//
// The module entry and the external routine binding call the platform only through OsLayer, so
// the same sequences run for real (PlatformOsLayer: on Linux used by the library's ELF
// constructor and destructor, on Windows by the DLL's static initialisation) and under test with
// a fake that records every call and can fail on demand.
#pragma once

#include <string>

namespace opm::detail {

// Text in the form the platform's loader calls take: UTF-16 on Windows, bytes elsewhere. Paths,
// the entry names looked up and the fatal messages travel in it.
#if defined(_WIN32)
using OsChar = wchar_t;
#define OPM_OS_TEXT(literal) L##literal
#else
using OsChar = char;
#define OPM_OS_TEXT(literal) literal
#endif
using OsString = std::basic_string<OsChar>;

class OsLayer {
public:
    // Handle of this module: the base address at which its image is mapped (the module instance
    // handle on Windows). Null when it cannot be determined.
    virtual void* OwnModuleHandle() const = 0;

    // Full path of this module's file. Where the module's own file cannot be determined, the
    // path of the executable; an empty string when neither can be.
    virtual OsString OwnModulePath() const = 0;

    // Loads the shared library at fullPath (never searched for by name). Returns its handle, or
    // null when it cannot be loaded.
    virtual void* LoadLibrary(const OsString& fullPath) const = 0;

    // Address of the exported name in library (for a data export, the variable's address), or
    // null when the library does not export it.
    virtual void* ResolveEntry(void* library, const OsChar* name) const = 0;

    // Releases a library obtained from LoadLibrary.
    virtual void ReleaseLibrary(void* library) const = 0;

    // Shows a fatal error to the user (the process ends right after).
    virtual void ShowFatalMessage(const OsChar* caption, const OsString& text) const = 0;

    // Ends the process with the given exit status, running the process's exit handlers.
    [[noreturn]] virtual void ExitProcess(int status) const = 0;

protected:
    constexpr OsLayer() = default;
    ~OsLayer() = default;
};

// Position in path of the last directory separator, or OsString::npos when there is none. The
// separator is the platform's own and only it counts: '/' (found with strrchr) on POSIX, '\\'
// (found with wcsrchr) on Windows, where a '/' is part of a name.
OsString::size_type LastDirectorySeparator(const OsString& path);

// The backend of the platform built for, one source file each, one call sequence per service.
//
// POSIX (PosixOsLayer.cpp): dladdr (falling back to /proc/self/exe), dlopen(RTLD_NOW |
// RTLD_LOCAL), dlsym, dlclose, one line "<caption>: <text>" on standard error, exit.
//
// Win32 (Win32OsLayer.cpp):
//  - OwnModuleHandle: the module holding this code (GetModuleHandleExW from an address in it);
//  - OwnModulePath: GetModuleHandleW(L"OstraPureMath.dll"), then GetModuleFileNameW of that
//    handle into a buffer of 260 characters, whose result is not examined. When the module's
//    file bears another name the handle is null and the path is the executable's; a longer
//    path is cut to 259 characters;
//  - LoadLibrary: LoadLibraryW(fullPath);
//  - ResolveEntry: the UTF-16 name, with its terminating zero (lstrlenW + 1 characters), is
//    converted with WideCharToMultiByte in code page 3 (the calling thread's ANSI code page)
//    into four bytes per character: a 128-byte buffer of its own when that is enough, heap
//    memory otherwise; when the platform reports the buffer too small (error 122) the size it
//    asks for is obtained and the conversion made again. Then GetProcAddress. A conversion that
//    fails raises CMemoryException when the platform reports out of memory (errors 8 and 14, or
//    the heap refusing the buffer) and COleException with the error as an HRESULT
//    (0x8007xxxx) otherwise; nothing is looked up then;
//  - ReleaseLibrary: FreeLibrary;
//  - ShowFatalMessage: MessageBoxW(nullptr, text, caption, 0x10): no owner window, error icon,
//    one OK button; it returns when the box is closed (at once where no display can show it);
//  - ExitProcess: the runtime's exit(status).
class PlatformOsLayer final : public OsLayer {
public:
    constexpr PlatformOsLayer() = default;

    void* OwnModuleHandle() const override;
    OsString OwnModulePath() const override;
    void* LoadLibrary(const OsString& fullPath) const override;
    void* ResolveEntry(void* library, const OsChar* name) const override;
    void ReleaseLibrary(void* library) const override;
    void ShowFatalMessage(const OsChar* caption, const OsString& text) const override;
    [[noreturn]] void ExitProcess(int status) const override;
};

// The one platform layer object (constant-initialised: it runs no code when the library loads).
extern const PlatformOsLayer kPlatformOsLayer;

} // namespace opm::detail
