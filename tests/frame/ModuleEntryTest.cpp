// The module frame's entry pieces and its attach and detach sequences, driven with fake
// framework and OS layers that log every call in order.
#include "frame/ModuleEntry.h"
#include "FakeLayers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace opm::test {
namespace {

// What a successful attach logs: raw hook (module state), binding, then the entry function.
const CallLog kAttachLog = {"module state",
                            "path",
                            "load /opt/host/lib/libTorvik.so",
                            "resolve lesqso 0000",
                            "resolve stline 1000",
                            "resolve sci_err_code 1100",
                            "resolve stgssm 1110",
                            "init record instance",
                            "library record 0"};

class ModuleFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        framework.expectedRecord = &frame.ExtensionModule();
        framework.state.m_classList = &earlierClass;
        framework.state.m_factoryList = reinterpret_cast<COleObjectFactory*>(&earlierFactory);
    }

    void ExpectReleased() const {
        EXPECT_EQ(library.bindingCount, 0);
        EXPECT_EQ(slots.lesqso, nullptr);
        EXPECT_EQ(slots.stline, nullptr);
        EXPECT_EQ(slots.sciErrCode, nullptr);
        EXPECT_EQ(slots.stgssm, nullptr);
        EXPECT_EQ(frame.Exits().Size(), 0);
    }

    CRuntimeClass earlierClass{"Earlier", nullptr};
    int earlierFactory = 0;
    CallLog log;
    ExternalRoutineSlots slots{};
    ExternalLibraryState library{0, nullptr, &slots};
    FakeOs os{log, slots};
    FakeFramework framework{log};
    ModuleFrame frame{framework, os, library};
    HINSTANCE const instance = &g_fakeInstance;
};

TEST_F(ModuleFrameTest, AttachRunsRawHookThenBindingThenEntryFunction) {
    EXPECT_EQ(frame.ProcessAttach(instance), TRUE);

    EXPECT_EQ(log, kAttachLog);
    // The raw hook moved the list heads aside and cleared them.
    EXPECT_EQ(framework.state.m_pClassInit, &earlierClass);
    EXPECT_EQ(framework.state.m_pFactoryInit,
              reinterpret_cast<COleObjectFactory*>(&earlierFactory));
    EXPECT_EQ(framework.state.m_classList, nullptr);
    EXPECT_EQ(framework.state.m_factoryList, nullptr);
    EXPECT_EQ(library.bindingCount, 1);
    EXPECT_EQ(frame.Exits().Size(), 1);
}

TEST_F(ModuleFrameTest, ThreadReasonsDoNothing) {
    ASSERT_EQ(frame.ProcessAttach(instance), TRUE);
    log.clear();
    const AFX_MODULE_STATE before = framework.state;
    for (DWORD reason : {kThreadAttach, kThreadDetach}) {
        SCOPED_TRACE(reason);
        EXPECT_EQ(frame.RawEntryHook(instance, reason, nullptr), TRUE);
        EXPECT_EQ(frame.DllMain(instance, reason, nullptr), TRUE);
    }
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(std::memcmp(&before, &framework.state, sizeof before), 0);
    EXPECT_EQ(library.bindingCount, 1);
}

TEST_F(ModuleFrameTest, RawHookLeavesTheListsAloneExceptAtProcessAttach) {
    for (DWORD reason : {kProcessDetach, kThreadAttach, kThreadDetach}) {
        EXPECT_EQ(frame.RawEntryHook(instance, reason, nullptr), TRUE);
    }
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(framework.state.m_classList, &earlierClass);
    EXPECT_EQ(framework.state.m_pClassInit, nullptr);
}

TEST_F(ModuleFrameTest, FailedInitialisationUnwindsTheAttach) {
    framework.initResult = FALSE;
    EXPECT_EQ(frame.ProcessAttach(instance), FALSE);

    // Entry function with detach, then the exit list (the library's release). The raw hook's
    // detach step that follows does nothing a caller could observe.
    CallLog expected(kAttachLog.begin(), kAttachLog.end() - 1); // no library object
    expected.push_back("term record 0");
    expected.push_back("release");
    EXPECT_EQ(log, expected);
    ExpectReleased();

    // The attach never completed, so a detach finds nothing to do.
    log.clear();
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE);
    EXPECT_TRUE(log.empty());
}

TEST_F(ModuleFrameTest, DetachUnregistersBeforeReleasingTheLibrary) {
    ASSERT_EQ(frame.ProcessAttach(instance), TRUE);
    log.clear();

    EXPECT_EQ(frame.ProcessDetach(instance), TRUE);
    EXPECT_EQ(log, (CallLog{"term record 0", "release"}));
    ExpectReleased();

    log.clear();
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE);
    EXPECT_TRUE(log.empty());
}

TEST_F(ModuleFrameTest, DetachWithoutAttachDoesNothing) {
    EXPECT_EQ(frame.ProcessDetach(instance), FALSE);
    EXPECT_TRUE(log.empty());
}

TEST_F(ModuleFrameTest, BindingFailureStopsTheAttachBeforeTheEntryFunction) {
    os.libraryPresent = false;
    EXPECT_THROW(frame.ProcessAttach(instance), ProcessExit);
    EXPECT_EQ(log.back(), "exit 1");

    log.clear();
    os.libraryPresent = true;
    os.modulePath = "OstraPureMath";
    library = ExternalLibraryState{0, nullptr, &slots};
    EXPECT_THROW(frame.ProcessAttach(instance), std::runtime_error);
    EXPECT_EQ(log, (CallLog{"module state", "path"}));
    EXPECT_EQ(frame.Exits().Size(), 0);
}

} // namespace
} // namespace opm::test
