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

void duLineStyle::Draw(HDC dc, const RECT* rect, const wchar_t*, int alpha, const DpiScale& scale) {
    if (!dc || !rect) return;
    RECT p = PlaceIn(*rect, scale);
    auto place = [&p, &scale](POINT v) {
        const int x = scale.Point(v.x), y = scale.Point(v.y);
        return GpPoint{v.x < 0 ? p.right + x : p.left + x, v.y < 0 ? p.bottom + y : p.top + y};
    };
    GpPoint points[2] = {place(start_), place(end_)};
    const int lineWidth = scale.Thickness(lineWidth_);
    // The pen reaches half its width (and the dash caps a little more) past
    // the segment.
    int reach = std::max(lineWidth, 1) + 2;
    RECT area = {std::min(points[0].X, points[1].X) - reach, std::min(points[0].Y, points[1].Y) - reach,
                 std::max(points[0].X, points[1].X) + reach, std::max(points[0].Y, points[1].Y) + reach};
    DcGraphics graphics(dc, area);
    GpPenOwner pen;
    if (!graphics ||
        GdipCreatePen1(MakeArgb(color_, alpha), static_cast<REAL>(lineWidth), UnitPixel, &pen.pen) != Ok)
        return;
    GdipSetPenDashStyle(pen.pen, DashStyleOf(lineType_.c_str()));
    if (scale.IsIdentity()) {
        GdipDrawLinesI(graphics.get(), pen.pen, points, 2);
        return;
    }
    // An end names a pixel; scaled, the line runs through the middle of the
    // pixels that pixel became, so that a thicker pen covers exactly them.
    const REAL factor = static_cast<REAL>(scale.Dpi()) / kSkinDpi;
    auto middle = [&p, factor](POINT v) {
        const REAL x = (v.x < 0 ? p.right : p.left) + (v.x + 0.5f) * factor - 0.5f;
        const REAL y = (v.y < 0 ? p.bottom : p.top) + (v.y + 0.5f) * factor - 0.5f;
        return GpPointF{x, y};
    };
    const GpPointF scaled[2] = {middle(start_), middle(end_)};
    GdipDrawLines(graphics.get(), pen.pen, scaled, 2);
}
