// The installation from the start button to the Finish page in a real
// installer window, against the local setup service and its sample packages:
// the parent test switches the service's faults and starts this program
// again with "/sns=<address>"; the child runs one InstallChild test.
#include "tests/common/LocalService.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/FinishPage.h"
#include "app/RunFolder.h"
#include "dulib/ctrl/Engine.h"
#include "support/CodedConversion.h"
#include "support/Md5.h"
#include "support/PackageList.h"
#include "support/TempNames.h"
#include "sysinfo/LocalPaths.h"
#include "tests/app/InstallerWindow.h"
#include "tests/common/CapturedLog.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

std::wstring ServiceAddress() { return L"127.0.0.1:" + std::to_wstring(local_service::Port()); }

// What each catalog package's setup writes into its folder.
const std::map<std::wstring, std::wstring> kPayloadFile = {
    {L"kestrane_client", L"Kestrane.ini"},
    {L"word_addin", L"WordAddin.txt"},
    {L"dotnet_runtime", L"DotNet45.txt"},
    {L"x64_helper", L"Helper64.txt"},
};

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Text(const wchar_t* control) {
    duPlugin* plugin = FindControl(control);
    return plugin && plugin->GetText() ? plugin->GetText() : L"";
}

std::wstring RowText(const wchar_t* templateName, int n) {
    return Text((std::wstring(templateName) + std::to_wstring(n)).c_str());
}

// The id of the newest statistics report; 0 when there is none.
long LastReportId() {
    const std::string reports = local_service::LastStatistics(1);
    size_t at = reports.find("\"id\": ");
    return at == std::string::npos ? 0 : std::stol(reports.substr(at + 6));
}

// The remark as it appears inside the service's JSON answer (quotes escaped).
std::string EscapedRemarkPart(const std::string& key, const std::string& value) {
    return "\\\"" + key + "\\\":\\\"" + value + "\\\"";
}

// One installation run in this (child) process: preparation, the folder
// field set to a fresh folder, start, and the Finish page with its report.
class InstallRun {
public:
    InstallRun() {
        EXPECT_TRUE(PumpUntilPreparationEnds(60000));
        setupShown_ = FindControl(L"SetupLayout") && FindControl(L"SetupLayout")->IsVisible();
        // Package files of earlier runs would be taken as already downloaded.
        SetupInfo item;
        for (unsigned i = 0; PackageList.GetAt(i, item); ++i) ::DeleteFileW(PackageFilePath(item).c_str());
    }
    bool SetupShown() const { return setupShown_; }
    const TempDir& Folder() const { return folder_; }
    std::wstring ProductFolder() const { return folder_.Path() + L"\\QRN\\Kestrane"; }

    // Clicks start and waits for the Finish page and its statistics report.
    void StartAndFinish() {
        FindControl(L"SelectDirStatic")->SetText(folder_.Path().c_str());
        const long before = LastReportId();
        NotifyRecord click{DUM_BTNCLICK, 0, 0};
        ::SendMessageW(window_.Hwnd(), WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"StartSetupBtn")),
                       reinterpret_cast<LPARAM>(&click));
        ASSERT_TRUE(App().installStarted);
        ASSERT_TRUE(PumpUntil([] { return FindControl(L"FinishLayout")->IsVisible() != FALSE; }, 150000));
        ASSERT_TRUE(PumpUntil([before] { return LastReportId() > before; }, 60000)) << "no statistics report";
        report_ = local_service::LastStatistics(1);
    }
    const std::string& Report() const { return report_; }

private:
    InstallerWindow window_;
    TempDir folder_;
    bool setupShown_ = false;
    std::string report_;
};

// The first of two listed packages failed its download with code before
// anything was fetched for it; the second was never reached.
void ExpectFirstFailedBeforeFetching(const InstallRun& run, int code) {
    SetupInfo first, second;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    ASSERT_TRUE(PackageList.GetAt(1, second));
    EXPECT_EQ(first.state, DownloadFailed);
    EXPECT_EQ(first.errorCode, code);
    EXPECT_EQ(first.downloaded, 0) << "nothing was fetched for it";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败，code=" + std::to_wstring(code));
    EXPECT_EQ(second.state, Waiting) << "nothing after the failure is downloaded";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 2), L"未安装");
    EXPECT_FALSE(FileExists(PackageFilePath(second)));
    EXPECT_FALSE(FileExists(run.ProductFolder()));
}

std::string PackageListText() {
    std::wstring text;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i)
        if (item.selected) text += item.name + L"_" + item.version + L";";
    return CCodedConversion().WideToUtf8(text);
}

// One entry of a package list answer for a file the service serves.
std::string ListedPackage(const std::string& setupName, const std::string& name, const std::string& type,
                          const std::string& file, const char* listedSize = nullptr) {
    const std::string path = local_service::BuildDirWindows() + "\\setup-service\\packages\\" + file;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::string size = listedSize ? listedSize : std::to_string(static_cast<long long>(in.tellg()));
    const std::string url = "http://127.0.0.1:" + std::to_string(local_service::Port()) + "/packages/" + file;
    return "{\"setup_name\": \"" + setupName + "\", \"name\": \"" + name + "\", \"type\": \"" + type +
           "\", \"size\": \"" + size + "\", \"url\": \"" + url +
           "\", \"description\": \"\", \"cmd\": \"\", \"version\": \"1.0\", \"sort\": \"1\", \"md5\": \"" +
           FileMd5Hex(CCodedConversion().AnsiToWide(path)) + "\"}";
}

// The bytes of a file the service serves.
std::string ServedBytes(const std::string& file) {
    std::ifstream in(local_service::BuildDirWindows() + "\\setup-service\\packages\\" + file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The names in a folder (ending in a backslash).
std::set<std::wstring> FilesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    FindHandle find(::FindFirstFileW((folder + L"*").c_str(), &found));
    for (BOOL more = find ? TRUE : FALSE; more; more = ::FindNextFileW(find.get(), &found))
        if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
            names.insert(found.cFileName);
    return names;
}

// Runs InstallChild tests in a child process while the service lists exactly
// these packages.
void RunChildWithList(const std::string& packages, const wchar_t* child) {
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetInstallAnswer("{\"result\": true, \"data\": [" + packages + "]}"));
    RunChildTests(ServiceAddress(), child);
    local_service::ResetFaults();
}

// Sets environment variables for the child processes started meanwhile.
class ScopedEnvironment {
public:
    void Set(const wchar_t* name, const std::wstring& value) {
        wchar_t old[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(name, old, MAX_PATH);
        saved_.push_back({name, std::wstring(old), length > 0 && length < MAX_PATH});
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            ::SetEnvironmentVariableW(it->name.c_str(), it->existed ? it->value.c_str() : nullptr);
    }

private:
    struct Saved {
        std::wstring name;
        std::wstring value;
        bool existed;
    };
    std::vector<Saved> saved_;
};

// Runs one InstallChild test in a child process while the local service has
// one fault switched on.
void RunChildWithFault(const char* fault, const char* value, const wchar_t* child) {
    local_service::ResetFaults();
    local_service::SetFault(fault, value);
    RunChildTests(ServiceAddress(), child);
    local_service::ResetFaults();
}

} // namespace

TEST(InstallFlow, AllPackagesInstalled) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("upper_md5", "1", L"InstallChild.AllPackages");  // digests compare without regard to case
}

TEST(InstallFlow, WrongDigestFailsAndStopsTheRest) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("bad_md5", "kestrane_client", L"InstallChild.WrongDigest");
}

TEST(InstallFlow, CutDownloadFailsAndStopsTheRest) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("drop_after", "1000", L"InstallChild.CutDownload");
}

TEST(InstallFlow, SetupExitCodeAboveZeroFails) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("serve_file", "kestrane_client:Failing_3010.exe", L"InstallChild.ExitCode3010");
}

TEST(InstallFlow, PackageWithoutASafeFileNameFailsItsDownload) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetInstallAnswer(
        "{\"result\": true, \"data\": [" + ListedPackage("dots", "..", "1", "Kestrane_V1.0.3.exe") + ", " +
        ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe") + "]}"));
    RunChildTests(ServiceAddress(), L"InstallChild.UnsafeName");
    local_service::ResetFaults();
}

TEST(InstallFlow, PackageWithoutARowIsNotInstalled) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetInstallAnswer(
        "{\"result\": true, \"data\": [" + ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe") + ", " +
        ListedPackage("sizeless", "Sizeless", "0", "WordAddin_V2.1.exe", "0") + "]}"));
    RunChildTests(ServiceAddress(), L"InstallChild.SizelessPackage");
    local_service::ResetFaults();
}

TEST(InstallFlow, PartialFileOfAnEarlierRunIsResumed) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    RunChildTests(ServiceAddress(), L"InstallChild.ResumedFile");
}

TEST(InstallChild, AllPackages) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    EXPECT_FALSE(FindControl(L"SetupLayout")->IsVisible());
    EXPECT_FALSE(FindControl(L"StartSetupLayout")->IsVisible());
    SetupInfo item;
    int selected = 0;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        ASSERT_TRUE(item.selected) << "optional packages stay ticked by default";
        ++selected;
        const int n = static_cast<int>(i) + 1;
        EXPECT_EQ(item.state, Installed);
        EXPECT_EQ(RowText(L"FinishItemStaticState_", n), L"安装成功");
        EXPECT_EQ(RowText(L"FinishItemStaticName_", n), item.name);
        EXPECT_FALSE(FindControl((L"FinishItemStaticInfo_" + std::to_wstring(n)).c_str())->IsVisible());
        EXPECT_EQ(FindControl((L"FinishItem_" + std::to_wstring(n)).c_str())->IsVisible() != FALSE, item.type != 4);
        ASSERT_EQ(kPayloadFile.count(item.setup_name), 1u);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)))
            << "payload of " << CCodedConversion().WideToUtf8(item.name);
        // The whole file counted once, although the download reports one last chunk.
        EXPECT_EQ(item.downloaded, item.size);
    }
    EXPECT_GE(selected, 2);
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_EQ(App().resultText, L"【安装成功】");
    EXPECT_TRUE(FindControl(L"RunAppLayout")->IsVisible());
    EXPECT_EQ(Text(L"RunAppStatic"), L"Kestrane 翻译客户端");
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishImgLayout");
    EXPECT_EQ(App().lastShownProgress, 100 / selected * selected);
    EXPECT_EQ(App().setupInfoText.rfind(L"正在安装“", 0), 0u);
    ::SendMessageW(App().mainWindow, WM_TIMER, IDT_ITEM_PROGRESS, 0);
    for (int n = 1; n <= selected; ++n) EXPECT_EQ(RowText(L"SetupItemStaticProgress_", n), L"已安装");

    const std::string& report = run.Report();
    EXPECT_NE(report.find(EscapedRemarkPart("error_code", "0")), std::string::npos) << report;
    EXPECT_NE(report.find(EscapedRemarkPart("setup_list", PackageListText())), std::string::npos) << report;
    EXPECT_NE(report.find(EscapedRemarkPart("error_msg", "【安装成功】")), std::string::npos) << report;

    // The finish button closes the window without a question.
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    HWND hwnd = App().mainWindow;
    ::SendMessageW(hwnd, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"FinishSetupBtn")),
                   reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 10000));
}

TEST(InstallChild, WrongDigest) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, VerifyFailed);
    EXPECT_EQ(first.errorCode, 5);
    EXPECT_FALSE(FileExists(PackageFilePath(first))) << "a file that fails its check is deleted";
    ASSERT_TRUE(App().runFolder);
    EXPECT_TRUE(FilesIn(App().runFolder->Path()).empty()) << "and so is its copy";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：验证失败，code=5");
    EXPECT_TRUE(FindControl(L"FinishItemStaticInfo_1")->IsVisible());
    EXPECT_STREQ(FindControl(L"FinishItem_1")->GetStyle(), L"FinishItem_Failed");
    EXPECT_STREQ(FindControl(L"FinishItemStaticState_1")->GetStyle(), L"CommonStaticRed12Right");
    // The main program failed: failure picture, nothing offered to run.
    EXPECT_FALSE(FindControl(L"RunAppLayout")->IsVisible());
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");

    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_NE(item.state, Installing);
        EXPECT_NE(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"安装成功");
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)));
    }
    EXPECT_NE(run.Report().find("【安装失败】"), std::string::npos) << run.Report();
}

TEST(InstallChild, ExitCode3010) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, InstallFailed);
    EXPECT_EQ(first.errorCode, 3010);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\failing.txt")) << "the setup ran into the chosen folder";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：code=3010");
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)));
    }
}

TEST(InstallChild, ResumedFile) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    // The first half of the client's package, left by an interrupted run.
    std::ifstream served(local_service::BuildDirWindows() + "\\setup-service\\packages\\Kestrane_V1.0.3.exe",
                         std::ios::binary);
    std::ostringstream bytes;
    bytes << served.rdbuf();
    const std::string whole = bytes.str();
    ASSERT_EQ(static_cast<int>(whole.size()), first.size);
    const std::string half = whole.substr(0, whole.size() / 2);
    {
        std::ofstream partial(PackageFilePath(first).c_str(), std::ios::binary);
        partial.write(half.data(), static_cast<std::streamsize>(half.size()));
    }
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, Installed);
    // Counted from the half on disk: a download from the first byte would
    // have added the whole size to it.
    EXPECT_EQ(first.downloaded, first.size);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装成功");
}

TEST(InstallChild, UnsafeName) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(PackageList.Count(), 2);
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    ExpectFirstFailedBeforeFetching(run, ERROR_INVALID_NAME);
    EXPECT_EQ(App().resultCode, ERROR_INVALID_NAME);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", "123")), std::string::npos) << run.Report();
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", ".._1.0;Addin_1.0;")), std::string::npos)
        << run.Report();
}

TEST(InstallChild, SizelessPackage) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(FindControl(L"SetupItem_2"), nullptr) << "a package without a size has no row";
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo client, sizeless;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    ASSERT_TRUE(PackageList.GetAt(1, sizeless));
    EXPECT_EQ(client.state, Installed);
    EXPECT_FALSE(sizeless.selected);
    EXPECT_EQ(sizeless.state, Waiting);
    EXPECT_EQ(FindControl(L"FinishItem_2"), nullptr);
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\WordAddin.txt"));
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", "Client_1.0;")), std::string::npos) << run.Report();
}

TEST(InstallChild, CutDownload) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, DownloadFailed);
    EXPECT_NE(first.errorCode, 0);
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败，code=" + std::to_wstring(first.errorCode));
    // What arrived stays for the next run to resume from.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(PackageFilePath(first).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 1000u);
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Waiting) << "no later package is downloaded";
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"未安装");
        EXPECT_FALSE(FileExists(PackageFilePath(item)));
    }
    EXPECT_EQ(App().resultCode, first.errorCode);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", std::to_string(first.errorCode))), std::string::npos)
        << run.Report();
}

TEST(InstallFlow, WhatRunsIsTheVerifiedCopyAlone) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithList(ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe"), L"InstallChild.VerifiedCopy");
}

TEST(InstallFlow, APackageHeldOpenForWritingFailsAndIsKept) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithList(ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe"), L"InstallChild.HeldForWriting");
}

TEST(InstallFlow, ASizeBeyond32BitsFailsBeforeAnyDownload) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithList(ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe", "3000000000") + ", " +
                         ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe"),
                     L"InstallChild.OversizedPackage");
}

// A temporary folder under a user name in Korean or with "ñ" (neither is in
// code page 936).
TEST(InstallFlow, TemporaryFolderOutsideTheAnsiCodePage) {
    if (StartedWithSns()) GTEST_SKIP();
    TempDir base;
    const std::wstring temp = base.File(L"사용자 Muñoz");
    ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
    ScopedEnvironment environment;
    environment.Set(L"TMP", temp);
    environment.Set(L"TEMP", temp);
    RunChildWithFault("upper_md5", "1", L"InstallChild.AllPackages");
}

TEST(InstallChild, VerifiedCopy) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    // A DLL that a program of the same user drops beside the download.
    const std::wstring planted = PackageFolder() + L"version.dll";
    WriteFileBytes(planted, "MZ planted");
    // After the digest, that program writes other bytes over the download:
    // those of another package, whose setup would leave its own payload.
    const std::string other = ServedBytes("WordAddin_V2.1.exe");
    std::wstring download, toRun;
    std::set<std::wstring> runFolderFiles;
    App().beforeRun = [&](const std::wstring& downloaded, const std::wstring& runs) {
        download = downloaded;
        toRun = runs;
        WriteFileBytes(downloaded, other);
        runFolderFiles = FilesIn(runs.substr(0, runs.find_last_of(L'\\') + 1));
    };
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    App().beforeRun = nullptr;
    ::DeleteFileW(planted.c_str());

    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.state, Installed);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini")) << "the verified bytes ran";
    EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\WordAddin.txt")) << "the bytes written after the digest ran";
    ASSERT_FALSE(toRun.empty());
    EXPECT_NE(toRun, download);
    EXPECT_NE(toRun.rfind(TempPath(), 0), 0u) << "runs from under the user's temporary folder";
    EXPECT_EQ(runFolderFiles, std::set<std::wstring>{toRun.substr(toRun.find_last_of(L'\\') + 1)})
        << "only the verified copy is in the run folder";
    EXPECT_FALSE(FileExists(toRun)) << "the copy is removed once its setup has run";
}

TEST(InstallChild, HeldForWriting) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    CapturedLog log;
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    KernelHandle writer;
    App().beforeDigest = [&writer](const std::wstring& download) {
        // Another program is still writing the file.
        writer.reset(::CreateFileW(download.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    };
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    App().beforeDigest = nullptr;
    ASSERT_TRUE(writer) << "the test could not hold the file";
    writer.reset();

    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.state, VerifyFailed);
    EXPECT_EQ(client.errorCode, ERROR_SHARING_VIOLATION);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(PackageFilePath(client).c_str(), GetFileExInfoStandard, &data))
        << "a file someone else is writing is never deleted";
    EXPECT_EQ(static_cast<int>(data.nFileSizeLow), client.size);
    EXPECT_TRUE(log.Has(L"正被其他程序写入")) << log.Text();
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：验证失败，code=32");
    EXPECT_FALSE(FileExists(run.ProductFolder()));
}

TEST(InstallChild, OversizedPackage) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    CapturedLog log;
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    ExpectFirstFailedBeforeFetching(run, ERROR_FILE_TOO_LARGE);
    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_FALSE(FileExists(PackageFilePath(client)));
    EXPECT_TRUE(log.Has(L"StartDLoadMethod 安装包大小超出32位范围")) << log.Text();
}
