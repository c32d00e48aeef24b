// Shows the control engine's demo window for a screenshot (tools/ctrl-demo.sh).
// Usage: ctrl_demo <folder>. Writes <folder>\ready once the window is painted
// and closes when <folder>\done appears (or after a minute).
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/CtrlDemoSkin.h"
#include "dulib/ctrl/Engine.h"

namespace {

std::wstring g_folder;
constexpr UINT_PTR kPollTimer = 1;

LRESULT CALLBACK DemoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DU_NOTIFY: {
        auto* plugin = reinterpret_cast<duPlugin*>(wParam);
        const auto* rec = reinterpret_cast<const NotifyRecord*>(lParam);
        if (rec->code == DUM_BTNCLICK && MatchName(L"CloseButton", plugin->GetName())) ::DestroyWindow(hwnd);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kPollTimer && ::GetFileAttributesW((g_folder + L"\\done").c_str()) != INVALID_FILE_ATTRIBUTES)
            ::DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: ctrl_demo <folder>\n");
        return 2;
    }
    g_folder = argv[1];
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    InitEngine(instance);
    if (!WriteCtrlDemoSkin(g_folder)) return 1;
    duWindowManager* manager = CreateWindowManager(g_folder.c_str());
    if (!manager) return 1;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DemoProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KestraneCtrlDemo";
    ::RegisterClassExW(&wc);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"Kestrane controls", WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, instance, nullptr);
    if (!AttachWindow(manager, hwnd, L"Demo")) return 1;
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);

    // A few live states for the picture: one disabled button, the pointer
    // over another, the focus on a check box.
    duPlugin* disabled = GetPluginByName(hwnd, L"DisabledButton");
    disabled->SetDisable(TRUE);
    RedrawPlugin(disabled, TRUE);
    RECT r;
    GetPluginByName(hwnd, L"CancelButton")->GetRect(&r);
    POINT over{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT screen = over;
    ::ClientToScreen(hwnd, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(over.x, over.y));
    ::SendMessageW(hwnd, WM_PAINT, 0, 0);

    ::SetTimer(hwnd, kPollTimer, 100, nullptr);
    if (FILE* f = _wfopen((g_folder + L"\\ready").c_str(), L"wb")) fclose(f);
    const DWORD start = ::GetTickCount();
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
        if (::GetTickCount() - start > 60000 && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    manager->Destroy();
    ReleaseEngine();
    return 0;
}
