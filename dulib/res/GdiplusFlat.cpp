#include "dulib/res/GdiplusFlat.h"

#include "dulib/res/Dib32.h"
#include "support/Handles.h"

#include <algorithm>

DcGraphics::DcGraphics(HDC dc, const RECT& area) : dc_(dc) {
    if (!dc) return;
    HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP info = {};
    RECT clip = {};
    bool deep = bitmap && ::GetObjectW(bitmap, sizeof(info), &info) && info.bmBitsPixel == 32 && info.bmBits;
    if (!deep) {
        // Drawn through the DC, limited to the area like the copy would be.
        if (GdipCreateFromHDC(dc, &graphics_.graphics) == Ok)
            GdipSetClipRectI(graphics_.graphics, area.left, area.top, area.right - area.left, area.bottom - area.top,
                             CombineModeIntersect);
        return;
    }
    // Only the visible part of the area is worth copying (and a skin may
    // name absurd sizes).
    if (::GetClipBox(dc, &clip) == ERROR || !::IntersectRect(&area_, &area, &clip)) return;
    int width = area_.right - area_.left, height = area_.bottom - area_.top;
    BYTE* bits = nullptr;
    copy_ = CreateDib32(width, height, &bits);
    copyDc_ = copy_ ? ::CreateCompatibleDC(dc) : nullptr;
    if (!copyDc_) return;
    oldBitmap_ = ::SelectObject(copyDc_, copy_);
    ::BitBlt(copyDc_, 0, 0, width, height, dc, area_.left, area_.top, SRCCOPY);
    ::GdiFlush();
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, bits, &surface_.bitmap) != Ok ||
        GdipGetImageGraphicsContext(surface_.bitmap, &graphics_.graphics) != Ok)
        return;
    GdipTranslateWorldTransform(graphics_.graphics, static_cast<REAL>(-area_.left), static_cast<REAL>(-area_.top),
                                MatrixOrderPrepend);
}

DcGraphics::~DcGraphics() {
    if (copyDc_ && graphics_.graphics) {
        GdipDeleteGraphics(graphics_.graphics);
        graphics_.graphics = nullptr;
        GdipDisposeImage(surface_.bitmap);  // the pixels are final once the bitmap is gone
        surface_.bitmap = nullptr;
        ::BitBlt(dc_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, copyDc_, 0, 0,
                 SRCCOPY);
    }
    if (copyDc_) {
        ::SelectObject(copyDc_, oldBitmap_);
        ::DeleteDC(copyDc_);
    }
    if (copy_) ::DeleteObject(copy_);
}

ARGB MakeArgb(COLORREF color, int alpha) {
    ARGB a = static_cast<ARGB>(std::clamp(alpha, 0, 255));
    return (a << 24) | (static_cast<ARGB>(GetRValue(color)) << 16) | (static_cast<ARGB>(GetGValue(color)) << 8) |
           GetBValue(color);
}

DashStyle DashStyleOf(const wchar_t* lineType) {
    if (!lineType) return DashStyleSolid;
    if (_wcsicmp(lineType, L"dash") == 0) return DashStyleDash;
    if (_wcsicmp(lineType, L"dot") == 0) return DashStyleDot;
    if (_wcsicmp(lineType, L"dashdot") == 0) return DashStyleDashDot;
    if (_wcsicmp(lineType, L"dashnotdot") == 0) return DashStyleDashDotDot;
    return DashStyleSolid;
}
