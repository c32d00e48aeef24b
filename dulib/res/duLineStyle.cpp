#include "dulib/res/duLineStyle.h"

#include "dulib/res/Coordinates.h"
#include "dulib/res/GdiplusFlat.h"
#include "dulib/res/SkinXml.h"

#include <algorithm>

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

void duLineStyle::Draw(HDC dc, const RECT* rect, const wchar_t*, int alpha) {
    if (!dc || !rect) return;
    RECT p = PlaceIn(*rect);
    auto place = [&p](POINT v) {
        return POINT{SaturateCoordinate(v.x < 0 ? static_cast<long long>(p.right) + v.x : static_cast<long long>(p.left) + v.x),
                     SaturateCoordinate(v.y < 0 ? static_cast<long long>(p.bottom) + v.y : static_cast<long long>(p.top) + v.y)};
    };
    const POINT a = place(start_), b = place(end_);
    RECT visible{};
    if (::GetClipBox(dc, &visible) == ERROR) return;
    // The pen reaches half its width (and the dash caps a little more) past
    // the segment.
    const long long reach = std::max(lineWidth_, 1) + 2LL;
    RECT area = {SaturateCoordinate(std::min(a.x, b.x) - reach), SaturateCoordinate(std::min(a.y, b.y) - reach),
                 SaturateCoordinate(std::max(a.x, b.x) + reach), SaturateCoordinate(std::max(a.y, b.y) + reach)};
    DcGraphics graphics(dc, area);
    GpPenOwner pen;
    if (!graphics ||
        GdipCreatePen1(MakeArgb(color_, alpha), static_cast<REAL>(lineWidth_), UnitPixel, &pen.pen) != Ok)
        return;
    const DashStyle dash = DashStyleOf(lineType_.c_str());
    GdipSetPenDashStyle(pen.pen, dash);
    DrawSegmentNear(graphics.get(), pen.pen, dash, lineWidth_, a.x, a.y, b.x, b.y, visible);
}
