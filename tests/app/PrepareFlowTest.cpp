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
#include "tests/common/ChildProcess.h"
#include "tests/sysinfo/ScopedRegistryKey.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool StartedWithSns() { return CModelSetup::Instance().BuildServiceUrl() != DefaultServiceHost(); }

// Pumps the window's messages until the preparation has ended one way or the
// other; false when it did not end within the limit.
bool PumpUntilPreparationEnds(int limitMs) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < static_cast<DWORD>(limitMs)) {
        duPlugin* setup = FindControl(L"SetupLayout");
        duPlugin* retry = FindControl(L"RetryPrepareLayout");
        if ((setup && setup->IsVisible()) || (retry && retry->IsVisible())) {
            MSG msg;  // let the last queued control changes run
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            return true;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return false;
}

// The installer's window with the real preparation worker, on a machine with
// Word 2016 registered (so the worker does not stop at the Word warning).
class InstallerWindow {
public:
    InstallerWindow() : word_(HKEY_CLASSES_ROOT, L"Word.Application", KEY_WOW64_32KEY) {
        RegKey curVer;
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Word.Application\\CurVer", 0, nullptr, 0,
                          KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, curVer.put(), nullptr);
        const wchar_t value[] = L"Word.Application.16";
        ::RegSetValueExW(curVer.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);

        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        InitEngine(instance);
        App().uiThreadId = ::GetCurrentThreadId();
        App().windowManager = CreateWindowManager(nullptr);
        RegisterMainWindowClass(instance);
        hwnd_ = CreateMainWindow(instance, L"在线安装");
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    }
    ~InstallerWindow() {
        if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
        if (App().windowManager) App().windowManager->Destroy();
        App().windowManager = nullptr;
    }
    HWND Hwnd() const { return hwnd_; }

private:
    ScopedRegistryKey word_;
    HWND hwnd_ = nullptr;
};

} // namespace

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
