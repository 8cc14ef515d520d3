// The process-wide chain of extension-module libraries, driven in-process with fake module
// handles. The process may already hold libraries of its own, so the tests count per handle or
// relative to the count they found.
#include "OstraPureMath/Framework.h"

#include <gtest/gtest.h>

namespace {

int g_moduleA, g_moduleB;
HMODULE const kModuleA = reinterpret_cast<HMODULE>(&g_moduleA); // no real module has these
HMODULE const kModuleB = reinterpret_cast<HMODULE>(&g_moduleB);

// Saves the module state's list heads and slots, and puts them back afterwards.
class ExtensionModules : public ::testing::Test {
protected:
    void SetUp() override { saved_ = *AfxGetModuleState(); }
    void TearDown() override {
        AFX_MODULE_STATE* state = AfxGetModuleState();
        saved_.m_libraryList = state->m_libraryList;
        *state = saved_;
    }
    AFX_MODULE_STATE saved_{};
    AFX_EXTENSION_MODULE recordA{}, recordB{};
};

// The raw entry hook moves the host's heads into the initial slots and empties the lists; what
// the module registers then is its own; init takes that and restores the host's heads.
TEST_F(ExtensionModules, InitTakesTheModulesListsAndRestoresTheHosts) {
    EXPECT_EQ(AfxInitExtensionModule(recordA, nullptr), FALSE);
    EXPECT_EQ(recordA.bInitialized, FALSE);
    EXPECT_EQ(recordA.hModule, nullptr);
    CRuntimeClass hostClass{"HostClass", nullptr};
    CRuntimeClass moduleClass{"ModuleClass", nullptr};
    AFX_MODULE_STATE* state = AfxGetModuleState();
    *state = AFX_MODULE_STATE{&moduleClass, nullptr, &hostClass, nullptr, state->m_libraryList};

    EXPECT_EQ(AfxInitExtensionModule(recordA, kModuleA), TRUE);
    EXPECT_EQ(recordA.bInitialized, TRUE);
    EXPECT_EQ(recordA.hModule, kModuleA);
    EXPECT_EQ(recordA.hResource, kModuleA);
    EXPECT_EQ(recordA.pFirstSharedClass, &moduleClass);
    EXPECT_EQ(state->m_classList, &hostClass);

    AfxTermExtensionModule(recordA, FALSE);
}

TEST_F(ExtensionModules, LibrariesLinkAtTheHeadAndTermRemovesOnlyItsModules) {
    const int before = AfxCountDynLinkLibraries(nullptr);
    ASSERT_EQ(AfxInitExtensionModule(recordA, kModuleA), TRUE);
    ASSERT_EQ(AfxInitExtensionModule(recordB, kModuleB), TRUE);
    // Interleaved A B A B A, so that removing A unlinks from the head, the middle and the tail.
    CDynLinkLibrary* made[5];
    for (int i = 0; i < 5; ++i) {
        made[i] = new CDynLinkLibrary(i % 2 == 0 ? recordA : recordB, i == 1);
        EXPECT_EQ(AfxGetModuleState()->m_libraryList, made[i]);
    }
    EXPECT_EQ(made[1]->m_hModule, kModuleB);
    EXPECT_EQ(made[1]->m_bSystem, TRUE);
    EXPECT_EQ(made[3]->m_bSystem, FALSE);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleA), 3);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleB), 2);

    AfxTermExtensionModule(recordA, FALSE);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleA), 0);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), before + 2);
    EXPECT_EQ(recordA.bInitialized, FALSE);
    AfxTermExtensionModule(recordA, FALSE); // uninitialised now: nothing happens
    delete made[3];                         // the head; unlinks itself
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleB), 1);
    AfxTermExtensionModule(recordB, FALSE);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), before);
}

// With bAll every library goes, whichever module made it. This empties the chain of the whole
// process; each test runs in a process of its own.
TEST_F(ExtensionModules, TermWithAllRemovesEveryLibrary) {
    ASSERT_EQ(AfxInitExtensionModule(recordA, kModuleA), TRUE);
    ASSERT_EQ(AfxInitExtensionModule(recordB, kModuleB), TRUE);
    new CDynLinkLibrary(recordA);
    new CDynLinkLibrary(recordB, TRUE);
    AfxTermExtensionModule(recordA, TRUE);
    EXPECT_EQ(AfxGetModuleState()->m_libraryList, nullptr);
    AfxTermExtensionModule(recordB, FALSE);
}

} // namespace
