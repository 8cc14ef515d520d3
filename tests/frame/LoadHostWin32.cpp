// Host program of the load tests on Windows: `frame_load_host <library>` loads the library with
// LoadLibraryW and unloads it with FreeLibrary, printing "loaded: <libraries of the module> of
// <all libraries in the chain>" and "unloaded: <all libraries>". MessageBoxW, in this process
// only, jumps to a recorder that prints the box on stderr and returns as if OK were pressed.
#include "OstraPureMath/Framework.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    std::fprintf(stderr, "message box %ls: %ls (%s owner, style 0x%x)\n", caption, text,
                 owner == nullptr ? "no" : "an", style);
    std::fflush(stderr);
    return IDOK;
}

// Writes an absolute jump to RecordMessageBox (same signature and convention) over MessageBoxW.
bool RedirectMessageBox() {
    auto* target = reinterpret_cast<unsigned char*>(
        GetProcAddress(LoadLibraryW(L"user32.dll"), "MessageBoxW"));
    const auto recorder = reinterpret_cast<std::uintptr_t>(&RecordMessageBox);
#if defined(_WIN64)
    unsigned char jump[12] = {0x48, 0xB8}; // mov rax, <recorder>; jmp rax
    std::memcpy(jump + 2, &recorder, 8);
#else
    unsigned char jump[7] = {0xB8}; // mov eax, <recorder>; jmp eax
    std::memcpy(jump + 1, &recorder, 4);
#endif
    jump[sizeof jump - 2] = 0xFF;
    jump[sizeof jump - 1] = 0xE0;
    DWORD protection = 0;
    if (target == nullptr ||
        !VirtualProtect(target, sizeof jump, PAGE_EXECUTE_READWRITE, &protection)) {
        return false;
    }
    std::memcpy(target, jump, sizeof jump);
    VirtualProtect(target, sizeof jump, protection, &protection);
    return FlushInstructionCache(GetCurrentProcess(), target, sizeof jump) != 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || !RedirectMessageBox()) {
        std::fprintf(stderr, "usage: frame_load_host <library>\n");
        return 2;
    }
    const HMODULE module = LoadLibraryW(argv[1]);
    if (module == nullptr) {
        std::fprintf(stderr, "LoadLibraryW failed: %lu\n", GetLastError());
        return 2;
    }
    int own = 0;
    for (CDynLinkLibrary* l = AfxGetModuleState()->m_libraryList; l != nullptr; l = l->m_pNextDLL) {
        own += l->m_hModule == module;
    }
    std::printf("loaded: %d of %d\n", own, AfxCountDynLinkLibraries(nullptr));
    std::fflush(stdout);
    FreeLibrary(module);
    std::printf("unloaded: %d\n", AfxCountDynLinkLibraries(nullptr));
    return 0;
}
