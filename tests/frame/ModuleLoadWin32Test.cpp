// The Win32 layer and the library for real: child processes (LoadHostWin32.cpp) load a copy of
// the built OstraPureMath.dll from a temporary directory, with and without Torvik.dll beside it.
#include "FrameTestSupport.h"
#include "frame/OsLayer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace opm::detail::test {
namespace {

TEST(Win32OsLayerTest, WithoutTheLibrarysModuleThePathIsTheExecutables) {
    // This program holds the layer's code but no module named OstraPureMath.dll.
    wchar_t executable[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    EXPECT_EQ(kPlatformOsLayer.OwnModulePath(), executable);
    EXPECT_EQ(kPlatformOsLayer.OwnModuleHandle(), GetModuleHandleW(nullptr));
}

TEST(Win32OsLayerTest, ResolvesNamesInAndBeyondTheFixedConversionBuffer) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    // 12 and 152 bytes at four per character: the fixed buffer, then heap memory.
    for (const char* name : {"GetLastError", "InitializeCriticalSectionAndSpinCount"}) {
        const std::wstring wide(name, name + std::strlen(name));
        EXPECT_EQ(kPlatformOsLayer.ResolveEntry(kernel, wide.c_str()),
                  reinterpret_cast<void*>(GetProcAddress(kernel, name)))
            << name;
    }
    EXPECT_EQ(kPlatformOsLayer.ResolveEntry(kernel, L"NoSuchEntryPointInKernel32ForSure"), nullptr);
}

fs::path Native(const char* path) {
    return fs::absolute(path).make_preferred();
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

struct ChildRun {
    DWORD status;
    std::string out, err;
};

// Runs commandLine with its standard output and error in files of directory.
ChildRun Run(const fs::path& program, std::wstring commandLine, const TempDirectory& directory) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const fs::path out = directory.path / "out", err = directory.path / "err";
    HANDLE files[2];
    int i = 0;
    for (const fs::path* file : {&out, &err}) {
        files[i++] = CreateFileW(file->c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = files[0];
    startup.hStdError = files[1];
    PROCESS_INFORMATION process{};
    DWORD status = 0xDEAD;
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(files[0]);
    CloseHandle(files[1]);
    return {status, ReadFile(out), ReadFile(err)};
}

// Loads a copy of the library, with torvik (if any) beside it as Torvik.dll, in a child process.
ChildRun LoadInChild(const char* torvik) {
    TempDirectory directory;
    const fs::path module = directory.Copy(Native(OPM_OSTRAPUREMATH), "OstraPureMath.dll");
    if (torvik != nullptr) {
        directory.Copy(Native(torvik), "Torvik.dll");
    }
    const fs::path host = Native(OPM_FRAME_LOAD_HOST);
    return Run(host, Quoted(host) + L" " + Quoted(module), directory);
}

struct LoadCase {
    const char* name;
    const char* torvik; // copied beside the module as Torvik.dll; null for none
    DWORD status;
    const char* out;
    const char* err;
};
class ModuleLoad : public ::testing::TestWithParam<LoadCase> {};

// The host prints the chain's count after the load and after the unload; the probe stand-in
// prints it when it is loaded and unloaded. The host's own directory holds a complete
// Torvik.dll, which a search by name would find. A box's caption and text reach stderr through
// the host's recorder in place of MessageBoxW.
TEST_P(ModuleLoad, RegistersOnceOrShowsOneBoxAndExitsWithStatusOne) {
    const LoadCase& c = GetParam();
    const ChildRun run = LoadInChild(c.torvik);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    All, ModuleLoad,
    ::testing::Values(
        LoadCase{"RealLibrary", OPM_TORVIK, 0, "loaded: 1 of 1\nunloaded: 0\n", ""},
        LoadCase{"Probe", OPM_FRAME_FIXTURE_PROBE, 0,
                 "torvik init: 0\nloaded: 1 of 1\ntorvik fini: 0\nunloaded: 0\n", ""},
        LoadCase{"NoLibrary", nullptr, 1, "",
                 "message box DLL load failure: Unable to load Torvik.dll "
                 "(no owner, style 0x10)\n"},
        LoadCase{"NoStgssm", OPM_FRAME_FIXTURE_NO_STGSSM, 1, "",
                 "message box DLL Load failure: Unable to get proc address for stgssm "
                 "(no owner, style 0x10)\n"},
        LoadCase{"NoStlineNorStgssm", OPM_FRAME_FIXTURE_NO_STLINE_STGSSM, 1, "",
                 "message box DLL Load failure: Unable to get proc address for stline "
                 "(no owner, style 0x10)\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace opm::detail::test
