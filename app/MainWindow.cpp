#include "app/MainWindow.h"

#include "app/AppState.h"
#include "app/PendingReports.h"
#include "app/ControlHandlers.h"
#include "app/Controls.h"
#include "app/DownloadWorker.h"
#include "app/PreparePage.h"
#include "app/Resources.h"
#include "app/Unattended.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/res/DisplayDpi.h"
#include "support/Log.h"
#include "sysinfo/LocalPaths.h"

namespace {

// The icons at the sizes the system uses at the window's DPI.
void SetWindowIcons(HWND hwnd, int dpi) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto load = [instance](int cx, int cy) {
        return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON, cx, cy, 0));
    };
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(
                       load(SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi))));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(
                       load(SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi))));
}

void ProposeInstallFolder() {
    std::wstring folder = App().options.folder;  // /dir, checked at start
    if (folder.empty()) folder = ReadInstalledPath();
    if (folder.empty()) folder = DefaultInstallPath();
    if (duPlugin* field = FindControl(L"SelectDirStatic")) field->SetText(folder.c_str());
}

void QuitAndClose() { ::PostQuitMessage(0); }

// Closes now, or once the reports still being sent are out.
LRESULT CloseAfterReports(HWND hwnd, WPARAM wParam) {
    if (DeferCloseForReports(hwnd, wParam)) return 0;
    CloseMainWindowNow(hwnd, wParam);
    return 0;
}

LRESULT OnClose(HWND hwnd, WPARAM wParam) {
    App().mainWindow = hwnd;
    if (wParam == 1) return CloseAfterReports(hwnd, wParam);
    duPlugin* finish = FindControl(L"FinishLayout");
    if (finish && finish->IsVisible()) return CloseAfterReports(hwnd, wParam);
    if (IsUnattended()) {
        WriteLog(L"无人值守：窗口被关闭，不再询问", LOG_INFO);
        return CloseAfterReports(hwnd, wParam);
    }
    if (::MessageBoxW(hwnd, LoadResText(IDS_CONFIRM_EXIT).c_str(), L"提示", MB_OKCANCEL) == IDOK)
        return CloseAfterReports(hwnd, wParam);
    return 0;
}

void OnTimer(UINT_PTR id) {
    AppState& app = App();
    switch (id) {
    case IDT_PREPARE_INFO:
        AnimateInfoLine(app.prepareDots, app.prepareInfoText, app.prepareInfo);
        break;
    case IDT_SETUP_INFO:
        AnimateInfoLine(app.setupDots, app.setupInfoText, app.setupInfo);
        break;
    case IDT_ITEM_PROGRESS:
        RefreshItemStates();
        break;
    case IDT_REPORT_WAIT:
        OnReportWaitOver(app.mainWindow);
        break;
    case IDT_AUTO_CLOSE:
        OnAutoCloseTick();
        break;
    default:
        break;
    }
}

} // namespace

void CloseMainWindowNow(HWND hwnd, WPARAM wParam) {
    QuitAndClose();
    if (wParam == 1) WriteLog(L"在线安装工具退出！", LOG_INFO);
    ::DefWindowProcW(hwnd, WM_CLOSE, wParam, 0);
}

void AnimateInfoLine(int& counter, const std::wstring& base, duPlugin* control) {
    int dots = counter % 6;
    counter = dots;
    SetControlText(control, base + std::wstring(static_cast<size_t>(dots), L'.'));
    ++counter;
}

void BindControls() {
    AppState& app = App();
    AttachWindow(app.windowManager, app.mainWindow, L"MainWindow");
    SetWindowIcons(app.mainWindow, GetWindowDpi(app.mainWindow));

    duPlugin* root = FindControl(L"MainWindow");
    app.prepareBar = FindControl(L"PrepareProgressBar");
    app.prepareInfo = FindControl(L"PrepareProgressInfo");
    app.prepareValue = FindControl(L"PrepareProgressValue");
    app.setupBar = FindControl(L"SetupProgressBar");
    app.setupInfo = FindControl(L"SetupProgressInfo");
    app.setupValue = FindControl(L"SetupProgressValue");
    if (!root || !app.prepareBar || !app.prepareInfo || !app.prepareValue || !app.setupBar || !app.setupInfo ||
        !app.setupValue) {
        WriteLog(L"BindControls 界面元素缺失", LOG_ERROR);
        app.ending = FailureKind::Start;
        if (!IsQuiet())
            ::MessageBoxW(app.mainWindow, LoadResText(IDS_CONTROLS_MISSING).c_str(), app.caption.c_str(), MB_OK);
        ::PostMessageW(app.mainWindow, WM_CLOSE, 1, 0);
        return;
    }
    root->SetText(LoadResText(IDS_CAPTION).c_str());
    ProposeInstallFolder();
    StartPrepare();
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        App().mainWindow = hwnd;
        BindControls();
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CLOSE:
        return OnClose(hwnd, wParam);
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_DPICHANGED:
        // The engine has laid the window out at the new scale already.
        SetWindowIcons(hwnd, LOWORD(wParam));
        return 0;
    case WM_DU_NOTIFY: {
        const auto* record = reinterpret_cast<const NotifyRecord*>(lParam);
        if (!record) return 0;
        return DispatchControlNotify(reinterpret_cast<duPlugin*>(wParam), record->code, record->param1,
                                     record->param2);
    }
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kMainWindowClass;
    return ::RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const wchar_t* caption) {
    return ::CreateWindowExW(0, kMainWindowClass, caption, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                             nullptr);
}
