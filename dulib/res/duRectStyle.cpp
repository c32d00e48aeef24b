#include "dulib/res/duRectStyle.h"

#include "dulib/res/Coordinates.h"
#include "dulib/res/Dib32.h"
#include "dulib/res/GdiplusFlat.h"
#include "dulib/res/Painters.h"
#include "support/Handles.h"

#include <algorithm>
#include <vector>
#include "dulib/res/SkinXml.h"

const wchar_t* duRectStyle::GetClassName() { return L"duRectStyle"; }

bool duRectStyle::LoadFromXml(const tinyxml2::XMLElement* element) {
    duStyleBase::LoadFromXml(element);
    fillColor_ = ReadXmlColor(element, "fillcolor");
    borderColor_ = ReadXmlColor(element, "bordercolor");
    ReadXmlBool(element, "bfill", &fill_);
    ReadXmlBool(element, "fill", &fill_);
    ReadXmlBool(element, "bborder", &border_);
    ReadXmlBool(element, "border", &border_);
    borderType_ = ReadXmlText(element, "bordertype");
    borderWidth_ = ReadXmlInt(element, "borderwidth");
    return true;
}

void duRectStyle::CopyFrom(duStyleBase* other) {
    duStyleBase::CopyFrom(other);
    auto* from = dynamic_cast<duRectStyle*>(other);
    if (!from) return;
    fillColor_ = from->fillColor_;
    borderColor_ = from->borderColor_;
    fill_ = from->fill_;
    border_ = from->border_;
    borderWidth_ = from->borderWidth_;
    borderType_ = from->borderType_;
}

void duRectStyle::Draw(HDC dc, const RECT* rect, const wchar_t*, int alpha, const DpiScale& scale) {
    if (!dc || !rect || (!fill_ && !border_)) return;
    RECT r = PlaceIn(*rect, scale);
    if (fill_) FillPremultiplied(dc, r, fillColor_, alpha);
    if (!border_) return;
    // The border is drawn as thick as it looks at this scale.
    const int skinWidth = borderWidth_;
    borderWidth_ = scale.Thickness(skinWidth);
    DrawBorder(dc, r, alpha);
    borderWidth_ = skinWidth;
}

// The pen is centred on the outline, so half of it (and a pixel of
// smoothing) lies outside the rectangle: every area drawn reaches that far,
// whatever the rectangle's size. Large rectangles are drawn through four thin
// strips along the edges rather than one copy of the whole rectangle: each
// strip draws the whole outline clipped to itself (so dashes run on), the
// strips do not overlap, and only the pixels near the edges are copied and
// composed.
void duRectStyle::DrawBorder(HDC dc, const RECT& placed, int alpha) {
    const LONG m = static_cast<LONG>(std::min(std::max(borderWidth_, 1) / 2 + 2, kCoordinateLimit));
    RECT r = placed;
    RECT visible{};
    if (::GetClipBox(dc, &visible) == ERROR) return;
    // A rectangle far larger than the target is cut to the part near it
    // first: the edges moved stay out of sight, and a dashed pen is not
    // widened along millions of pixels (the dashes of the edges in sight may
    // start at another place of their pattern then).
    const long long tooLarge = 4LL * ((visible.right - visible.left) + (visible.bottom - visible.top)) + 1000 + 4LL * m;
    if (static_cast<long long>(r.right) - r.left > tooLarge || static_cast<long long>(r.bottom) - r.top > tooLarge) {
        const LONG reach = 2 * m;
        r.left = std::max<LONG>(r.left, SaturateCoordinate(static_cast<long long>(visible.left) - reach));
        r.top = std::max<LONG>(r.top, SaturateCoordinate(static_cast<long long>(visible.top) - reach));
        r.right = std::min<LONG>(r.right, SaturateCoordinate(static_cast<long long>(visible.right) + reach));
        r.bottom = std::min<LONG>(r.bottom, SaturateCoordinate(static_cast<long long>(visible.bottom) + reach));
        if (r.right <= r.left || r.bottom <= r.top) return;
    }
    const long long width = static_cast<long long>(r.right) - r.left;
    const long long height = static_cast<long long>(r.bottom) - r.top;
    std::vector<RECT> areas;
    if (width <= 4LL * m || height <= 4LL * m) {
        areas.push_back(RECT{r.left - m, r.top - m, r.right + m, r.bottom + m});
    } else {
        const LONG right = r.right - 1, bottom = r.bottom - 1;  // the outline's far edges
        areas.push_back(RECT{r.left - m, r.top - m, right + m + 1, r.top + m + 1});
        areas.push_back(RECT{r.left - m, bottom - m, right + m + 1, bottom + m + 1});
        areas.push_back(RECT{r.left - m, r.top + m + 1, r.left + m + 1, bottom - m});
        areas.push_back(RECT{right - m, r.top + m + 1, right + m + 1, bottom - m});
    }
    for (const RECT& area : areas) {
        DcGraphics graphics(dc, area);
        GpPenOwner pen;
        if (!graphics ||
            GdipCreatePen1(MakeArgb(borderColor_, alpha), static_cast<REAL>(borderWidth_), UnitPixel, &pen.pen) != Ok)
            continue;
        GdipSetPenDashStyle(pen.pen, DashStyleOf(borderType_.c_str()));
        GdipDrawRectangleI(graphics.get(), pen.pen, r.left, r.top, static_cast<INT>(width - 1),
                           static_cast<INT>(height - 1));
    }
}

namespace {
// Wider than any surface the engine draws on; a clip box wider still is left
// to the blend.
constexpr LONG kMaxGradientSpan = 16384;
}  // namespace

// A solid fill is the colour laid over the area with the draw alpha: one
// stretched blend of a single premultiplied pixel does it at GDI speed. Fully
// opaque, the colour simply replaces what lies below, and a fill of one
// colour (a gradient between two equal corners, which writes the alpha
// channel too) gives the same pixels several times faster.
void duRectStyle::FillPremultiplied(HDC dc, const RECT& r, COLORREF color, int alpha) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    RECT part{};
    if (alpha >= 255 && ::GetClipBox(dc, &part) != ERROR) {
        // Only what can show: the gradient's arithmetic overflows over huge
        // spans.
        if (!::IntersectRect(&part, &part, &r)) return;
        const auto channel = [](BYTE c) { return static_cast<COLOR16>(c << 8); };
        const COLOR16 red = channel(GetRValue(color)), green = channel(GetGValue(color)), blue = channel(GetBValue(color));
        TRIVERTEX corners[2] = {{part.left, part.top, red, green, blue, 0xFF00},
                                {part.right, part.bottom, red, green, blue, 0xFF00}};
        GRADIENT_RECT span = {0, 1};
        if (part.right - part.left <= kMaxGradientSpan && part.bottom - part.top <= kMaxGradientSpan &&
            ::GradientFill(dc, corners, 2, &span, 1, GRADIENT_FILL_RECT_H))
            return;
    }
    BYTE* bits = nullptr;
    BitmapHandle pixel(CreateDib32(1, 1, &bits));
    if (!pixel) return;
    DWORD a = static_cast<DWORD>(std::clamp(alpha, 0, 255));
    *reinterpret_cast<DWORD*>(bits) = (a << 24) | ((GetRValue(color) * a / 255) << 16) |
                                      ((GetGValue(color) * a / 255) << 8) | (GetBValue(color) * a / 255);
    BlendBitmap(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pixel.get(), 0, 0, 1, 1, 255);
}
