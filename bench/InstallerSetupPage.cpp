#include "bench/InstallerSetupPage.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/Resources.h"
#include "app/SetupRows.h"
#include "dulib/ctrl/Engine.h"
#include "support/SetupInfo.h"
#include "sysinfo/LocalPaths.h"

namespace {

constexpr wchar_t kClass[] = L"KestraneSetupPageBench";

// The local setup service's packages for a 64-bit machine with Word: the
// client, the Word add-in (a row of its own, hidden) and two optional ones.
SetupInfo Package(const wchar_t* setupName, const wchar_t* name, const wchar_t* version, int type) {
    SetupInfo item;
    item.setup_name = setupName;
    item.name = name;
    item.version = version;
    item.type = type;
    return item;
}

}  // namespace

HWND OpenInstallerSetupPage(HINSTANCE instance) {
    AppState& app = App();
    app.uiThreadId = ::GetCurrentThreadId();
    app.windowManager = CreateWindowManager(nullptr);
    if (!app.windowManager) return nullptr;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);
    // The main window's own styles; the engine trims them as it attaches.
    HWND hwnd = ::CreateWindowExW(0, kClass, L"在线安装", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, nullptr);
    if (!hwnd) return nullptr;
    app.mainWindow = hwnd;
    if (!AttachWindow(app.windowManager, hwnd, L"MainWindow")) return nullptr;
    if (duPlugin* root = FindControl(L"MainWindow")) root->SetText(LoadResText(IDS_CAPTION).c_str());
    if (duPlugin* folder = FindControl(L"SelectDirStatic")) folder->SetText(DefaultInstallPath().c_str());
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);

    const SetupInfo packages[] = {
        Package(L"kestrane_client", L"Kestrane 翻译客户端", L"1.0.3", 1),
        Package(L"word_addin", L"Word 翻译插件", L"2.1", 4),
        Package(L"dotnet_runtime", L".NET Framework", L"4.5", 16),
        Package(L"x64_helper", L"64 位组件", L"1.2", 16),
    };
    int row = 0;
    for (const SetupInfo& item : packages)
        if (!AddSetupRow(item, ++row)) return nullptr;
    if (duPlugin* prepare = FindControl(L"PrepareLayout")) SetPluginVisible(prepare, FALSE);
    ShowSetupPage();
    return hwnd;
}

void CloseInstallerSetupPage(HWND hwnd) {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    if (App().windowManager) App().windowManager->Destroy();
    App().windowManager = nullptr;
}
