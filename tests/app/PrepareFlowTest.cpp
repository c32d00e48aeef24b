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
        if (item.size <= 0) {
            EXPECT_EQ(row, nullptr) << "no row for a package without a size";
            continue;
        }
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
    std::wstring expected = L"获取在线安装信息失败, Code=" + std::to_wstring(App().resultCode);
    EXPECT_NE(App().resultCode, 0);
    EXPECT_EQ(std::wstring(FindControl(L"PrepareProgressInfo")->GetText()), expected);
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
