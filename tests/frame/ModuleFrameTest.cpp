// The module frame and the binding of the external routines library, driven through fake OS and
// framework layers (the fixture is both and logs every call, so a test sees the order across the
// two), and the binding over the platform's real layer. The library itself is loaded for real in
// child processes by ModuleLoadPosixTest.cpp and ModuleLoadWin32Test.cpp.
#include "FrameTestSupport.h"
#include "frame/ModuleEntry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace opm::detail::test {
namespace {

// The platform's file names and paths: the fake module's path and the library loaded beside it.
#if defined(_WIN32)
constexpr const char* kModuleFile = "OstraPureMath.dll";
constexpr const char* kLibraryFile = "Torvik.dll";
constexpr const char* kModulePath = "C:\\Host\\lib\\OstraPureMath.dll";
constexpr const char* kLibraryPath = "C:\\Host\\lib\\Torvik.dll";
#else
constexpr const char* kModuleFile = "libOstraPureMath.so";
constexpr const char* kLibraryFile = "libTorvik.so";
constexpr const char* kModulePath = "/opt/host/lib/libOstraPureMath.so";
constexpr const char* kLibraryPath = "/opt/host/lib/libTorvik.so";
#endif

// The fake logs plain text; the names and paths here are ASCII.
std::string Narrow(const OsString& text) {
    std::string out;
    for (const OsChar c : text) {
        out += static_cast<char>(c);
    }
    return out;
}
OsString Os(const std::string& text) {
    return OsString(text.begin(), text.end());
}

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
                          std::string("load ") + kLibraryPath,
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
    OsString OwnModulePath() const override { return Log("path"), Os(modulePath); }
    void* LoadLibrary(const OsString& path) const override {
        Log("load " + Narrow(path));
        return real ? kPlatformOsLayer.LoadLibrary(path) : libraryPresent ? &g_library : nullptr;
    }
    void* ResolveEntry(void* handle, const OsChar* name) const override {
        Log("resolve " + Narrow(name) + " " + Filled(slots) +
            (handle == &g_library ? "" : " wrong handle"));
        if (real) {
            return kPlatformOsLayer.ResolveEntry(handle, name);
        }
        return missing.count(Narrow(name)) != 0 ? nullptr : &g_entries.at(Narrow(name));
    }
    void ReleaseLibrary(void* handle) const override {
        Log(handle == &g_library ? "release" : "release wrong handle");
        if (real) {
            kPlatformOsLayer.ReleaseLibrary(handle);
        }
    }
    void ShowFatalMessage(const OsChar* caption, const OsString& text) const override {
        Log("message " + Narrow(caption) + ": " + Narrow(text));
    }
    [[noreturn]] void ExitProcess(int status) const override {
        Log("exit " + std::to_string(status));
        throw ProcessExit{status};
    }
    AFX_MODULE_STATE* GetModuleState() const override { return Log("module state"), &state; }
    BOOL InitExtensionModule(AFX_EXTENSION_MODULE& r, HMODULE module) const override {
        Log("init " + Record(r) + (module == instance ? " instance" : " wrong instance"));
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
    std::string modulePath = kModulePath;
    bool libraryPresent = true;
    bool real = false; // the library calls go to the POSIX layer
    std::set<std::string> missing;
    BOOL initResult = TRUE;
    ExternalRoutineSlots slots{};
    ExternalLibraryState library{0, nullptr, &slots};
    ModuleFrame frame{*this, *this, library};
    std::optional<ExternalRoutineBinding> binding;
    HINSTANCE const instance = reinterpret_cast<HINSTANCE>(&g_instance);
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
    ::testing::Values(
        BindCase{{}, true, 6, "", "1111"},
        BindCase{
            {}, false, 2, std::string("DLL load failure: Unable to load ") + kLibraryFile, "0000"},
        BindCase{{"lesqso"}, true, 3, NoEntry("lesqso"), "0000"},
        BindCase{{"stline", "stgssm"}, true, 4, NoEntry("stline"), "1000"},
        BindCase{{"sci_err_code"}, true, 5, NoEntry("sci_err_code"), "1100"},
        BindCase{{"stgssm"}, true, 6, NoEntry("stgssm"), "1110"}));

// Paths written with '/' as the separator and '\\' as an ordinary character; on Windows the two
// trade places, as the platform's separator is '\\'.
struct DirectoryCase {
    const char* modulePath;
    const char* directory; // where the library is loaded from; null when the path has none
};
std::string OnThisPlatform(std::string path) {
#if defined(_WIN32)
    for (char& c : path) {
        c = c == '/' ? '\\' : c == '\\' ? '/' : c;
    }
#endif
    return path;
}
class ModuleDirectories : public FrameTest, public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(ModuleDirectories, LoadBesideTheModuleOrRaiseWithoutMessage) {
    modulePath = OnThisPlatform(GetParam().modulePath);
    if (GetParam().directory != nullptr) {
        Bind();
        EXPECT_EQ(log.at(1), "load " + OnThisPlatform(GetParam().directory) + kLibraryFile);
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

INSTANTIATE_TEST_SUITE_P(All, ModuleDirectories,
                         ::testing::Values(DirectoryCase{"/libOstraPureMath.so", "/"},
                                           DirectoryCase{"rel/dir/OstraPureMath.dll", "rel/dir/"},
                                           DirectoryCase{"/opt/odd/", "/opt/odd/"},
                                           // Only the separator separates; the other is a name's.
                                           DirectoryCase{"/opt/a\\b/lib.so", "/opt/a\\b/"},
                                           DirectoryCase{"", nullptr},
                                           DirectoryCase{"libOstraPureMath.so", nullptr},
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

// ---- The binding over the platform's own layer.

TEST_F(FrameTest, RealLayerSlotsReachTheLoadedLibrarysRoutinesAndErrorCode) {
    TempDirectory directory;
    directory.Copy(OPM_FRAME_FIXTURE_FULL, kLibraryFile);
    modulePath = (directory.path / kModuleFile).string();
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

} // namespace
} // namespace opm::detail::test
