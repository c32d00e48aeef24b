#include "dulib/res/duStyleBase.h"

#include "dulib/res/Painters.h"
#include "dulib/res/SkinXml.h"

const wchar_t* duStyleBase::GetClassName() { return L"duStyleBase"; }

bool duStyleBase::LoadFromXml(const tinyxml2::XMLElement* element) {
    left_ = ReadXmlInt(element, "left");
    top_ = ReadXmlInt(element, "top");
    right_ = ReadXmlInt(element, "right");
    bottom_ = ReadXmlInt(element, "bottom");
    width_ = ReadXmlInt(element, "width");
    height_ = ReadXmlInt(element, "height");
    state_ = ReadXmlState(element, "state");
    return true;
}

RECT duStyleBase::PlaceIn(const RECT& control, const DpiScale& scale) const {
    if (scale.IsIdentity()) return PlaceStyleRect(left_, top_, right_, bottom_, width_, height_, control);
    // A size is scaled as the distance between its two edges, each measured
    // from the side of the control it counts from.
    return PlaceStyleRect(scale.Point(left_), scale.Point(top_), scale.Point(right_), scale.Point(bottom_),
                          width_ ? scale.Span(left_, width_) : 0, height_ ? scale.Span(top_, height_) : 0, control);
}

void duStyleBase::CopyFrom(duStyleBase* other) {
    if (!other) return;
    left_ = other->left_;
    top_ = other->top_;
    right_ = other->right_;
    bottom_ = other->bottom_;
    width_ = other->width_;
    height_ = other->height_;
    state_ = other->state_;
}
