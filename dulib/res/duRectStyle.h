#pragma once
// Style item that fills and/or frames its rectangle.
#include "dulib/res/duStyleBase.h"

#include <string>

class duRectStyle : public duStyleBase {
public:
    duRectStyle() = default;

    int GetStyleType() override { return STYLE_RECT; }
    void Draw(HDC dc, const RECT* rect, const wchar_t* text, int alpha,
              const DpiScale& scale = DpiScale()) override;
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;
    void CopyFrom(duStyleBase* other) override;

    virtual COLORREF GetFillColor() { return fillColor_; }
    virtual void SetFillColor(COLORREF color) { fillColor_ = color; }
    virtual COLORREF GetBorderColor() { return borderColor_; }
    virtual void SetBorderColor(COLORREF color) { borderColor_ = color; }
    virtual int GetFill() { return fill_; }
    virtual void SetFill(int fill) { fill_ = fill; }
    virtual int GetBorder() { return border_; }
    virtual void SetBorder(int border) { border_ = border; }
    virtual const wchar_t* GetBorderType() { return borderType_.c_str(); }
    virtual void SetBorderType(const wchar_t* type) { borderType_ = type ? type : L""; }
    virtual int GetBorderWidth() { return borderWidth_; }
    virtual void SetBorderWidth(int width) { borderWidth_ = width; }

private:
    static void FillPremultiplied(HDC dc, const RECT& r, COLORREF color, int alpha);
    void DrawBorder(HDC dc, const RECT& r, int alpha);

    COLORREF fillColor_ = RGB(255, 255, 255);
    COLORREF borderColor_ = 0;
    int fill_ = 0;
    int border_ = 0;
    int borderWidth_ = 1;
    std::wstring borderType_;
};
