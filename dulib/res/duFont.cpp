#include "dulib/res/duFont.h"

#include "dulib/res/DpiScale.h"
#include "dulib/res/SkinXml.h"

#include <cwchar>

duFont::~duFont() {
    if (font_) ::DeleteObject(font_);
    DropScaled();
}

const wchar_t* duFont::GetClassName() { return L"duFont"; }

bool duFont::LoadFromXml(const tinyxml2::XMLElement* element) {
    height_ = ReadXmlInt(element, "height");
    weight_ = ReadXmlInt(element, "weight");
    ReadXmlBool(element, "italic", &italic_);
    ReadXmlBool(element, "underline", &underline_);
    ReadXmlBool(element, "strikeout", &strikeout_);
    ReadXmlString(element, "fontface", face_, RES_NAME_CHARS);
    RecreateFont();
    return true;
}

void duFont::SetFace(const wchar_t* face) {
    face_[0] = L'\0';
    if (face) wcsncpy_s(face_, RES_NAME_CHARS, face, _TRUNCATE);
}

void duFont::SetHFont(HFONT font) {
    if (font_ && font_ != font) ::DeleteObject(font_);
    font_ = font;
    DropScaled();
}

HFONT duFont::Create(int height) const {
    return ::CreateFontW(height, 0, 0, 0, weight_, italic_ ? TRUE : FALSE, underline_ ? TRUE : FALSE,
                         strikeout_ ? TRUE : FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         CLEARTYPE_NATURAL_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face_);
}

bool duFont::RecreateFont() {
    SetHFont(nullptr);
    font_ = Create(height_);
    return font_ != nullptr;
}

void duFont::DropScaled() {
    for (auto& entry : scaled_)
        if (entry.second) ::DeleteObject(entry.second);
    scaled_.clear();
}

HFONT duFont::GetHFontForDpi(int dpi) {
    const DpiScale scale(dpi);
    if (scale.IsIdentity()) return font_;
    auto found = scaled_.find(scale.Dpi());
    if (found != scaled_.end()) return found->second;
    // A height of 0 asks for the default size, which the system scales itself.
    HFONT font = Create(scale.Point(height_));
    scaled_[scale.Dpi()] = font;
    return font;
}
