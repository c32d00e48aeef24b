#pragma once
// The last full rendering of an attached window (the window host's image:
// 32-bit, top-down, premultiplied), as tests read and save it.
#include <windows.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "dulib/ctrl/WindowHost.h"

// The host's window image; false before the first paint or without a host.
inline bool WindowImageOf(HWND hwnd, DIBSECTION* ds) {
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    return host && host->GetWindowImage() &&
           ::GetObjectW(host->GetWindowImage(), sizeof(*ds), ds) == sizeof(*ds) && ds->dsBm.bmBits;
}

// A pixel as 0xAARRGGBB (premultiplied); 0xDEADBEEF outside the image or
// before the first paint.
inline DWORD WindowImagePixel(HWND hwnd, int x, int y) {
    DIBSECTION ds{};
    if (!WindowImageOf(hwnd, &ds)) return 0xDEADBEEF;
    if (x < 0 || y < 0 || x >= ds.dsBm.bmWidth || y >= ds.dsBm.bmHeight) return 0xDEADBEEF;
    ::GdiFlush();
    return static_cast<const DWORD*>(ds.dsBm.bmBits)[static_cast<size_t>(y) * ds.dsBm.bmWidth + x];
}

// Saves the image as a PNG with its alpha, to look at.
inline bool SaveWindowImage(HWND hwnd, const std::wstring& path) {
    static const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    DIBSECTION ds{};
    if (!WindowImageOf(hwnd, &ds)) return false;
    ::GdiFlush();
    Gdiplus::GpBitmap* bitmap = nullptr;
    // The image is premultiplied; saved as such it shows what the window shows.
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(ds.dsBm.bmWidth, ds.dsBm.bmHeight, ds.dsBm.bmWidth * 4,
                                                      PixelFormat32bppPARGB, static_cast<BYTE*>(ds.dsBm.bmBits),
                                                      &bitmap) != Gdiplus::Ok)
        return false;
    const bool ok =
        Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return ok;
}

// What the display shows of the window's client area, read back from the
// screen (a layered window over the black root of Xvfb), as 0x00RRGGBB rows
// top-down; empty when it could not be read.
inline std::vector<DWORD> ScreenPixels(HWND hwnd) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    const int w = client.right, h = client.bottom;
    std::vector<DWORD> pixels;
    if (w <= 0 || h <= 0) return pixels;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, copy);
    const bool ok = copy && ::BitBlt(dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    ::GdiFlush();
    if (ok) {
        pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + static_cast<size_t>(w) * h);
        for (DWORD& p : pixels) p &= 0x00FFFFFF;
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    if (copy) ::DeleteObject(copy);
    return pixels;
}
