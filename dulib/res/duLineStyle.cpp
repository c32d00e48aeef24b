#include "dulib/res/duLineStyle.h"

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
        return GpPoint{v.x < 0 ? p.right + v.x : p.left + v.x, v.y < 0 ? p.bottom + v.y : p.top + v.y};
    };
    GpPoint points[2] = {place(start_), place(end_)};
    // The pen reaches half its width (and the dash caps a little more) past
    // the segment.
    int reach = std::max(lineWidth_, 1) + 2;
    RECT area = {std::min(points[0].X, points[1].X) - reach, std::min(points[0].Y, points[1].Y) - reach,
                 std::max(points[0].X, points[1].X) + reach, std::max(points[0].Y, points[1].Y) + reach};
    DcGraphics graphics(dc, area);
    GpPenOwner pen;
    if (!graphics ||
        GdipCreatePen1(MakeArgb(color_, alpha), static_cast<REAL>(lineWidth_), UnitPixel, &pen.pen) != Ok)
        return;
    GdipSetPenDashStyle(pen.pen, DashStyleOf(lineType_.c_str()));
    GdipDrawLinesI(graphics.get(), pen.pen, points, 2);
}
