#pragma once
// The installer's window with the real preparation worker, for tests that
// run the flow in a child process started with "/sns=<address>".
#include "app/AppState.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "dulib/ctrl/Engine.h"
#include "service/ModelSetup.h"
#include "service/ServiceAddress.h"
#include "support/Handles.h"
#include "tests/common/QuickRetries.h"
#include "tests/app/WordRegistered.h"

#include <functional>
#include <string>

inline bool StartedWithSns() { return CModelSetup::Instance().BuildServiceUrl() != DefaultServiceHost(); }

// Pumps the window's messages until the preparation has ended one way or the
// other; false when it did not end within the limit.
inline bool PumpUntilPreparationEnds(int limitMs) {
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
// Network retries wait as the built-in policy does, only much shorter.
class InstallerWindow {
public:
    InstallerWindow() {
        App().retryPolicy = QuickRetries();
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
    WordRegistered word_;
    HWND hwnd_ = nullptr;
};


// Pumps the window's messages until `done` holds; false when it did not
// within the limit.
inline bool PumpUntil(const std::function<bool()>& done, int limitMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (::GetTickCount() - start >= static_cast<DWORD>(limitMs)) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}
