#include "sysinfo/LocalPaths.h"
#include "sysinfo/ShutdownPrivilege.h"

#include "support/Handles.h"
#include "support/TempNames.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <cstdio>

namespace {

std::wstring RoamingAppData() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, TRUE);
    return path;
}

bool IsDirectory(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

SetupInfo Package(const std::wstring& name, const std::wstring& version, const std::wstring& url) {
    SetupInfo item;
    item.name = name;
    item.version = version;
    item.url = url;
    return item;
}

// Lends the product data folder's startup.ini to a test: an existing file is
// moved aside and put back, a folder made for the test is removed again.
class StartupIni {
public:
    StartupIni() {
        folder_ = RoamingAppData() + L"\\Orchid";
        madeFolder_ = !IsDirectory(folder_);
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        file_ = folder_ + L"\\startup.ini";
        aside_ = file_ + L"." + NewGuidText();
        movedAside_ = ::MoveFileW(file_.c_str(), aside_.c_str()) != FALSE;
    }
    ~StartupIni() {
        ::DeleteFileW(file_.c_str());
        if (movedAside_) ::MoveFileW(aside_.c_str(), file_.c_str());
        if (madeFolder_) ::RemoveDirectoryW(folder_.c_str());
    }
    void Write(const std::string& bytes) {
        FILE* out = _wfopen(file_.c_str(), L"wb");
        ASSERT_NE(out, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), out);
        fclose(out);
    }

private:
    std::wstring folder_, file_, aside_;
    bool madeFolder_ = false, movedAside_ = false;
};

} // namespace

TEST(LocalPaths, AppDataFolderIsCreatedOnRequest) {
    std::wstring base = RoamingAppData();
    EXPECT_EQ(AppDataPath(L"", L"startup.ini", false), base + L"\\Orchid\\startup.ini");

    std::wstring folder = L"KestraneTest-" + NewGuidText();
    std::wstring path = AppDataPath(folder, L"", true);
    EXPECT_EQ(path, base + L"\\" + folder + L"\\");
    EXPECT_TRUE(IsDirectory(path));
    std::wstring logs = AppDataPath(folder, L"logs", true);
    EXPECT_EQ(logs, base + L"\\" + folder + L"\\logs");
    EXPECT_TRUE(IsDirectory(logs));
    ::RemoveDirectoryW(logs.c_str());
    ::RemoveDirectoryW(path.c_str());
}

TEST(LocalPaths, DefaultInstallPathIsUnderThe32BitProgramFolder) {
    EXPECT_EQ(DefaultInstallPath(), L"C:\\Program Files (x86)\\QRN\\Kestrane");
}

TEST(LocalPaths, InstalledPathFromStartupIni) {
    StartupIni ini;
    EXPECT_EQ(ReadInstalledPath(), L"");  // absent: the proposal falls back to the default

    ini.Write("[Other]\r\nPath=C:\\Wrong\r\n[App]\r\nVersion=1.0\r\nPath=D:\\Tools\\Kestrane\r\n");
    EXPECT_EQ(ReadInstalledPath(), L"D:\\Tools\\Kestrane");

    ini.Write("[App]\r\nVersion=1.0\r\n");
    EXPECT_EQ(ReadInstalledPath(), L"");

    // A file written as UTF-16 with its byte-order mark keeps any folder name.
    std::wstring text = L"\xFEFF[App]\r\nPath=C:\\翻译\\Kestrane\r\n";
    ini.Write(std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    EXPECT_EQ(ReadInstalledPath(), L"C:\\翻译\\Kestrane");
}

TEST(LocalPaths, WorkAndPackageFoldersExistUnderTemp) {
    std::wstring work = TempWorkFolder();
    EXPECT_EQ(work, TempPath() + L"vantor_temp\\");
    EXPECT_TRUE(IsDirectory(work));
    std::wstring packages = PackageFolder();
    EXPECT_EQ(packages, work + L"Package\\");
    EXPECT_TRUE(IsDirectory(packages));
}

TEST(LocalPaths, PackageFileName) {
    std::wstring folder = PackageFolder();
    EXPECT_EQ(PackageFilePath(Package(L"Kestrane", L"1.0.2", L"http://h/dl/Kestrane.exe")),
              folder + L"Kestrane_V1.0.2.exe");
    EXPECT_EQ(PackageFilePath(Package(L"翻译助手", L"2.1", L"http://h/x.msi")), folder + L"翻译助手_V2.1.msi");
    // No extension: the name ends in a full stop, as it always has.
    EXPECT_EQ(PackageFilePath(Package(L"Kestrane", L"1.0.2", L"http://h/dl/Kestrane")),
              folder + L"Kestrane_V1.0.2.");
}

TEST(LocalPaths, PackageFileNameStaysInsideThePackageFolder) {
    std::wstring folder = PackageFolder();
    EXPECT_EQ(PackageFilePath(Package(L"..\\..\\x", L"1.0", L"http://h/a.exe")), folder + L"....x_V1.0.exe");
    EXPECT_EQ(PackageFilePath(Package(L"a/b:c", L"..\\..\\1", L"http://h/a.exe")), folder + L"abc_V....1.exe");
    EXPECT_EQ(PackageFilePath(Package(L"C:\\Windows\\evil", L"1", L"http://h/a.e\\x\\e")),
              folder + L"CWindowsevil_V1.");  // a backslash in a URL ends its path segment too
    EXPECT_EQ(PackageFilePath(Package(L"x\ty\r\n", L"1", L"http://h/a.exe")), folder + L"xy_V1.exe");
    // Names that are nothing or only dots once cleaned get no file at all.
    for (const wchar_t* name : {L"", L"..", L".", L"...", L"\\..\\", L"/", L"?*", L"..\\.."})
        EXPECT_EQ(PackageFilePath(Package(name, L"1.0", L"http://h/a.exe")), L"") << name;
}

TEST(LocalPaths, ExtensionComesFromTheUrlsFileName) {
    EXPECT_EQ(UrlFileExtension(L"http://h/f.exe"), L"exe");
    EXPECT_EQ(UrlFileExtension(L"http://h/f.exe?x=1"), L"exe");
    EXPECT_EQ(UrlFileExtension(L"http://h/f.exe?file=a.b/c"), L"exe");
    EXPECT_EQ(UrlFileExtension(L"http://h/f.tar.gz#part.2"), L"gz");
    EXPECT_EQ(UrlFileExtension(L"http://h/a.b/file"), L"");
    EXPECT_EQ(UrlFileExtension(L"http://h.example.com"), L"");
    EXPECT_EQ(UrlFileExtension(L"http://h.example.com/"), L"");
    EXPECT_EQ(UrlFileExtension(L"http://127.0.0.1:8080/pkg/setup.EXE"), L"EXE");
    EXPECT_EQ(UrlFileExtension(L"https://h/f.ex:e"), L"exe");
    EXPECT_EQ(UrlFileExtension(L"f.exe"), L"exe");
    EXPECT_EQ(UrlFileExtension(L""), L"");
    EXPECT_EQ(PackageFilePath(Package(L"K", L"1", L"http://h/f.exe?x=1")), PackageFolder() + L"K_V1.exe");
    EXPECT_EQ(PackageFilePath(Package(L"K", L"1", L"http://h/a.b/file")), PackageFolder() + L"K_V1.");
}

TEST(LocalPaths, ShutdownPrivilegeIsEnabled) {
    ASSERT_TRUE(EnableShutdownPrivilege());
    KernelHandle token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
    PRIVILEGE_SET wanted{};
    wanted.PrivilegeCount = 1;
    ASSERT_TRUE(::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &wanted.Privilege[0].Luid));
    BOOL held = FALSE;
    ASSERT_TRUE(::PrivilegeCheck(token.get(), &wanted, &held));
    EXPECT_TRUE(held);
}
