#include "dulib/res/duTextStyle.h"

#include "dulib/res/AlphaText.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duResManager.h"
#include "support/Handles.h"

#include <cwchar>

namespace {
constexpr size_t kMaxTextLength = size_t(1) << 30;
}

const wchar_t* duTextStyle::GetClassName() { return L"duTextStyle"; }

bool duTextStyle::LoadFromXml(const tinyxml2::XMLElement* element) {
    duStyleBase::LoadFromXml(element);
    color_ = ReadXmlColor(element, "textcolor");
    ReadXmlBool(element, "bsingleline", &singleLine_);
    font_ = ReadXmlText(element, "font");
    hAlign_ = ReadXmlText(element, "halign");
    vAlign_ = ReadXmlText(element, "valign");
    return true;
}

void duTextStyle::CopyFrom(duStyleBase* other) {
    duStyleBase::CopyFrom(other);
    auto* from = dynamic_cast<duTextStyle*>(other);
    if (!from) return;
    color_ = from->color_;
    singleLine_ = from->singleLine_;
    font_ = from->font_;
    hAlign_ = from->hAlign_;
    vAlign_ = from->vAlign_;
}

HFONT duTextStyle::GetHFont() {
    if (!manager_) return nullptr;
    auto* font = static_cast<duFont*>(manager_->GetResObj(font_.c_str(), RES_FONT));
    return font ? font->GetHFont() : nullptr;
}

HFONT duTextStyle::GetHFontFor(const DpiScale& scale) {
    if (scale.IsIdentity() || !manager_) return GetHFont();
    auto* font = static_cast<duFont*>(manager_->GetResObj(font_.c_str(), RES_FONT));
    return font ? font->GetHFontForDpi(scale.Dpi()) : nullptr;
}

UINT duTextStyle::GetFormatFlags() {
    UINT flags = 0;
    if (_wcsicmp(hAlign_.c_str(), L"center") == 0)
        flags |= ALPHATEXT_CENTER;
    else if (_wcsicmp(hAlign_.c_str(), L"right") == 0)
        flags |= ALPHATEXT_RIGHT;
    if (_wcsicmp(vAlign_.c_str(), L"center") == 0)
        flags |= ALPHATEXT_VCENTER;
    else if (_wcsicmp(vAlign_.c_str(), L"bottom") == 0)
        flags |= ALPHATEXT_BOTTOM;
    if (singleLine_) flags |= ALPHATEXT_SINGLELINE;
    return flags;
}

void duTextStyle::Draw(HDC dc, const RECT* rect, const wchar_t* text, int alpha, const DpiScale& scale) {
    if (!dc || !rect || !text || !*text || alpha == 0) return;
    size_t length = std::wcslen(text);
    if (length >= kMaxTextLength) return;
    RECT place = PlaceIn(*rect, scale);
    DrawAlphaText(dc, GetHFontFor(scale), color_, text, static_cast<int>(length), &place, GetFormatFlags());
}

void duTextStyle::MeasureText(const wchar_t* text, SIZE* out, const DpiScale& scale) {
    if (!out) return;
    *out = SIZE{0, 0};
    if (!text || !*text) return;
    size_t length = std::wcslen(text);
    if (length >= kMaxTextLength) return;
    HFONT font = GetHFontFor(scale);
    if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    WindowDc screen(nullptr);
    if (!screen) return;
    SelectGuard select(screen.get(), font);
    RECT extent = {0, 0, 0, 0};
    ::DrawTextW(screen.get(), text, static_cast<int>(length), &extent,
                DT_CALCRECT | DT_NOPREFIX | (singleLine_ ? DT_SINGLELINE : 0));
    *out = SIZE{extent.right - extent.left, extent.bottom - extent.top};
}
