#pragma once
// Style item that draws the control's text with a named font, alpha-correct.
#include "dulib/res/duStyleBase.h"

#include <string>

class duTextStyle : public duStyleBase {
public:
    duTextStyle() = default;

    int GetStyleType() override { return STYLE_TEXT; }
    void Draw(HDC dc, const RECT* rect, const wchar_t* text, int alpha,
              const DpiScale& scale = DpiScale()) override;
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;
    void CopyFrom(duStyleBase* other) override;

    // The named font's handle, null when the font is missing.
    virtual HFONT GetHFont();
    // Size of the text on the screen with this item's font (at the scale's
    // DPI) and line mode.
    virtual void MeasureText(const wchar_t* text, SIZE* out, const DpiScale& scale = DpiScale());
    virtual const wchar_t* GetFont() { return font_.c_str(); }
    virtual void SetFont(const wchar_t* name) { font_ = name ? name : L""; }
    virtual COLORREF GetTextColor() { return color_; }
    virtual void SetTextColor(COLORREF color) { color_ = color; }
    virtual int GetSingleLine() { return singleLine_; }
    virtual void SetSingleLine(int singleLine) { singleLine_ = singleLine; }
    virtual const wchar_t* GetHAlign() { return hAlign_.c_str(); }
    virtual void SetHAlign(const wchar_t* align) { hAlign_ = align ? align : L""; }
    virtual const wchar_t* GetVAlign() { return vAlign_.c_str(); }
    virtual void SetVAlign(const wchar_t* align) { vAlign_ = align ? align : L""; }

    // DrawAlphaText flags for the alignment words and the line mode.
    UINT GetFormatFlags();
    // The named font at the scale's DPI, null when the font is missing.
    HFONT GetHFontFor(const DpiScale& scale);

private:
    COLORREF color_ = 0;
    int singleLine_ = 1;
    std::wstring font_;
    std::wstring hAlign_;
    std::wstring vAlign_;
};
