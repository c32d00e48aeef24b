#include "sysinfo/InstallDir.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A drive letter that names no drive on this machine.
std::wstring MissingDrive() {
    DWORD drives = ::GetLogicalDrives();
    for (int i = 25; i >= 3; --i)
        if (!(drives & (1u << i))) return std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":";
    return std::wstring();
}

} // namespace

TEST(InstallDir, RemoveForbiddenChars) {
    EXPECT_EQ(RemoveForbiddenChars(L"a\\b/c:d*e?f\"g<h>i|j"), L"abcdefghij");
    EXPECT_EQ(RemoveForbiddenChars(L"Kestrane 1.0 (x86) 中文"), L"Kestrane 1.0 (x86) 中文");
    EXPECT_EQ(RemoveForbiddenChars(L"\\\\?\\"), L"");
}

TEST(InstallDir, AcceptsADriveFollowedByNames) {
    EXPECT_TRUE(IsValidInstallDir(L"C:\\Program Files (x86)\\QRN\\Kestrane"));
    EXPECT_TRUE(IsValidInstallDir(L"C:\\a.b"));
    EXPECT_TRUE(IsValidInstallDir(L"C:\\a"));
    EXPECT_TRUE(IsValidInstallDir(L"C:\\文件夹\\Kestrane"));
    EXPECT_TRUE(IsValidInstallDir(L""));  // callers reject empty text before asking
}

TEST(InstallDir, RefusesRootsTrailingSeparatorsAndBadNames) {
    EXPECT_FALSE(IsValidInstallDir(L"C:\\Program Files (x86)\\QRN\\Kestrane\\"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\"));
    EXPECT_FALSE(IsValidInstallDir(L"C:"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\a\\\\b"));
    EXPECT_FALSE(IsValidInstallDir(L"C:a"));
    EXPECT_FALSE(IsValidInstallDir(L"\\a\\b"));
    EXPECT_FALSE(IsValidInstallDir(L"Kestrane"));
    EXPECT_FALSE(IsValidInstallDir(L"\\\\server\\share\\Kestrane"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\Program Files\\Kes?rane"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\Pro*gram\\Kestrane"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\a<b\\c"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\a|b"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\a\"b"));
    // A forbidden character after the last full stop of a name counts too.
    EXPECT_FALSE(IsValidInstallDir(L"C:\\dir.a?b\\Kestrane"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\Kestrane.x*"));
    EXPECT_FALSE(IsValidInstallDir(L"C:\\" + std::wstring(300, L'a')));
}

TEST(InstallDir, RefusesADriveThatDoesNotExist) {
    std::wstring drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    EXPECT_FALSE(IsValidInstallDir(drive + L"\\QRN\\Kestrane"));
}
