#include "dulib/res/Painters.h"

#include "dulib/res/Coordinates.h"
#include "dulib/res/duImage.h"
#include "support/Handles.h"

#include <algorithm>

RECT PlaceStyleRect(int left, int top, int right, int bottom, int width, int height, const RECT& c) {
    auto at = [](long long v) { return static_cast<LONG>(SaturateCoordinate(v)); };
    RECT r;
    r.left = at(left < 0 ? static_cast<long long>(c.right) + left : static_cast<long long>(c.left) + left);
    r.top = at(top < 0 ? static_cast<long long>(c.bottom) + top : static_cast<long long>(c.top) + top);
    r.right = at(static_cast<long long>(c.right) + right);
    r.bottom = at(static_cast<long long>(c.bottom) + bottom);
    if (width != 0) r.right = at(static_cast<long long>(r.left) + width);
    if (height != 0) r.bottom = at(static_cast<long long>(r.top) + height);
    if (r.right - r.left == 0 && r.bottom - r.top == 0) r = c;
    return r;
}

// Under Wine, making and deleting a memory DC costs ten times the blend of a
// small picture, and a paint makes dozens of blends.
HDC ScratchDc() {
    thread_local MemoryDc scratch(::CreateCompatibleDC(nullptr));
    return scratch.get();
}

namespace {

// The image's bitmap selected into the source DC for all blits of a painter
// call (tiling makes thousands of them).
class BlitSource {
public:
    explicit BlitSource(HBITMAP bitmap) : source_(ScratchDc()), select_(source_, bitmap) {}
    bool Blend(HDC dc, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, int alpha) const {
        if (!dc || !source_ || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), AC_SRC_ALPHA};
        return ::AlphaBlend(dc, dx, dy, dw, dh, source_, sx, sy, sw, sh, blend) != FALSE;
    }

private:
    HDC source_;
    SelectGuard select_;
};

}  // namespace

bool BlendBitmap(HDC dc, int dx, int dy, int dw, int dh, HBITMAP bitmap, int sx, int sy, int sw, int sh,
                 int alpha) {
    if (!dc || !bitmap || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
    return BlitSource(bitmap).Blend(dc, dx, dy, dw, dh, sx, sy, sw, sh, alpha);
}

namespace {

// Position and size of a rectangle.
struct Box {
    int x, y, w, h;
    explicit Box(const RECT& r) : x(r.left), y(r.top), w(r.right - r.left), h(r.bottom - r.top) {}
};

bool HasPixels(duImage* image) { return image && image->GetBitmap() && image->GetBits(); }

bool Usable(HDC dc, duImage* image, const Box& d, const Box& s) {
    return dc && HasPixels(image) && d.w > 0 && d.h > 0 && s.w > 0 && s.h > 0;
}

}  // namespace

bool PaintNormal(HDC dc, const RECT& dest, duImage* image, const RECT& source, int alpha) {
    Box d(dest), s(source);
    if (!dc || !HasPixels(image)) return false;
    int w = d.w, h = d.h;
    if (d.w > s.w || d.h > s.h) {
        w = s.w;
        h = s.h;
    }
    if (w <= 0 || h <= 0) return false;
    return BlendBitmap(dc, d.x, d.y, w, h, image->GetBitmap(), s.x, s.y, w, h, alpha);
}

bool PaintStretch(HDC dc, const RECT& dest, duImage* image, const RECT& source, int alpha) {
    Box d(dest), s(source);
    if (!Usable(dc, image, d, s)) return false;
    return BlendBitmap(dc, d.x, d.y, d.w, d.h, image->GetBitmap(), s.x, s.y, s.w, s.h, alpha);
}

bool PaintTile(HDC dc, const RECT& dest, duImage* image, const RECT& source, int alpha) {
    Box d(dest), s(source);
    if (!Usable(dc, image, d, s)) return false;
    int columns = d.w / s.w + 1, rows = d.h / s.h + 1;
    // Only the tiles that meet the clip box are blitted: the same picture, and
    // a huge destination cannot turn into billions of calls.
    int firstColumn = 0, lastColumn = columns - 1, firstRow = 0, lastRow = rows - 1;
    RECT clip;
    if (::GetClipBox(dc, &clip) != ERROR) {
        auto clampIndex = [](long long v, int high) { return static_cast<int>(std::clamp<long long>(v, 0, high)); };
        firstColumn = clampIndex((static_cast<long long>(clip.left) - d.x) / s.w, columns - 1);
        lastColumn = clampIndex((static_cast<long long>(clip.right) - d.x) / s.w, columns - 1);
        firstRow = clampIndex((static_cast<long long>(clip.top) - d.y) / s.h, rows - 1);
        lastRow = clampIndex((static_cast<long long>(clip.bottom) - d.y) / s.h, rows - 1);
    }
    BlitSource blit(image->GetBitmap());
    for (int j = firstRow; j <= lastRow; ++j) {
        int top = d.y + j * s.h;
        int bottom = std::min(d.y + (j + 1) * s.h, d.y + d.h);
        for (int i = firstColumn; i <= lastColumn; ++i) {
            int left = d.x + i * s.w;
            int right = std::min(d.x + (i + 1) * s.w, d.x + d.w);
            int w = right - left, h = bottom - top;
            if (w > 0 && h > 0) blit.Blend(dc, left, top, w, h, s.x, s.y, w, h, alpha);
        }
    }
    return true;
}

bool PaintStretchVert(HDC dc, const RECT& dest, duImage* image, const RECT& source, int top, int bottom,
                      int alpha) {
    Box d(dest), s(source);
    if (!Usable(dc, image, d, s) || top < 0 || bottom < 0) return false;
    HBITMAP bitmap = image->GetBitmap();
    if (top >= d.h) {
        BlendBitmap(dc, d.x, d.y, d.w, d.h, bitmap, s.x, s.y, s.w, d.h, alpha);
    } else if (d.h < top + bottom) {
        BlendBitmap(dc, d.x, d.y, d.w, top, bitmap, s.x, s.y, s.w, top, alpha);
        BlendBitmap(dc, d.x, d.y + top, d.w, d.h - top, bitmap, s.x, s.y + top, s.w, s.h - top - bottom, alpha);
    } else {
        BlendBitmap(dc, d.x, d.y, d.w, top, bitmap, s.x, s.y, s.w, top, alpha);
        BlendBitmap(dc, d.x, d.y + top, d.w, d.h - top - bottom, bitmap, s.x, s.y + top, s.w, s.h - top - bottom,
                    alpha);
        BlendBitmap(dc, d.x, d.y + d.h - bottom, d.w, bottom, bitmap, s.x, s.y + s.h - bottom, s.w, bottom, alpha);
    }
    return true;
}

bool PaintStretchHorz(HDC dc, const RECT& dest, duImage* image, const RECT& source, int left, int right,
                      int alpha) {
    Box d(dest), s(source);
    if (!Usable(dc, image, d, s) || left < 0 || right < 0) return false;
    HBITMAP bitmap = image->GetBitmap();
    if (left >= d.w) {
        BlendBitmap(dc, d.x, d.y, d.w, d.h, bitmap, s.x, s.y, d.w, s.h, alpha);
    } else if (d.w < left + right) {
        BlendBitmap(dc, d.x, d.y, left, d.h, bitmap, s.x, s.y, left, s.h, alpha);
        BlendBitmap(dc, d.x + left, d.y, d.w - left, d.h, bitmap, s.x + left, s.y, s.w - left - right, s.h, alpha);
    } else {
        BlendBitmap(dc, d.x, d.y, left, d.h, bitmap, s.x, s.y, left, s.h, alpha);
        BlendBitmap(dc, d.x + left, d.y, d.w - left - right, d.h, bitmap, s.x + left, s.y, s.w - left - right, s.h,
                    alpha);
        BlendBitmap(dc, d.x + d.w - right, d.y, right, d.h, bitmap, s.x + s.w - right, s.y, right, s.h, alpha);
    }
    return true;
}

bool PaintStretchPartAll(HDC dc, const RECT& dest, duImage* image, const RECT& source, int left, int right,
                         int top, int bottom, int alpha) {
    Box d(dest), s(source);
    if (!Usable(dc, image, d, s) || left < 0 || right < 0 || top < 0 || bottom < 0) return false;
    HBITMAP bitmap = image->GetBitmap();
    const int dxs[3] = {d.x, d.x + left, d.x + d.w - right};
    const int dws[3] = {left, d.w - left - right, right};
    const int sxs[3] = {s.x, s.x + left, s.x + s.w - right};
    const int sws[3] = {left, s.w - left - right, right};
    const int dys[3] = {d.y, d.y + top, d.y + d.h - bottom};
    const int dhs[3] = {top, d.h - top - bottom, bottom};
    const int sys[3] = {s.y, s.y + top, s.y + s.h - bottom};
    const int shs[3] = {top, s.h - top - bottom, bottom};
    BlitSource blit(bitmap);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            blit.Blend(dc, dxs[col], dys[row], dws[col], dhs[row], sxs[col], sys[row], sws[col], shs[row], alpha);
    return true;
}

bool PaintImageMode(HDC dc, const wchar_t* mode, const RECT& dest, duImage* image, const RECT& source, int left,
                    int right, int top, int bottom, int alpha) {
    if (!mode) return false;
    if (_wcsicmp(mode, L"normal") == 0) return PaintNormal(dc, dest, image, source, alpha);
    if (_wcsicmp(mode, L"tile") == 0) return PaintTile(dc, dest, image, source, alpha);
    if (_wcsicmp(mode, L"stretch") == 0) return PaintStretch(dc, dest, image, source, alpha);
    if (_wcsicmp(mode, L"stretchvert") == 0) return PaintStretchVert(dc, dest, image, source, top, bottom, alpha);
    if (_wcsicmp(mode, L"stretchhorz") == 0) return PaintStretchHorz(dc, dest, image, source, left, right, alpha);
    if (_wcsicmp(mode, L"stretchpartall") == 0)
        return PaintStretchPartAll(dc, dest, image, source, left, right, top, bottom, alpha);
    return false;
}
