#include "dulib/res/AlphaText.h"

#include "dulib/res/Dib32.h"
#include "dulib/res/Painters.h"
#include "support/Handles.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <string>
#include <vector>

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

// The glyphs' coverage of one text in one font and box, as the system drew
// it (255: background, 0: full ink). Laying text out and drawing it is most
// of the cost of a text; a control redrawn with the same text (a hover, a
// repaint) reuses what it drew last time. Keyed on everything the drawing
// depends on, down to the font's description, so a new font that happens to
// get an old handle is not mistaken for it.
struct GlyphMask {
    LOGFONTW font{};
    std::wstring text;
    bool singleLine = false;
    RECT extent{};  // what DT_CALCRECT measured
    int w = 0, h = 0;
    std::vector<BYTE> coverage;  // w * h, empty until drawn at that size
};

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A few recent texts per thread (windows belong to their thread).
constexpr size_t kKeptMasks = 64;
thread_local std::list<GlyphMask> t_masks;

GlyphMask* FindMask(const LOGFONTW& font, const wchar_t* text, int length, bool singleLine) {
    for (auto it = t_masks.begin(); it != t_masks.end(); ++it) {
        if (it->singleLine != singleLine || it->text.size() != static_cast<size_t>(length) ||
            it->text.compare(0, it->text.size(), text, static_cast<size_t>(length)) != 0 || !SameFont(it->font, font))
            continue;
        t_masks.splice(t_masks.begin(), t_masks, it);  // most recent first
        return &t_masks.front();
    }
    return nullptr;
}

GlyphMask* NewMask(const LOGFONTW& font, const wchar_t* text, int length, bool singleLine) {
    if (t_masks.size() >= kKeptMasks) t_masks.pop_back();
    t_masks.emplace_front();
    GlyphMask& mask = t_masks.front();
    mask.font = font;
    mask.text.assign(text, static_cast<size_t>(length));
    mask.singleLine = singleLine;
    return &mask;
}

// Draws the text in black on white into a w x h picture and keeps the
// coverage; false when the picture could not be had.
bool DrawCoverage(HDC dc, HFONT font, GlyphMask* mask, int w, int h) {
    BYTE* maskBits = nullptr;
    BitmapHandle picture(CreateDib32(w, h, &maskBits));
    MemoryDc maskDc(::CreateCompatibleDC(dc));
    if (!picture || !maskDc) return false;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::memset(maskBits, 0xFF, pixels * 4);
    {
        SelectGuard selectMask(maskDc.get(), picture.get());
        SelectGuard selectFont(maskDc.get(), font);
        ::SetTextColor(maskDc.get(), RGB(0, 0, 0));
        ::SetBkMode(maskDc.get(), TRANSPARENT);
        RECT box = {0, 0, w, h};
        ::DrawTextW(maskDc.get(), mask->text.c_str(), static_cast<int>(mask->text.size()), &box,
                    DT_NOPREFIX | (mask->singleLine ? DT_SINGLELINE | DT_END_ELLIPSIS : 0));
        ::GdiFlush();
    }
    // Untouched pixels keep the background, as full coverage by white does.
    const auto* drawn = reinterpret_cast<const DWORD*>(maskBits);
    mask->coverage.resize(pixels);
    for (size_t i = 0; i < pixels; ++i)
        mask->coverage[i] = drawn[i] == 0xFFFFFFFF ? 255 : static_cast<BYTE>((drawn[i] >> 16) & 0xFF);
    mask->w = w;
    mask->h = h;
    return true;
}

}  // namespace

bool DrawAlphaText(HDC dc, HFONT font, COLORREF color, const wchar_t* text, int length, const RECT* rect,
                   UINT flags) {
    if (!dc || !text || length <= 0 || !rect) return false;
    RECT clip = {}, overlap = {};
    if (::GetClipBox(dc, &clip) == ERROR || !::IntersectRect(&overlap, rect, &clip)) return false;
    HFONT useFont = font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const bool singleLine = (flags & ALPHATEXT_SINGLELINE) != 0;
    LOGFONTW described{};
    if (::GetObjectW(useFont, sizeof described, &described) != sizeof described) return false;

    GlyphMask* mask = FindMask(described, text, length, singleLine);
    if (!mask) {
        mask = NewMask(described, text, length, singleLine);
        SelectGuard selectFont(dc, useFont);
        ::DrawTextW(dc, text, length, &mask->extent, DT_CALCRECT | DT_NOPREFIX | (singleLine ? DT_SINGLELINE : 0));
    }
    const RECT extent = mask->extent;
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

    if ((mask->w != w || mask->h != h || mask->coverage.empty()) && !DrawCoverage(dc, useFont, mask, w, h))
        return false;
    BYTE* backBits = nullptr;
    BitmapHandle back(CreateDib32(w, h, &backBits));
    HDC backDc = ScratchDc();
    if (!back || !backDc) return false;
    auto* background = reinterpret_cast<DWORD*>(backBits);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    {
        SelectGuard selectBack(backDc, back.get());
        CopyUnderlay(dc, x, y, w, h, clip, backDc);
        ::GdiFlush();
    }

    const UINT cr = GetRValue(color), cg = GetGValue(color), cb = GetBValue(color);
    const BYTE* coverage = mask->coverage.data();
    for (size_t i = 0; i < pixels; ++i) {
        const UINT u = coverage[i], v = 255 - u;
        if (u == 255) continue;
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
