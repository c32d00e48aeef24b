#include "app/PendingReports.h"

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "app/UiThread.h"
#include "support/Log.h"

namespace {

// Window thread: carries out a held-back close.
void CloseDeferred(HWND hwnd) {
    AppState& app = App();
    if (!app.closeDeferred) return;
    app.closeDeferred = false;
    ::KillTimer(hwnd, IDT_REPORT_WAIT);
    CloseMainWindowNow(hwnd, app.deferredCloseParam);
}

} // namespace

ReportInFlight::ReportInFlight() { ++App().reportsInFlight; }

ReportInFlight::~ReportInFlight() {
    if (--App().reportsInFlight != 0) return;
    RunOnUi([] {
        if (App().reportsInFlight == 0) CloseDeferred(App().mainWindow);
    });
}

bool DeferCloseForReports(HWND hwnd, WPARAM closeParam) {
    AppState& app = App();
    if (app.closeDeferred) return true;
    if (app.reportsInFlight == 0) return false;
    app.closeDeferred = true;
    app.deferredCloseParam = closeParam;
    ::ShowWindow(hwnd, SW_HIDE);
    ::SetTimer(hwnd, IDT_REPORT_WAIT, kReportWaitMs, nullptr);
    WriteLog(L"等待统计信息发送完成后退出", LOG_INFO);
    return true;
}

void OnReportWaitOver(HWND hwnd) {
    if (!App().closeDeferred) {
        ::KillTimer(hwnd, IDT_REPORT_WAIT);
        return;
    }
    WriteLog(L"统计信息未能在退出前发送完成，已放弃", LOG_WARN);
    CloseDeferred(hwnd);
}
