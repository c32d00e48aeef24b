#pragma once
// 32-bit top-down device-independent bitmaps (blue, green, red, alpha per
// pixel, premultiplied), the surface everything in the engine draws on.
#include <windows.h>

// A zero-filled width x height bitmap and its pixels; null (and *bits null)
// when a size is not positive or creation fails. The caller owns the bitmap.
HBITMAP CreateDib32(int width, int height, BYTE** bits);

// Pixels of the 32-bit DIB section currently selected in dc, with its size;
// null when there is none. Rows are taken as top-down, as CreateDib32 makes them.
BYTE* GetDcDib32(HDC dc, int* width, int* height);

// Where the pixels of a 32-bit DIB section lie (top-down, see GetDcDib32).
struct Dib32View {
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool topDown = true;
    DWORD* Row(int y) const {
        return reinterpret_cast<DWORD*>(bits + static_cast<ptrdiff_t>(topDown ? y : height - 1 - y) * stride);
    }
};
// Fills view for the 32-bit DIB section selected in dc; false when there is none.
bool GetDcDib32View(HDC dc, Dib32View* view);
