#include "app/AppState.h"
#include "app/Controls.h"
#include "app/DailyLog.h"
#include "app/ExitCodes.h"
#include "app/MainWindow.h"
#include "app/Resources.h"
#include "app/RunFolder.h"
#include "app/RunSwitches.h"
#include "app/StartupTiming.h"
#include "app/Unattended.h"
#include "dulib/ctrl/Engine.h"
#include "support/Log.h"

#include <windows.h>
#include <objbase.h>

namespace {

// The window could not be had: said in a box unless the run is quiet.
int StartupFailed(const wchar_t* logText, unsigned boxText, UINT flags) {
    WriteLog(logText, LOG_ERROR);
    if (!IsQuiet()) ::MessageBoxW(nullptr, LoadResText(boxText).c_str(), App().caption.c_str(), flags);
    return ExitCodeFor(FailureKind::Start);
}

int Run(HINSTANCE instance, int showCommand, StartupTiming& timing) {
    AppState& app = App();
    int exitCode = 0;
    if (!TakeCommandLine(::GetCommandLineW(), exitCode)) return exitCode;
    timing.Stage("log");

    InitEngine(instance);
    app.caption = LoadResText(IDS_CAPTION);
    timing.Stage("engine");
    // The thread's COM apartment (the engine's too): under Wine its hidden
    // window is what opens the display connection, timed on its own here.
    ::CoInitialize(nullptr);
    timing.Stage("display");
    app.windowManager = CreateWindowManager(nullptr);
    timing.Stage("skin");
    if (!app.windowManager) return StartupFailed(L"加载皮肤资源文件失败", IDS_SKIN_FAILED, MB_OK);
    if (!RegisterMainWindowClass(instance)) return StartupFailed(L"窗口类注册失败", IDS_WINDOW_FAILED, MB_ICONERROR);
    HWND hwnd = CreateMainWindow(instance, app.caption.c_str());
    timing.Stage("window");
    ::ShowWindow(hwnd, IsQuiet() ? SW_HIDE : showCommand);
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
    return RunExitCode();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    StartupTiming timing;
    timing.Stage("entry");
    // Only System32 may supply DLLs: the installer runs elevated from folders
    // that anyone can write to.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    App().uiThreadId = ::GetCurrentThreadId();
    OpenDailyLog();
    const int exitCode = Run(instance, showCommand, timing);
    WriteLog(L"退出码: " + std::to_wstring(exitCode), LOG_INFO);
    // Workers still running are not waited for; ending the process here stops
    // them before any process-wide object they use is torn down.
    ::ExitProcess(static_cast<UINT>(exitCode));
}
