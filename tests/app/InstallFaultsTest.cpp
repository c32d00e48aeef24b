// Installation runs against odd but plausible service answers and failing
// steps: every failure ends as a reported failure, nothing the service sends
// is lost, and the run's report leaves before the process ends.
#include "tests/app/InstallRun.h"  // winsock2.h before windows.h

#include "app/MainWindow.h"
#include "app/PendingReports.h"
#include "net/WinHttpHandler.h"
#include "support/Log.h"

#include <fstream>
#include <string>

using namespace install_flow;

namespace {

// The client's record, the first half of its package written where the
// installer keeps it, as an interrupted run leaves it.
SetupInfo ClientWithHalfItsFile() {
    SetupInfo client;
    EXPECT_TRUE(PackageList.GetAt(0, client));
    const std::string whole = ServedBytes("Kestrane_V1.0.3.exe");
    EXPECT_EQ(static_cast<int>(whole.size()), client.size);
    std::ofstream partial(PackageFilePath(client).c_str(), std::ios::binary);
    partial.write(whole.data(), static_cast<std::streamsize>(whole.size() / 2));
    return client;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Pumps the window's messages until the message loop would end (WM_QUIT);
// false when it did not within the limit. `atQuit` runs the moment it does.
bool PumpUntilQuit(int limitMs, const std::function<void()>& atQuit) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < static_cast<DWORD>(limitMs)) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                atQuit();
                return true;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

void ExpectNothingFetchedOrInstalled(const InstallRun& run) {
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Waiting);
        EXPECT_FALSE(FileExists(PackageFilePath(item)));
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"未安装");
    }
    EXPECT_FALSE(FileExists(run.ProductFolder()));
}

} // namespace

// --- parent side: one child run per case ------------------------------------

// A child test run while the service has one fault switched on.
struct FaultCase {
    const char* fault;
    const char* value;
    const wchar_t* child;
};

class InstallFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(InstallFaults, EndsAsTheChildExpects) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault(GetParam().fault, GetParam().value, GetParam().child);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, InstallFaults,
    ::testing::Values(
        // A setup that crashes fails its package and the run.
        FaultCase{"serve_file", "kestrane_client:Crashing.exe", L"FaultChild.CrashingSetup"},
        // A resume answered with the whole file counts every byte once.
        FaultCase{"ignore_range", "1", L"FaultChild.IgnoredRange"},
        // A partial answer at the wrong offset fails cleanly.
        FaultCase{"range_offset", "1000", L"FaultChild.WrongOffset"},
        // An unticked optional package is left alone.
        FaultCase{"", "", L"FaultChild.UntickedOptional"},
        // The report leaves before a quick finish ends the process...
        FaultCase{"stall_statistics", "3", L"FaultChild.QuickFinish"},
        // ...and one that does not leave is given up after a while.
        FaultCase{"stall_statistics", "120", L"FaultChild.AbandonedReport"},
        // Refused threads and semaphores fail the run visibly.
        FaultCase{"", "", L"FaultChild.InstallWorkerRefused"},
        FaultCase{"", "", L"FaultChild.DownloadWorkerRefused"},
        FaultCase{"", "", L"FaultChild.SemaphoreRefused"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
        const std::wstring child = info.param.child;
        return std::string(child.begin() + child.find(L'.') + 1, child.end());
    });

TEST(InstallFaultsAnswer, ASecondPackageOfASetupNameIsDroppedAndEachPackageInstalledOnce) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithAnswer(Answer(ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe") + ", " +
                              ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe") + ", " +
                              ListedPackage("client", "Impostor", "0", "DotNet45.exe")),
                       L"FaultChild.DuplicateSetupName");
}

// --- child side -------------------------------------------------------------

TEST(FaultChild, CrashingSetup) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.state, InstallFailed);
    EXPECT_EQ(static_cast<DWORD>(client.errorCode), 0xC0000005u);
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：安装程序出错，code=-1073741819");
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) EXPECT_NE(item.state, Installed);
    ExpectReportedFailure(run.Report(), -1073741819,
                          "【安装失败】name：Kestrane 翻译客户端_V1.0.3, 错误信息：安装程序出错，code=-1073741819");
}

TEST(FaultChild, DuplicateSetupName) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(PackageList.Count(), 2) << "the second record of a name is dropped";
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo client, addin;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    ASSERT_TRUE(PackageList.GetAt(1, addin));
    EXPECT_EQ(client.name, L"Client");
    EXPECT_EQ(client.state, Installed);
    EXPECT_EQ(addin.state, Installed);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\WordAddin.txt"));
    EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\DotNet45.txt")) << "the dropped record was installed";
    EXPECT_EQ(FindControl(L"FinishItem_3"), nullptr);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", "Client_1.0;Addin_1.0;")), std::string::npos)
        << run.Report();
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", "0")), std::string::npos) << run.Report();
}

TEST(FaultChild, IgnoredRange) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    SetupInfo client = ClientWithHalfItsFile();
    ASSERT_NO_FATAL_FAILURE(run.Start());
    // The count, and the percentage the row shows from it, never pass the file.
    int mostSeen = 0;
    ASSERT_TRUE(PumpUntil(
        [&mostSeen] {
            SetupInfo seen;
            if (PackageList.GetAt(0, seen) && seen.downloaded > mostSeen) mostSeen = seen.downloaded;
            return FindControl(L"FinishLayout")->IsVisible() != FALSE;
        },
        150000));
    ASSERT_NO_FATAL_FAILURE(run.WaitForReport());
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_LE(mostSeen, client.size);
    EXPECT_EQ(client.downloaded, client.size);
    EXPECT_EQ(client.state, Installed);
    EXPECT_EQ(App().lastShownProgress, 100 / PackageList.Count() * PackageList.Count());
}

TEST(FaultChild, WrongOffset) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    SetupInfo client = ClientWithHalfItsFile();
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.state, DownloadFailed);
    EXPECT_EQ(client.errorCode, ERR_RANGE_MISMATCH);
    EXPECT_EQ(FileSize(PackageFilePath(client)), client.size / 2) << "the file is left for the next run";
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败（服务器错误），code=-4");
    ExpectReportedFailure(run.Report(), ERR_RANGE_MISMATCH, "错误信息：下载失败（服务器错误），code=-4");
}

TEST(FaultChild, UntickedOptional) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    int optional = 0;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (item.type == 16) {
            optional = static_cast<int>(i) + 1;
            break;
        }
    }
    ASSERT_GT(optional, 0) << "the catalog offers an optional package here";
    auto* box = dynamic_cast<duCheckBox*>(RowControl(L"SetupItemCheckBox_", optional));
    ASSERT_NE(box, nullptr);
    box->SetCheck(FALSE);
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo unticked;
    ASSERT_TRUE(PackageList.GetAt(static_cast<unsigned>(optional - 1), unticked));
    EXPECT_FALSE(unticked.selected);
    EXPECT_EQ(unticked.state, Waiting);
    EXPECT_FALSE(FileExists(PackageFilePath(unticked))) << "not downloaded";
    EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(unticked.setup_name)));
    EXPECT_FALSE(RowControl(L"SetupItem_", optional)->IsVisible());
    EXPECT_EQ(RowControl(L"FinishItem_", optional), nullptr);
    const std::string name = CCodedConversion().WideToUtf8(unticked.name);
    EXPECT_EQ(run.Report().find(name), std::string::npos) << run.Report();
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", PackageListText())), std::string::npos);
    EXPECT_EQ(App().resultCode, 0);
}

TEST(FaultChild, QuickFinish) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.Start());
    ASSERT_NO_FATAL_FAILURE(run.WaitForFinishPage());
    ASSERT_EQ(LastReportId(), run.ReportBefore()) << "the report should still be on its way";
    HWND hwnd = run.Hwnd();
    Click(L"FinishSetupBtn");
    long atQuit = 0;
    ASSERT_TRUE(PumpUntilQuit(60000, [&atQuit] { atQuit = LastReportId(); }));
    EXPECT_GT(atQuit, run.ReportBefore()) << "the message loop ended before the report was sent";
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(FaultChild, AbandonedReport) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    ChildLog log;
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.Start());
    ASSERT_NO_FATAL_FAILURE(run.WaitForFinishPage());
    HWND hwnd = run.Hwnd();
    // The close button while the report is on its way: the window goes at
    // once, the process waits for the report.
    Click(L"MainWndBtn_Close");
    ASSERT_TRUE(PumpUntil([hwnd] { return !::IsWindowVisible(hwnd); }, 10000));
    EXPECT_TRUE(::IsWindow(hwnd));
    // The wait runs out (its timer driven here): the report is given up.
    ::SendMessageW(hwnd, WM_TIMER, IDT_REPORT_WAIT, 0);
    EXPECT_TRUE(PumpUntilQuit(10000, [] {}));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(LastReportId(), run.ReportBefore());
    EXPECT_NE(log.Text().find(L"[WARN] 统计信息未能在退出前发送完成，已放弃"), std::wstring::npos) << log.Text().size();
}

TEST(FaultChild, InstallWorkerRefused) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    App().refusedThread = L"StartSetupMethod";
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    ExpectNothingFetchedOrInstalled(run);
    ExpectReportedFailure(run.Report(), ERROR_NO_SYSTEM_RESOURCES, "【安装失败】错误信息：code=1450");
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");
}

TEST(FaultChild, DownloadWorkerRefused) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    App().refusedThread = L"StartDLoadMethod";
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    SetupInfo client;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    EXPECT_EQ(client.state, DownloadFailed);
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败，code=1450");
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_FALSE(FileExists(PackageFilePath(item)));
    }
    ExpectReportedFailure(run.Report(), ERROR_NO_SYSTEM_RESOURCES, "错误信息：下载失败，code=1450");
}

TEST(FaultChild, SemaphoreRefused) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    App().refuseSemaphores = 1;
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    ExpectNothingFetchedOrInstalled(run);
    ExpectReportedFailure(run.Report(), ERROR_NO_SYSTEM_RESOURCES, "【安装失败】错误信息：code=1450");
}
