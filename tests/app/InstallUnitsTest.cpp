// The decisions of the installation flow one at a time: the folder rule of
// the start button (with its real message box), the setup command line, the
// exit-code rule, the row texts, and the Office guard against real processes.
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/DailyLog.h"
#include "app/DownloadWorker.h"
#include "app/FinishPage.h"
#include "app/InstallWorker.h"
#include "app/MainWindow.h"
#include "app/OfficeGuard.h"
#include "app/Preflight.h"
#include "app/ProcessTerminator.h"
#include "app/RunFolder.h"
#include "app/RunOutcome.h"
#include "app/SetupPage.h"
#include "app/SetupRows.h"
#include "app/StartInstall.h"
#include "dulib/ctrl/Engine.h"
#include "net/WinHttpHandler.h"
#include "support/Handles.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "support/SecureFolder.h"
#include "support/TempNames.h"
#include "sysinfo/LocalPaths.h"
#include "tests/app/BoxAnswerer.h"
#include "tests/app/InstallerWindow.h"
#include "tests/app/StandIns.h"
#include "tests/common/CapturedLog.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <winhttp.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <thread>
#include <vector>

TEST(OfficeStandIn, Wait) {
    const std::wstring name = OwnExeName();
    if (name != L"winword.exe" && name != L"excel.exe") GTEST_SKIP() << "only as an Office stand-in";
    ::Sleep(60000);
}

// Run by InstallUnits.AnInstallerNamedLikeTheClientSurvivesTheClosingStep in
// a copy of this program named like the client.
TEST(ClientStandIn, ClosingItsOwnNameLeavesItRunning) {
    const std::wstring name = OwnExeName();
    if (name != L"Vantor.exe") GTEST_SKIP() << "only as an installer named like the client";
    EXPECT_FALSE(TerminateProcessByName(name)) << "no other process of that name runs";
    // Still alive: a mark beside this program tells the parent so.
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring mark = self;
    mark = mark.substr(0, mark.find_last_of(L'\\')) + L"\\survived.txt";
    KernelHandle file(::CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(file);
}

TEST(InstallUnits, AnInstallerNamedLikeTheClientSurvivesTheClosingStep) {
    StandIns installer(L"Vantor.exe", 1, L"ClientStandIn.ClosingItsOwnNameLeavesItRunning");
    ASSERT_EQ(installer.Started(), 1u);
    ASSERT_TRUE(installer.AllEnded(120000));
    EXPECT_NE(::GetFileAttributesW(installer.File(L"survived.txt").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the closing step ended the installer itself";
    EXPECT_EQ(installer.ExitCode(0), 0u);
}

// Run in a copy of this program named like the client: a client with no
// window to be asked to close, so closing it takes the closing step's whole
// wait before it is terminated.
TEST(ClientStandIn, IgnoresClosing) {
    if (OwnExeName() != L"Vantor.exe") GTEST_SKIP() << "only as a client stand-in";
    ::Sleep(120000);
}

TEST(InstallUnits, TheWindowAppearsWhileAClientThatIgnoresClosingStillRuns) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildTests(L"127.0.0.1:" + std::to_wstring(local_service::Port()), L"InstallUnitsChild.ClientStillRunning");
}

TEST(InstallUnitsChild, ClientStillRunning) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    StandIns client(L"Vantor.exe", 1, L"ClientStandIn.IgnoresClosing");
    ASSERT_EQ(client.Started(), 1u);
    ASSERT_TRUE(SeenRunning(L"Vantor.exe", 1));
    InstallerWindow window;
    // The window is up and drawn while the client runs: closing it is the
    // preparation worker's first step, not the window's.
    EXPECT_TRUE(::IsWindowVisible(window.Hwnd()));
    EXPECT_FALSE(client.AnyEnded()) << "the client was closed before the window appeared";
    // It is still closed, as before, and the preparation goes on after it.
    EXPECT_TRUE(PumpUntil([&client] { return client.AnyEnded(); }, 90000));
    ASSERT_TRUE(PumpUntilPreparationEnds(90000));
    EXPECT_TRUE(FindControl(L"SetupLayout")->IsVisible());
}

TEST(InstallUnits, DailyLogOpensUnderAProfileOutsideTheAnsiCodePage) {
    // A user name in Korean or with "ñ": neither is in code page 936.
    TempDir profile;
    const std::wstring logs = profile.File(L"사용자 Muñoz");
    ASSERT_TRUE(::CreateDirectoryW(logs.c_str(), nullptr));
    CLog* log = OpenDailyLogIn(logs);
    ASSERT_NE(log, nullptr);
    log->WriteLine("first", LOG_INFO);
    WIN32_FIND_DATAW found{};
    FindHandle file(::FindFirstFileW((logs + L"\\VIZaroreRirar\\[VIZaroreRirar]*.log").c_str(), &found));
    ASSERT_TRUE(file);
    std::ifstream in((logs + L"\\VIZaroreRirar\\" + found.cFileName).c_str(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[INFORMATION] first\r\n"), std::string::npos) << text;
}

TEST(InstallUnits, SetupArgumentsAddTheProductFolderOnce) {
    EXPECT_EQ(SetupArguments(L"D:\\Apps"), L" /VERYSILENT \"/CUSTOMDIR=D:\\Apps\\QRN\\Kestrane\"");
    EXPECT_EQ(SetupArguments(L"D:\\Apps\\"), L" /VERYSILENT \"/CUSTOMDIR=D:\\Apps\\QRN\\Kestrane\"");
    EXPECT_EQ(SetupArguments(L"D:\\Apps\\QRN\\Kestrane"), L" /VERYSILENT \"/CUSTOMDIR=D:\\Apps\\QRN\\Kestrane\"");
    // The suffix test is case-sensitive.
    EXPECT_EQ(SetupArguments(L"D:\\qrn\\kestrane"), L" /VERYSILENT \"/CUSTOMDIR=D:\\qrn\\kestrane\\QRN\\Kestrane\"");
}

TEST(InstallUnits, ExitCodesAboveZeroAndExceptionCodesFail) {
    EXPECT_FALSE(IsFailedExitCode(0));
    EXPECT_TRUE(IsFailedExitCode(1));
    EXPECT_TRUE(IsFailedExitCode(3010));
    // Exceptions that ended the setup, negative as signed numbers.
    EXPECT_TRUE(IsFailedExitCode(0xC0000005u));
    EXPECT_TRUE(IsFailedExitCode(0xC0000409u));
    EXPECT_TRUE(IsFailedExitCode(0xFFFFFFFFu));
    // Other negative codes keep counting as success.
    EXPECT_FALSE(IsFailedExitCode(0x80000003u));
    EXPECT_FALSE(IsFailedExitCode(0xBFFFFFFFu));
}

TEST(InstallUnits, StartProcessReportsTheExitCodeOrWhyNot) {
    DWORD exitCode = 0;
    // cmd.exe is in every prefix: "/c exit 7" ends with 7.
    wchar_t cmd[MAX_PATH] = {};
    ::GetSystemDirectoryW(cmd, MAX_PATH);
    EXPECT_EQ(StartProcess(std::wstring(cmd) + L"\\cmd.exe", L"/c exit 7", exitCode), 0u);
    EXPECT_EQ(exitCode, 7u);
    exitCode = 0;
    EXPECT_NE(StartProcess(L"C:\\no\\such\\setup.exe", L"/VERYSILENT", exitCode), 0u);
    EXPECT_EQ(exitCode, 1u);
    // Too long for the command buffer: refused rather than run cut short.
    exitCode = 0;
    EXPECT_EQ(StartProcess(std::wstring(cmd) + L"\\cmd.exe", L"/c exit 0 " + std::wstring(1100, L'x'), exitCode),
              static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(exitCode, 1u);
    // Run in the folder given, it finds there only what was put there.
    TempDir work;
    EXPECT_EQ(StartProcess(std::wstring(cmd) + L"\\cmd.exe", L"/c cd > here.txt", exitCode, work.Path()), 0u);
    EXPECT_EQ(exitCode, 0u);
    std::ifstream here(work.File(L"here.txt").c_str(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(here)), std::istreambuf_iterator<char>());
    const std::wstring name = work.Path().substr(work.Path().find_last_of(L'\\') + 1);
    EXPECT_NE(text.find(std::string(name.begin(), name.end())), std::string::npos) << text;
}

TEST(RunFolder, IsAFreshFolderUnderTheWindowsTemporaryFolderAndGoesWithItsFiles) {
    const std::wstring root = RunFolderRoot();
    ASSERT_FALSE(root.empty());
    std::unique_ptr<RunFolder> folder;
    ASSERT_EQ(RunFolder::Create(root, folder), 0u);
    ASSERT_TRUE(folder);
    const std::wstring path = folder->Path();
    const std::wregex name(LR"(OrchidRun-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\)");
    EXPECT_EQ(path.rfind(root, 0), 0u);
    EXPECT_TRUE(std::regex_match(path.substr(root.size()), name)) << std::string(path.begin(), path.end());
    EXPECT_NE(path.rfind(TempPath(), 0), 0u) << "never under the user's own temporary folder";
    std::unique_ptr<RunFolder> another;
    ASSERT_EQ(RunFolder::Create(root, another), 0u);
    EXPECT_NE(another->Path(), path);

    KernelHandle(::CreateFileW((path + L"setup.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    folder.reset();
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(RunFolder, LeftoversOfEndedRunsGoAndALiveRunsFolderStays) {
    const std::wstring root = RunFolderRoot();
    std::unique_ptr<RunFolder> live;
    ASSERT_EQ(RunFolder::Create(root, live), 0u);
    const std::wstring liveCopy = live->Path() + L"setup.exe";
    KernelHandle(::CreateFileW(liveCopy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    // A run that died left its folder and copy behind.
    const std::wstring leftover = root + kRunFolderPrefix + NewGuidText();
    ASSERT_EQ(CreateAdminOnlyFolder(leftover), 0u);
    KernelHandle(::CreateFileW((leftover + L"\\setup.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

    std::unique_ptr<RunFolder> next;
    ASSERT_EQ(RunFolder::Create(root, next), 0u);
    EXPECT_EQ(::GetFileAttributesW(leftover.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(liveCopy.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring livePath = live->Path();
    live->Remove();
    EXPECT_EQ(::GetFileAttributesW(livePath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(live->Path(), livePath) << "still readable by a worker that holds it";
}

TEST(InstallUnits, RowTextsFollowThePackageState) {
    SetupInfo item;
    item.name = L"Kestrane";
    item.version = L"1.0";
    item.size = 1000;
    item.downloaded = 333;
    item.state = Downloading;
    EXPECT_EQ(SetupStateText(item), L"正在下载，已完成33%...");
    item.downloaded = 1500;  // the server ignored Range and sent it all again
    EXPECT_EQ(SetupStateText(item), L"正在下载，已完成100%...");
    item.state = Waiting;
    EXPECT_EQ(SetupStateText(item), L"等待安装");
    item.state = 42;
    EXPECT_EQ(SetupStateText(item), L"");
    // Without a size there is no percentage to show.
    item.state = Downloading;
    item.size = 0;
    EXPECT_EQ(SetupStateText(item), L"正在下载...");
    item.size = 1000;

    item.state = Waiting;
    FinishOutcome outcome = DescribeOutcome(item);
    EXPECT_EQ(outcome.stateText, L"未安装");
    EXPECT_FALSE(outcome.failed);
    item.state = Installed;
    outcome = DescribeOutcome(item);
    EXPECT_EQ(outcome.stateText, L"安装成功");
    EXPECT_FALSE(outcome.failed);
    item.state = DownloadFailed;
    item.errorCode = 12029;
    outcome = DescribeOutcome(item);
    EXPECT_EQ(outcome.infoLine, L"错误信息：下载失败，code=12029");
    item.state = Downloading;
    item.errorCode = 0;
    outcome = DescribeOutcome(item);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.infoLine, L"错误信息：code=0");
}

TEST(InstallUnits, RowsAndInfoLinesSayWhatAFailureMeans) {
    App().retryPolicy = RetryPolicy();
    SetupInfo item;
    item.size = 1000;
    item.downloaded = 500;
    item.state = Downloading;
    item.retrying = 2;
    EXPECT_EQ(SetupStateText(item), L"重试(2/3)，已完成50%...");
    item.size = 0;
    EXPECT_EQ(SetupStateText(item), L"重试(2/3)...");
    item.state = DownloadFailed;
    item.failureClass = static_cast<int>(FailureClass::ProxyAuth);
    EXPECT_EQ(SetupStateText(item), L"下载失败：代理身份验证失败");
    item.failureClass = 0;
    EXPECT_EQ(SetupStateText(item), L"下载失败");

    EXPECT_EQ(FailureInfoLine(DownloadFailed, 12007, FailureClass::Dns), L"错误信息：下载失败（域名解析失败），code=12007");
    EXPECT_EQ(FailureInfoLine(DownloadFailed, 112, FailureClass::DiskFull), L"错误信息：下载失败（磁盘空间不足），code=112");
    EXPECT_EQ(FailureInfoLine(VerifyFailed, 5, FailureClass::DigestMismatch), L"错误信息：验证失败，code=5");
    EXPECT_EQ(FailureInfoLine(InstallFailed, 3010), L"错误信息：安装程序出错，code=3010");
    EXPECT_EQ(FailureInfoLine(0, 1450), L"错误信息：code=1450");

    // Transport results in the application's classes, a proxy's where one was used.
    ResponseFacts direct;
    ResponseFacts proxied;
    proxied.proxy.proxy = L"proxy:8080";
    EXPECT_EQ(ClassOfTransport(ERROR_WINHTTP_CANNOT_CONNECT, direct), FailureClass::NoConnection);
    EXPECT_EQ(ClassOfTransport(ERROR_WINHTTP_CANNOT_CONNECT, proxied), FailureClass::Proxy);
    EXPECT_EQ(ClassOfTransport(ERROR_WINHTTP_NAME_NOT_RESOLVED, direct), FailureClass::Dns);
    EXPECT_EQ(ClassOfTransport(ERROR_WINHTTP_SECURE_INVALID_CA, direct), FailureClass::Tls);
    EXPECT_EQ(ClassOfTransport(ERROR_DISK_FULL, direct), FailureClass::DiskFull);
    EXPECT_EQ(ClassOfTransport(ERR_PROXY_AUTH, proxied), FailureClass::ProxyAuth);
    EXPECT_EQ(ClassOfTransport(ERROR_INVALID_NAME, direct), FailureClass::None);
    EXPECT_EQ(ClassOfListFailure(-104, direct), FailureClass::ServerError);
    EXPECT_EQ(FailureReasonForLog(FailureClass::ProxyAuth), L"代理身份验证失败 [proxy authentication]");
}

TEST(InstallUnits, ChecksBeforeDownloadsNameTheVolumeAndWhatIsMissing) {
    const bool small = ::GetFileAttributesW(L"S:\\") != INVALID_FILE_ATTRIBUTES;
    const bool readOnly = ::GetFileAttributesW(L"R:\\") != INVALID_FILE_ATTRIBUTES;
    if (!small || !readOnly) GTEST_SKIP() << "no small volumes S: and R: (tools/small-volumes.sh could not mount them)";
    EXPECT_EQ(VolumeOf(L"S:\\no\\such\\folder"), L"S:\\");
    EXPECT_EQ(VolumeOf(L"Q:\\x"), L"") << "no such drive";
    EXPECT_EQ(ProbeWritableFolder(L"S:\\a\\b"), 0u);
    EXPECT_EQ(::GetFileAttributesW(L"S:\\a"), INVALID_FILE_ATTRIBUTES) << "the probe leaves nothing behind";
    EXPECT_NE(ProbeWritableFolder(L"R:\\a"), 0u);

    ULARGE_INTEGER available{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"S:\\", &available, nullptr, nullptr));
    TempDir roomy;
    PreflightNeed need;
    need.packageFolder = roomy.Path();
    need.productFolder = roomy.File(L"QRN\\Kestrane");
    need.bytesToFetch = 100;
    need.bytesToInstall = 200;
    EXPECT_EQ(CheckBeforeDownloads(need).kind, FailureKind::None);

    // Downloads and installation on the small volume: one sum, one message.
    need.packageFolder = L"S:\\packages";
    need.productFolder = L"S:\\Apps\\QRN\\Kestrane";
    const unsigned long long wanted = 300 + kFreeSpaceMargin;
    PreflightResult result = CheckBeforeDownloads(need);
    EXPECT_EQ(result.kind, FailureKind::NoDiskSpace);
    EXPECT_EQ(result.code, kNoDiskSpaceCode);
    EXPECT_EQ(result.message, L"磁盘 S:\\ 空间不足，还需要 " + MegabyteText(wanted - available.QuadPart) + L"（需要 " +
                                  MegabyteText(wanted) + L"，可用 " + MegabyteText(available.QuadPart) + L"）");

    need.productFolder = L"R:\\Apps\\QRN\\Kestrane";
    result = CheckBeforeDownloads(need);
    EXPECT_EQ(result.kind, FailureKind::FolderNotWritable);
    EXPECT_EQ(result.code, kFolderNotWritableCode);

    // A failure before any package is reported with what the user was told.
    ResetRunFailure();
    FailRunBeforeDownloads(FailureKind::NoDiskSpace, kNoDiskSpaceCode, L"磁盘 S:\\ 空间不足");
    EXPECT_EQ(FirstRunFailure().failureClass, FailureClass::DiskFull);
    const RunResult run = DecideRunResult({});
    EXPECT_EQ(run.code, -110);
    EXPECT_EQ(run.text, L"【安装失败】错误信息：磁盘 S:\\ 空间不足，code=-110");
    ResetRunFailure();
    App().abort = false;
}

TEST(InstallUnits, RunResultIsTheFirstFailureNeverCodeZero) {
    ResetRunFailure();
    App().abort = false;
    SetupInfo client;
    client.setup_name = L"client";
    client.name = L"Client";
    client.version = L"1.0";
    client.state = Installed;
    SetupInfo addin = client;
    addin.setup_name = L"addin";
    addin.name = L"Addin";
    addin.version = L"2.1";

    RunResult result = DecideRunResult({client, addin});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.text, L"【安装成功】");

    // The client fails its digest; the add-in, downloaded meanwhile, never
    // gets installed: the run reports the client's failure, not the add-in.
    client.state = VerifyFailed;
    client.errorCode = 5;
    FailRun(FailureKind::Verify, client, 5);
    EXPECT_TRUE(App().abort);
    addin.state = Downloading;
    addin.errorCode = 0;
    SetupInfo late = addin;
    late.state = DownloadFailed;
    FailRun(FailureKind::Download, late, 12002);  // a later failure does not replace the first
    result = DecideRunResult({client, addin});
    EXPECT_EQ(result.code, 5);
    EXPECT_EQ(result.text, L"【安装失败】name：Client_V1.0, 错误信息：验证失败，code=5");
    EXPECT_EQ(FirstRunFailure().setupName, L"client");

    // Nothing recorded, yet a package was left uninstalled: still a failure.
    ResetRunFailure();
    result = DecideRunResult({addin});
    EXPECT_NE(result.code, 0);
    EXPECT_EQ(result.text.rfind(L"【安装失败】name：Addin_V2.1, ", 0), 0u) << result.text;

    ResetRunFailure();
    FailRunAtStart(1450);
    result = DecideRunResult({addin});
    EXPECT_EQ(result.code, 1450);
    EXPECT_EQ(result.text, L"【安装失败】错误信息：code=1450");
    ResetRunFailure();
    App().abort = false;
}

TEST(InstallUnits, ProductFolderIsAddedOnce) {
    EXPECT_EQ(ProductFolderIn(L"D:\\Apps\\"), L"D:\\Apps\\QRN\\Kestrane");
    EXPECT_EQ(ProductFolderIn(L"D:\\"), L"D:\\QRN\\Kestrane");
    EXPECT_EQ(ProductFolderIn(L"D:\\Apps\\QRN\\Kestrane"), L"D:\\Apps\\QRN\\Kestrane");
    EXPECT_EQ(ProductFolderIn(L"D:\\Apps\\QRN\\Kestrane\\"), L"D:\\Apps\\QRN\\Kestrane");
}

TEST(InstallUnits, RunTargetOnlyForTheKnownClient) {
    SetupInfo item;
    item.setup_name = L"kestrane_client";
    EXPECT_EQ(RunTarget(item), L"");
    item.setup_name = L"kx";
    const std::wstring target = RunTarget(item);
    const std::wstring tail = L"\\Orchid\\Startup.exe";
    ASSERT_GE(target.size(), tail.size());
    EXPECT_EQ(target.substr(target.size() - tail.size()), tail);
}

TEST(InstallUnits, FolderRuleOfTheStartButton) {
    TempDir folder;
    EXPECT_TRUE(IsAcceptableInstallFolder(folder.Path()));
    EXPECT_FALSE(IsAcceptableInstallFolder(L""));
    EXPECT_FALSE(IsAcceptableInstallFolder(folder.Path() + L"\\"));
    EXPECT_FALSE(IsAcceptableInstallFolder(L"C:\\"));
    EXPECT_FALSE(IsAcceptableInstallFolder(folder.Path() + L"\\a?b"));
}

TEST(InstallUnits, OfficeProcessesAreCountedAndTerminated) {
    ASSERT_EQ(CountProcesses(L"winword.exe"), 0) << "no Word may run before the test";
    StandIns word(L"winword.exe", 2);
    ASSERT_EQ(word.Started(), 2u);
    ASSERT_TRUE(SeenRunning(L"WINWORD.EXE", 2)) << "names compare without regard to case";
    EXPECT_EQ(CountProcesses(L"excel.exe"), 0);

    {  // declined: nothing is terminated
        BoxAnswerer answer(IDCANCEL);
        EXPECT_FALSE(ConfirmCloseOffice());
        EXPECT_EQ(answer.Text(),
                  L"安装会关闭正在运行的Office进程winword.exe，请确保您的相关工作文档已保存，确定继续？");
    }
    EXPECT_FALSE(word.AnyEnded());
    {  // accepted: both are terminated
        BoxAnswerer answer(IDOK);
        EXPECT_TRUE(ConfirmCloseOffice());
    }
    EXPECT_TRUE(word.AllEnded(30000));
    EXPECT_EQ(KillProcesses(L"winword.exe"), 0);
}

// The installer's window without the preparation worker.
class PageWindow : public ::testing::Test {
protected:
    void SetUp() override {
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        InitEngine(instance);
        AppState& app = App();
        app.uiThreadId = ::GetCurrentThreadId();
        app.prepareWorkerEnabled = false;
        app.lastShownProgress = 0;
        app.windowManager = CreateWindowManager(nullptr);
        ASSERT_NE(app.windowManager, nullptr);
        RegisterMainWindowClass(instance);
        hwnd_ = CreateMainWindow(instance, L"在线安装");
        ASSERT_NE(hwnd_, nullptr);
    }
    void TearDown() override {
        AppState& app = App();
        if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
        if (app.windowManager) app.windowManager->Destroy();
        app.windowManager = nullptr;
        app.prepareWorkerEnabled = true;
        app.lastShownProgress = 0;
        app.downloadShare = 0;
        app.progressSum = 0;
        PackageList.Clear();
    }
    HWND hwnd_ = nullptr;
};

SetupInfo Package(const wchar_t* setupName, int row, int state, int size, int downloaded) {
    SetupInfo item;
    item.setup_name = setupName;
    item.name = setupName;
    item.version = L"1.0";
    item.type = 1;
    item.size = size;
    item.downloaded = downloaded;
    item.state = state;
    item.selected = true;
    item.itemIndex = std::to_wstring(row);
    return item;
}

TEST_F(PageWindow, RowRefreshShowsStatesAndOnlyTheRunningDownloadAddsProgress) {
    AppState& app = App();
    const SetupInfo items[] = {
        Package(L"done", 1, Downloading, 1000, 1000),    // download over, part already in the sum
        Package(L"running", 2, Downloading, 1000, 500),  // half of it here
        Package(L"verifying", 3, Verifying, 1000, 1000),
        Package(L"waiting", 4, Waiting, 1000, 0),
    };
    for (const SetupInfo& item : items) {
        PackageList.Add(item);
        ASSERT_TRUE(AddSetupRow(item, std::stoi(item.itemIndex)));
    }
    app.downloadShare = 20;
    app.progressSum = 20;
    ::SendMessageW(hwnd_, WM_TIMER, IDT_ITEM_PROGRESS, 0);
    EXPECT_STREQ(FindControl(L"SetupItemStaticProgress_1")->GetText(), L"正在下载，已完成100%...");
    EXPECT_STREQ(FindControl(L"SetupItemStaticProgress_2")->GetText(), L"正在下载，已完成50%...");
    EXPECT_STREQ(FindControl(L"SetupItemStaticProgress_3")->GetText(), L"正在验证...");
    EXPECT_STREQ(FindControl(L"SetupItemStaticProgress_4")->GetText(), L"等待安装");
    EXPECT_EQ(app.lastShownProgress, 30) << "20 done plus half of the running download's 20";
    EXPECT_STREQ(app.setupValue->GetText(), L"30%");
}

TEST_F(PageWindow, OkOnThePreselectedProductFolderKeepsIt) {
    TempDir base;
    const std::wstring folder = base.Path() + L"\\QRN\\Kestrane";
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr), ERROR_SUCCESS);
    FindControl(L"SelectDirStatic")->SetText(folder.c_str());
    {
        BoxAnswerer answer(IDOK, nullptr);  // the folder dialog, whatever its caption
        NotifyRecord click{DUM_BTNCLICK, 0, 0};
        ::SendMessageW(hwnd_, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"SelectDirBtn")),
                       reinterpret_cast<LPARAM>(&click));
    }
    EXPECT_EQ(std::wstring(FindControl(L"SelectDirStatic")->GetText()), folder);
}

TEST_F(PageWindow, StartButtonRejectsAFolderWithATrailingBackslash) {
    AppState& app = App();
    HWND hwnd = hwnd_;

    TempDir folder;
    FindControl(L"SelectDirStatic")->SetText((folder.Path() + L"\\").c_str());
    std::wstring text;
    {
        BoxAnswerer answer(IDOK);
        NotifyRecord click{DUM_BTNCLICK, 0, 0};
        ::SendMessageW(hwnd, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"StartSetupBtn")),
                       reinterpret_cast<LPARAM>(&click));
        text = answer.Text();
    }
    EXPECT_EQ(text, L"自定义安装目录无效！");
    EXPECT_FALSE(app.installStarted);
    EXPECT_TRUE(FindControl(L"StartSetupLayout")->IsVisible());
    EXPECT_FALSE(FindControl(L"SetupProgressLayout")->IsVisible());
}

TEST_F(PageWindow, FinishButtonStartsTheClientWithTheDesktopShellsToken) {
    SetupInfo client = Package(L"kx", 1, Installed, 1000, 1000);
    PackageList.Add(client);
    AppDataPath(L"", L"", true);
    const std::wstring starter = RunTarget(client);
    ASSERT_FALSE(starter.empty());
    // The client's starter: a program that ends at once (the sample package
    // without its arguments).
    const std::string sample = local_service::BuildDirWindows() + "\\tools\\sample-package\\sample_package.exe";
    ASSERT_TRUE(::CopyFileW(std::wstring(sample.begin(), sample.end()).c_str(), starter.c_str(), FALSE));
    {
        CapturedLog log;
        ASSERT_TRUE(log.IsOpen());
        HWND hwnd = hwnd_;
        NotifyRecord click{DUM_BTNCLICK, 0, 0};
        ::SendMessageW(hwnd, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"FinishSetupBtn")),
                       reinterpret_cast<LPARAM>(&click));
        EXPECT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 10000));
        MSG quit{};
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        // Which way it was started is in the log, with the very path.
        EXPECT_TRUE(log.Has(L"FinishSetupBtn 以桌面外壳的用户令牌启动客户端: " + starter)) << log.Text();
    }
    // The starter ends at once; it can then be removed.
    EXPECT_TRUE(PumpUntil([&starter] { return ::DeleteFileW(starter.c_str()) != FALSE; }, 30000));
}
