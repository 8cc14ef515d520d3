// Win32 backend of the operating-system layer.
#include "frame/OsLayer.h"

#include <windows.h>
// The interface's LoadLibrary is ours; the platform's ANSI/Unicode switch is not wanted here.
#undef LoadLibrary

#include "OstraPureMath/Framework.h"

#include <climits>
#include <cstdlib>
#include <cwchar>

namespace opm::detail {

const PlatformOsLayer kPlatformOsLayer{};

namespace {

constexpr const wchar_t* kOwnModuleFileName = L"OstraPureMath.dll";
constexpr DWORD kPathCharacters = 260;
constexpr UINT kThreadAnsiCodePage = 3; // CP_THREAD_ACP
constexpr int kBytesPerCharacter = 4;   // enough for any ANSI code page
constexpr UINT kErrorBoxStyle = 0x10;   // MB_ICONERROR with the one OK button (MB_OK is 0)

// An entry name converted from UTF-16 for GetProcAddress: in a buffer of its own when it fits,
// on the heap otherwise.
class NarrowName {
public:
    explicit NarrowName(const wchar_t* name);
    ~NarrowName() { Release(); }
    NarrowName(const NarrowName&) = delete;
    NarrowName& operator=(const NarrowName&) = delete;

    const char* Text() const { return m_text; }

private:
    bool Convert(const wchar_t* name, int characters, int bytes);
    void Release();
    [[noreturn]] static void RaiseConversionFailure(DWORD error);

    char m_fixed[128];
    char* m_text = m_fixed;
};

NarrowName::NarrowName(const wchar_t* name) {
    const int characters = lstrlenW(name) + 1; // with the terminating zero
    if (characters > INT_MAX / kBytesPerCharacter) {
        AfxThrowMemoryException();
    }
    if (Convert(name, characters, characters * kBytesPerCharacter)) {
        return;
    }
    DWORD error = GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER) {
        const int needed = WideCharToMultiByte(kThreadAnsiCodePage, 0, name, characters, nullptr, 0,
                                               nullptr, nullptr);
        if (needed > 0 && Convert(name, characters, needed)) {
            return;
        }
        error = GetLastError();
    }
    RaiseConversionFailure(error);
}

// Converts into bytes bytes of storage (the fixed buffer when they fit). False when the platform
// reports a failure; GetLastError then says which.
bool NarrowName::Convert(const wchar_t* name, int characters, int bytes) {
    Release();
    if (static_cast<std::size_t>(bytes) > sizeof m_fixed) {
        m_text = static_cast<char*>(std::malloc(static_cast<std::size_t>(bytes)));
        if (m_text == nullptr) {
            m_text = m_fixed;
            AfxThrowMemoryException();
        }
    }
    return WideCharToMultiByte(kThreadAnsiCodePage, 0, name, characters, m_text, bytes, nullptr,
                               nullptr) != 0;
}

void NarrowName::Release() {
    if (m_text != m_fixed) {
        std::free(m_text);
        m_text = m_fixed;
    }
}

void NarrowName::RaiseConversionFailure(DWORD error) {
    if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY) {
        AfxThrowMemoryException();
    }
    AfxThrowOleException(HRESULT_FROM_WIN32(error));
}

} // namespace

OsString::size_type LastDirectorySeparator(const OsString& path) {
    const wchar_t* last = std::wcsrchr(path.c_str(), L'\\');
    return last == nullptr ? OsString::npos : OsString::size_type(last - path.c_str());
}

void* PlatformOsLayer::OwnModuleHandle() const {
    HMODULE module = nullptr;
    const DWORD flags =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&kPlatformOsLayer), &module)) {
        return nullptr;
    }
    return module;
}

OsString PlatformOsLayer::OwnModulePath() const {
    wchar_t path[kPathCharacters] = {};
    const HMODULE module = GetModuleHandleW(kOwnModuleFileName);
    GetModuleFileNameW(module, path, kPathCharacters);
    path[kPathCharacters - 1] = L'\0'; // older systems leave a cut path unterminated
    return path;
}

void* PlatformOsLayer::LoadLibrary(const OsString& fullPath) const {
    return LoadLibraryW(fullPath.c_str());
}

void* PlatformOsLayer::ResolveEntry(void* library, const OsChar* name) const {
    const NarrowName narrow(name);
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), narrow.Text()));
}

void PlatformOsLayer::ReleaseLibrary(void* library) const {
    FreeLibrary(static_cast<HMODULE>(library));
}

void PlatformOsLayer::ShowFatalMessage(const OsChar* caption, const OsString& text) const {
    MessageBoxW(nullptr, text.c_str(), caption, kErrorBoxStyle);
}

void PlatformOsLayer::ExitProcess(int status) const {
    std::exit(status);
}

} // namespace opm::detail
