#include "dulib/ctrl/EditPaint.h"

#include "dulib/res/Dib32.h"
#include "support/Handles.h"

bool DrawEditRun(HDC dc, HFONT font, const duEditRun& run, const RECT& clip) {
    if (!dc || !run.text || run.length <= 0) return false;
    const RECT full{run.x, run.y, run.x + run.width, run.y + run.height};
    RECT area;
    if (!IntersectRect(&area, &full, &clip)) return false;
    const int w = area.right - area.left, h = area.bottom - area.top;

    BYTE* bits = nullptr;
    BitmapHandle bitmap(CreateDib32(w, h, &bits));
    if (!bitmap || !bits) return false;
    MemoryDc memory(CreateCompatibleDC(dc));
    if (!memory) return false;
    SelectGuard selectBitmap(memory.get(), bitmap.get());
    SelectGuard selectFont(memory.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));

    auto* pixels = reinterpret_cast<DWORD*>(bits);
    const int count = w * h;
    const DWORD paper = run.opaque ? (GetRValue(run.background) << 16 | GetGValue(run.background) << 8 |
                                      GetBValue(run.background))
                                   : 0x00FFFFFF;
    for (int i = 0; i < count; ++i) pixels[i] = paper;

    SetBkMode(memory.get(), TRANSPARENT);
    // Unselected runs are drawn black on white to read the glyph coverage.
    SetTextColor(memory.get(), run.opaque ? run.color : RGB(0, 0, 0));
    TextOutW(memory.get(), run.x - area.left, run.y - area.top, run.text, run.length);
    GdiFlush();

    if (run.opaque) {
        for (int i = 0; i < count; ++i) pixels[i] |= 0xFF000000;
    } else {
        const DWORD r = GetRValue(run.color), g = GetGValue(run.color), b = GetBValue(run.color);
        for (int i = 0; i < count; ++i) {
            const DWORD p = pixels[i];
            const DWORD shade = (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
            const DWORD cover = 255 - shade;
            // Premultiplied: colour scaled by the coverage, coverage as alpha.
            pixels[i] = cover << 24 | (r * cover / 255) << 16 | (g * cover / 255) << 8 | (b * cover / 255);
        }
    }

    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return AlphaBlend(dc, area.left, area.top, w, h, memory.get(), 0, 0, w, h, blend) != FALSE;
}
