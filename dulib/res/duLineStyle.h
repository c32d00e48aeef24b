#pragma once
// Style item that draws one line segment; negative end coordinates count from
// the item's right or bottom edge.
#include "dulib/res/duStyleBase.h"

#include <string>

class duLineStyle : public duStyleBase {
public:
    duLineStyle() = default;

    int GetStyleType() override { return STYLE_LINE; }
    void Draw(HDC dc, const RECT* rect, const wchar_t* text, int alpha,
              const DpiScale& scale = DpiScale()) override;
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;
    void CopyFrom(duStyleBase* other) override;

    virtual COLORREF GetColor() { return color_; }
    virtual void SetColor(COLORREF color) { color_ = color; }
    virtual int GetLineWidth() { return lineWidth_; }
    virtual void SetLineWidth(int width) { lineWidth_ = width; }
    virtual const wchar_t* GetLineType() { return lineType_.c_str(); }
    // Null sets "solid".
    virtual void SetLineType(const wchar_t* type) { lineType_ = type ? type : L"solid"; }
    virtual POINT GetStartPoint() { return start_; }
    virtual void SetStartPoint(POINT point) { start_ = point; }
    virtual POINT GetEndPoint() { return end_; }
    virtual void SetEndPoint(POINT point) { end_ = point; }

private:
    COLORREF color_ = 0;
    int lineWidth_ = 1;
    std::wstring lineType_ = L"solid";
    POINT start_ = {0, 0};
    POINT end_ = {0, 0};
};
