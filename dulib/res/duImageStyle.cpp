#include "dulib/res/duImageStyle.h"

#include <cstdlib>
#include <cwchar>

#include "dulib/res/Painters.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duResManager.h"

const wchar_t* duImageStyle::GetClassName() { return L"duImageStyle"; }

bool duImageStyle::LoadFromXml(const tinyxml2::XMLElement* element) {
    duStyleBase::LoadFromXml(element);
    picFile_ = ReadXmlText(element, "picfile");
    selectLeft_ = ReadXmlInt(element, "selectleft");
    selectTop_ = ReadXmlInt(element, "selecttop");
    selectWidth_ = ReadXmlInt(element, "selectwidth");
    selectHeight_ = ReadXmlInt(element, "selectheight");
    leftPart_ = ReadXmlInt(element, "left_part");
    topPart_ = ReadXmlInt(element, "top_part");
    rightPart_ = ReadXmlInt(element, "right_part");
    bottomPart_ = ReadXmlInt(element, "bottom_part");
    paintMode_ = ReadXmlText(element, "paintmode");
    return true;
}

void duImageStyle::CopyFrom(duStyleBase* other) {
    duStyleBase::CopyFrom(other);
    auto* from = dynamic_cast<duImageStyle*>(other);
    if (!from) return;
    leftPart_ = from->leftPart_;
    rightPart_ = from->rightPart_;
    topPart_ = from->topPart_;
    bottomPart_ = from->bottomPart_;
    selectLeft_ = from->selectLeft_;
    selectTop_ = from->selectTop_;
    selectWidth_ = from->selectWidth_;
    selectHeight_ = from->selectHeight_;
    picFile_ = from->picFile_;
    paintMode_ = from->paintMode_;
}

void duImageStyle::Draw(HDC dc, const RECT* rect, const wchar_t*, int alpha, const DpiScale& scale) {
    if (!dc || !rect || alpha == 0 || !manager_) return;
    auto* image = static_cast<duImage*>(manager_->GetResObj(picFile_.c_str(), RES_IMAGE));
    if (!image) return;
    RECT dest = PlaceIn(*rect, scale);
    RECT source = {selectLeft_, selectTop_, selectLeft_ + selectWidth_, selectTop_ + selectHeight_};
    if (selectWidth_ <= 0 || selectHeight_ <= 0) source = RECT{0, 0, image->GetWidth(), image->GetHeight()};
    if (scale.IsIdentity()) {
        PaintImageMode(dc, paintMode_.c_str(), dest, image, source, leftPart_, rightPart_, topPart_, bottomPart_,
                       alpha);
        return;
    }
    const SIZE size = ScaledCellSize(source, dest, scale);
    duImage* cell = image->ScaledCell(source, scale.Dpi(), size);
    if (!cell) return;
    // The fixed edges of the stretch modes keep their look at the scale.
    PaintImageMode(dc, paintMode_.c_str(), dest, cell, RECT{0, 0, size.cx, size.cy}, scale.Point(leftPart_),
                   scale.Point(rightPart_), scale.Point(topPart_), scale.Point(bottomPart_), alpha);
}

SIZE duImageStyle::ScaledCellSize(const RECT& source, const RECT& dest, const DpiScale& scale) const {
    SIZE size{scale.Span(source.left, source.right - source.left), scale.Span(source.top, source.bottom - source.top)};
    // A cell drawn unscaled into a place made for it fills the place exactly,
    // whichever way the place's edges rounded.
    if (_wcsicmp(paintMode_.c_str(), L"normal") == 0) {
        const LONG w = dest.right - dest.left, h = dest.bottom - dest.top;
        if (w > 0 && std::abs(w - size.cx) <= 1) size.cx = w;
        if (h > 0 && std::abs(h - size.cy) <= 1) size.cy = h;
    }
    return size;
}
