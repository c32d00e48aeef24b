// The packages the local service serves are real setup programs: run
// silently, they write their payload into /CUSTOMDIR and exit with their code.
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {
std::wstring PackagePath(const wchar_t* name) {
    std::string dir = local_service::BuildDirWindows() + "\\setup-service\\packages\\";
    return std::wstring(dir.begin(), dir.end()) + name;
}

// Runs the package as the installer does; returns its exit code (or -1).
long long RunSilently(const std::wstring& package, const std::wstring& folder) {
    std::wstring cmd = L"\"" + package + L"\"  /VERYSILENT \"/CUSTOMDIR=" + folder + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si,
                          &pi))
        return -1;
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(SamplePackage, WritesItsPayloadIntoTheFolderAndExitsWithItsCode) {
    TempDir dir;
    const std::wstring folder = dir.File(L"QRN\\Kestrane");
    EXPECT_EQ(0, RunSilently(PackagePath(L"Kestrane_V1.0.3.exe"), folder));
    EXPECT_EQ("[App]\r\nPath=Kestrane\r\n", ReadAll(folder + L"\\Kestrane.ini"));

    EXPECT_EQ(3010, RunSilently(PackagePath(L"Failing_3010.exe"), folder));
    EXPECT_EQ("needs a restart\r\n", ReadAll(folder + L"\\failing.txt"));
    EXPECT_EQ(0xC0000005u, static_cast<DWORD>(RunSilently(PackagePath(L"Crashing.exe"), folder)));
}
