// The POSIX layer and the library for real: child processes (LoadHost.cpp) load a copy of the
// built libOstraPureMath.so from a temporary directory, with and without libTorvik.so beside it.
#include "FrameTestSupport.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace opm::detail::test {
namespace {

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
    const std::string module = directory.Copy(OPM_OSTRAPUREMATH, "libOstraPureMath.so").string();
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
