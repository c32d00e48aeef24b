#include "dulib/res/duFont.h"

#include "dulib/res/SkinXml.h"

#include <cwchar>

duFont::~duFont() {
    if (font_) ::DeleteObject(font_);
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
}

bool duFont::RecreateFont() {
    SetHFont(nullptr);
    font_ = ::CreateFontW(height_, 0, 0, 0, weight_, italic_ ? TRUE : FALSE, underline_ ? TRUE : FALSE,
                          strikeout_ ? TRUE : FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          CLEARTYPE_NATURAL_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face_);
    return font_ != nullptr;
}
