// Fake operating-system and framework layers for the module frame tests. Both write one line per
// call into a shared log, so a test sees the order of every call across the two layers.
#pragma once

#include "frame/ExternalBinding.h"
#include "frame/FrameworkLayer.h"
#include "frame/OsLayer.h"

#include <set>
#include <string>
#include <vector>

namespace opm::test {

using CallLog = std::vector<std::string>;

// What the fake ExitProcess throws instead of ending the test program.
struct ProcessExit {
    int status;
};

// Entry points whose addresses the fake library hands out.
inline int FakeLesqso(int, int, int, int, double**, double**, int, double**) {
    return 0;
}
inline int FakeStline(double*, double*, int, double*, double*, double*) {
    return 0;
}
inline int FakeStgssm(double*, int, int, int, int, int) {
    return 0;
}
inline int g_fakeSciErrCode = 0;
inline int g_fakeLibrary = 0;  // its address is the fake library handle
inline int g_fakeInstance = 0; // its address is the module instance handle given to the frame

class FakeOs final : public OsLayer {
public:
    FakeOs(CallLog& log, const ExternalRoutineSlots& slots) : m_log(log), m_slots(slots) {}

    std::string modulePath = "/opt/host/lib/libOstraPureMath.so";
    bool libraryPresent = true;
    std::set<std::string> missingEntries;

    void* OwnModuleHandle() const override { return nullptr; }
    std::string OwnModulePath() const override {
        m_log.push_back("path");
        return modulePath;
    }
    void* LoadLibrary(const std::string& fullPath) const override {
        m_log.push_back("load " + fullPath);
        return libraryPresent ? &g_fakeLibrary : nullptr;
    }
    // Also logs which slots were already filled when the name was looked up ("1100": lesqso
    // and stline stored, sci_err_code and stgssm not).
    void* ResolveEntry(void* library, const char* name) const override {
        m_log.push_back(std::string("resolve ") + name + " " + FilledSlots() +
                        (library == &g_fakeLibrary ? "" : " wrong handle"));
        if (missingEntries.count(name) != 0) {
            return nullptr;
        }
        const std::string entry = name;
        if (entry == "lesqso") {
            return reinterpret_cast<void*>(&FakeLesqso);
        }
        if (entry == "stline") {
            return reinterpret_cast<void*>(&FakeStline);
        }
        if (entry == "stgssm") {
            return reinterpret_cast<void*>(&FakeStgssm);
        }
        return entry == "sci_err_code" ? &g_fakeSciErrCode : nullptr;
    }
    void ReleaseLibrary(void* library) const override {
        m_log.push_back(library == &g_fakeLibrary ? "release" : "release wrong handle");
    }
    void ShowFatalMessage(const char* caption, const std::string& text) const override {
        m_log.push_back(std::string("message ") + caption + ": " + text);
    }
    [[noreturn]] void ExitProcess(int status) const override {
        m_log.push_back("exit " + std::to_string(status));
        throw ProcessExit{status};
    }

private:
    std::string FilledSlots() const {
        return std::string(m_slots.lesqso ? "1" : "0") + (m_slots.stline ? "1" : "0") +
               (m_slots.sciErrCode ? "1" : "0") + (m_slots.stgssm ? "1" : "0");
    }

    CallLog& m_log;
    const ExternalRoutineSlots& m_slots;
};

class FakeFramework final : public FrameworkLayer {
public:
    explicit FakeFramework(CallLog& log) : m_log(log) {}

    AFX_MODULE_STATE state{};
    BOOL initResult = TRUE;

    AFX_MODULE_STATE* GetModuleState() const override {
        m_log.push_back("module state");
        return const_cast<AFX_MODULE_STATE*>(&state);
    }
    BOOL InitExtensionModule(AFX_EXTENSION_MODULE& record, HMODULE hModule) const override {
        m_log.push_back("init " + Describe(record) + " " + HandleText(hModule));
        return initResult;
    }
    void CreateLibrary(AFX_EXTENSION_MODULE& record, BOOL bSystem) const override {
        m_log.push_back("library " + Describe(record) + " " + std::to_string(bSystem));
    }
    void TermExtensionModule(AFX_EXTENSION_MODULE& record, BOOL bAll) const override {
        m_log.push_back("term " + Describe(record) + " " + std::to_string(bAll));
    }

    // The record every call must receive; tests set it to the frame's own.
    const AFX_EXTENSION_MODULE* expectedRecord = nullptr;

private:
    std::string Describe(const AFX_EXTENSION_MODULE& record) const {
        return &record == expectedRecord ? "record" : "wrong record";
    }
    static std::string HandleText(HMODULE handle) {
        return handle == &g_fakeInstance ? "instance" : "wrong instance";
    }

    CallLog& m_log;
};

} // namespace opm::test
