// Installation runs through an unreliable network and onto volumes that
// cannot take them: cut and refused downloads retried in the same run, a
// package changed on the server between two runs, a proxy chosen by a
// configuration script or asking for credentials, and the checks before the
// first download. The parent sets the scene (service faults, the prefix's
// proxy settings) and the child runs the installer in a real window.
#include "tests/app/InstallRun.h"  // winsock2.h before windows.h

#include "app/DownloadWorker.h"
#include "app/ExitCodes.h"
#include "app/MainWindow.h"
#include "app/Preflight.h"
#include "app/RunOutcome.h"
#include "net/ResumeValidator.h"
#include "net/WinHttpHandler.h"
#include "tests/app/BoxAnswerer.h"
#include "tests/common/ProxySettings.h"

#include <winhttp.h>

#include <fstream>
#include <string>

using namespace install_flow;

namespace {

const char kClientPath[] = "/packages/Kestrane_V1.0.3.exe";

int Occurrences(const std::wstring& text, const std::wstring& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void ExpectEveryPackageInstalled(const InstallRun& run);

// From the start button to the run's report, every package installed.
void InstallEverything(InstallRun& run) {
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    ExpectEveryPackageInstalled(run);
}

// From the start button to the run's report, the client's download failing
// with code; client is its record afterwards.
void RunWithTheClientsDownloadFailing(InstallRun& run, int code, SetupInfo& client) {
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.state, DownloadFailed);
    EXPECT_EQ(client.errorCode, code);
}

void ExpectEveryPackageInstalled(const InstallRun& run) {
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Installed) << CCodedConversion().WideToUtf8(item.name);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)));
    }
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", "0")), std::string::npos) << run.Report();
}

// The drives tools/small-volumes.sh maps into the prefix for these tests.
const wchar_t kSmallDrive[] = L"S:\\";
const wchar_t kReadOnlyDrive[] = L"R:\\";
bool DriveMapped(const wchar_t* root) {
    const DWORD attributes = ::GetFileAttributesW(root);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ScriptUrl() { return "http://127.0.0.1:" + std::to_string(local_service::Port()) + "/proxy.pac"; }
std::string ProxyAddress() { return "127.0.0.1:" + std::to_string(local_service::ProxyPort()); }

// Starts the run into folder, answers the box that stops it and waits for
// the Finish page and the report; told is what the box said.
void StartIntoABoxThatStopsTheRun(InstallRun& run, const std::wstring& folder, std::wstring& told) {
    run.UseFolder(folder);
    BoxAnswerer box(IDOK);
    ASSERT_NO_FATAL_FAILURE(run.Start());
    told = box.Text();
    ASSERT_NO_FATAL_FAILURE(run.WaitForFinishPage());
    ASSERT_NO_FATAL_FAILURE(run.WaitForReport());
}

// A run stopped by the checks before the first download: the user was told
// why in a box, nothing was fetched or installed, and the report says it.
void ExpectStoppedBeforeDownloads(const InstallRun& run, const std::wstring& told, int code) {
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Waiting);
        EXPECT_FALSE(FileExists(PackageFilePath(item)));
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"未安装");
    }
    EXPECT_EQ(local_service::Journal("/packages/"), "[]") << "nothing was downloaded";
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");
    // The remark escapes each backslash, and the service's answer escapes that again.
    std::string text;
    for (char c : CCodedConversion().WideToUtf8(told)) text += c == '\\' ? std::string(4, '\\') : std::string(1, c);
    ExpectReportedFailure(run.Report(), code, "【安装失败】错误信息：" + text + "，code=" + std::to_string(code));
}

} // namespace

// --- parent side ------------------------------------------------------------

TEST(InstallResilience, APackageCutThreeTimesInstallsInOneRun) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFaults({{"flaky", "1"}, {"flaky_times", "3"}, {"flaky_after", "1000"}},
                       L"ResilienceChild.CutThreeTimes");
}

TEST(InstallResilience, ARetryShowsOnThePackagesRow) {
    if (StartedWithSns()) GTEST_SKIP();
    // Cut once, then the rest trickles until the child has seen the row.
    RunChildWithFaults({{"flaky", "1"}, {"flaky_times", "1"}, {"flaky_after", "1000"}, {"trickle", "4096"}},
                       L"ResilienceChild.RetryOnTheRow");
}

TEST(InstallResilience, AnUnavailableServerIsWaitedForAsItAsks) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFaults({{"status", "503"}, {"status_times", "1"}, {"status_path", "/packages/"}, {"retry_after", "2"}},
                       L"ResilienceChild.ServiceUnavailable");
}

TEST(InstallResilience, AMissingPackageIsNotRetried) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFaults({{"status", "404"}, {"status_path", "/packages/"}}, L"ResilienceChild.NotFound");
}

TEST(InstallResilience, AFileChangedBetweenTwoRunsStartsOverAndInstalls) {
    if (StartedWithSns()) GTEST_SKIP();
    // The first run always loses the connection near the end of the client's
    // file, past where its revised build differs: splicing the two would not
    // give the new file.
    const std::string cut = std::to_string(ServedBytes("Kestrane_V1.0.3.exe").size() - 16);
    RunChildWithFaults({{"drop_at", cut.c_str()}}, L"ResilienceChild.FirstRunIsCut");
    RunChildWithFaults({{"revise", "Kestrane_V1.0.3.exe"}}, L"ResilienceChild.SecondRunStartsOver");
}

TEST(InstallResilience, AProxyNamedByAConfigurationScriptCarriesEveryRequest) {
    if (StartedWithSns()) GTEST_SKIP();
    proxy_settings::UserSettings settings(proxy_settings::kDirect | proxy_settings::kScript, "", "", ScriptUrl());
    ASSERT_TRUE(settings.Written());
    RunChildWithFaults({}, L"ResilienceChild.AllThroughTheProxy");
}

TEST(InstallResilience, AProxyAskingForCredentialsIsNamedInTheErrorMode) {
    if (StartedWithSns()) GTEST_SKIP();
    {
        proxy_settings::UserSettings script(proxy_settings::kDirect | proxy_settings::kScript, "", "", ScriptUrl());
        RunChildWithFaults({{"proxy_auth", "ntlm"}}, L"ResilienceChild.ProxyAuthentication");
    }
    proxy_settings::UserSettings named(proxy_settings::kDirect | proxy_settings::kExplicitProxy, ProxyAddress());
    RunChildWithFaults({{"proxy_auth", "basic"}}, L"ResilienceChild.ProxyAuthentication");
}

TEST(InstallResilience, AVolumeTooSmallStopsBeforeAnyDownload) {
    if (StartedWithSns()) GTEST_SKIP();
    if (!DriveMapped(kSmallDrive)) GTEST_SKIP() << "no small volume S: (tools/small-volumes.sh could not mount one)";
    RunChildWithFaults({}, L"ResilienceChild.SmallVolume");
}

TEST(InstallResilience, AFolderThatCannotBeWrittenStopsBeforeAnyDownload) {
    if (StartedWithSns()) GTEST_SKIP();
    if (!DriveMapped(kReadOnlyDrive)) GTEST_SKIP() << "no read-only volume R: (tools/small-volumes.sh could not mount one)";
    RunChildWithFaults({}, L"ResilienceChild.ReadOnlyVolume");
}

// --- child side -------------------------------------------------------------

TEST(ResilienceChild, CutThreeTimes) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    ASSERT_NO_FATAL_FAILURE(InstallEverything(run));

    const std::wstring text = log.Text();
    EXPECT_EQ(Occurrences(text, L"[WARN] StartDLoadMethod tool=Kestrane 翻译客户端 第"), 3) << text.size();
    for (int n = 1; n <= 3; ++n)
        EXPECT_NE(text.find(L"第" + std::to_wstring(n) + L"次重试（共3次）"), std::wstring::npos) << n;
    EXPECT_NE(text.find(L"原因：code=12030 网络连接失败 [no connection]"), std::wstring::npos);
    // Each retry resumed where the last attempt ended.
    const std::string journal = local_service::Journal(kClientPath);
    EXPECT_EQ(local_service::CountOf(journal, "\"method\": \"GET\""), 4) << journal;
    for (const char* range : {"bytes=1000-", "bytes=2000-", "bytes=3000-"})
        EXPECT_EQ(local_service::CountOf(journal, std::string("\"range\": \"") + range + "\""), 1) << journal;
    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.downloaded, client.size) << "every byte counted once";
    EXPECT_EQ(client.retrying, 0);
}

TEST(ResilienceChild, RetryOnTheRow) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.Start());
    // The rows are refreshed by timer 104, driven here.
    ASSERT_TRUE(PumpUntil(
        [] {
            ::SendMessageW(App().mainWindow, WM_TIMER, IDT_ITEM_PROGRESS, 0);
            return RowText(L"SetupItemStaticProgress_", 1).rfind(L"重试(1/3)，已完成", 0) == 0;
        },
        60000))
        << CCodedConversion().WideToUtf8(RowText(L"SetupItemStaticProgress_", 1));
    EXPECT_EQ(App().setupInfoText, L"正在重试下载“Kestrane 翻译客户端”(1/3)");
    ASSERT_TRUE(local_service::ResetFaults());  // the trickle sends the rest at once
    ASSERT_NO_FATAL_FAILURE(run.WaitForFinishPage());
    ASSERT_NO_FATAL_FAILURE(run.WaitForReport());
    ExpectEveryPackageInstalled(run);
}

TEST(ResilienceChild, ServiceUnavailable) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    ASSERT_NO_FATAL_FAILURE(InstallEverything(run));
    EXPECT_NE(log.Text().find(L"第1次重试（共3次），200毫秒后开始，原因：HTTP 503, Retry-After 2 s 服务器错误"),
              std::wstring::npos);
    // The second request came no sooner than asked (two of the test policy's 100 ms seconds).
    const std::string journal = local_service::Journal(kClientPath);
    const size_t first = journal.find("\"time\": ");
    const size_t second = journal.find("\"time\": ", first + 1);
    ASSERT_NE(second, std::string::npos) << journal;
    EXPECT_NE(journal.find("\"status\": 503"), std::string::npos);
    EXPECT_GE(std::stod(journal.substr(second + 8)) - std::stod(journal.substr(first + 8)), 0.2);
}

TEST(ResilienceChild, NotFound) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    SetupInfo client;
    ASSERT_NO_FATAL_FAILURE(RunWithTheClientsDownloadFailing(run, ERR_HTTP_STATUS, client));
    EXPECT_EQ(SetupStateText(client), L"下载失败：服务器错误");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败（服务器错误），code=-3");
    ExpectReportedFailure(run.Report(), ERR_HTTP_STATUS, "错误信息：下载失败（服务器错误），code=-3");
    EXPECT_EQ(local_service::CountOf(local_service::Journal(kClientPath), "\"method\": \"GET\""), 1);
    const std::wstring text = log.Text();
    EXPECT_EQ(text.find(L"次重试"), std::wstring::npos) << "a missing file is not asked for again";
    EXPECT_NE(text.find(L"[ERROR] StartDLoadMethod 下载失败，tool=Kestrane 翻译客户端, code=-3, 原因：服务器错误 "
                        L"[server error]"),
              std::wstring::npos);
}

TEST(ResilienceChild, FirstRunIsCut) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    SetupInfo client;
    ASSERT_NO_FATAL_FAILURE(RunWithTheClientsDownloadFailing(run, ERROR_WINHTTP_CONNECTION_ERROR, client));
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败（网络连接失败），code=12030");
    // What arrived stays for the next run, with the server's validator beside it.
    EXPECT_EQ(FileSize(PackageFilePath(client)), client.size - 16);
    std::wstring validator;
    EXPECT_EQ(ReadStoredValidator(PackageFilePath(client), validator), StoredValidator::Usable);
}

TEST(ResilienceChild, SecondRunStartsOver) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run(EarlierFiles::Kept);
    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    const long long part = FileSize(PackageFilePath(client));
    ASSERT_GT(part, 0) << "the first run's part";
    ASSERT_NO_FATAL_FAILURE(InstallEverything(run));
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.downloaded, client.size);
    // The revised package ran: its payload says so.
    std::ifstream payload((run.ProductFolder() + L"\\Kestrane.ini").c_str(), std::ios::binary);
    const std::string ini((std::istreambuf_iterator<char>(payload)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("revised"), std::string::npos) << ini;
    // The resume asked for the rest of the old file only; the server sent the new one whole.
    const std::string journal = local_service::Journal(kClientPath);
    EXPECT_NE(journal.find("\"range\": \"bytes=" + std::to_string(part) + "-\", \"if_range\": \"\\\""),
              std::string::npos)
        << journal;
    EXPECT_EQ(local_service::CountOf(journal, "\"status\": 206"), 0) << journal;
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"从头下载, tool=Kestrane 翻译客户端"), std::wstring::npos);
    EXPECT_EQ(text.find(L"验证失败"), std::wstring::npos);
}

TEST(ResilienceChild, AllThroughTheProxy) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    ASSERT_NO_FATAL_FAILURE(InstallEverything(run));
    const std::string seen = local_service::ProxyJournal();
    EXPECT_EQ(local_service::CountOf(seen, "\"path\": \"/api/setup/install\""), 1) << seen;
    EXPECT_EQ(local_service::CountOf(seen, "\"path\": \"/api/statistics\""), 1) << seen;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        const std::string file = CCodedConversion().WideToUtf8(item.url.substr(item.url.rfind(L'/') + 1));
        EXPECT_EQ(local_service::CountOf(seen, "\"path\": \"/packages/" + file + "\""), 1) << file;
    }
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"CModelSetup::GetSetupList 网络连接: 配置脚本 " + CCodedConversion().Utf8ToWide(ScriptUrl()) +
                        L": 代理 " + CCodedConversion().Utf8ToWide(ProxyAddress())),
              std::wstring::npos);
}

TEST(ResilienceChild, ProxyAuthentication) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    ASSERT_TRUE(FindControl(L"RetryPrepareLayout")->IsVisible());
    EXPECT_EQ(App().resultCode, ERR_PROXY_AUTH);
    EXPECT_EQ(std::wstring(FindControl(L"PrepareProgressInfo")->GetText()),
              L"获取在线安装信息失败（代理身份验证失败）, Code=-5");
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"[ERROR] PrepareWorker 获取在线安装信息失败（代理身份验证失败）, Code=-5, 原因：代理身份验证失败 "
                        L"[proxy authentication]"),
              std::wstring::npos)
        << text.size();
    EXPECT_EQ(text.find(L"次重试"), std::wstring::npos) << "credentials do not come with waiting";
    EXPECT_EQ(RunExitCode(), kExitNoPackageList) << "the code a script gets";
}

TEST(ResilienceChild, SmallVolume) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    // What the packages need on S:, where they are to be installed, beyond
    // what it has.
    unsigned long long needed = kFreeSpaceMargin;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) needed += static_cast<unsigned long long>(item.size);
    ULARGE_INTEGER available{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(kSmallDrive, &available, nullptr, nullptr));
    ASSERT_LT(available.QuadPart, needed);
    std::wstring told;
    ASSERT_NO_FATAL_FAILURE(StartIntoABoxThatStopsTheRun(run, L"S:\\Apps", told));

    EXPECT_EQ(told, L"磁盘 S:\\ 空间不足，还需要 " + MegabyteText(needed - available.QuadPart) + L"（需要 " +
                        MegabyteText(needed) + L"，可用 " + MegabyteText(available.QuadPart) + L"）");
    ExpectStoppedBeforeDownloads(run, told, kNoDiskSpaceCode);
    EXPECT_FALSE(FileExists(L"S:\\Apps")) << "the check leaves nothing behind";
    EXPECT_EQ(FirstRunFailure().kind, FailureKind::NoDiskSpace);
    EXPECT_EQ(RunExitCode(), kExitNoDiskSpace) << "the code a script gets";
    EXPECT_NE(log.Text().find(L"[ERROR] StartSetupBtn 安装前检查未通过：" + told + L", code=-110, 原因：磁盘空间不足 [disk full]"),
              std::wstring::npos);
}

TEST(ResilienceChild, ReadOnlyVolume) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    std::wstring told;
    ASSERT_NO_FATAL_FAILURE(StartIntoABoxThatStopsTheRun(run, L"R:\\Apps", told));
    EXPECT_EQ(told.rfind(L"安装目录无法创建或写入：R:\\Apps\\QRN\\Kestrane（错误 ", 0), 0u)
        << CCodedConversion().WideToUtf8(told);
    ExpectStoppedBeforeDownloads(run, told, kFolderNotWritableCode);
    EXPECT_EQ(FirstRunFailure().kind, FailureKind::FolderNotWritable);
    EXPECT_EQ(RunExitCode(), kExitFolderNotWritable) << "the code a script gets";
}
