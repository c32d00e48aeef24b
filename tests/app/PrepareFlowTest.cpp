// The preparation from start to end in a real installer window: the parent
// test starts this program again with "/sns=<address>" as its first argument
// (as the installer is started), and the child runs one PrepareChild test in
// that process against the address.
#include "tests/common/LocalService.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "dulib/ctrl/Engine.h"
#include "service/ModelSetup.h"
#include "service/ServiceAddress.h"
#include "support/Handles.h"
#include "support/PackageList.h"
#include "tests/app/InstallerWindow.h"
#include "tests/common/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>

TEST(PrepareFlow, ServiceListLeadsToTheSetupPage) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    RunChildTests(L"127.0.0.1:" + std::to_wstring(local_service::Port()), L"PrepareChild.Success");
}

TEST(PrepareFlow, UnreachableServiceLeadsToTheErrorMode) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildTests(L"127.0.0.1:1", L"PrepareChild.Failure");
}

TEST(PrepareFlow, ADescriptionInAnotherEncodingStillListsEveryPackage) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    // "测试" in GBK, and a raw tab and 0x01, inside the descriptions.
    const std::string package = "{\"setup_name\": \"%s\", \"name\": \"%s\", \"type\": \"0\", \"size\": \"10\", "
                                "\"url\": \"http://127.0.0.1:1/p.exe\", \"description\": \"\xB2\xE2\xCA\xD4\t\x01\", "
                                "\"cmd\": \"\", \"version\": \"1.0\", \"sort\": \"1\", \"md5\": \"\"}";
    auto named = [&package](const char* setupName, const char* name) {
        std::string text = package;
        text.replace(text.find("%s"), 2, setupName);
        text.replace(text.find("%s"), 2, name);
        return text;
    };
    ASSERT_TRUE(local_service::SetInstallAnswer("{\"result\": true, \"data\": [" + named("a", "Alpha") + ", " +
                                                named("b", "Beta") + "]}"));
    RunChildTests(L"127.0.0.1:" + std::to_wstring(local_service::Port()), L"PrepareChild.ForeignBytes");
    local_service::ResetFaults();
}

TEST(PrepareFlow, AQuickRetryWaitsForTheLastReportAndSendsNoSecond) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    local_service::SetFault("json", "refusal");
    local_service::SetFault("stall_statistics", "4");
    RunChildTests(L"127.0.0.1:" + std::to_wstring(local_service::Port()), L"PrepareChild.QuickRetry");
    local_service::ResetFaults();
}

TEST(PrepareFlow, ARefusedWorkerThreadShowsTheErrorMode) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    RunChildTests(L"127.0.0.1:" + std::to_wstring(local_service::Port()), L"PrepareChild.RefusedThread");
}

TEST(PrepareChild, ForeignBytes) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    ASSERT_TRUE(FindControl(L"SetupLayout")->IsVisible()) << "preparation failed: " << App().resultCode;
    ASSERT_EQ(PackageList.Count(), 2);
    SetupInfo item;
    ASSERT_TRUE(PackageList.GetAt(1, item));
    EXPECT_EQ(item.name, L"Beta");
    EXPECT_EQ(item.description, L"\xFFFD\xFFFD\xFFFD\xFFFD\t\x01");
    EXPECT_STREQ(FindControl(L"SetupItemStaticName_2")->GetText(), L"Beta 1.0");
}

TEST(PrepareChild, QuickRetry) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    const long before = [] {
        const std::string last = local_service::LastStatistics(1);
        size_t at = last.find("\"id\": ");
        return at == std::string::npos ? 0L : std::stol(last.substr(at + 6));
    }();
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    ASSERT_TRUE(FindControl(L"RetryPrepareLayout")->IsVisible());
    const int code = App().resultCode;
    ASSERT_EQ(code, -104);
    // Retry at once, while the failure's report is still on its way.
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    ::SendMessageW(window.Hwnd(), WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"RetryPrepareBtn")),
                   reinterpret_cast<LPARAM>(&click));
    EXPECT_FALSE(FindControl(L"RetryPrepareLayout")->IsVisible());
    EXPECT_EQ(App().lastShownProgress, 0);
    // The second attempt fails the same way; wait until every attempt and report is over.
    ASSERT_TRUE(PumpUntil(
        [] {
            const AppState& app = App();
            return FindControl(L"RetryPrepareLayout")->IsVisible() && !app.prepareRunning && !app.prepareQueued &&
                   app.reportsInFlight == 0;
        },
        90000));
    EXPECT_EQ(App().resultCode, code);
    const std::string reports = local_service::LastStatistics(5);
    int count = 0;
    for (size_t at = reports.find("\"id\": "); at != std::string::npos; at = reports.find("\"id\": ", at + 1))
        if (std::stol(reports.substr(at + 6)) > before) ++count;
    EXPECT_EQ(count, 1) << "one report per distinct code: " << reports;
}

TEST(PrepareChild, RefusedThread) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    App().refusedThread = L"PrepareWorker";
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(10000));
    EXPECT_TRUE(FindControl(L"RetryPrepareLayout")->IsVisible());
    EXPECT_EQ(std::wstring(FindControl(L"PrepareProgressInfo")->GetText()), L"获取在线安装信息失败, Code=1450");
    // A thread to be had again: the retry prepares as usual.
    App().refusedThread.clear();
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    ::SendMessageW(window.Hwnd(), WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"RetryPrepareBtn")),
                   reinterpret_cast<LPARAM>(&click));
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    EXPECT_TRUE(FindControl(L"SetupLayout")->IsVisible());
}

TEST(PrepareChild, Success) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    ASSERT_TRUE(FindControl(L"SetupLayout")->IsVisible()) << "preparation failed: "
                                                           << App().resultCode;
    EXPECT_FALSE(FindControl(L"PrepareLayout")->IsVisible());
    EXPECT_STREQ(App().prepareValue->GetText(), L"100%");
    EXPECT_EQ(App().windowsName.rfind(L"win_", 0), 0u);
    EXPECT_EQ(App().officeName, L"office_After2010_32");

    ASSERT_GT(PackageList.Count(), 0);
    SetupInfo item;
    int rows = 0;
    for (int i = 0; PackageList.GetAt(static_cast<unsigned>(i), item); ++i) {
        std::wstring n = std::to_wstring(i + 1);
        duPlugin* row = FindControl((L"SetupItem_" + n).c_str());
        ++rows;
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(item.itemIndex, n);
        EXPECT_STREQ(row->GetExtra(), item.setup_name.c_str());
        EXPECT_EQ(row->IsVisible() != FALSE, item.type != 4);
        EXPECT_EQ(std::wstring(FindControl((L"SetupItemStaticName_" + n).c_str())->GetText()),
                  item.name + L" " + item.version);
        EXPECT_EQ(FindControl((L"SetupItemCheckBox_" + n).c_str())->IsVisible() != FALSE, item.type == 16);
        EXPECT_EQ(FindControl((L"SetupItemIconLayout_" + n).c_str())->IsVisible() != FALSE, item.type != 16);
    }
    EXPECT_GT(rows, 0);
}

TEST(PrepareChild, Failure) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    EXPECT_TRUE(FindControl(L"RetryPrepareLayout")->IsVisible());
    EXPECT_FALSE(FindControl(L"PrepareProgressValue")->IsVisible());
    EXPECT_FALSE(FindControl(L"SetupLayout")->IsVisible());
    EXPECT_STREQ(FindControl(L"PrepareProgressInfo")->GetStyle(), L"ProgressErrorInfo");
    std::wstring expected = L"获取在线安装信息失败（网络连接失败）, Code=" + std::to_wstring(App().resultCode);
    EXPECT_NE(App().resultCode, 0);
    EXPECT_EQ(std::wstring(FindControl(L"PrepareProgressInfo")->GetText()), expected);
    // The report of the failure (tried again, as it cannot have been taken) is over.
    ASSERT_TRUE(PumpUntil([] { return App().reportsInFlight == 0 && !App().prepareRunning; }, 60000));
    EXPECT_EQ(App().lastReportedPrepareCode, App().resultCode) << "the failure was reported once";

    // Retry goes back to the progress mode at 0 % and runs the preparation again.
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    ::SendMessageW(window.Hwnd(), WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"RetryPrepareBtn")),
                   reinterpret_cast<LPARAM>(&click));
    EXPECT_FALSE(FindControl(L"RetryPrepareLayout")->IsVisible());
    EXPECT_TRUE(FindControl(L"PrepareProgressValue")->IsVisible());
    EXPECT_STREQ(FindControl(L"PrepareProgressInfo")->GetStyle(), L"ProgressInfo");
    EXPECT_EQ(App().lastShownProgress, 0);
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    EXPECT_TRUE(FindControl(L"RetryPrepareLayout")->IsVisible());
}
