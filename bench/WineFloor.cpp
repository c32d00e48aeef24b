// What Wine charges for a first frame of the installer's kind before any of
// the installer's own work: a layered 32-bit window of the same size whose
// first frame is one UpdateLayeredWindow of a ready image. With "decode", GDI+
// is started and one of the installer's pictures decoded first, as the skin
// needs before anything can be drawn. Prints "first_frame=<ms>" (process
// creation to the end of the update, measured as the installer measures its
// own) and exits.
#include "dulib/res/Dib32.h"
#include "support/ProcessClock.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {
constexpr int kWidth = 610, kHeight = 410;

bool DecodeOnePicture() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, L"IMG_LOGO.PNG", L"PNG");
    HGLOBAL handle = info ? ::LoadResource(module, info) : nullptr;
    const BYTE* bytes = handle ? static_cast<const BYTE*>(::LockResource(handle)) : nullptr;
    IStream* stream = bytes ? ::SHCreateMemStream(bytes, ::SizeofResource(module, info)) : nullptr;
    if (!stream) return false;
    Gdiplus::GpImage* image = nullptr;
    const bool decoded = Gdiplus::DllExports::GdipLoadImageFromStream(stream, &image) == Gdiplus::Ok && image;
    if (image) Gdiplus::DllExports::GdipDisposeImage(image);
    stream->Release();
    return decoded;
}

void PresentOnce(HWND hwnd) {
    BYTE* bits = nullptr;
    HBITMAP image = CreateDib32(kWidth, kHeight, &bits);
    if (!image) return;
    std::fill_n(reinterpret_cast<DWORD*>(bits), kWidth * kHeight, 0xFFFFFFFFu);
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, image);
    POINT origin{0, 0};
    SIZE size{kWidth, kHeight};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, nullptr, nullptr, &size, memory, &origin, 0, &blend, ULW_ALPHA);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(image);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    const bool decode = commandLine && std::wcsstr(commandLine, L"decode");
    ULONG_PTR token = 0;
    if (decode) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok || !DecodeOnePicture()) return 1;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"WineFloorWindow";
    if (!::RegisterClassExW(&wc)) return 1;
    HWND hwnd = ::CreateWindowExW(WS_EX_LAYERED, wc.lpszClassName, L"floor", WS_POPUP, 300, 200, kWidth, kHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    PresentOnce(hwnd);
    ::ShowWindow(hwnd, showCommand);
    std::printf("first_frame=%.1f\n", MsSinceProcessStart());
    std::fflush(stdout);
    ::DestroyWindow(hwnd);
    if (token) Gdiplus::GdiplusShutdown(token);
    return 0;
}
