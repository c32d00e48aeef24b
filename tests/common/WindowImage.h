#pragma once
// The last full rendering of an attached window (the window host's image:
// 32-bit, top-down, premultiplied), as tests read and save it.
#include <windows.h>
#include <gdiplus.h>

#include <string>

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
