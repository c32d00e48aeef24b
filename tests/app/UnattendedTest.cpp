// Unattended and managed installs: the switches as read, the exit codes, and
// the real installer run the way a deployment script runs it (a child
// process with switches, against the local setup service), plus the Office
// wait of an unattended run in a child of this test program.
#include "tests/app/InstallRun.h"  // winsock2.h before windows.h

#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "app/MainWindow.h"
#include "app/RunOutcome.h"
#include "app/SetupPage.h"
#include "tests/app/StandIns.h"
#include "tests/app/WordRegistered.h"
#include "tests/common/FileBytes.h"

#include <set>

using namespace install_flow;

namespace {

bool Parse(std::vector<std::wstring> arguments, RunOptions& options, std::wstring& reason) {
    return ParseRunOptions(arguments, options, reason);
}

std::wstring InstallerExe() {
    return CCodedConversion().AnsiToWide(local_service::BuildDirWindows()) + L"\\app\\KestraneSetup.exe";
}

// Package files of earlier runs would be taken as already downloaded.
void EmptyPackageFolder() {
    WIN32_FIND_DATAW found{};
    FindHandle search(::FindFirstFileW((PackageFolder() + L"\\*").c_str(), &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileW((PackageFolder() + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(search.get(), &found));
}

std::string Utf8(const std::wstring& text) { return CCodedConversion().WideToUtf8(text); }

// One run of the real installer with these switches after "/sns=" (the
// local service unless `address` names another); the service's faults are
// those given; the run's statistics report (empty when none came) and the
// requests it made are kept.
struct ScriptedRun {
    WordRegistered word;
    InstallerProcess process;
    std::string report;
    std::string listRequests;  // the service's journal of "/api/setup/"
    std::string downloads;     // of "/packages/"
    bool ended = false;

    ScriptedRun(const std::wstring& switches, std::initializer_list<std::pair<const char*, const char*>> faults = {},
                const std::wstring& address = ServiceAddress()) {
        local_service::ResetFaults();
        EXPECT_TRUE(local_service::SetFaults(faults));
        EmptyPackageFolder();
        const long before = LastReportId();
        ended = process.Run(InstallerExe(), L"/sns=" + address + L" " + switches);
        if (LastReportId() > before) report = local_service::LastStatistics(1);
        listRequests = local_service::Journal("/api/setup/");
        downloads = local_service::Journal("/packages/");
        local_service::ResetFaults();
    }
};

void ExpectNothingShown(const ScriptedRun& run) {
    EXPECT_EQ(run.process.ShownWindows(), L"") << "a quiet run shows no window and no box";
}

void ExpectReportCode(const ScriptedRun& run, int code, const std::string& text) {
    EXPECT_NE(run.report.find(EscapedRemarkPart("error_code", std::to_string(code))), std::string::npos) << run.report;
    EXPECT_NE(run.report.find(text), std::string::npos) << run.report;
}

} // namespace

TEST(CommandLine, SwitchesInAnyCaseWithEitherLeadAndQuotedValues) {
    RunOptions options;
    std::wstring reason;
    ASSERT_TRUE(Parse({L"/PASSIVE", L"-Dir=\"C:\\Program Files\\X\"", L"/exclude=dotnet_runtime, x64_helper",
                       L"/Log=C:\\run.log", L"-norun", L"/sns=127.0.0.1:1"},
                      options, reason))
        << Utf8(reason);
    EXPECT_EQ(options.mode, RunMode::Passive);
    EXPECT_EQ(options.folder, L"C:\\Program Files\\X");
    EXPECT_EQ(options.excluded, (std::vector<std::wstring>{L"dotnet_runtime", L"x64_helper"}));
    EXPECT_EQ(options.logFile, L"C:\\run.log");
    EXPECT_TRUE(options.noRun);

    ASSERT_TRUE(Parse({L"/quiet"}, options, reason));
    EXPECT_EQ(options.mode, RunMode::Quiet);
    EXPECT_TRUE(options.noRun) << "nobody is there to see the client start";
    ASSERT_TRUE(Parse({}, options, reason));
    EXPECT_EQ(options.mode, RunMode::Interactive);
    EXPECT_FALSE(options.noRun);
    ASSERT_TRUE(Parse({L"-?"}, options, reason));
    EXPECT_TRUE(options.help);
}

TEST(CommandLine, InvalidUseIsRefusedWithItsReason) {
    const std::vector<std::vector<std::wstring>> invalid = {
        {L"bogus"},          {L"/bogus"},           {L"/passive=yes"},      {L"/dir"},
        {L"/dir="},          {L"/exclude=a,,b"},    {L"/quiet", L"/QUIET"}, {L"/passive", L"/quiet"},
        {L"/help", L"/?"},   {L"/"},                {L"/log"},
    };
    for (const auto& arguments : invalid) {
        RunOptions options;
        std::wstring reason;
        EXPECT_FALSE(Parse(arguments, options, reason)) << Utf8(arguments[0]);
        EXPECT_FALSE(reason.empty()) << Utf8(arguments[0]);
    }
    // Refused, a quiet run stays quiet and still writes its log copy.
    RunOptions options;
    std::wstring reason;
    EXPECT_FALSE(Parse({L"/log=C:\\a.log", L"/quiet", L"/what"}, options, reason));
    EXPECT_EQ(reason, L"未知的开关：/what");
    EXPECT_EQ(options.mode, RunMode::Quiet);
    EXPECT_EQ(options.logFile, L"C:\\a.log");
}

TEST(ExitCodes, EveryWayARunEndsHasItsListedCode) {
    const FailureKind kinds[] = {
        FailureKind::None,         FailureKind::Start,          FailureKind::NoDiskSpace,
        FailureKind::FolderNotWritable, FailureKind::Download,  FailureKind::Verify,
        FailureKind::Setup,        FailureKind::NotInstalled,   FailureKind::InvalidArguments,
        FailureKind::InvalidFolder, FailureKind::PackageList,   FailureKind::OfficeInTheWay,
        FailureKind::Cancelled,
    };
    std::set<int> codes;
    const std::wstring table = L"\n" + ExitCodeTable();
    for (FailureKind kind : kinds) {
        const int code = ExitCodeFor(kind);
        codes.insert(code);
        EXPECT_NE(table.find(L"\n" + std::to_wstring(code) + L"\t"), std::wstring::npos) << code;
    }
    EXPECT_EQ(ExitCodeFor(FailureKind::None), 0);
    // Only a package left uninstalled without a failure of its own shares
    // the installer's own code.
    EXPECT_EQ(ExitCodeFor(FailureKind::NotInstalled), ExitCodeFor(FailureKind::Start));
    EXPECT_EQ(codes.size(), std::size(kinds) - 1);
}

TEST(Unattended, QuietRunsInstallOrFailWithTheirCodeAndShowNothing) {
    if (StartedWithSns()) GTEST_SKIP();
    TempDir folder;
    const std::wstring product = ProductFolderIn(folder.Path());
    {
        SCOPED_TRACE("every package");
        ScriptedRun run(L"/quiet /dir=\"" + folder.Path() + L"\"");
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitSuccess));
        ExpectNothingShown(run);
        for (const auto& [setupName, file] : PayloadFiles())
            EXPECT_TRUE(FileExists(product + L"\\" + file)) << Utf8(setupName);
        ExpectReportCode(run, 0, "【安装成功】");
    }
    {
        SCOPED_TRACE("a digest mismatch");
        ScriptedRun run(L"-QUIET /dir=" + folder.Path(), {{"bad_md5", "kestrane_client"}});
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitDigestMismatch));
        ExpectNothingShown(run);
        ExpectReportCode(run, 5, "验证失败");
    }
    {
        SCOPED_TRACE("a failing package setup");
        ScriptedRun run(L"/quiet /dir=" + folder.Path(), {{"serve_file", "kestrane_client:Failing_3010.exe"}});
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitSetupFailed));
        ExpectNothingShown(run);
        ExpectReportCode(run, 3010, "Kestrane");
    }
    if (::GetDriveTypeW(L"S:\\") != DRIVE_NO_ROOT_DIR) {
        SCOPED_TRACE("a volume too small (tools/small-volumes.sh): told in a box unless quiet");
        ScriptedRun run(L"/quiet /dir=S:\\Apps");
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitNoDiskSpace));
        ExpectNothingShown(run);
        EXPECT_EQ(run.downloads, "[]");
    }
    {
        SCOPED_TRACE("an error answer for the package list");
        ScriptedRun run(L"/quiet", {{"json", "refusal"}});
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitNoPackageList));
        ExpectNothingShown(run);
        EXPECT_FALSE(run.report.empty()) << "the failed preparation is reported";
    }
    {
        SCOPED_TRACE("a service nobody answers for");
        ScriptedRun run(L"/quiet", {}, L"127.0.0.1:1");
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitNoPackageList));
        ExpectNothingShown(run);
    }
}

TEST(Unattended, InvalidUseEndsWithItsCodeBeforeAnyRequest) {
    if (StartedWithSns()) GTEST_SKIP();
    TempDir logs;
    {
        SCOPED_TRACE("an unknown switch");
        const std::wstring log = logs.File(L"refused.log");
        ScriptedRun run(L"/quiet /log=\"" + log + L"\" /unknown");
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitInvalidArguments));
        ExpectNothingShown(run);
        const std::string text = ReadFileBytes(log);
        EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its mark";
        EXPECT_NE(text.find("[ERROR] " + Utf8(L"命令行参数无效：未知的开关：/unknown")), std::string::npos) << text;
        EXPECT_NE(text.find(Utf8(L"退出码: 2")), std::string::npos) << text;
    }
    {
        SCOPED_TRACE("help asked for where nothing may be shown");
        ScriptedRun run(L"/quiet /?");
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitInvalidArguments));
        ExpectNothingShown(run);
    }
    {
        SCOPED_TRACE("an invalid folder");
        ScriptedRun run(L"/quiet /dir=C:\\");
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitInvalidFolder));
        ExpectNothingShown(run);
        EXPECT_EQ(run.listRequests, "[]") << "nothing was asked of the service";
    }
    {
        SCOPED_TRACE("a package that must be installed excluded");
        ScriptedRun run(L"/quiet /exclude=x64_helper,Kestrane_Client");
        EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitInvalidArguments));
        ExpectNothingShown(run);
        EXPECT_NE(run.listRequests, "[]");
        EXPECT_EQ(run.downloads, "[]") << "nothing was downloaded";
    }
}

TEST(Unattended, PassiveShowsTheRunSkipsAnExcludedPackageAndClosesByItself) {
    if (StartedWithSns()) GTEST_SKIP();
    TempDir folder;
    const std::wstring log = folder.File(L"运行 run.log");
    ScriptedRun run(L"/passive /norun /exclude=DOTNET_RUNTIME \"/log=" + log + L"\" \"/dir=" + folder.Path() +
                    L"\\Apps\"");
    ASSERT_TRUE(run.ended) << "the Finish page closes by itself";
    EXPECT_EQ(run.process.ExitCode(), static_cast<DWORD>(kExitSuccess));
    EXPECT_EQ(run.process.ShownWindows(), std::wstring(kMainWindowClass) + L";") << "the window and no box";
    const std::wstring product = ProductFolderIn(folder.Path() + L"\\Apps");
    for (const auto& [setupName, file] : PayloadFiles())
        EXPECT_EQ(FileExists(product + L"\\" + file), setupName != L"dotnet_runtime") << Utf8(setupName);
    ExpectReportCode(run, 0, "【安装成功】");

    const std::string text = ReadFileBytes(log);
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its mark";
    for (const wchar_t* line : {L"运行方式：无人值守（/passive，显示窗口）", L"命令行 /exclude：不安装 .NET Framework",
                                L"无人值守安装：代为接受使用协议，按默认设置开始安装", L"退出码: 0"})
        EXPECT_NE(text.find(Utf8(line)), std::string::npos) << Utf8(line) << "\n" << text;
}

// Word still running: an unattended run waits for it a bounded time, never
// ends it, and fails with its own code and report.
TEST(Unattended, OfficeStillRunningFailsTheRunAndIsLeftAlone) {
    if (StartedWithSns()) GTEST_SKIP();
    ASSERT_EQ(CountProcesses(L"winword.exe"), 0) << "no Word may run before the test";
    StandIns word(L"winword.exe", 1);
    ASSERT_TRUE(SeenRunning(L"winword.exe", 1));
    RunChildWithFault("", "", L"UnattendedChild.OfficeInTheWay");
    EXPECT_FALSE(word.AnyEnded()) << "never terminated without a person's consent";
}

TEST(UnattendedChild, OfficeInTheWay) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    // Unattended from here on; the Finish page is left to the test.
    App().options.mode = RunMode::Passive;
    App().officeWaitMs = 1500;
    App().passiveCloseSeconds = 600;
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    EXPECT_EQ(FirstRunFailure().kind, FailureKind::OfficeInTheWay);
    EXPECT_EQ(RunExitCode(), kExitOfficeInTheWay);
    ExpectReportedFailure(run.Report(), ERROR_TIMEOUT,
                          "【安装失败】错误信息：" + Utf8(L"Office进程未退出：winword.exe") + "，code=1460");
    EXPECT_EQ(local_service::Journal("/packages/"), "[]") << "nothing was downloaded";
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"[WARN] 无人值守：等待Office进程退出（不会强行结束）：winword.exe，最多等待1秒"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"[ERROR] 无人值守：Office进程仍在运行，安装失败：winword.exe"), std::wstring::npos);
}
