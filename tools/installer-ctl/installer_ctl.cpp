// installer_ctl wait [seconds]  - waits until the installer's window is shown
// installer_ctl close           - closes it without the question (WM_CLOSE 1)
#include <windows.h>
#include <cstdio>
#include <cwchar>

namespace {
constexpr wchar_t kClass[] = L"VIZaroreRirar_MainWin";

HWND ShownWindow() {
    HWND hwnd = ::FindWindowW(kClass, nullptr);
    return hwnd && ::IsWindowVisible(hwnd) ? hwnd : nullptr;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"wait") == 0) {
        int seconds = argc >= 3 ? _wtoi(argv[2]) : 60;
        for (int i = 0; i < seconds * 10; ++i) {
            if (ShownWindow()) return 0;
            ::Sleep(100);
        }
        std::fprintf(stderr, "installer window did not appear\n");
        return 1;
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"close") == 0) {
        HWND hwnd = ::FindWindowW(kClass, nullptr);
        if (!hwnd) return 1;
        ::PostMessageW(hwnd, WM_CLOSE, 1, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: installer_ctl wait [seconds] | close\n");
    return 2;
}
