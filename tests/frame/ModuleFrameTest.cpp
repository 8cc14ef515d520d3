// The module frame and the binding of libTorvik.so: first driven through fake OS and framework
// layers (the fixture is both and logs every call, so a test sees the order across the two), then
// for real in child processes (LoadHost.cpp) that load a copy of the built libOstraPureMath.so.
#include "frame/ModuleEntry.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace opm::detail::test {
namespace {

using CallLog = std::vector<std::string>;
struct ProcessExit { // what the fake ExitProcess throws instead of ending the test program
    int status;
};

int g_library, g_instance, g_factory; // their addresses stand for a library, instance, factory
// The fake library's exports; their addresses are what it resolves.
std::map<std::string, int> g_entries = {
    {"lesqso", 0}, {"stline", 0}, {"sci_err_code", 0}, {"stgssm", 0}};

// Which slots are stored, in lookup order: "1100" is lesqso and stline.
std::string Filled(const ExternalRoutineSlots& s) {
    std::string out;
    for (const bool f : {!!s.lesqso, !!s.stline, !!s.sciErrCode, !!s.stgssm}) {
        out += f ? '1' : '0';
    }
    return out;
}

const CallLog kBindLog = {"path",
                          "load /opt/host/lib/libTorvik.so",
                          "resolve lesqso 0000",
                          "resolve stline 1000",
                          "resolve sci_err_code 1100",
                          "resolve stgssm 1110"};
const CallLog kAttachLog = [] { // raw hook, binding, entry function
    CallLog l = {"module state"};
    l.insert(l.end(), kBindLog.begin(), kBindLog.end());
    l.insert(l.end(), {"init record instance", "library record 0"});
    return l;
}();

class FrameTest : public ::testing::Test, public OsLayer, public FrameworkLayer {
protected:
    void* OwnModuleHandle() const override { return nullptr; }
    std::string OwnModulePath() const override { return Log("path"), modulePath; }
    void* LoadLibrary(const std::string& path) const override {
        Log("load " + path);
        return real ? kPosixOsLayer.LoadLibrary(path) : libraryPresent ? &g_library : nullptr;
    }
    void* ResolveEntry(void* handle, const char* name) const override {
        Log(std::string("resolve ") + name + " " + Filled(slots) +
            (handle == &g_library ? "" : " wrong handle"));
        if (real) {
            return kPosixOsLayer.ResolveEntry(handle, name);
        }
        return missing.count(name) != 0 ? nullptr : &g_entries.at(name);
    }
    void ReleaseLibrary(void* handle) const override {
        Log(handle == &g_library ? "release" : "release wrong handle");
        if (real) {
            kPosixOsLayer.ReleaseLibrary(handle);
        }
    }
    void ShowFatalMessage(const char* caption, const std::string& text) const override {
        Log(std::string("message ") + caption + ": " + text);
    }
    [[noreturn]] void ExitProcess(int status) const override {
        Log("exit " + std::to_string(status));
        throw ProcessExit{status};
    }
    AFX_MODULE_STATE* GetModuleState() const override { return Log("module state"), &state; }
    BOOL InitExtensionModule(AFX_EXTENSION_MODULE& r, HMODULE module) const override {
        Log("init " + Record(r) + (module == &g_instance ? " instance" : " wrong instance"));
        return initResult;
    }
    void CreateLibrary(AFX_EXTENSION_MODULE& r, BOOL bSystem) const override {
        Log("library " + Record(r) + " " + std::to_string(bSystem));
    }
    void TermExtensionModule(AFX_EXTENSION_MODULE& r, BOOL bAll) const override {
        Log("term " + Record(r) + " " + std::to_string(bAll));
    }

    void Log(std::string line) const { log.push_back(std::move(line)); }
    std::string Record(const AFX_EXTENSION_MODULE& r) const {
        return &r == &frame.ExtensionModule() ? "record" : "wrong record";
    }
    // Makes the fixture's binding object; the exit status, or 0 when the process goes on.
    int Bind() {
        try {
            binding.emplace(library, *this);
        } catch (const ProcessExit& exit) {
            return exit.status;
        }
        return 0;
    }
    void ExpectReleased() const {
        EXPECT_EQ(library.bindingCount, 0);
        EXPECT_EQ(Filled(slots), "0000");
        EXPECT_EQ(frame.Exits().Size(), 0);
    }

    mutable CallLog log;
    CRuntimeClass earlierClass{"Earlier", nullptr}; // on the lists before the module attaches
    COleObjectFactory* const earlierFactory = reinterpret_cast<COleObjectFactory*>(&g_factory);
    mutable AFX_MODULE_STATE state{&earlierClass, earlierFactory, nullptr, nullptr, nullptr};
    std::string modulePath = "/opt/host/lib/libOstraPureMath.so";
    bool libraryPresent = true;
    bool real = false; // the library calls go to the POSIX layer
    std::set<std::string> missing;
    BOOL initResult = TRUE;
    ExternalRoutineSlots slots{};
    ExternalLibraryState library{0, nullptr, &slots};
    ModuleFrame frame{*this, *this, library};
    std::optional<ExternalRoutineBinding> binding;
    HINSTANCE const instance = &g_instance;
};

struct BindCase {
    std::set<std::string> missing;
    bool libraryPresent;
    std::size_t steps;   // entries of kBindLog made before the failure
    std::string message; // the fatal message; empty when the binding succeeds
    const char* filled;
};
std::string NoEntry(const char* name) {
    return std::string("DLL Load failure: Unable to get proc address for ") + name;
}
class BindingBranches : public FrameTest, public ::testing::WithParamInterface<BindCase> {};

TEST_P(BindingBranches, StopAtTheFirstFailureWithItsMessageAndStatusOne) {
    const BindCase& c = GetParam();
    missing = c.missing;
    libraryPresent = c.libraryPresent;
    EXPECT_EQ(Bind(), c.message.empty() ? 0 : 1);
    CallLog expected(kBindLog.begin(), kBindLog.begin() + c.steps);
    if (!c.message.empty()) {
        expected.insert(expected.end(), {"message " + c.message, "exit 1"});
    }
    EXPECT_EQ(log, expected);
    EXPECT_EQ(Filled(slots), c.filled);
}

INSTANTIATE_TEST_SUITE_P(
    All, BindingBranches,
    ::testing::Values(BindCase{{}, true, 6, "", "1111"},
                      BindCase{
                          {}, false, 2, "DLL load failure: Unable to load libTorvik.so", "0000"},
                      BindCase{{"lesqso"}, true, 3, NoEntry("lesqso"), "0000"},
                      BindCase{{"stline", "stgssm"}, true, 4, NoEntry("stline"), "1000"},
                      BindCase{{"sci_err_code"}, true, 5, NoEntry("sci_err_code"), "1100"},
                      BindCase{{"stgssm"}, true, 6, NoEntry("stgssm"), "1110"}));

struct DirectoryCase {
    const char* modulePath;
    const char* loaded; // the path loaded; null when the path has no directory
};
class ModuleDirectories : public FrameTest, public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(ModuleDirectories, LoadBesideTheModuleOrRaiseWithoutMessage) {
    modulePath = GetParam().modulePath;
    if (GetParam().loaded != nullptr) {
        Bind();
        EXPECT_EQ(log.at(1), std::string("load ") + GetParam().loaded);
        return;
    }
    try {
        Bind();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Unable to locate DLL directory!");
    }
    EXPECT_EQ(log, CallLog{"path"});
    EXPECT_EQ(library.bindingCount, 1); // counted before the directory is looked for
}

INSTANTIATE_TEST_SUITE_P(
    All, ModuleDirectories,
    ::testing::Values(DirectoryCase{"/libOstraPureMath.so", "/libTorvik.so"},
                      DirectoryCase{"rel/dir/libOstraPureMath.so", "rel/dir/libTorvik.so"},
                      DirectoryCase{"/opt/odd/", "/opt/odd/libTorvik.so"},
                      // Only '/' separates directories; a backslash is part of a name.
                      DirectoryCase{"/opt/a\\b/lib.so", "/opt/a\\b/libTorvik.so"},
                      DirectoryCase{"", nullptr}, DirectoryCase{"libOstraPureMath.so", nullptr},
                      DirectoryCase{"C:\\Host\\OstraPureMath.dll", nullptr}));

TEST_F(FrameTest, BindingStoresEachEntryLoadsOnceAndReleasesWithTheLastObject) {
    ASSERT_EQ(Bind(), 0);
    EXPECT_EQ(library.library, &g_library);
    EXPECT_EQ(reinterpret_cast<void*>(slots.lesqso), &g_entries["lesqso"]);
    EXPECT_EQ(reinterpret_cast<void*>(slots.stline), &g_entries["stline"]);
    EXPECT_EQ(slots.sciErrCode, &g_entries["sci_err_code"]);
    EXPECT_EQ(reinterpret_cast<void*>(slots.stgssm), &g_entries["stgssm"]);
    const CallLog once = log;
    std::optional<ExternalRoutineBinding> second(std::in_place, library, *this);
    EXPECT_EQ(library.bindingCount, 2);
    binding.reset();
    EXPECT_EQ(log, once); // no second load or lookup, and no release yet
    EXPECT_EQ(library.bindingCount, 1);
    EXPECT_EQ(Filled(slots), "1111");
    second.reset();
    EXPECT_EQ(log.back(), "release");
    EXPECT_EQ(library.bindingCount, 0);
    EXPECT_EQ(Filled(slots), "0000");
}

TEST_F(FrameTest, AttachRunsRawHookBindingEntryAndDetachUnregistersBeforeRelease) {
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE); // nothing to detach yet
    EXPECT_EQ(frame.ProcessAttach(instance), TRUE);
    EXPECT_EQ(log, kAttachLog);
    // The raw hook moved the list heads aside and cleared them.
    EXPECT_EQ(state.m_pClassInit, &earlierClass);
    EXPECT_EQ(state.m_pFactoryInit, earlierFactory);
    EXPECT_EQ(state.m_classList, nullptr);
    EXPECT_EQ(state.m_factoryList, nullptr);
    EXPECT_EQ(library.bindingCount, 1);
    EXPECT_EQ(frame.Exits().Size(), 1);

    log.clear();
    EXPECT_EQ(frame.ProcessDetach(instance), TRUE);
    EXPECT_EQ(log, (CallLog{"term record 0", "release"}));
    ExpectReleased();
    log.clear();
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE);
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, ThreadReasonsAndTheRawHooksDetachDoNothing) {
    const AFX_MODULE_STATE before = state;
    for (DWORD reason : {kThreadAttach, kThreadDetach}) {
        EXPECT_EQ(frame.DllMain(instance, reason, nullptr), TRUE);
        EXPECT_EQ(frame.RawEntryHook(instance, reason, nullptr), TRUE);
    }
    EXPECT_EQ(frame.RawEntryHook(instance, kProcessDetach, nullptr), TRUE);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(std::memcmp(&before, &state, sizeof before), 0);
}

TEST_F(FrameTest, FailedInitialisationUnwindsTheAttach) {
    initResult = FALSE;
    EXPECT_EQ(frame.ProcessAttach(instance), FALSE);
    // Entry function with detach, then the exit list (the release); no library object was made.
    CallLog expected(kAttachLog.begin(), kAttachLog.end() - 1);
    expected.insert(expected.end(), {"term record 0", "release"});
    EXPECT_EQ(log, expected);
    ExpectReleased();
    log.clear();
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE); // the attach never completed
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, BindingFailureStopsTheAttachBeforeTheEntryFunction) {
    libraryPresent = false;
    EXPECT_THROW(frame.ProcessAttach(instance), ProcessExit);
    EXPECT_EQ(log.back(), "exit 1");
    log.clear();
    libraryPresent = true;
    modulePath = "OstraPureMath";
    library = ExternalLibraryState{0, nullptr, &slots};
    EXPECT_THROW(frame.ProcessAttach(instance), std::runtime_error);
    EXPECT_EQ(log, (CallLog{"module state", "path"}));
    EXPECT_EQ(frame.Exits().Size(), 0);
}

// ---- The POSIX layer and the library for real.

namespace fs = std::filesystem;

// A fresh temporary directory, removed with its contents afterwards.
struct TempDirectory {
    TempDirectory() {
        std::string pattern = (fs::temp_directory_path() / "opm-frame-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create " + pattern);
        }
        path = pattern;
    }
    ~TempDirectory() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string Copy(const char* source, const char* name) const {
        fs::copy_file(source, path / name);
        return (path / name).string();
    }
    fs::path path;
};

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

TEST(PosixOsLayerTest, FindsTheFileAndImageOfTheCodeItRunsIn) {
    EXPECT_TRUE(fs::equivalent(kPosixOsLayer.OwnModulePath(), "/proc/self/exe"));
    void* base = kPosixOsLayer.OwnModuleHandle();
    Dl_info info{};
    ASSERT_NE(dladdr(base, &info), 0);
    EXPECT_EQ(info.dli_fbase, base);
}

TEST_F(FrameTest, RealLayerSlotsReachTheLoadedLibrarysRoutinesAndErrorCode) {
    TempDirectory directory;
    directory.Copy(OPM_FRAME_FIXTURE_FULL, "libTorvik.so");
    modulePath = (directory.path / "libOstraPureMath.so").string();
    real = true;
    ASSERT_EQ(Bind(), 0);
    // The stand-in's routines leave 11, 12 and 13 in its sci_err_code.
    double value = 0.0;
    double* row = &value;
    EXPECT_EQ(slots.lesqso(1, 1, 1, 1, &row, &row, 1, &row), 11);
    EXPECT_EQ(*slots.sciErrCode, 11);
    EXPECT_EQ(slots.stline(&value, &value, 2, &value, &value, &value), 12);
    EXPECT_EQ(*slots.sciErrCode, 12);
    EXPECT_EQ(slots.stgssm(&value, 1, 0, 0, 1, 1), -13);
    EXPECT_EQ(*slots.sciErrCode, 13);
    binding.reset();
    EXPECT_EQ(Filled(slots), "0000");
}

struct LoadCase {
    const char* name;
    const char* torvik; // copied beside the module as libTorvik.so; null for none
    int status;
    const char* out;
    const char* err;
};
class ModuleLoad : public ::testing::TestWithParam<LoadCase> {};

// LoadHost prints the chain's count after the load, at each dlclose and after the unload; the
// probe stand-in prints it when it is loaded and unloaded. A complete libTorvik.so on the
// loader's search path must never be used. After a failed load the process ends inside dlopen,
// where LeakSanitizer could replace status 1 with its own: leak detection is off for those.
TEST_P(ModuleLoad, RegistersOnceOrPrintsOneLineAndExitsWithStatusOne) {
    const LoadCase& c = GetParam();
    TempDirectory directory, decoy;
    const std::string module = directory.Copy(OPM_OSTRAPUREMATH, "libOstraPureMath.so");
    if (c.torvik != nullptr) {
        directory.Copy(c.torvik, "libTorvik.so");
    }
    decoy.Copy(OPM_FRAME_FIXTURE_FULL, "libTorvik.so");
    const fs::path out = directory.path / "out", err = directory.path / "err";
    const std::string command = "LD_LIBRARY_PATH='" + decoy.path.string() + "' " +
                                (c.status != 0 ? "ASAN_OPTIONS=detect_leaks=0 '" : "'") +
                                OPM_FRAME_LOAD_HOST + "' '" + module + "' >'" + out.string() +
                                "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status);
    EXPECT_EQ(ReadFile(out), c.out);
    EXPECT_EQ(ReadFile(err), c.err);
}

INSTANTIATE_TEST_SUITE_P(
    All, ModuleLoad,
    ::testing::Values(
        LoadCase{"RealLibrary", OPM_TORVIK, 0,
                 "loaded: 1 of 1\ndlclose libOstraPureMath.so: 1\ndlclose libTorvik.so: 0\n"
                 "unloaded: 0\n",
                 ""},
        LoadCase{"Probe", OPM_FRAME_FIXTURE_PROBE, 0,
                 "torvik init: 0\nloaded: 1 of 1\ndlclose libOstraPureMath.so: 1\n"
                 "dlclose libTorvik.so: 0\ntorvik fini: 0\nunloaded: 0\n",
                 ""},
        LoadCase{"NoLibrary", nullptr, 1, "", "DLL load failure: Unable to load libTorvik.so\n"},
        LoadCase{"NoStgssm", OPM_FRAME_FIXTURE_NO_STGSSM, 1, "",
                 "DLL Load failure: Unable to get proc address for stgssm\n"},
        LoadCase{"NoStlineNorStgssm", OPM_FRAME_FIXTURE_NO_STLINE_STGSSM, 1, "",
                 "DLL Load failure: Unable to get proc address for stline\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace opm::detail::test
