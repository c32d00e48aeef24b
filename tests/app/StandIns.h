#pragma once
// Real processes under another program's name (Word, Excel, the client),
// for the tests of what the installer does about them: copies of the test
// program, each running one of its tests.
#include "app/OfficeGuard.h"
#include "support/Handles.h"
#include "tests/common/TempDir.h"

#include <windows.h>

#include <string>
#include <vector>

inline std::wstring OwnExeName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full = path;
    return full.substr(full.find_last_of(L'\\') + 1);
}

// Copies of this test program running under another program's name; each
// runs one test, by default OfficeStandIn.Wait, which waits until it is
// terminated (or a minute passes).
class StandIns {
public:
    StandIns(const std::wstring& exeName, int count, const std::wstring& test = L"OfficeStandIn.Wait") {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::wstring copy = folder_.File(exeName);
        ::CopyFileW(self, copy.c_str(), FALSE);
        for (int i = 0; i < count; ++i) {
            std::wstring cmd = L"\"" + copy + L"\" --gtest_filter=" + test;
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info{};
            if (::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
                processes_.emplace_back(info.hProcess);
                ::CloseHandle(info.hThread);
            }
        }
    }
    ~StandIns() {
        for (auto& p : processes_) {
            ::TerminateProcess(p.get(), 0);
            ::WaitForSingleObject(p.get(), 10000);
        }
    }
    size_t Started() const { return processes_.size(); }
    // A file beside the copies.
    std::wstring File(const std::wstring& name) const { return folder_.File(name); }
    DWORD ExitCode(size_t i) const {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(processes_[i].get(), &code);
        return code;
    }
    bool AllEnded(DWORD limitMs) const {
        for (const auto& p : processes_)
            if (::WaitForSingleObject(p.get(), limitMs) != WAIT_OBJECT_0) return false;
        return true;
    }
    bool AnyEnded() const {
        for (const auto& p : processes_)
            if (::WaitForSingleObject(p.get(), 0) == WAIT_OBJECT_0) return true;
        return false;
    }

private:
    TempDir folder_;
    std::vector<KernelHandle> processes_;
};

// Waits until the snapshot sees `count` processes of that name.
inline bool SeenRunning(const std::wstring& exeName, int count) {
    for (int i = 0; i < 400; ++i) {
        if (CountProcesses(exeName) == count) return true;
        ::Sleep(50);
    }
    return false;
}
