// The module frame for real: a child process (LoadHost.cpp) loads a copy of the built
// libOstraPureMath.so from a temporary directory, with and without a libTorvik.so beside it.
#include "TempDirectory.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace opm::test {
namespace {

struct ChildResult {
    int exitStatus; // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream stream(path);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Runs the host on library with the test's environment plus extraEnvironment ("NAME=value";
// later entries win for the dynamic loader and the sanitizers, which read the last match).
ChildResult RunHost(const TempDirectory& directory, const std::string& library,
                    const std::vector<std::string>& extraEnvironment) {
    const std::string outPath = directory.File("host.out");
    const std::string errPath = directory.File("host.err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);

    std::vector<char*> environment;
    for (const std::string& entry : extraEnvironment) {
        environment.push_back(const_cast<char*>(entry.c_str()));
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.push_back(*entry);
    }
    environment.push_back(nullptr);
    std::string host = OPM_FRAME_HOST;
    char* arguments[] = {host.data(), const_cast<char*>(library.c_str()), nullptr};

    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, host.c_str(), &actions, nullptr, arguments, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << host;
        return {-1, "", ""};
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(outPath), ReadFile(errPath)};
}

TEST(ModuleLoadTest, RegistersOnceAndUnregistersBeforeReleasingTheLibrary) {
    TempDirectory directory;
    const std::string module = directory.Copy(OPM_FRAME_LIBRARY, "libOstraPureMath.so");
    directory.Copy(OPM_FRAME_TORVIK, "libTorvik.so");

    const ChildResult result = RunHost(directory, module, {});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    // While the module unloads, it asks for libTorvik.so to be released only once its library
    // object has left the chain.
    EXPECT_EQ(result.out, "loaded: 1 of 1\n"
                          "dlclose libOstraPureMath.so: 1\n"
                          "dlclose libTorvik.so: 0\n"
                          "unloaded: 0\n");
}

TEST(ModuleLoadTest, ExternalLibraryIsLoadedBeforeRegistrationAndUnloadedAfterRemoval) {
    TempDirectory directory;
    const std::string module = directory.Copy(OPM_FRAME_LIBRARY, "libOstraPureMath.so");
    directory.Copy(OPM_FRAME_FIXTURE_PROBE, "libTorvik.so");

    const ChildResult result = RunHost(directory, module, {});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "torvik init: 0\n"
                          "loaded: 1 of 1\n"
                          "dlclose libOstraPureMath.so: 1\n"
                          "dlclose libTorvik.so: 0\n"
                          "torvik fini: 0\n"
                          "unloaded: 0\n");
}

struct FailureCase {
    const char* name;
    const char* externalLibrary; // copied beside the module as libTorvik.so; null for none
    const char* message;
};

std::ostream& operator<<(std::ostream& stream, const FailureCase& c) {
    return stream << c.name;
}

class ModuleLoadFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ModuleLoadFailureTest, PrintsOneLineAndExitsWithStatusOne) {
    TempDirectory directory;
    const std::string module = directory.Copy(OPM_FRAME_LIBRARY, "libOstraPureMath.so");
    if (GetParam().externalLibrary != nullptr) {
        directory.Copy(GetParam().externalLibrary, "libTorvik.so");
    }
    // A complete libTorvik.so on the loader's search path must not be picked up.
    TempDirectory decoy;
    decoy.Copy(OPM_FRAME_FIXTURE_FULL, "libTorvik.so");
    const std::string searchPath = "LD_LIBRARY_PATH=" + decoy.File("");

    // The process ends with exit(1) inside dlopen. Were LeakSanitizer (asan preset) to find
    // anything still held by the interrupted load, it would replace status 1 with its own, so
    // leak detection is off for these children; the successful loads above keep it on.
    const ChildResult result =
        RunHost(directory, module, {searchPath, "ASAN_OPTIONS=detect_leaks=0"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, std::string(GetParam().message) + "\n");
    EXPECT_EQ(result.out, ""); // the host never got past dlopen
}

INSTANTIATE_TEST_SUITE_P(
    Stand_ins, ModuleLoadFailureTest,
    ::testing::Values(FailureCase{"NoLibrary", nullptr,
                                  "DLL load failure: Unable to load libTorvik.so"},
                      FailureCase{"NoStgssm", OPM_FRAME_FIXTURE_NO_STGSSM,
                                  "DLL Load failure: Unable to get proc address for stgssm"},
                      FailureCase{"NoStlineNorStgssm", OPM_FRAME_FIXTURE_NO_STLINE_STGSSM,
                                  "DLL Load failure: Unable to get proc address for stline"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

} // namespace
} // namespace opm::test
