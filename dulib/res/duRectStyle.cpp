#include "dulib/res/duRectStyle.h"

#include "dulib/res/GdiplusFlat.h"
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

void duRectStyle::Draw(HDC dc, const RECT* rect, const wchar_t*, int alpha) {
    if (!dc || !rect || (!fill_ && !border_)) return;
    RECT r = PlaceIn(*rect);
    int width = r.right - r.left, height = r.bottom - r.top;
    DcGraphics graphics(dc, RECT{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1});
    if (!graphics) return;
    if (fill_) {
        GpBrushOwner brush;
        if (GdipCreateSolidFill(MakeArgb(fillColor_, alpha), &brush.brush) == Ok)
            GdipFillRectangleI(graphics.get(), brush.brush, r.left, r.top, width, height);
    }
    if (border_) {
        GpPenOwner pen;
        if (GdipCreatePen1(MakeArgb(borderColor_, alpha), static_cast<REAL>(borderWidth_), UnitPixel, &pen.pen) ==
            Ok) {
            GdipSetPenDashStyle(pen.pen, DashStyleOf(borderType_.c_str()));
            GdipDrawRectangleI(graphics.get(), pen.pen, r.left, r.top, width - 1, height - 1);
        }
    }
}
