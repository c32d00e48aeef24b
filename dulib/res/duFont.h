#pragma once
// A named font made from six skin attributes.
#include "dulib/res/duResBase.h"

#include <map>

class duFont : public duResBase {
public:
    duFont() = default;

    int GetType() override { return RES_FONT; }
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;

    virtual int GetHeight() { return height_; }
    virtual void SetHeight(int height) { height_ = height; }
    virtual int GetWeight() { return weight_; }
    virtual void SetWeight(int weight) { weight_ = weight; }
    virtual int GetItalic() { return italic_; }
    virtual void SetItalic(int italic) { italic_ = italic; }
    virtual int GetUnderline() { return underline_; }
    virtual void SetUnderline(int underline) { underline_ = underline; }
    virtual int GetStrikeout() { return strikeout_; }
    virtual void SetStrikeout(int strikeout) { strikeout_ = strikeout; }
    virtual const wchar_t* GetFace() { return face_; }
    virtual void SetFace(const wchar_t* face);
    virtual HFONT GetHFont() { return font_; }
    // Takes ownership of the handle, deleting the old one.
    virtual void SetHFont(HFONT font);
    // Deletes the handle and makes a new one from the fields.
    virtual bool RecreateFont();

    // The font for a window at `dpi`: the height scaled from 96 DPI. Made on
    // first use and kept until the font is made again; 96 gives GetHFont().
    HFONT GetHFontForDpi(int dpi);

protected:
    ~duFont() override;

private:
    int height_ = 12;
    int weight_ = 400;
    int italic_ = 0;
    int underline_ = 0;
    int strikeout_ = 0;
    wchar_t face_[RES_NAME_CHARS] = {};
    HFONT font_ = nullptr;
    std::map<int, HFONT> scaled_;  // by DPI

    HFONT Create(int height) const;
    void DropScaled();
};
