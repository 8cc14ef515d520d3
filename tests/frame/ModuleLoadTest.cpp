// The OS layer and the library for real: a child process (LoadHost.cpp, LoadHostWin32.cpp) loads
// a copy of the built library from a temporary directory, with and without a stand-in for the
// external routines library beside it. One table for both platforms: what was loaded, what the
// child printed, and its exit status.
#if defined(_WIN32)
#include "frame/OsLayer.h"
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace opm::detail::test {
namespace {

namespace fs = std::filesystem;

// A fresh directory under the system's temporary directory, removed with its contents afterwards.
struct TempDirectory {
    TempDirectory() {
        std::random_device seed;
        while (!fs::create_directory(path = fs::temp_directory_path() /
                                            ("opm-frame-" + std::to_string(seed())))) {
        }
    }
    ~TempDirectory() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path Copy(const char* source, const char* name) const {
        fs::copy_file(fs::absolute(source).make_preferred(), path / name);
        return path / name;
    }
    fs::path path;
};

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf(); // text mode: Windows line ends read as \n
    return text.str();
}

struct ChildRun {
    long status;
    std::string out, err;
};

#if defined(_WIN32)
constexpr const char *kModule = "OstraPureMath.dll", *kTorvik = "Torvik.dll";
// The host prints the chain's count after the load and after the unload. A box's caption and
// text reach stderr through the host's recorder in place of MessageBoxW.
constexpr const char* kReleases = "";
std::string Shown(const std::string& message) {
    return "message box " + message + " (no owner, style 0x10)\n";
}

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

// The host's own directory holds a complete Torvik.dll, which a search by name would find.
ChildRun RunHost(const fs::path& module, const TempDirectory& directory, bool) {
    const fs::path host = fs::absolute(OPM_FRAME_LOAD_HOST).make_preferred();
    std::wstring commandLine = L"\"" + host.wstring() + L"\" \"" + module.wstring() + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const fs::path out = directory.path / "out", err = directory.path / "err";
    HANDLE files[2];
    for (int i = 0; i < 2; ++i) {
        files[i] = CreateFileW((i == 0 ? out : err).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                               &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = files[0];
    startup.hStdError = files[1];
    PROCESS_INFORMATION process{};
    DWORD status = 0xDEAD;
    if (CreateProcessW(host.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(files[0]);
    CloseHandle(files[1]);
    return {long(status), ReadFile(out), ReadFile(err)};
}
#else
constexpr const char *kModule = "libOstraPureMath.so", *kTorvik = "libTorvik.so";
// The host also prints the chain's count at each dlclose.
constexpr const char* kReleases = "dlclose libOstraPureMath.so: 1\ndlclose libTorvik.so: 0\n";
std::string Shown(const std::string& message) {
    return message + "\n";
}

// A complete libTorvik.so on the loader's search path must never be used. After a failed load
// the process ends inside dlopen, where LeakSanitizer could replace status 1 with its own: leak
// detection is off for those.
ChildRun RunHost(const fs::path& module, const TempDirectory& directory, bool fails) {
    TempDirectory decoy;
    decoy.Copy(OPM_FRAME_FIXTURE_FULL, kTorvik);
    const fs::path out = directory.path / "out", err = directory.path / "err";
    const std::string command = "LD_LIBRARY_PATH='" + decoy.path.string() + "' " +
                                (fails ? "ASAN_OPTIONS=detect_leaks=0 '" : "'") +
                                OPM_FRAME_LOAD_HOST + "' '" + module.string() + "' >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}
#endif

// The probe stand-in prints the chain's count when it is loaded and unloaded.
TEST(ModuleLoad, RegistersOnceOrShowsOneMessageAndExitsWithStatusOne) {
    const std::string noEntry = "DLL Load failure: Unable to get proc address for ";
    const struct {
        const char* torvik; // copied beside the module; null for none
        bool probe;
        std::string message; // empty: the load succeeds
    } cases[] = {
        {OPM_TORVIK, false, ""},
        {OPM_FRAME_FIXTURE_PROBE, true, ""},
        {nullptr, false, "DLL load failure: Unable to load " + std::string(kTorvik)},
        {OPM_FRAME_FIXTURE_NO_STGSSM, false, noEntry + "stgssm"},
        {OPM_FRAME_FIXTURE_NO_STLINE_STGSSM, false, noEntry + "stline"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.torvik ? c.torvik : "none");
        TempDirectory directory;
        const fs::path module = directory.Copy(OPM_OSTRAPUREMATH, kModule);
        if (c.torvik != nullptr) {
            directory.Copy(c.torvik, kTorvik);
        }
        const ChildRun run = RunHost(module, directory, !c.message.empty());
        const std::string loaded = std::string(c.probe ? "torvik init: 0\n" : "") +
                                   "loaded: 1 of 1\n" + kReleases +
                                   (c.probe ? "torvik fini: 0\n" : "") + "unloaded: 0\n";
        EXPECT_EQ(run.status, c.message.empty() ? 0 : 1);
        EXPECT_EQ(run.out, c.message.empty() ? loaded : "");
        EXPECT_EQ(run.err, c.message.empty() ? "" : Shown(c.message));
    }
}

} // namespace
} // namespace opm::detail::test
