#include "dulib/res/GdiplusFlat.h"

#include "dulib/res/Dib32.h"
#include "support/Handles.h"

#include <algorithm>

DcGraphics::DcGraphics(HDC dc) {
    if (!dc) return;
    Dib32View view;
    if (GetDcDib32View(dc, &view) && view.topDown) {
        ::GdiFlush();
        if (GdipCreateBitmapFromScan0(view.width, view.height, view.stride, PixelFormat32bppPARGB, view.bits,
                                      &surface_.bitmap) == Ok &&
            GdipGetImageGraphicsContext(surface_.bitmap, &graphics_.graphics) == Ok) {
            RegionHandle clip(::CreateRectRgn(0, 0, 0, 0));
            if (clip && ::GetClipRgn(dc, clip.get()) == 1) {
                GpRegion* region = nullptr;
                if (GdipCreateRegionHrgn(clip.get(), &region) == Ok) {
                    GdipSetClipRegion(graphics_.graphics, region, CombineModeReplace);
                    GdipDeleteRegion(region);
                }
            }
            POINT origin = {0, 0};
            ::LPtoDP(dc, &origin, 1);
            GdipTranslateWorldTransform(graphics_.graphics, static_cast<REAL>(origin.x),
                                        static_cast<REAL>(origin.y), MatrixOrderPrepend);
            return;
        }
        if (graphics_.graphics) {
            GdipDeleteGraphics(graphics_.graphics);
            graphics_.graphics = nullptr;
        }
    }
    GdipCreateFromHDC(dc, &graphics_.graphics);
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
