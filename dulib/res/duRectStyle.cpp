#include "dulib/res/duRectStyle.h"

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

// The outline is drawn through four thin strips along the edges rather than
// one copy of the whole rectangle: each strip sees the whole outline (so dashes
// run on), but only the pixels near the edges are copied and composed.
void duRectStyle::DrawBorder(HDC dc, const RECT& r, int alpha) {
    int width = r.right - r.left, height = r.bottom - r.top;
    long long margin = std::max(borderWidth_, 1) / 2 + 2;
    RECT whole = {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    std::vector<RECT> areas;
    if (margin > 64 || width <= 4 * margin || height <= 4 * margin) {
        areas.push_back(whole);
    } else {
        LONG m = static_cast<LONG>(margin);
        LONG right = r.right - 1, bottom = r.bottom - 1;  // the outline's far edges
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
        GdipDrawRectangleI(graphics.get(), pen.pen, r.left, r.top, width - 1, height - 1);
    }
}

// A solid fill is the colour laid over the area with the draw alpha: one
// stretched blend of a single premultiplied pixel does it at GDI speed.
void duRectStyle::FillPremultiplied(HDC dc, const RECT& r, COLORREF color, int alpha) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    BYTE* bits = nullptr;
    BitmapHandle pixel(CreateDib32(1, 1, &bits));
    if (!pixel) return;
    DWORD a = static_cast<DWORD>(std::clamp(alpha, 0, 255));
    *reinterpret_cast<DWORD*>(bits) = (a << 24) | ((GetRValue(color) * a / 255) << 16) |
                                      ((GetGValue(color) * a / 255) << 8) | (GetBValue(color) * a / 255);
    BlendBitmap(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pixel.get(), 0, 0, 1, 1, 255);
}
