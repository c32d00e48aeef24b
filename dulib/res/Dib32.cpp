#include "dulib/res/Dib32.h"

HBITMAP CreateDib32(int width, int height, BYTE** bits) {
    if (bits) *bits = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap || !pixels) {
        if (bitmap) ::DeleteObject(bitmap);
        return nullptr;
    }
    if (bits) *bits = static_cast<BYTE*>(pixels);
    return bitmap;
}

bool GetDcDib32View(HDC dc, Dib32View* view) {
    if (!dc || !view) return false;
    HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    DIBSECTION section = {};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) return false;
    if (section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits) return false;
    view->bits = static_cast<BYTE*>(section.dsBm.bmBits);
    view->width = section.dsBm.bmWidth;
    view->height = section.dsBm.bmHeight;
    view->stride = section.dsBm.bmWidthBytes;
    // GetObject does not report the row order of a DIB section; every
    // surface the engine makes is top-down (CreateDib32).
    view->topDown = true;
    return view->width > 0 && view->height > 0;
}

BYTE* GetDcDib32(HDC dc, int* width, int* height) {
    Dib32View view;
    if (!GetDcDib32View(dc, &view) || !view.topDown) return nullptr;
    if (width) *width = view.width;
    if (height) *height = view.height;
    return view.bits;
}
