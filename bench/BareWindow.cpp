// The reference for the installer's first frame: a bare Win32 window of the
// same size, painted with one brush. Prints "first_frame=<ms>" (process
// creation to the end of its first WM_PAINT, measured as the installer
// measures its own) and exits.
#include "support/ProcessClock.h"

#include <windows.h>

#include <cstdio>

namespace {
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        ::FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::EndPaint(hwnd, &ps);
        static bool first = true;
        if (first) {
            first = false;
            std::printf("first_frame=%.1f\n", MsSinceProcessStart());
            std::fflush(stdout);
            ::PostQuitMessage(0);
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"BareBenchWindow";
    if (!::RegisterClassExW(&wc)) return 1;
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"bare", WS_OVERLAPPEDWINDOW, 300, 200, 610, 410, nullptr,
                                  nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ::ShowWindow(hwnd, showCommand);
    ::UpdateWindow(hwnd);
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::DestroyWindow(hwnd);
    return 0;
}
