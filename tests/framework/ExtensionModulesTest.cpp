// The process-wide chain of extension-module libraries, driven in-process with fake module
// handles. The process may already hold libraries of its own (the library's module frame
// registers one), so the tests count per handle or relative to the count they found.
#include "OstraPureMath/Framework.h"

#include <gtest/gtest.h>

namespace {

// Distinct non-null handles that no real module has.
int g_moduleA;
int g_moduleB;
HMODULE const kModuleA = &g_moduleA;
HMODULE const kModuleB = &g_moduleB;

// Saves the module state's list heads and slots, and puts them back afterwards.
class ExtensionModules : public ::testing::Test {
protected:
    void SetUp() override { saved_ = *AfxGetModuleState(); }
    void TearDown() override {
        AFX_MODULE_STATE* state = AfxGetModuleState();
        state->m_classList = saved_.m_classList;
        state->m_factoryList = saved_.m_factoryList;
        state->m_pClassInit = saved_.m_pClassInit;
        state->m_pFactoryInit = saved_.m_pFactoryInit;
    }
    AFX_MODULE_STATE saved_{};
};

TEST_F(ExtensionModules, InitWithoutModuleHandleFails) {
    AFX_EXTENSION_MODULE record{};
    EXPECT_EQ(AfxInitExtensionModule(record, nullptr), FALSE);
    EXPECT_EQ(record.bInitialized, FALSE);
    EXPECT_EQ(record.hModule, nullptr);
}

// The raw entry hook moves the host's heads into the initial slots and empties the lists; what
// the module registers then is its own; init takes that and restores the host's heads.
TEST_F(ExtensionModules, InitTakesTheModulesListsAndRestoresTheHosts) {
    CRuntimeClass hostClass{"HostClass", nullptr};
    CRuntimeClass moduleClass{"ModuleClass", nullptr};
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pClassInit = &hostClass;
    state->m_pFactoryInit = nullptr;
    state->m_classList = &moduleClass;
    state->m_factoryList = nullptr;

    AFX_EXTENSION_MODULE record{};
    EXPECT_EQ(AfxInitExtensionModule(record, kModuleA), TRUE);
    EXPECT_EQ(record.bInitialized, TRUE);
    EXPECT_EQ(record.hModule, kModuleA);
    EXPECT_EQ(record.hResource, kModuleA);
    EXPECT_EQ(record.pFirstSharedClass, &moduleClass);
    EXPECT_EQ(record.pFirstSharedFactory, nullptr);
    EXPECT_EQ(state->m_classList, &hostClass);

    // A second init of the same record changes nothing.
    state->m_classList = nullptr;
    EXPECT_EQ(AfxInitExtensionModule(record, kModuleB), TRUE);
    EXPECT_EQ(record.hModule, kModuleA);
    EXPECT_EQ(state->m_classList, nullptr);
    AfxTermExtensionModule(record, FALSE);
}

TEST_F(ExtensionModules, LibraryLinksItselfAtTheHeadOfTheChain) {
    const int before = AfxCountDynLinkLibraries(nullptr);
    AFX_EXTENSION_MODULE record{};
    ASSERT_EQ(AfxInitExtensionModule(record, kModuleA), TRUE);
    auto* library = new CDynLinkLibrary(record, FALSE);
    EXPECT_EQ(AfxGetModuleState()->m_libraryList, library);
    EXPECT_EQ(library->m_hModule, kModuleA);
    EXPECT_EQ(library->m_bSystem, FALSE);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleA), 1);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), before + 1);
    delete library; // unlinks itself
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleA), 0);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), before);
    AfxTermExtensionModule(record, FALSE);
}

TEST_F(ExtensionModules, TermRemovesOnlyThatModulesLibraries) {
    const int before = AfxCountDynLinkLibraries(nullptr);
    AFX_EXTENSION_MODULE recordA{};
    AFX_EXTENSION_MODULE recordB{};
    ASSERT_EQ(AfxInitExtensionModule(recordA, kModuleA), TRUE);
    ASSERT_EQ(AfxInitExtensionModule(recordB, kModuleB), TRUE);
    // Interleaved, so that removal must unlink from the head, the middle and the tail.
    new CDynLinkLibrary(recordA);
    new CDynLinkLibrary(recordB);
    new CDynLinkLibrary(recordA);
    new CDynLinkLibrary(recordB);
    new CDynLinkLibrary(recordA);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleA), 3);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleB), 2);

    AfxTermExtensionModule(recordA, FALSE);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleA), 0);
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleB), 2);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), before + 2);
    EXPECT_EQ(recordA.bInitialized, FALSE);

    AfxTermExtensionModule(recordA, FALSE); // uninitialised now: nothing happens
    EXPECT_EQ(AfxCountDynLinkLibraries(kModuleB), 2);
    AfxTermExtensionModule(recordB, FALSE);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), before);
}

// With bAll every library goes, whichever module made it. This empties the chain of the whole
// process, so the test runs last in its suite and each test runs in a process of its own.
TEST_F(ExtensionModules, TermWithAllRemovesEveryLibrary) {
    AFX_EXTENSION_MODULE recordA{};
    AFX_EXTENSION_MODULE recordB{};
    ASSERT_EQ(AfxInitExtensionModule(recordA, kModuleA), TRUE);
    ASSERT_EQ(AfxInitExtensionModule(recordB, kModuleB), TRUE);
    new CDynLinkLibrary(recordA);
    new CDynLinkLibrary(recordB, TRUE);
    AfxTermExtensionModule(recordA, TRUE);
    EXPECT_EQ(AfxCountDynLinkLibraries(nullptr), 0);
    EXPECT_EQ(AfxGetModuleState()->m_libraryList, nullptr);
    AfxTermExtensionModule(recordB, FALSE);
}

} // namespace
