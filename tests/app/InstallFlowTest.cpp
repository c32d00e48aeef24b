// The installation from the start button to the Finish page in a real
// installer window, against the local setup service and its sample packages:
// the parent test switches the service's faults and starts this program
// again with "/sns=<address>"; the child runs one InstallChild test.
#include "tests/app/InstallRun.h"  // winsock2.h before windows.h

#include "app/ExitCodes.h"
#include "app/FinishPage.h"
#include "app/RunFolder.h"
#include "support/TempNames.h"
#include "tests/common/CapturedLog.h"
#include "tests/common/FileBytes.h"
#include "dulib/ctrl/WindowHost.h"
#include "tests/common/AccessibleClient.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

using namespace install_flow;

namespace {

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
    RunChildWithAnswer(Answer(packages), child);
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

TEST(InstallFlow, PackagesWithoutASizeAreDownloadedWholeAndInstalled) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithAnswer(Answer(ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe") + ", " +
                              ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe", "") + ", " +
                              ListedPackage("helper", "Helper", "4", "Helper64_V1.2.exe", "0")),
                       L"InstallChild.SizelessPackages");
}

TEST(InstallFlow, MainClientWithoutASizeAndAWrongDigestFailsLoudly) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithAnswer(Answer(ListedPackage("kx", "Client", "1", "Kestrane_V1.0.3.exe", "",
                                            "0123456789abcdef0123456789abcdef") + ", " +
                              ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe")),
                       L"InstallChild.SizelessClientWrongDigest");
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
        ASSERT_EQ(PayloadFiles().count(item.setup_name), 1u);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)))
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
    EXPECT_EQ(RunExitCode(), kExitSuccess) << "the code a script gets";

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
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)));
    }
    // The run is reported with the client's failure, not with a later
    // package that was downloaded but never installed.
    ExpectReportedFailure(run.Report(), 5, "【安装失败】name：Kestrane 翻译客户端_V1.0.3, 错误信息：验证失败，code=5");
    EXPECT_EQ(RunExitCode(), kExitDigestMismatch) << "the code a script gets";
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
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：安装程序出错，code=3010");
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)));
    }
    // The next package was downloaded while the client's setup ran: the run
    // is still reported with the client's code, never with 0.
    ExpectReportedFailure(run.Report(), 3010,
                          "【安装失败】name：Kestrane 翻译客户端_V1.0.3, 错误信息：安装程序出错，code=3010");
    EXPECT_EQ(RunExitCode(), kExitSetupFailed) << "the code a script gets";
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

TEST(InstallChild, SizelessPackages) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(PackageList.Count(), 3);
    // Rows for every package; the hidden type stays hidden.
    ASSERT_NE(RowControl(L"SetupItem_", 2), nullptr);
    EXPECT_TRUE(RowControl(L"SetupItem_", 2)->IsVisible());
    EXPECT_TRUE(RowControl(L"SetupItemIconLayout_", 2)->IsVisible());
    ASSERT_NE(RowControl(L"SetupItem_", 3), nullptr);
    EXPECT_FALSE(RowControl(L"SetupItem_", 3)->IsVisible());
    // A file left by an earlier run cannot be known complete without a size:
    // longer junk is replaced by the whole download, not taken as done.
    SetupInfo addin;
    ASSERT_TRUE(PackageList.GetAt(1, addin));
    {
        std::ofstream junk(PackageFilePath(addin).c_str(), std::ios::binary);
        junk << std::string(ServedBytes("WordAddin_V2.1.exe").size() + 100, 'j');
    }
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_TRUE(item.selected);
        EXPECT_EQ(item.state, Installed) << CCodedConversion().WideToUtf8(item.name);
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"安装成功");
    }
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\WordAddin.txt"));
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Helper64.txt"));
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_EQ(App().lastShownProgress, 99);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", "Client_1.0;Addin_1.0;Helper_1.0;")),
              std::string::npos)
        << run.Report();
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", "0")), std::string::npos) << run.Report();
}

TEST(InstallChild, SizelessClientWrongDigest) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo client, addin;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    ASSERT_TRUE(PackageList.GetAt(1, addin));
    EXPECT_TRUE(client.selected);
    EXPECT_EQ(client.state, VerifyFailed);
    EXPECT_EQ(client.errorCode, 5);
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：验证失败，code=5");
    EXPECT_NE(addin.state, Installed);
    EXPECT_FALSE(FindControl(L"RunAppLayout")->IsVisible());
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");
    ExpectReportedFailure(run.Report(), 5, "【安装失败】name：Client_V1.0, 错误信息：验证失败，code=5");
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
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1),
              L"错误信息：下载失败（网络连接失败），code=" + std::to_wstring(first.errorCode));
    // What arrived stays for the next run to resume from: every connection
    // was cut after 1000 bytes, and the retries gave up after the third.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(PackageFilePath(first).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 4000u);
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Waiting) << "no later package is downloaded";
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"未安装");
        EXPECT_FALSE(FileExists(PackageFilePath(item)));
    }
    EXPECT_EQ(App().resultCode, first.errorCode);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", std::to_string(first.errorCode))), std::string::npos)
        << run.Report();
    EXPECT_EQ(RunExitCode(), kExitDownloadFailed) << "the code a script gets";
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

// --- by keyboard alone, and through a screen reader in another process ------

namespace {

void PressKey(UINT vk) {
    ::SendMessageW(App().mainWindow, WM_KEYDOWN, vk, 1);
    ::SendMessageW(App().mainWindow, WM_KEYUP, vk, 0xC0000001);
}

std::wstring FocusedName() {
    WindowHost* host = WindowHost::FromHwnd(App().mainWindow);
    duPlugin* focus = host ? host->GetFocusPlugin() : nullptr;
    return focus ? focus->GetName() : L"";
}

bool TabTo(const std::wstring& name) {
    for (int i = 0; i < 30 && FocusedName() != name; ++i) PressKey(VK_TAB);
    return FocusedName() == name;
}

bool IsChecked(const std::wstring& name) {
    auto* box = dynamic_cast<duCheckBox*>(FindControl(name.c_str()));
    return box && box->IsChecked();
}

// The shown main window of the installer running in another process.
HWND InstallerWindowOf(DWORD processId) {
    struct Search {
        DWORD id;
        HWND found;
    } search{processId, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64] = {};
            ::GetClassNameW(hwnd, cls, 64);
            if (owner != s->id || std::wstring(cls) != kMainWindowClass || !::IsWindowVisible(hwnd)) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Shown(const a11y::Object& o) { return o && !(a11y::State(o) & STATE_SYSTEM_INVISIBLE); }

// Whether any event of that kind named an object of that role.
bool EventAbout(HWND hwnd, DWORD event, long role) {
    for (LONG child : a11y::EventLog::Of(event))
        if (a11y::Role(a11y::FromEvent(hwnd, child)) == role) return true;
    return false;
}

class ComApartment {
public:
    ComApartment() { ::CoInitialize(nullptr); }
    ~ComApartment() { ::CoUninitialize(); }
};

} // namespace

TEST(InstallFlow, KeyboardOnly) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    RunChildTests(ServiceAddress(), L"InstallChild.KeyboardOnly");
}

TEST(InstallChild, KeyboardOnly) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    SetupInfo dropped, item;
    int row = 0;
    for (unsigned i = 0; PackageList.GetAt(i, item) && !row; ++i) {
        if (item.type != 16 || item.size <= 0) continue;
        row = static_cast<int>(i) + 1;
        dropped = item;
    }
    ASSERT_GT(row, 0) << "the catalog offers an optional package";
    const std::wstring n = std::to_wstring(row);

    EXPECT_EQ(FocusedName(), L"StartSetupBtn") << "the page opens on its start button";
    // Into the list, down to the optional package, and untick it.
    ASSERT_TRUE(TabTo(L"SetupItem_1"));
    for (int i = 0; i < 10 && FocusedName() != L"SetupItem_" + n; ++i) PressKey(VK_DOWN);
    ASSERT_EQ(FocusedName(), L"SetupItem_" + n);
    PressKey(VK_SPACE);
    EXPECT_FALSE(IsChecked(L"SetupItemCheckBox_" + n));

    // The agreement: without it Enter starts nothing; ticked again, it does.
    ASSERT_TRUE(TabTo(L"AgreementCheckBox"));
    PressKey(VK_SPACE);
    EXPECT_TRUE(FindControl(L"StartSetupBtn")->IsDisable());
    PressKey(VK_RETURN);
    EXPECT_FALSE(App().installStarted);
    PressKey(VK_SPACE);
    EXPECT_TRUE(IsChecked(L"AgreementCheckBox"));

    // The folder: unfold its row, select the proposed folder, type another.
    ASSERT_TRUE(TabTo(L"CustomSetupStaticBtn"));
    PressKey(VK_SPACE);
    ASSERT_TRUE(TabTo(L"SelectDirStatic"));
    ::SendMessageW(App().mainWindow, WM_CHAR, 1, 1);  // Ctrl+A
    for (wchar_t c : run.Folder().Path()) ::SendMessageW(App().mainWindow, WM_CHAR, c, 1);
    EXPECT_EQ(Text(L"SelectDirStatic"), run.Folder().Path());

    const long before = LastReportId();
    PressKey(VK_RETURN);
    ASSERT_TRUE(App().installStarted);
    EXPECT_TRUE(FocusedName().rfind(L"SetupItem_", 0) == 0) << "the rows take the focus from the start line";
    ASSERT_TRUE(PumpUntil([] { return FindControl(L"FinishLayout")->IsVisible() != FALSE; }, 150000));
    ASSERT_TRUE(PumpUntil([before] { return LastReportId() > before; }, 60000)) << "no statistics report";

    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        const bool installed = FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name));
        if (item.setup_name == dropped.setup_name) {
            EXPECT_FALSE(item.selected);
            EXPECT_FALSE(installed) << "the unticked package was installed";
        } else {
            EXPECT_EQ(item.state, Installed);
            EXPECT_TRUE(installed);
        }
    }
    // The Finish page opens on its button, and Enter closes the installer.
    EXPECT_EQ(FocusedName(), L"FinishSetupBtn");
    HWND hwnd = App().mainWindow;
    PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 10000));
}

TEST(InstallFlow, ScreenReaderInAnotherProcess) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    // Downloads of a second or more each: the rows' once-a-second refresh
    // shows their progress before the Finish page.
    ASSERT_TRUE(local_service::SetFault("rate", "128"));
    ComApartment com;
    ChildTests child(ServiceAddress(), L"InstallChild.ServesAReader");
    ASSERT_TRUE(child.Started());

    // This process is the reader: it waits for the Setup page with the
    // child's folder in it, looking only at the accessible objects.
    HWND hwnd = nullptr;
    a11y::Object client, page;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!hwnd) hwnd = InstallerWindowOf(child.Id());
            if (!hwnd) return false;
            client = a11y::ClientOf(hwnd);
            page = a11y::Find(client, L"选择安装内容", ROLE_SYSTEM_PROPERTYPAGE);
            const std::wstring folder = a11y::Value(a11y::Find(page, L"安装到", ROLE_SYSTEM_TEXT));
            return Shown(page) && folder.find(L"kestrane-test-") != std::wstring::npos;
        },
        90000))
        << "the Setup page never showed";
    EXPECT_EQ(a11y::Name(client), L"在线安装");
    EXPECT_EQ(a11y::Role(a11y::Find(client, L"关闭")), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(a11y::Role(a11y::Find(client, L"最小化")), ROLE_SYSTEM_PUSHBUTTON);

    // The page's controls with their roles, names and states.
    a11y::Object list = a11y::Find(page, L"安装内容", ROLE_SYSTEM_LIST);
    std::vector<std::wstring> rows;
    int optional = 0;
    for (const a11y::Object& row : a11y::Kids(list)) {
        const long state = a11y::State(row);
        if (state & STATE_SYSTEM_INVISIBLE) continue;
        EXPECT_EQ(a11y::Role(row), ROLE_SYSTEM_LISTITEM);
        EXPECT_TRUE(state & STATE_SYSTEM_FOCUSABLE);
        rows.push_back(a11y::Name(row));
        if (state & STATE_SYSTEM_CHECKED) {
            ++optional;
            EXPECT_EQ(a11y::Role(a11y::Kids(row).at(0)), ROLE_SYSTEM_CHECKBUTTON);
        }
    }
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], L"Kestrane 翻译客户端 1.0.3");
    EXPECT_GE(optional, 1);
    a11y::Object start = a11y::Find(page, L"开始安装", ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(a11y::State(start), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_DEFAULT);
    EXPECT_EQ(a11y::DefaultAction(start), L"Press");
    a11y::Object agreement = a11y::Find(page, L"阅读并同意使用协议", ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(a11y::State(agreement), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED);
    EXPECT_EQ(a11y::Role(a11y::Find(page, L"使用协议")), ROLE_SYSTEM_LINK);
    EXPECT_EQ(a11y::Role(a11y::Find(page, L"自定义安装")), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_TRUE(a11y::State(a11y::Find(page, L"选择安装目录")) & STATE_SYSTEM_OFFSCREEN);
    EXPECT_TRUE(a11y::State(a11y::Find(page, L"总进度")) & STATE_SYSTEM_INVISIBLE);

    // A focus change, as a WinEvent hook in this process sees it.
    a11y::EventLog log(hwnd);
    ASSERT_TRUE(log.Ok());
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(PumpUntil([] { return !a11y::EventLog::Of(EVENT_OBJECT_FOCUS).empty(); }, 20000));
    a11y::Object focused = a11y::FromEvent(hwnd, a11y::EventLog::Of(EVENT_OBJECT_FOCUS).back());
    EXPECT_EQ(a11y::Name(focused), L"阅读并同意使用协议");
    EXPECT_TRUE(a11y::State(focused) & STATE_SYSTEM_FOCUSED);

    // The start button's default action installs; the reader hears the
    // progress and the result, and the finish button closes the installer.
    EXPECT_EQ(start->accDoDefaultAction(a11y::Self()), S_OK);
    a11y::Object finish;
    ASSERT_TRUE(PumpUntil(
        [&] {
            finish = a11y::Find(client, L"安装成功", ROLE_SYSTEM_PROPERTYPAGE);
            return Shown(finish);
        },
        150000))
        << "no Finish page named by its result";
    EXPECT_TRUE(EventAbout(hwnd, EVENT_OBJECT_VALUECHANGE, ROLE_SYSTEM_PROGRESSBAR));
    EXPECT_TRUE(EventAbout(hwnd, EVENT_OBJECT_NAMECHANGE, ROLE_SYSTEM_LISTITEM)) << "a row's progress";
    EXPECT_TRUE(EventAbout(hwnd, EVENT_OBJECT_SHOW, ROLE_SYSTEM_PROPERTYPAGE)) << "the new page";
    EXPECT_EQ(a11y::Name(a11y::Find(finish, L"安装成功", ROLE_SYSTEM_GRAPHIC)), L"安装成功");
    a11y::Object done = a11y::Find(finish, L"完成", ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(a11y::State(done) & STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(done->accDoDefaultAction(a11y::Self()), S_OK);
    child.Finish();
    local_service::ResetFaults();
}

TEST(InstallChild, ServesAReader) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    HWND hwnd = App().mainWindow;
    ::SetForegroundWindow(hwnd);
    ::SetFocus(hwnd);
    duPlugin* folder = FindControl(L"SelectDirStatic");
    folder->SetText(run.Folder().Path().c_str());
    RedrawPlugin(folder, TRUE);
    // Everything else is the reader's doing, in the parent process.
    ASSERT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 170000)) << "the reader never pressed 完成";
    EXPECT_TRUE(App().installStarted);
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Installed);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)));
    }
}
