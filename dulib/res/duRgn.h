#pragma once
// A named window shape: "roundrect", "halfroundrect", or "style" (traced from
// the transparent pixels of a style's picture and reshaped per paint mode).
#include "dulib/res/duResBase.h"

class duRgn : public duResBase {
public:
    duRgn() = default;

    int GetType() override { return RES_RGN; }
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;

    virtual const wchar_t* GetRgnType() { return type_; }
    virtual void SetRgnType(const wchar_t* type);
    virtual int GetRoundX() { return roundX_; }
    virtual void SetRoundX(int value) { roundX_ = value; }
    virtual int GetRoundY() { return roundY_; }
    virtual void SetRoundY(int value) { roundY_ = value; }
    virtual const wchar_t* GetStyleName() { return style_; }
    // Null clears the style name.
    virtual void SetStyleName(const wchar_t* style);
    // Builds the region for a window of width x height. The region stays owned
    // by this object (replaced by the next call): copy it (CombineRgn) before
    // handing it to SetWindowRgn. Null when it cannot be built.
    virtual HRGN CreateRegion(int width, int height);

protected:
    ~duRgn() override;

private:
    HRGN CreateStyleRegion(int width, int height);

    wchar_t type_[RES_NAME_CHARS] = {};
    int roundX_ = 0;
    int roundY_ = 0;
    wchar_t style_[RES_NAME_CHARS] = {};
    HRGN region_ = nullptr;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
};
