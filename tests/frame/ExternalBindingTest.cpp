// The binding of libTorvik.so: every branch with a fake OS layer, then the POSIX layer for real
// on a stand-in library.
#include "frame/ExternalBinding.h"
#include "FakeLayers.h"
#include "TempDirectory.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stdexcept>

namespace opm::test {
namespace {

class ExternalBindingTest : public ::testing::Test {
protected:
    // "1110": lesqso, stline and sci_err_code filled, stgssm null.
    std::string FilledSlots() const {
        return std::string(slots.lesqso ? "1" : "0") + (slots.stline ? "1" : "0") +
               (slots.sciErrCode ? "1" : "0") + (slots.stgssm ? "1" : "0");
    }

    CallLog log;
    ExternalRoutineSlots slots{};
    ExternalLibraryState library{0, nullptr, &slots};
    FakeOs os{log, slots};
};

TEST_F(ExternalBindingTest, BindsFromTheModulesOwnDirectory) {
    ExternalRoutineBinding binding(library, os);

    EXPECT_EQ(log,
              (CallLog{"path", "load /opt/host/lib/libTorvik.so", "resolve lesqso 0000",
                       "resolve stline 1000", "resolve sci_err_code 1100", "resolve stgssm 1110"}));
    EXPECT_EQ(library.bindingCount, 1);
    EXPECT_EQ(library.library, &g_fakeLibrary);
    EXPECT_EQ(slots.lesqso, &FakeLesqso);
    EXPECT_EQ(slots.stline, &FakeStline);
    EXPECT_EQ(slots.sciErrCode, &g_fakeSciErrCode);
    EXPECT_EQ(slots.stgssm, &FakeStgssm);
}

struct DirectoryCase {
    const char* modulePath;
    const char* libraryPath;
};

std::ostream& operator<<(std::ostream& stream, const DirectoryCase& c) {
    return stream << c.modulePath;
}

class ModuleDirectoryTest : public ExternalBindingTest,
                            public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(ModuleDirectoryTest, LoadsByFullPathBesideTheModule) {
    os.modulePath = GetParam().modulePath;
    ExternalRoutineBinding binding(library, os);
    EXPECT_EQ(log.at(1), std::string("load ") + GetParam().libraryPath);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ModuleDirectoryTest,
    ::testing::Values(DirectoryCase{"/libOstraPureMath.so", "/libTorvik.so"},
                      DirectoryCase{"relative/dir/libOstraPureMath.so",
                                    "relative/dir/libTorvik.so"},
                      DirectoryCase{"/opt/odd/", "/opt/odd/libTorvik.so"},
                      // Only '/' separates directories; a backslash is part of a name.
                      DirectoryCase{"/opt/a\\b/lib.so", "/opt/a\\b/libTorvik.so"}));

class NoDirectoryTest : public ExternalBindingTest,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(NoDirectoryTest, RaisesWithoutMessageOrLoad) {
    os.modulePath = GetParam();
    try {
        ExternalRoutineBinding binding(library, os);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Unable to locate DLL directory!");
    }
    EXPECT_EQ(log, CallLog{"path"});
    EXPECT_EQ(library.bindingCount, 1); // counted before the directory is looked for
    EXPECT_EQ(library.library, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Paths, NoDirectoryTest,
                         ::testing::Values("", "libOstraPureMath.so",
                                           "C:\\Program Files\\Host\\OstraPureMath.dll"));

TEST_F(ExternalBindingTest, MissingLibraryShowsMessageAndExitsBeforeAnyLookup) {
    os.libraryPresent = false;
    try {
        ExternalRoutineBinding binding(library, os);
        ADD_FAILURE() << "the process did not exit";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(exit.status, 1);
    }
    EXPECT_EQ(log, (CallLog{"path", "load /opt/host/lib/libTorvik.so",
                            "message DLL load failure: Unable to load libTorvik.so", "exit 1"}));
    EXPECT_EQ(FilledSlots(), "0000");
}

struct MissingEntryCase {
    std::set<std::string> missing;
    const char* reported; // the one name the message gives
    int lookups;          // names looked up, the reported one included
    const char* filled;   // slots stored when the process exits
};

std::ostream& operator<<(std::ostream& stream, const MissingEntryCase& c) {
    return stream << "first missing " << c.reported;
}

class MissingEntryTest : public ExternalBindingTest,
                         public ::testing::WithParamInterface<MissingEntryCase> {};

TEST_P(MissingEntryTest, StopsAtTheFirstMissingName) {
    const MissingEntryCase& c = GetParam();
    os.missingEntries = c.missing;
    EXPECT_THROW((ExternalRoutineBinding{library, os}), ProcessExit);

    const CallLog allLookups = {"resolve lesqso 0000", "resolve stline 1000",
                                "resolve sci_err_code 1100", "resolve stgssm 1110"};
    CallLog expected = {"path", "load /opt/host/lib/libTorvik.so"};
    expected.insert(expected.end(), allLookups.begin(), allLookups.begin() + c.lookups);
    expected.push_back(std::string("message DLL Load failure: Unable to get proc address for ") +
                       c.reported);
    expected.push_back("exit 1");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(FilledSlots(), c.filled);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, MissingEntryTest,
    ::testing::Values(MissingEntryCase{{"lesqso"}, "lesqso", 1, "0000"},
                      MissingEntryCase{{"stline", "stgssm"}, "stline", 2, "1000"},
                      MissingEntryCase{{"sci_err_code"}, "sci_err_code", 3, "1100"},
                      MissingEntryCase{{"stgssm"}, "stgssm", 4, "1110"}));

TEST_F(ExternalBindingTest, LoadsOnceAndReleasesWhenTheLastBindingGoes) {
    std::optional<ExternalRoutineBinding> first(std::in_place, library, os);
    const CallLog afterFirst = log;
    std::optional<ExternalRoutineBinding> second(std::in_place, library, os);
    EXPECT_EQ(log, afterFirst); // the second binding neither looks nor loads
    EXPECT_EQ(library.bindingCount, 2);

    first.reset();
    EXPECT_EQ(log, afterFirst);
    EXPECT_EQ(library.bindingCount, 1);
    EXPECT_EQ(FilledSlots(), "1111");

    second.reset();
    EXPECT_EQ(log.back(), "release");
    EXPECT_EQ(library.bindingCount, 0);
    EXPECT_EQ(FilledSlots(), "0000");
}

// ---------------------------------------------------------------------------------------------
// The POSIX layer. These test programs link the library's objects, so "this module" is the
// test executable itself.

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

TEST(PosixOsLayerTest, FindsTheFileAndImageOfTheCodeItRunsIn) {
    EXPECT_TRUE(SameFile(kPosixOsLayer.OwnModulePath(), "/proc/self/exe"));
    void* base = kPosixOsLayer.OwnModuleHandle();
    Dl_info info{};
    ASSERT_NE(dladdr(base, &info), 0);
    EXPECT_EQ(info.dli_fbase, base);
}

// The real layer with the module's path moved into a directory that holds a stand-in library;
// a fatal binding failure throws ProcessExit instead of ending the test program.
class RelocatedPosixOs final : public OsLayer {
public:
    explicit RelocatedPosixOs(std::string path) : m_path(std::move(path)) {}
    void* OwnModuleHandle() const override { return kPosixOsLayer.OwnModuleHandle(); }
    std::string OwnModulePath() const override { return m_path; }
    void* LoadLibrary(const std::string& p) const override { return kPosixOsLayer.LoadLibrary(p); }
    void* ResolveEntry(void* library, const char* name) const override {
        return kPosixOsLayer.ResolveEntry(library, name);
    }
    void ReleaseLibrary(void* library) const override { kPosixOsLayer.ReleaseLibrary(library); }
    void ShowFatalMessage(const char* caption, const std::string& text) const override {
        kPosixOsLayer.ShowFatalMessage(caption, text);
    }
    [[noreturn]] void ExitProcess(int status) const override { throw ProcessExit{status}; }

private:
    std::string m_path;
};

TEST_F(ExternalBindingTest, SlotsReachTheLoadedLibrarysRoutinesAndErrorCode) {
    TempDirectory directory;
    directory.Copy(OPM_FRAME_FIXTURE_FULL, "libTorvik.so");
    RelocatedPosixOs posix(directory.File("libOstraPureMath.so"));
    try {
        ExternalRoutineBinding binding(library, posix);
        ASSERT_EQ(FilledSlots(), "1111");
        // The stand-in's routines leave 11, 12, 13 in sci_err_code; reading it through the slot
        // after each call shows both the routine and the variable are the library's.
        double value = 0.0;
        double* row = &value;
        EXPECT_EQ(slots.lesqso(1, 1, 1, 1, &row, &row, 1, &row), 11);
        EXPECT_EQ(*slots.sciErrCode, 11);
        EXPECT_EQ(slots.stline(&value, &value, 2, &value, &value, &value), 12);
        EXPECT_EQ(*slots.sciErrCode, 12);
        EXPECT_EQ(slots.stgssm(&value, 1, 0, 0, 1, 1), -13);
        EXPECT_EQ(*slots.sciErrCode, 13);
    } catch (const ProcessExit&) {
        FAIL() << "the stand-in library did not bind";
    }
    EXPECT_EQ(FilledSlots(), "0000");
}

} // namespace
} // namespace opm::test
