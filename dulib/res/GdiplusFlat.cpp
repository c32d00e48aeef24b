#include "dulib/res/GdiplusFlat.h"

#include "dulib/res/Dib32.h"
#include "support/Handles.h"

#include <algorithm>
#include <cmath>

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

namespace {

// Length of one repeat of a dash style, in pen widths.
double DashPeriod(DashStyle dash) {
    switch (dash) {
    case DashStyleDash: return 4;
    case DashStyleDot: return 2;
    case DashStyleDashDot: return 6;
    case DashStyleDashDotDot: return 8;
    default: return 0;
    }
}

// Liang-Barsky: the part [t0, t1] of a + t (b - a) inside box; false when none.
bool ClipToBox(double ax, double ay, double bx, double by, double left, double top, double right, double bottom,
               double* t0, double* t1) {
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - left, right - ax, ay - top, bottom - ay};
    *t0 = 0;
    *t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) *t0 = std::max(*t0, t);
        else *t1 = std::min(*t1, t);
    }
    return *t0 <= *t1;
}

}  // namespace

void DrawSegmentNear(GpGraphics* graphics, GpPen* pen, DashStyle dash, int penWidth, double ax, double ay, double bx,
                     double by, const RECT& visible) {
    if (!graphics || !pen) return;
    const double reach = std::max(penWidth, 1) + 2.0;
    const double left = visible.left - reach, top = visible.top - reach;
    const double right = visible.right + reach, bottom = visible.bottom + reach;
    const double length = std::hypot(bx - ax, by - ay);
    // Ordinary segments are drawn as they are; only one that is long next to
    // the box is cut.
    if (length > 4 * ((right - left) + (bottom - top)) + 1000) {
        double t0 = 0, t1 = 1;
        if (!ClipToBox(ax, ay, bx, by, left, top, right, bottom, &t0, &t1)) return;
        const double period = DashPeriod(dash);
        if (period > 0 && t0 > 0)
            GdipSetPenDashOffset(pen, static_cast<REAL>(std::fmod(t0 * length / std::max(penWidth, 1), period)));
        const double cx = ax + (bx - ax) * t0, cy = ay + (by - ay) * t0;
        bx = ax + (bx - ax) * t1;
        by = ay + (by - ay) * t1;
        ax = cx;
        ay = cy;
    }
    GdipDrawLine(graphics, pen, static_cast<REAL>(ax), static_cast<REAL>(ay), static_cast<REAL>(bx),
                 static_cast<REAL>(by));
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
