#pragma once
// Statistics reports hold the window's closing back, for a few seconds at
// most, so that what the service is told leaves before the process ends. The
// window thread never blocks on them: the window hides at once and closes
// when the last report is out or the wait has run out.
#include <windows.h>

constexpr UINT_PTR IDT_REPORT_WAIT = 105;
constexpr UINT kReportWaitMs = 5000;

// One report being sent, for as long as the object lives. Made on the
// sending thread before the page the user can leave is shown.
class ReportInFlight {
public:
    ReportInFlight();
    ~ReportInFlight();
    ReportInFlight(const ReportInFlight&) = delete;
    ReportInFlight& operator=(const ReportInFlight&) = delete;
};

// Window thread, when the window is about to close: true when reports are
// still being sent; the close is then carried out later, by itself.
bool DeferCloseForReports(HWND hwnd, WPARAM closeParam);
// Timer IDT_REPORT_WAIT: the reports are given up (logged) and the window closes.
void OnReportWaitOver(HWND hwnd);
