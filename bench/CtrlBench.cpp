// Paint cost of the control engine on the demo skin's 610x410 layered
// window: one full paint, one single-button redraw, and as references in the
// same run a bare UpdateLayeredWindow of a ready image of that size and a bare
// full-size AlphaBlend.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/CtrlDemoSkin.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/res/Dib32.h"

namespace {

double Now() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

template <typename F>
double BestMs(int rounds, int per, F&& f) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const double start = Now();
        for (int i = 0; i < per; ++i) f();
        const double each = (Now() - start) / per;
        if (each < best) best = each;
    }
    return best;
}

}  // namespace

int main() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    InitEngine(instance);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"kestrane-ctrl-bench";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    if (!WriteCtrlDemoSkin(folder)) return 1;
    duWindowManager* manager = CreateWindowManager(folder.c_str());
    if (!manager) return 1;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"KestraneCtrlBench";
    ::RegisterClassExW(&wc);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
    if (!AttachWindow(manager, hwnd, L"Demo")) return 1;
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    duPlugin* button = GetPluginByName(hwnd, L"CancelButton");
    const size_t plugins = host->GetZorderList().PaintOrder().size();

    const double full = BestMs(5, 40, [&] { host->PaintWindow(nullptr); });
    const double single = BestMs(5, 200, [&] { RedrawPlugin(button, FALSE); });

    // References: what presenting and blending a 610x410 image costs alone.
    BYTE* bits = nullptr;
    BitmapHandle image(CreateDib32(610, 410, &bits));
    for (size_t i = 0; i < 610u * 410u; ++i) reinterpret_cast<DWORD*>(bits)[i] = 0xFF808080;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), image.get());
    RECT wr;
    ::GetWindowRect(hwnd, &wr);
    POINT dst{wr.left, wr.top}, src{0, 0};
    SIZE size{610, 410};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const double present = BestMs(5, 40, [&] {
        WindowDc screen(nullptr);
        ::UpdateLayeredWindow(hwnd, screen.get(), &dst, &size, dc.get(), &src, 0, &blend, ULW_ALPHA);
    });
    BYTE* targetBits = nullptr;
    BitmapHandle target(CreateDib32(610, 410, &targetBits));
    MemoryDc targetDc(::CreateCompatibleDC(nullptr));
    SelectGuard selectTarget(targetDc.get(), target.get());
    const double alphaBlend = BestMs(5, 40, [&] {
        ::AlphaBlend(targetDc.get(), 0, 0, 610, 410, dc.get(), 0, 0, 610, 410, blend);
    });

    std::printf("ctrl: full paint of the 610x410 layered demo window (%zu plugins) %.2f ms, single button redraw %.3f ms; "
                "reference in the same run: bare UpdateLayeredWindow 610x410 %.2f ms, bare 610x410 AlphaBlend %.2f ms "
                "(best of 5 rounds)\n",
                plugins, full, single, present, alphaBlend);
    // Rows of the bench table (bench/README.md): figure, reference, value checked.
    std::printf("row\tpaint\t%.2f ms (demo window, %zu plugins)\tpresent %.2f + blend %.2f ms\t%.3f\n", full, plugins,
                present, alphaBlend, full / (present + alphaBlend));
    std::printf("row\tredraw\t%.3f ms (one button, demo window)\tpresent %.2f ms\t%.3f\n", single, present,
                single / present);
    ::DestroyWindow(hwnd);
    manager->Destroy();
    ReleaseEngine();
    return 0;
}
