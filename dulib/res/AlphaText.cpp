#include "dulib/res/AlphaText.h"

#include "dulib/res/Dib32.h"
#include "dulib/res/Painters.h"
#include "support/Handles.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies the target pixels under (x, y, w, h) (logical coordinates of dc)
// into background, for those inside the clip box and the bitmap.
void CopyUnderlay(HDC dc, int x, int y, int w, int h, const RECT& clip, DWORD* background) {
    Dib32View target;
    if (!GetDcDib32View(dc, &target)) return;
    POINT corners[3] = {{x, y}, {clip.left, clip.top}, {clip.right, clip.bottom}};
    ::LPtoDP(dc, corners, 3);
    int left = std::max({corners[0].x, corners[1].x, 0L});
    int top = std::max({corners[0].y, corners[1].y, 0L});
    int right = std::min({corners[0].x + w, corners[2].x, static_cast<LONG>(target.width)});
    int bottom = std::min({corners[0].y + h, corners[2].y, static_cast<LONG>(target.height)});
    for (int py = top; py < bottom; ++py) {
        const DWORD* row = target.Row(py);
        DWORD* out = background + static_cast<size_t>(py - corners[0].y) * w + (left - corners[0].x);
        if (right > left) std::memcpy(out, row + left, sizeof(DWORD) * static_cast<size_t>(right - left));
    }
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
    if (!back || !mask || !maskDc) return false;
    auto* background = reinterpret_cast<DWORD*>(backBits);
    auto* coverage = reinterpret_cast<DWORD*>(maskBits);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    CopyUnderlay(dc, x, y, w, h, clip, background);

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
