#include "dulib/res/DisplayDpi.h"

#include "dulib/res/DpiScale.h"
#include "support/Handles.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

void* User32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<void*>(::GetProcAddress(user32, name)) : nullptr;
}

int ScreenDpi() {
    WindowDc screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : kSkinDpi;
}

}  // namespace

int DpiOfWindow(HWND hwnd) {
    static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(User32Function("GetDpiForWindow"));
    const int dpi = forWindow && hwnd ? static_cast<int>(forWindow(hwnd)) : 0;
    return dpi > 0 ? dpi : ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(User32Function("GetSystemMetricsForDpi"));
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return ::MulDiv(::GetSystemMetrics(index), dpi, ScreenDpi());
}
