#pragma once
// Runs this test program again as a child, with "/sns=<address>" as its first
// argument (the way the installer is started) and a gtest filter; the child's
// tests run in a process whose command line the code under test reads.
#include <windows.h>

#include <gtest/gtest.h>
#include <string>

#include "support/Handles.h"

inline void RunChildTests(const std::wstring& address, const std::wstring& filter) {
    wchar_t exe[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" /sns=" + address + L" --gtest_filter=" + filter +
                               L" --gtest_color=no";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &info));
    KernelHandle process(info.hProcess), thread(info.hThread);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 180000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ASSERT_TRUE(::GetExitCodeProcess(process.get(), &exitCode));
    EXPECT_EQ(exitCode, 0u) << "the child's tests failed (its output is above)";
}
