#include "dulib/res/duLineStyle.h"

#include "dulib/res/Coordinates.h"
#include "dulib/res/GdiplusFlat.h"
#include "dulib/res/SkinXml.h"

#include <algorithm>
#include <cmath>

const wchar_t* duLineStyle::GetClassName() { return L"duLineStyle"; }

bool duLineStyle::LoadFromXml(const tinyxml2::XMLElement* element) {
    duStyleBase::LoadFromXml(element);
    color_ = ReadXmlColor(element, "color");
    lineWidth_ = ReadXmlInt(element, "linewidth");
    lineType_ = ReadXmlText(element, "linetype");
    start_ = ReadXmlPoint(element, "startpoint");
    end_ = ReadXmlPoint(element, "endpoint");
    return true;
}

void duLineStyle::CopyFrom(duStyleBase* other) {
    duStyleBase::CopyFrom(other);
    auto* from = dynamic_cast<duLineStyle*>(other);
    if (!from) return;
    color_ = from->color_;
    lineWidth_ = from->lineWidth_;
    lineType_ = from->lineType_;
    start_ = from->start_;
    end_ = from->end_;
}

void duLineStyle::Draw(HDC dc, const RECT* rect, const wchar_t*, int alpha, const DpiScale& scale) {
    if (!dc || !rect) return;
    const RECT p = PlaceIn(*rect, scale);
    // An end names a pixel; scaled, the line runs through the middle of the
    // pixels that pixel became, so that a thicker pen covers exactly them (at
    // 100 % that is the pixel itself). Worked out wide: skin numbers may be
    // anything an int holds.
    const double factor = static_cast<double>(scale.Dpi()) / kSkinDpi;
    auto place = [factor](LONG v, LONG low, LONG high) {
        return static_cast<double>(v < 0 ? high : low) + (v + 0.5) * factor - 0.5;
    };
    const double ax = place(start_.x, p.left, p.right), ay = place(start_.y, p.top, p.bottom);
    const double bx = place(end_.x, p.left, p.right), by = place(end_.y, p.top, p.bottom);
    RECT visible{};
    if (::GetClipBox(dc, &visible) == ERROR) return;
    const int lineWidth = scale.Thickness(lineWidth_);
    // The pen reaches half its width (and the dash caps a little more) past
    // the segment.
    const double reach = std::max(lineWidth, 1) + 2.0;
    auto edge = [](double v) { return SaturateCoordinate(static_cast<long long>(std::clamp(v, -4e18, 4e18))); };
    RECT area = {edge(std::floor(std::min(ax, bx) - reach)), edge(std::floor(std::min(ay, by) - reach)),
                 edge(std::ceil(std::max(ax, bx) + reach)), edge(std::ceil(std::max(ay, by) + reach))};
    DcGraphics graphics(dc, area);
    GpPenOwner pen;
    if (!graphics ||
        GdipCreatePen1(MakeArgb(color_, alpha), static_cast<REAL>(lineWidth), UnitPixel, &pen.pen) != Ok)
        return;
    const DashStyle dash = DashStyleOf(lineType_.c_str());
    GdipSetPenDashStyle(pen.pen, dash);
    DrawSegmentNear(graphics.get(), pen.pen, dash, lineWidth, ax, ay, bx, by, visible);
}
