#include "app/AppState.h"
#include "app/Controls.h"
#include "app/DailyLog.h"
#include "app/MainWindow.h"
#include "app/Resources.h"
#include "app/RunFolder.h"
#include "app/StartupTiming.h"
#include "dulib/ctrl/Engine.h"
#include "support/Log.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    StartupTiming timing;
    timing.Stage("entry");
    // Only System32 may supply DLLs: the installer runs elevated from folders
    // that anyone can write to.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    AppState& app = App();
    app.uiThreadId = ::GetCurrentThreadId();
    OpenDailyLog();
    WriteLog(L"在线安装工具启动！", LOG_INFO);
    timing.Stage("log");

    InitEngine(instance);
    app.caption = LoadResText(IDS_CAPTION);
    timing.Stage("engine");
    app.windowManager = CreateWindowManager(nullptr);
    timing.Stage("skin");
    if (!app.windowManager) {
        WriteLog(L"加载皮肤资源文件失败", LOG_ERROR);
        ::MessageBoxW(nullptr, LoadResText(IDS_SKIN_FAILED).c_str(), app.caption.c_str(), MB_OK);
        return 0;
    }
    if (!RegisterMainWindowClass(instance)) {
        WriteLog(L"窗口类注册失败", LOG_ERROR);
        ::MessageBoxW(nullptr, LoadResText(IDS_WINDOW_FAILED).c_str(), app.caption.c_str(), MB_ICONERROR);
        return 0;
    }
    HWND hwnd = CreateMainWindow(instance, app.caption.c_str());
    timing.Stage("window");
    ::ShowWindow(hwnd, showCommand);
    ::UpdateWindow(hwnd);
    timing.Stage("paint");
    WriteLog(timing.LogLine(), LOG_INFO);

    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    app.windowManager->Destroy();
    app.windowManager = nullptr;
    ReleaseEngine();
    RemoveRunFolder();
    // Workers still running are not waited for; ending the process here stops
    // them before any process-wide object they use is torn down.
    ::ExitProcess(static_cast<UINT>(msg.wParam));
}
