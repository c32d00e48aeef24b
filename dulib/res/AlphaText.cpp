#include "dulib/res/AlphaText.h"

#include "dulib/res/Dib32.h"
#include "dulib/res/Painters.h"
#include "support/Handles.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies the target pixels under (x, y, w, h) (logical coordinates of dc) into
// the background DC, for those inside the clip box; the others stay 0. Only a
// 32-bit target has an alpha channel worth reading back.
void CopyUnderlay(HDC dc, int x, int y, int w, int h, const RECT& clip, HDC background) {
    HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info) || info.bmBitsPixel != 32 || !info.bmBits) return;
    RECT area = {x, y, x + w, y + h}, visible = {};
    if (!::IntersectRect(&visible, &area, &clip)) return;
    // Parts outside the target bitmap are not copied by the blit.
    ::BitBlt(background, visible.left - x, visible.top - y, visible.right - visible.left,
             visible.bottom - visible.top, dc, visible.left, visible.top, SRCCOPY);
}

}  // namespace

bool DrawAlphaText(HDC dc, HFONT font, COLORREF color, const wchar_t* text, int length, const RECT* rect,
                   UINT flags) {
    if (!dc || !text || length <= 0 || !rect) return false;
    RECT clip = {}, overlap = {};
    if (::GetClipBox(dc, &clip) == ERROR || !::IntersectRect(&overlap, rect, &clip)) return false;
    HFONT useFont = font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const bool singleLine = (flags & ALPHATEXT_SINGLELINE) != 0;

    RECT extent = {0, 0, 0, 0};
    {
        SelectGuard selectFont(dc, useFont);
        ::DrawTextW(dc, text, length, &extent, DT_CALCRECT | DT_NOPREFIX | (singleLine ? DT_SINGLELINE : 0));
    }
    const int qw = rect->right - rect->left, qh = rect->bottom - rect->top;
    const int w = std::min(qw, static_cast<int>(extent.right - extent.left));
    const int h = std::min(qh, static_cast<int>(extent.bottom - extent.top));
    if (w <= 0 || h <= 0) return false;
    int x = rect->left, y = rect->top;
    if (flags & ALPHATEXT_CENTER)
        x = rect->left + (qw - w) / 2;
    else if (flags & ALPHATEXT_RIGHT)
        x = rect->right - w;
    if (flags & ALPHATEXT_VCENTER)
        y = rect->top + (qh - h) / 2;
    else if (flags & ALPHATEXT_BOTTOM)
        y = rect->bottom - h;

    BYTE* backBits = nullptr;
    BitmapHandle back(CreateDib32(w, h, &backBits));
    BYTE* maskBits = nullptr;
    BitmapHandle mask(CreateDib32(w, h, &maskBits));
    MemoryDc maskDc(::CreateCompatibleDC(dc));
    MemoryDc backDc(::CreateCompatibleDC(dc));
    if (!back || !mask || !maskDc || !backDc) return false;
    auto* background = reinterpret_cast<DWORD*>(backBits);
    auto* coverage = reinterpret_cast<DWORD*>(maskBits);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    {
        SelectGuard selectBack(backDc.get(), back.get());
        CopyUnderlay(dc, x, y, w, h, clip, backDc.get());
        ::GdiFlush();
    }

    std::memset(maskBits, 0xFF, pixels * 4);
    {
        SelectGuard selectMask(maskDc.get(), mask.get());
        SelectGuard selectFont(maskDc.get(), useFont);
        ::SetTextColor(maskDc.get(), RGB(0, 0, 0));
        ::SetBkMode(maskDc.get(), TRANSPARENT);
        RECT box = {0, 0, w, h};
        ::DrawTextW(maskDc.get(), text, length, &box,
                    DT_NOPREFIX | (singleLine ? DT_SINGLELINE | DT_END_ELLIPSIS : 0));
        ::GdiFlush();
    }

    const UINT cr = GetRValue(color), cg = GetGValue(color), cb = GetBValue(color);
    for (size_t i = 0; i < pixels; ++i) {
        DWORD m = coverage[i];
        if (m == 0xFFFFFFFF) continue;
        UINT u = (m >> 16) & 0xFF, v = 255 - u;
        if (u == 0) {
            background[i] = 0xFF000000u | (cr << 16) | (cg << 8) | cb;
            continue;
        }
        DWORD g = background[i];
        UINT gb = g & 0xFF, gg = (g >> 8) & 0xFF, gr = (g >> 16) & 0xFF, ga = g >> 24;
        UINT nb = (gb * u + cb * v) / 255, ng = (gg * u + cg * v) / 255, nr = (gr * u + cr * v) / 255;
        UINT na = ga * u / 255 + v;
        background[i] = (na << 24) | (nr << 16) | (ng << 8) | nb;
    }

    // Clear the area to transparent black, then lay the composed pixels over it.
    TRIVERTEX corners[2] = {{x, y, 0, 0, 0, 0}, {x + w, y + h, 0, 0, 0, 0}};
    GRADIENT_RECT span = {0, 1};
    ::GradientFill(dc, corners, 2, &span, 1, GRADIENT_FILL_RECT_H);
    BlendBitmap(dc, x, y, w, h, back.get(), 0, 0, w, h, 255);
    return true;
}
