#pragma once
// Style item that paints a piece of an image resource in one paint mode.
#include "dulib/res/duStyleBase.h"

#include <string>

class duImageStyle : public duStyleBase {
public:
    duImageStyle() = default;

    int GetStyleType() override { return STYLE_IMAGE; }
    void Draw(HDC dc, const RECT* rect, const wchar_t* text, int alpha,
              const DpiScale& scale = DpiScale()) override;
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;
    void CopyFrom(duStyleBase* other) override;

    virtual int GetLeftPart() { return leftPart_; }
    virtual void SetLeftPart(int value) { leftPart_ = value; }
    virtual int GetTopPart() { return topPart_; }
    virtual void SetTopPart(int value) { topPart_ = value; }
    virtual int GetRightPart() { return rightPart_; }
    virtual void SetRightPart(int value) { rightPart_ = value; }
    virtual int GetBottomPart() { return bottomPart_; }
    virtual void SetBottomPart(int value) { bottomPart_ = value; }
    virtual int GetSelectLeft() { return selectLeft_; }
    virtual void SetSelectLeft(int value) { selectLeft_ = value; }
    virtual int GetSelectTop() { return selectTop_; }
    virtual void SetSelectTop(int value) { selectTop_ = value; }
    virtual int GetSelectWidth() { return selectWidth_; }
    virtual void SetSelectWidth(int value) { selectWidth_ = value; }
    virtual int GetSelectHeight() { return selectHeight_; }
    virtual void SetSelectHeight(int value) { selectHeight_ = value; }
    // Name of an image resource (not a file name).
    virtual const wchar_t* GetPicFile() { return picFile_.c_str(); }
    virtual void SetPicFile(const wchar_t* name) { picFile_ = name ? name : L""; }
    virtual const wchar_t* GetPaintMode() { return paintMode_.c_str(); }
    virtual void SetPaintMode(const wchar_t* mode) { paintMode_ = mode ? mode : L""; }

private:
    // Device size of the source cell at the scale.
    SIZE ScaledCellSize(const RECT& source, const RECT& dest, const DpiScale& scale) const;

    int leftPart_ = 0;
    int rightPart_ = 0;
    int topPart_ = 0;
    int bottomPart_ = 0;
    int selectLeft_ = 0;
    int selectTop_ = 0;
    int selectWidth_ = 0;
    int selectHeight_ = 0;
    std::wstring picFile_;
    std::wstring paintMode_;
};
