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

RECT duStyleBase::PlaceIn(const RECT& control) const {
    return PlaceStyleRect(left_, top_, right_, bottom_, width_, height_, control);
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
