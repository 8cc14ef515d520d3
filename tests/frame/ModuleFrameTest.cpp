// The module frame and the binding of the external routines library over fake OS and framework
// layers: what is loaded from where, what is shown, the exit status, and the state the attach
// and detach leave. The library itself is loaded for real in child processes by
// ModuleLoadTest.cpp.
#include "frame/ModuleEntry.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace opm::detail::test {
namespace {

#if defined(_WIN32)
constexpr const char* kLibraryFile = "Torvik.dll";
constexpr const char* kModulePath = "C:\\Host\\OstraPureMath.dll";
#else
constexpr const char* kLibraryFile = "libTorvik.so";
constexpr const char* kModulePath = "/opt/host/libOstraPureMath.so";
#endif

std::string Narrow(const OsString& text) { // the names and paths here are ASCII
    return std::string(text.begin(), text.end());
}

struct ProcessExit { // what the fake ExitProcess throws instead of ending the test program
    int status;
};

int g_library, g_entry, g_instance; // their addresses stand for a library, entry and instance

bool AllFilled(const ExternalRoutineSlots& s) {
    return s.lesqso && s.stline && s.sciErrCode && s.stgssm;
}

class FrameTest : public ::testing::Test, public OsLayer, public FrameworkLayer {
protected:
    void* OwnModuleHandle() const override { return nullptr; }
    OsString OwnModulePath() const override { return {modulePath.begin(), modulePath.end()}; }
    void* LoadLibrary(const OsString& path) const override {
        ++loads;
        loaded = Narrow(path);
        return libraryPresent ? &g_library : nullptr;
    }
    void* ResolveEntry(void*, const OsChar* name) const override {
        return Narrow(name) == missing ? nullptr : &g_entry;
    }
    void ReleaseLibrary(void* handle) const override {
        EXPECT_EQ(handle, &g_library);
        ++releases;
    }
    void ShowFatalMessage(const OsChar* caption, const OsString& text) const override {
        shown += Narrow(caption) + ": " + Narrow(text);
    }
    [[noreturn]] void ExitProcess(int status) const override { throw ProcessExit{status}; }
    AFX_MODULE_STATE* GetModuleState() const override { return &state; }
    BOOL InitExtensionModule(AFX_EXTENSION_MODULE& r, HMODULE module) const override {
        EXPECT_EQ(&r, &frame.ExtensionModule());
        EXPECT_EQ(module, instance);
        return initResult;
    }
    void CreateLibrary(AFX_EXTENSION_MODULE&, BOOL bSystem) const override {
        EXPECT_EQ(bSystem, FALSE);
        ++libraries;
    }
    void TermExtensionModule(AFX_EXTENSION_MODULE&, BOOL bAll) const override {
        EXPECT_EQ(bAll, FALSE);
        EXPECT_TRUE(AllFilled(slots)) << "the module unregisters before the release";
        ++terms;
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

    mutable int loads = 0, releases = 0, libraries = 0, terms = 0;
    mutable std::string loaded, shown;
    CRuntimeClass earlierClass{"Earlier", nullptr}; // on the list before the module attaches
    mutable AFX_MODULE_STATE state{&earlierClass, nullptr, nullptr, nullptr, nullptr};
    std::string modulePath = kModulePath, missing;
    bool libraryPresent = true;
    BOOL initResult = TRUE;
    ExternalRoutineSlots slots{};
    ExternalLibraryState library{0, nullptr, &slots};
    ModuleFrame frame{*this, *this, library};
    std::optional<ExternalRoutineBinding> binding;
    HINSTANCE const instance = reinterpret_cast<HINSTANCE>(&g_instance);
};

// The library is loaded beside the module: the module path up to its last separator ('/', or
// '\\' on Windows, where the two trade places in the rows below); a path without one raises.
// The binding stops at the first entry it cannot resolve, with its message and status 1.
TEST_F(FrameTest, BindingLoadsBesideTheModuleOrShowsWhatIsMissingAndExitsOne) {
    const std::string noEntry = "DLL Load failure: Unable to get proc address for ";
    const std::string lib = "/opt/host/lib/libOstraPureMath.so";
    const struct {
        std::string modulePath;
        const char* directory; // null: the path has none, the binding raises
        std::string missing;   // "library", an entry's name, or empty
        std::string message;   // empty when the binding succeeds
    } cases[] = {
        {lib, "/opt/host/lib/", "", ""},
        {lib, "/opt/host/lib/", "library",
         "DLL load failure: Unable to load " + std::string(kLibraryFile)},
        {lib, "/opt/host/lib/", "lesqso", noEntry + "lesqso"},
        {"/libOstraPureMath.so", "/", "", ""},
        {"/opt/a\\b/lib.so", "/opt/a\\b/", "", ""},
        {"", nullptr, "", ""},
        {"C:\\Host\\OstraPureMath.dll", nullptr, "", ""},
    };
    for (const auto& c : cases) {
        modulePath = c.modulePath;
        std::string directory = c.directory ? c.directory : "";
#if defined(_WIN32)
        for (std::string* path : {&modulePath, &directory}) {
            for (char& ch : *path) {
                ch = ch == '/' ? '\\' : ch == '\\' ? '/' : ch;
            }
        }
#endif
        SCOPED_TRACE(modulePath + " " + c.message);
        missing = c.missing;
        libraryPresent = c.missing != "library";
        loaded = shown = "";
        library = {0, nullptr, &slots};
        if (c.directory == nullptr) {
            EXPECT_THROW(Bind(), std::runtime_error); // "Unable to locate DLL directory!"
            EXPECT_EQ(loaded, "");
        } else {
            EXPECT_EQ(Bind(), c.message.empty() ? 0 : 1);
            EXPECT_EQ(loaded, directory + kLibraryFile);
        }
        EXPECT_EQ(shown, c.message);
        binding.reset();
    }
}

TEST_F(FrameTest, AttachBindsAndRegistersDetachUnregistersAndReleases) {
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE); // nothing to detach yet
    EXPECT_EQ(frame.ProcessAttach(instance), TRUE);
    // The raw hook moved the list head aside and cleared it.
    EXPECT_EQ(state.m_pClassInit, &earlierClass);
    EXPECT_EQ(state.m_classList, nullptr);
    EXPECT_TRUE(AllFilled(slots));
    EXPECT_EQ(libraries, 1);
    EXPECT_EQ(frame.DllMain(instance, kThreadAttach, nullptr), TRUE); // thread reasons: nothing
    EXPECT_EQ(frame.ProcessDetach(instance), TRUE);
    EXPECT_EQ(terms, 1);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE);
    EXPECT_EQ(terms, 1);
}

TEST_F(FrameTest, FailedInitialisationUnwindsTheAttach) {
    initResult = FALSE;
    EXPECT_EQ(frame.ProcessAttach(instance), FALSE);
    EXPECT_EQ(libraries, 0);
    EXPECT_EQ(terms, 1);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE); // the attach never completed
    EXPECT_EQ(terms, 1);
}

} // namespace
} // namespace opm::detail::test
