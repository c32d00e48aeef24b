#include "sysinfo/WindowsVersion.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

WindowsFacts Facts(DWORD major, DWORD minor, bool workstation = true, bool serverR2 = false,
                   WORD arch = PROCESSOR_ARCHITECTURE_AMD64) {
    WindowsFacts facts;
    facts.major = major;
    facts.minor = minor;
    facts.workstation = workstation;
    facts.serverR2 = serverR2;
    facts.processorArchitecture = arch;
    return facts;
}

} // namespace

TEST(WindowsVersion, EveryReleaseRowOfTheTable) {
    struct Row {
        DWORD major, minor;
        bool workstation, serverR2;
        const wchar_t* release;
    } rows[] = {
        {4, 0, true, false, L"WinNTOrWin95"},
        {4, 10, true, false, L"Win98"},
        {4, 90, true, false, L"WinMe"},
        {5, 0, true, false, L"Win2000"},
        {5, 1, true, false, L"XP"},
        {5, 2, true, false, L"XP"},
        {5, 2, false, true, L"Server2003R2"},
        {5, 2, false, false, L"Server2003"},
        {6, 0, true, false, L"Vista"},
        {6, 0, false, false, L"Server2008"},
        {6, 1, true, false, L"win7"},
        {6, 1, false, false, L"Server2008R2"},
        {6, 2, true, false, L"win8"},
        {6, 2, false, false, L"win8"},  // Server 2012 is named like Windows 8
        {6, 3, true, false, L"win8"},   // 8.1
        {10, 0, true, false, L"win10"}, // 10 and 11 both report 10.0
        {10, 0, false, false, L"win10"},
        {4, 3, true, false, L"??"},
        {5, 3, true, false, L"??"},
        {6, 4, true, false, L"??"},
        {7, 0, true, false, L"??"},
        {11, 0, true, false, L"??"},
        {3, 51, true, false, L"??"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WindowsReleaseName(Facts(row.major, row.minor, row.workstation, row.serverR2)), row.release)
            << row.major << "." << row.minor << " workstation=" << row.workstation;
}

TEST(WindowsVersion, TokenCarriesPrefixAndNativeBitness) {
    EXPECT_EQ(WindowsNameFor(Facts(10, 0)), L"win_win10_64");
    EXPECT_EQ(WindowsNameFor(Facts(6, 3, true, false, PROCESSOR_ARCHITECTURE_INTEL)), L"win_win8_32");
    EXPECT_EQ(WindowsNameFor(Facts(5, 1, true, false, PROCESSOR_ARCHITECTURE_IA64)), L"win_XP_64");
    EXPECT_EQ(WindowsNameFor(Facts(12, 0)), L"win_??_64");
    EXPECT_EQ(WindowsNameFor(Facts(12, 0, true, false, PROCESSOR_ARCHITECTURE_INTEL)), L"win_??_32");
    EXPECT_EQ(WindowsNameFor(Facts(6, 1, true, false, PROCESSOR_ARCHITECTURE_ARM)), L"win_win7_32");
}

TEST(WindowsVersion, DetectsTheRunningSystem) {
    std::wstring name = L"old", version = L"old";
    ASSERT_TRUE(DetectWindows(name, version));

    // The same facts through other calls: RtlGetVersion and the product type.
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    rtlGetVersion(&info);
    EXPECT_EQ(version, std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion) + L"." +
                           std::to_wstring(info.dwBuildNumber & 0xFFFF));
    EXPECT_TRUE(std::regex_match(version, std::wregex(L"\\d+\\.\\d+\\.\\d+"))) << version;

    WindowsFacts facts = Facts(info.dwMajorVersion, info.dwMinorVersion, info.wProductType == VER_NT_WORKSTATION,
                               ::GetSystemMetrics(SM_SERVERR2) != 0);
    EXPECT_EQ(name, WindowsNameFor(facts));
    // The x64 system (a 32-bit process would say _64 too, from the native system information).
    EXPECT_EQ(name.substr(name.size() - 3), L"_64");
    EXPECT_NE(name, L"win_??_64") << "the prefix runs a release the table knows";
}
