#pragma once
// Runs this test program again as a child, with "/sns=<address>" as its first
// argument (the way the installer is started) and a gtest filter; the child's
// tests run in a process whose command line the code under test reads.
#include <windows.h>

#include <gtest/gtest.h>
#include <string>

#include "support/Handles.h"

// A child that runs while the test works with it (a client in this process
// talking to a window in the child). A child still running when the object
// goes away (the test failed early) is ended.
class ChildTests {
public:
    ChildTests(const std::wstring& address, const std::wstring& filter) {
        wchar_t exe[MAX_PATH] = {};
        if (::GetModuleFileNameW(nullptr, exe, MAX_PATH) == 0) return;
        std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" /sns=" + address + L" --gtest_filter=" + filter +
                                   L" --gtest_color=no";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info))
            return;
        KernelHandle thread(info.hThread);
        process_.reset(info.hProcess);
        id_ = info.dwProcessId;
    }
    ~ChildTests() {
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.get(), 1);
    }
    ChildTests(const ChildTests&) = delete;
    ChildTests& operator=(const ChildTests&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    // Waits for the child's end and checks that its tests passed.
    void Finish() {
        ASSERT_TRUE(process_) << "the child did not start";
        ASSERT_EQ(::WaitForSingleObject(process_.get(), 180000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        ASSERT_TRUE(::GetExitCodeProcess(process_.get(), &exitCode));
        EXPECT_EQ(exitCode, 0u) << "the child's tests failed (its output is above)";
    }

private:
    KernelHandle process_;
    DWORD id_ = 0;
};

inline void RunChildTests(const std::wstring& address, const std::wstring& filter) {
    ChildTests(address, filter).Finish();
}

// A program (the installer itself) run as a child with the given arguments,
// the way an administrator's script runs it: its exit code, and which
// windows of its own (its main window, a box) it showed while it ran.
class InstallerProcess {
public:
    // Runs it to its end, looking for its windows meanwhile; false when it
    // did not start or end within the limit (it is then ended).
    bool Run(const std::wstring& exe, const std::wstring& arguments, DWORD limitMs = 180000) {
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
        KernelHandle thread(info.hThread);
        KernelHandle process(info.hProcess);
        id_ = info.dwProcessId;
        const DWORD start = ::GetTickCount();
        while (::WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT) {
            ::EnumWindows(NoteShownWindow, reinterpret_cast<LPARAM>(this));
            if (::GetTickCount() - start >= limitMs) {
                ::TerminateProcess(process.get(), 1);
                return false;
            }
        }
        return ::GetExitCodeProcess(process.get(), &exitCode_) != FALSE;
    }
    DWORD ExitCode() const { return exitCode_; }
    // Top-level windows of the child seen visible: their classes.
    const std::wstring& ShownWindows() const { return shown_; }

private:
    static BOOL CALLBACK NoteShownWindow(HWND hwnd, LPARAM self) {
        auto* me = reinterpret_cast<InstallerProcess*>(self);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner != me->id_ || !::IsWindowVisible(hwnd)) return TRUE;
        wchar_t name[128] = {};
        ::GetClassNameW(hwnd, name, 128);
        if (me->shown_.find(name) == std::wstring::npos) me->shown_ += std::wstring(name) + L";";
        return TRUE;
    }

    DWORD id_ = 0;
    DWORD exitCode_ = 0;
    std::wstring shown_;
};
